#include "commands/Notation.h"

#include "link/Operator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

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
    std::string number;
    bool anyDigit = false;
    while (i < n && t[i] >= '0' && t[i] <= '9') {
        number += t[i++];
        anyDigit = true;
    }
    if (i < n && t[i] == '.') {
        number += t[i++];
        while (i < n && t[i] >= '0' && t[i] <= '9') {
            number += t[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0;
    bool expNegative = false;
    if (i < n && (t[i] == 'E' || t[i] == 'e')) {
        qsizetype j = i + 1;
        if (j < n && (t[j] == '+' || t[j] == '-'))
            expNegative = t[j++] == '-';
        long e = 0;
        bool expDigit = false;
        while (j < n && t[j] >= '0' && t[j] <= '9') {
            e = std::min(e * 10 + (t[j++] - '0'), 99999L);
            expDigit = true;
        }
        if (expDigit)
            number += (expNegative ? "e-" : "e") + std::to_string(e);
    }
    // from_chars, unlike strtod, ignores the C locale: Qt sets it from the
    // environment, and a decimal comma there must not turn <1.5> into 1.
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        value = expNegative ? 0.0 : HUGE_VAL;
    else if (ec != std::errc())
        value = 0;
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

// "<" number ">" with ">" at positions 2 to 6; x or X anywhere means hexadecimal.
std::optional<Form> readNumberForm(const QByteArray &text)
{
    for (qsizetype pos = 1; pos <= 5 && pos < text.size(); ++pos) {
        if (text.at(pos) != '>')
            continue;
        QByteArray number = text.mid(1, pos - 1);
        const bool hex = number.contains('x') || number.contains('X');
        number.replace('x', QByteArray()).replace('X', QByteArray());
        const std::optional<qint16> value = RoundToInt16(ReadNumber(number, hex));
        // A value outside 0..255 must never become a byte nobody asked for.
        if (!value || *value < 0 || *value > 255)
            return Form{0, pos + 1, true};
        return Form{static_cast<quint8>(*value), pos + 1, false};
    }
    return std::nullopt;
}

// "[" mnemonic "]" with "]" at positions 2 to 5, matched without regard to case.
std::optional<Form> readMnemonicForm(const QByteArray &text)
{
    for (qsizetype pos = 1; pos <= 4 && pos < text.size(); ++pos) {
        if (text.at(pos) != ']')
            continue;
        const QByteArray name = text.left(pos + 1).toUpper();
        const MnemonicTable &table = Mnemonics();
        for (int j = 1; j <= 33; ++j) {
            if (!table[j].isEmpty() && table[j] == name)
                return Form{static_cast<quint8>(j - 1), pos + 1, false};
        }
        return std::nullopt; // only the first "]" counts
    }
    return std::nullopt;
}

} // namespace

Form ReadForm(const QByteArray &text)
{
    if (text.isEmpty())
        return Form{0, 0, false};
    const char c = text.at(0);
    std::optional<Form> form;
    if (c == '<')
        form = readNumberForm(text);
    else if (c == '[')
        form = readMnemonicForm(text);
    else if (c == '\\' && text.size() >= 2)
        form = Form{static_cast<quint8>(text.at(1)), 2, false};
    // Anything else, and a "<" or "[" that opens no valid form, is its own byte.
    return form.value_or(Form{static_cast<quint8>(c), 1, false});
}

quint8 NextCommandByte(QByteArray &rest, Operator &op)
{
    const Form form = ReadForm(rest);
    if (form.outOfRange)
        op.message(QStringLiteral("Value is greater than 255. Press OK to continue"));
    rest = rest.mid(form.consumed, kMaxRest);
    return form.byte;
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
