#include "commands/Notation.h"

#include "link/Operator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Notation {

const MnemonicTable &Mnemonics()
{
    static const MnemonicTable table = [] {
        static const char *const names[32] = {
            "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
            "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
            "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
        MnemonicTable t;
        for (int v = 0; v < 32; ++v)
            t[v + 1] = QByteArray("[") + names[v] + ']';
        return t;
    }();
    return table;
}

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

int digitValue(char c, int base)
{
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

// "&H" / "&O" numbers: up to the first character that is no digit of the base.
double readRadix(const QByteArray &digits, int base)
{
    double value = 0;
    int count = 0;
    for (char c : digits) {
        const int d = digitValue(c, base);
        if (d < 0)
            break;
        value = value * base + d;
        ++count;
    }
    // Short hexadecimal and octal numbers are 16-bit two's-complement values.
    const bool sixteenBit = (base == 16 && count <= 4) || (base == 8 && count <= 6);
    if (sixteenBit && value >= 32768 && value <= 65535)
        value -= 65536;
    return value;
}

double readDecimal(const QByteArray &t)
{
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    QByteArray mantissa;
    bool anyDigit = false;
    while (i < n && t[i] >= '0' && t[i] <= '9') {
        mantissa += t[i++];
        anyDigit = true;
    }
    if (i < n && t[i] == '.') {
        mantissa += t[i++];
        while (i < n && t[i] >= '0' && t[i] <= '9') {
            mantissa += t[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0;
    int exponent = 0;
    if (i < n && (t[i] == 'E' || t[i] == 'e')) {
        qsizetype j = i + 1;
        bool expNegative = false;
        if (j < n && (t[j] == '+' || t[j] == '-'))
            expNegative = t[j++] == '-';
        long e = 0;
        bool expDigit = false;
        while (j < n && t[j] >= '0' && t[j] <= '9') {
            e = std::min(e * 10 + (t[j++] - '0'), 9999L);
            expDigit = true;
        }
        if (expDigit)
            exponent = static_cast<int>(expNegative ? -e : e);
    }
    double value = std::strtod(mantissa.constData(), nullptr) * std::pow(10.0, exponent);
    return negative ? -value : value;
}

} // namespace

double ReadNumber(const QByteArray &text, bool hex)
{
    QByteArray t;
    t.reserve(text.size());
    for (char c : text)
        if (!isBlank(c))
            t += c;
    if (hex)
        return readRadix(t, 16);
    if (t.size() >= 2 && t[0] == '&') {
        const char kind = t[1];
        if (kind == 'H' || kind == 'h')
            return readRadix(t.mid(2), 16);
        if (kind == 'O' || kind == 'o')
            return readRadix(t.mid(2), 8);
        return 0;
    }
    return readDecimal(t);
}

std::optional<qint16> RoundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

namespace {

// A number of the wrong size must never become a byte nobody asked for.
quint8 confirmedByte(std::optional<qint16> value, Operator &op)
{
    if (value && *value >= 0 && *value <= 255)
        return static_cast<quint8>(*value);
    op.message(QStringLiteral("Value is greater than 255. Press OK to continue"));
    return 0;
}

} // namespace

quint8 NextCommandByte(QByteArray &rest, Operator &op)
{
    if (rest.isEmpty())
        return 0;
    const char c = rest.at(0);
    quint8 byte = static_cast<quint8>(c);
    qsizetype consumed = 1;

    if (c == '<') {
        qsizetype close = -1;
        for (qsizetype pos = 1; pos <= 5 && pos < rest.size(); ++pos) {
            if (rest.at(pos) == '>') {
                close = pos;
                break;
            }
        }
        if (close > 0) {
            QByteArray number = rest.mid(1, close - 1);
            const bool hex = number.contains('x') || number.contains('X');
            number.replace('x', QByteArray()).replace('X', QByteArray());
            byte = confirmedByte(RoundToInt16(ReadNumber(number, hex)), op);
            consumed = close + 1;
        }
    } else if (c == '[') {
        for (qsizetype pos = 1; pos <= 4 && pos < rest.size(); ++pos) {
            if (rest.at(pos) != ']')
                continue;
            const QByteArray name = rest.left(pos + 1).toUpper();
            const MnemonicTable &table = Mnemonics();
            for (int j = 1; j <= 33; ++j) {
                if (!table[j].isEmpty() && table[j] == name) {
                    byte = static_cast<quint8>(j - 1);
                    consumed = pos + 1;
                    break;
                }
            }
            break;
        }
    } else if (c == '\\' && rest.size() >= 2) {
        byte = static_cast<quint8>(rest.at(1));
        consumed = 2;
    }

    rest = rest.mid(consumed, kMaxRest);
    return byte;
}

QByteArray EchoName(quint8 b)
{
    if (b < 32)
        return Mnemonics()[b + 1];
    if (b <= 127)
        return QByteArray(1, static_cast<char>(b));
    return "< " + QByteArray::number(b) + '>';
}

QByteArray EchoText(quint8 b)
{
    QByteArray text = EchoName(b);
    if (b == 10 || b == 13)
        text += "\r\n";
    return text;
}

} // namespace Notation
