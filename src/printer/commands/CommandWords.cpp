// The words of each command of the table: what one trace entry of it did,
// with its parameters.
#include "printer/commands/CommandWords.h"

#include "printer/characters/Characters.h"
#include "printer/characters/CodePages.h"
#include "printer/paper/Receipt.h"
#include "printer/commands/PrinterCommands.h"

#include <algorithm>

namespace PrinterCommands::Words {

quint8 at(const TraceEntry &e, int i)
{
    return i < e.bytes.size() ? quint8(e.bytes[i]) : 0;
}

int word(const TraceEntry &e, int i)
{
    return at(e, i) + 256 * at(e, i + 1);
}

QString plural(int count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString outOfRange(const char *what, int value)
{
    return QStringLiteral("%1: %2 is out of range, ignored").arg(QLatin1String(what)).arg(value);
}

QString onOff(const char *what, quint8 n, const char *extra)
{
    return QStringLiteral("%1: %2%3").arg(QLatin1String(what), (n & 1) ? QStringLiteral("on") : QStringLiteral("off"),
                                          (n & 1) ? QLatin1String(extra) : QLatin1String());
}

// "double width", "double height", "width 3, height 2"; empty for 1 x 1.
QString sizeWords(int width, int height)
{
    if (width == 1 && height == 1)
        return {};
    if (width <= 2 && height <= 2) {
        if (width == 2 && height == 2)
            return QStringLiteral("double width and height");
        return width == 2 ? QStringLiteral("double width") : QStringLiteral("double height");
    }
    return QStringLiteral("width %1, height %2").arg(width).arg(height);
}

// Printer bytes as they print, quoted, the first kShownText characters of them.
QString quoted(const QByteArray &bytes, qint64 total, int page, int international, TwoByteCode twoByte)
{
    const bool cut = total > bytes.size();
    const QString all = Characters::text(bytes, page, international, twoByte, cut);
    if (cut || all.size() > kShownText)
        return QLatin1Char('\'') + all.left(kShownText) + QStringLiteral("...' (%1 bytes)").arg(total);
    return QLatin1Char('\'') + all + QLatin1Char('\'');
}

// ---- the words of each command ------------------------------------------

QString wLineFeed(const TraceEntry &) { return QStringLiteral("print the line and feed one line"); }
QString wIgnored(const TraceEntry &) { return QStringLiteral("ignored"); }
QString wTab(const TraceEntry &) { return QStringLiteral("move to the next tab stop"); }
QString wInitialize(const TraceEntry &) { return QStringLiteral("initialize: line emptied, every mode back to its default"); }

QString wPrintMode(const TraceEntry &e)
{
    const quint8 n = at(e, 2);
    QStringList parts{(n & 0x01) ? QStringLiteral("font B") : QStringLiteral("font A")};
    if (n & 0x08)
        parts << QStringLiteral("emphasized");
    if (const QString size = sizeWords((n & 0x20) ? 2 : 1, (n & 0x10) ? 2 : 1); !size.isEmpty())
        parts << size;
    if (n & 0x80)
        parts << QStringLiteral("underline 1 dot");
    return QStringLiteral("print mode: ") + parts.join(QStringLiteral(", "));
}

QString wEmphasized(const TraceEntry &e) { return onOff("emphasized", at(e, 2)); }
QString wDoubleStrike(const TraceEntry &e) { return onOff("double strike", at(e, 2), " (drawn as emphasized)"); }

QString wUnderline(const TraceEntry &e)
{
    static const char *const words[] = {"off", "1 dot", "2 dots"};
    const int choice = smallChoice(at(e, 2), 3);
    return choice < 0 ? outOfRange("underline", at(e, 2)) : QStringLiteral("underline: ") + QLatin1String(words[choice]);
}

QString wFont(const TraceEntry &e)
{
    const int choice = smallChoice(at(e, 2), 2);
    if (choice < 0)
        return outOfRange("font", at(e, 2));
    return choice ? QStringLiteral("font: B (9 x 17 dots)") : QStringLiteral("font: A (12 x 24 dots)");
}

QString wJustification(const TraceEntry &e)
{
    static const char *const words[] = {"left", "centre", "right"};
    const int choice = smallChoice(at(e, 2), 3);
    return choice < 0 ? outOfRange("justification", at(e, 2)) : QStringLiteral("justification: ") + QLatin1String(words[choice]);
}

QString wCharacterSize(const TraceEntry &e)
{
    const int width = (at(e, 2) >> 4) + 1;
    const int height = (at(e, 2) & 0x0F) + 1;
    const QString size = QStringLiteral("width %1, height %2").arg(width).arg(height);
    return QStringLiteral("character size: ") + size + (width > 8 || height > 8 ? QStringLiteral(" is out of range, ignored") : QString());
}

QString wReverse(const TraceEntry &e) { return onOff("reverse", at(e, 2)); }
QString wSpacing(const TraceEntry &e) { return QStringLiteral("character spacing: %1").arg(plural(at(e, 2), "dot", "dots")); }
QString wDefaultSpacing(const TraceEntry &) { return QStringLiteral("line spacing: 30 dots (the default)"); }
QString wLineSpacing(const TraceEntry &e) { return QStringLiteral("line spacing: %1").arg(plural(at(e, 2), "dot", "dots")); }
QString wFeedLines(const TraceEntry &e) { return QStringLiteral("print the line and feed %1").arg(plural(at(e, 2), "line", "lines")); }
QString wFeedDots(const TraceEntry &e) { return QStringLiteral("print the line and feed %1").arg(plural(at(e, 2), "dot", "dots")); }
QString wLeftMargin(const TraceEntry &e)
{
    const int most = e.paperWidth - Paper::kMinPrintableDots;
    const QString words = QStringLiteral("left margin: %1").arg(plural(word(e, 2), "dot", "dots"));
    return word(e, 2) > most ? words + QStringLiteral(", clamped to %1 (at least %2 dots stay printable)").arg(most).arg(Paper::kMinPrintableDots)
                             : words;
}

QString wPrintWidth(const TraceEntry &e)
{
    const QString words = QStringLiteral("printable width: %1").arg(plural(word(e, 2), "dot", "dots"));
    return word(e, 2) < Paper::kMinPrintableDots ? words + QStringLiteral(", widened to %1").arg(Paper::kMinPrintableDots) : words;
}

QString wCodePage(const TraceEntry &e)
{
    const int page = at(e, 2);
    if (!CodePages::isKnown(page))
        return QStringLiteral("code page: %1 (not known: printed as PC437)").arg(page);
    return QStringLiteral("code page: %1 (%2)").arg(page).arg(CodePages::name(page));
}

QString wInternational(const TraceEntry &e)
{
    const int set = at(e, 2);
    if (set >= Characters::kInternationalSets)
        return outOfRange("international character set", set);
    return QStringLiteral("international character set: %1 (%2)").arg(set).arg(Characters::internationalName(set));
}

QString wTwoByteOn(const TraceEntry &e)
{
    return QStringLiteral("two-byte characters: on (%1)").arg(Characters::encodingName(e.twoByte));
}

QString wTwoByteOff(const TraceEntry &) { return QStringLiteral("two-byte characters: off"); }

QString wJapaneseCode(const TraceEntry &e)
{
    const int choice = smallChoice(at(e, 2), 2);
    if (choice < 0)
        return outOfRange("Japanese two-byte code", at(e, 2));
    QString words = QStringLiteral("Japanese two-byte code: ") + (choice ? QStringLiteral("Shift JIS") : QStringLiteral("JIS"));
    if (e.twoByte != TwoByteCode::ShiftJis && e.twoByte != TwoByteCode::Jis)
        words += QStringLiteral(" (not used: this printer's two-byte characters are %1)").arg(Characters::encodingName(e.twoByte));
    return words;
}

QString wTwoByteMode(const TraceEntry &e)
{
    const quint8 n = at(e, 2);
    QStringList parts;
    if (const QString size = sizeWords((n & 0x04) ? 2 : 1, (n & 0x08) ? 2 : 1); !size.isEmpty())
        parts << size;
    if (n & 0x80)
        parts << QStringLiteral("underline");
    return QStringLiteral("two-byte print mode: ") + (parts.isEmpty() ? QStringLiteral("normal") : parts.join(QStringLiteral(", ")));
}

QString wCut(const TraceEntry &e)
{
    const quint8 m = at(e, 2);
    if (m == 0x41 || m == 0x42)
        return QStringLiteral("feed %1, then cut: %2").arg(plural(at(e, 3), "dot", "dots"), QLatin1String(m == 0x41 ? "full" : "partial"));
    return (m & 1) ? QStringLiteral("cut: partial") : QStringLiteral("cut: full");
}

QString wPartialCut(const TraceEntry &) { return QStringLiteral("cut: partial"); }

QString wRaster(const TraceEntry &e)
{
    const quint8 mode = at(e, 3);
    const QString size = QStringLiteral("raster image %1 x %2 dots").arg(word(e, 4) * 8).arg(word(e, 6));
    if (((mode & 0xF0) != 0 && (mode & 0xF0) != 0x30) || (mode & 0x0F) > 3)
        return size + QStringLiteral(": mode %1 is out of range, skipped").arg(mode);
    const QString scale = sizeWords((mode & 1) ? 2 : 1, (mode & 2) ? 2 : 1);
    return scale.isEmpty() ? size : size + QStringLiteral(", ") + scale;
}

QString wColumnImage(const TraceEntry &e)
{
    const quint8 mode = at(e, 2);
    QString words = QStringLiteral("column image %1 x %2 dots").arg(word(e, 3)).arg(mode >= 0x20 ? 24 : 8);
    if (mode == 0 || mode == 0x20)
        words += QStringLiteral(", double width");
    return words;
}

QString wBarcodeHeight(const TraceEntry &e)
{
    return at(e, 2) >= 1 ? QStringLiteral("barcode height: %1").arg(plural(at(e, 2), "dot", "dots")) : outOfRange("barcode height", 0);
}

QString wBarcodeModule(const TraceEntry &e)
{
    const int n = at(e, 2);
    return n >= 2 && n <= 6 ? QStringLiteral("barcode module: %1 dots").arg(n) : outOfRange("barcode module", n);
}

const char *const kBarcodeText[] = {"none", "above", "below", "above and below"};

QString wBarcodeText(const TraceEntry &e)
{
    const int choice = smallChoice(at(e, 2), 4);
    return choice < 0 ? outOfRange("barcode text", at(e, 2)) : QStringLiteral("barcode text: ") + QLatin1String(kBarcodeText[choice]);
}

const char *const kSymbologies[] = {"UPC-A", "UPC-E", "EAN-13", "EAN-8", "CODE39", "ITF", "CODABAR", "CODE93", "CODE128"};

QString barcodeWords(const TraceEntry &e, int type, const QByteArray &data, qint64 length)
{
    QString words = QStringLiteral("barcode %1 %2, module %3, height %4")
                        .arg(QLatin1String(kSymbologies[type]), quoted(data, length))
                        .arg(e.symbol.barcodeModule)
                        .arg(e.symbol.barcodeHeight);
    if (e.symbol.barcodeText > 0 && e.symbol.barcodeText < 4)
        words += QStringLiteral(", text ") + QLatin1String(kBarcodeText[e.symbol.barcodeText]);
    return words;
}

QString wBarcodeEnded(const TraceEntry &e)
{
    // The data runs to the 00 or, without one, to the end of the command.
    const bool ended = e.length() <= e.bytes.size() && e.bytes.endsWith('\0');
    QByteArray data = e.bytes.mid(3);
    if (ended)
        data.chop(1);
    return barcodeWords(e, at(e, 2), data, e.length() - 3 - (ended ? 1 : 0));
}

QString wBarcodeCounted(const TraceEntry &e)
{
    return barcodeWords(e, at(e, 2) - 0x41, e.bytes.mid(4), at(e, 3));
}

QString wQrCode(const TraceEntry &e)
{
    static const char *const levels[] = {"L", "M", "Q", "H"};
    const int length = word(e, 3);
    if (length < 2)
        return QStringLiteral("QR code: function without data, nothing done");
    const quint8 function = at(e, 6);
    const quint8 n = at(e, 7);
    switch (function) {
    case 0x41:
        return n == 0x32 ? QStringLiteral("QR code: model 2") : QStringLiteral("QR code: model %1 (drawn as model 2)").arg(n >= 0x30 ? n - 0x30 : n);
    case 0x43:
        return n >= 1 && n <= 16 ? QStringLiteral("QR code: module %1").arg(plural(n, "dot", "dots")) : outOfRange("QR code module", n);
    case 0x45:
        return n >= 0x30 && n <= 0x33 ? QStringLiteral("QR code: error correction %1").arg(QLatin1String(levels[n - 0x30]))
                                      : outOfRange("QR code error correction", n);
    case 0x50:
        return QStringLiteral("QR code: store %1").arg(quoted(e.bytes.mid(8), std::max(0, length - 3)));
    case 0x51:
        if (e.data.isEmpty())
            return QStringLiteral("QR code: print, but no data is stored: nothing printed");
        return QStringLiteral("QR code: print %1, module %2, error correction %3")
            .arg(quoted(e.data, std::max<qint64>(e.dataLength, e.data.size()))) // the size stored, not the size kept
            .arg(e.symbol.qrModule)
            .arg(QLatin1String(levels[std::clamp<int>(e.symbol.qrEcc, 1, 4) - 1]));
    default:
        return QStringLiteral("QR code: function %1 skipped").arg(QString::number(function, 16).toUpper());
    }
}

QString wStatusRequest(const TraceEntry &e) { return QStringLiteral("real-time status request %1: nothing printed").arg(at(e, 2)); }
QString wRealTimeRequest(const TraceEntry &e) { return QStringLiteral("real-time request %1: nothing printed").arg(at(e, 2)); }
QString wRealTimeCommand(const TraceEntry &e) { return QStringLiteral("real-time command, function %1: nothing printed").arg(at(e, 2)); }
QString wTransmitStatus(const TraceEntry &e)
{
    switch (smallChoice(at(e, 2), 3)) {
    case 1: return QStringLiteral("status request: paper sensor; nothing printed");
    case 2: return QStringLiteral("status request: drawer; nothing printed");
    default: return outOfRange("status request", at(e, 2));
    }
}

QString wPrinterId(const TraceEntry &e)
{
    static const char *const ids[] = {"model ID", "type ID", "firmware ID"};
    static const char *const texts[] = {"firmware version", "maker", "model name", "serial number"};
    const quint8 n = at(e, 2);
    if (const int choice = smallChoice(n, 4); choice >= 1)
        return QStringLiteral("printer ID request: %1; nothing printed").arg(QLatin1String(ids[choice - 1]));
    if (n >= 0x41 && n <= 0x44)
        return QStringLiteral("printer ID request: %1; nothing printed").arg(QLatin1String(texts[n - 0x41]));
    return outOfRange("printer ID request", n);
}

QString wAutomaticStatus(const TraceEntry &e)
{
    static const char *const parts[] = {"drawer", "online", "error", "paper"};
    const quint8 n = at(e, 2);
    QStringList on;
    for (int bit = 0; bit < 4; ++bit) {
        if (n & (1 << bit))
            on << QLatin1String(parts[bit]);
    }
    if (on.isEmpty())
        return QStringLiteral("automatic status back: off");
    return QStringLiteral("automatic status back: on for ") + on.join(QStringLiteral(", "));
}

QString wCondition(const TraceEntry &e)
{
    static const char *const conditions[] = {nullptr, "drawer 1 open", "drawer 2 open", "paper near end", "paper out",
                                             nullptr, nullptr, nullptr, "cover open", "receive buffer not empty",
                                             "reset rejected", "not power cycled"};
    const quint8 n = at(e, 2);
    if (n < std::size(conditions) && conditions[n])
        return QStringLiteral("condition request %1 (%2): answered ACK or NAK, nothing printed").arg(n).arg(QLatin1String(conditions[n]));
    return QStringLiteral("condition request %1: not a condition, no answer").arg(n);
}

QString wDrawerKick(const TraceEntry &e)
{
    const int pin = smallChoice(at(e, 2), 2) == 1 ? 5 : 2;
    return QStringLiteral("drawer kick: pin %1, %2 ms on, %3 ms off; nothing printed").arg(pin).arg(at(e, 3) * 2).arg(at(e, 4) * 2);
}

QString wMacroRecord(const TraceEntry &e)
{
    switch (at(e, 2)) {
    case 1: return QStringLiteral("macro: start recording");
    case 2: return QStringLiteral("macro: end recording");
    default: return QStringLiteral("macro: %1, ignored").arg(at(e, 2));
    }
}

QString wMacroNamed(const TraceEntry &e)
{
    QByteArray name = e.bytes.mid(3);
    const bool ended = e.length() <= e.bytes.size() && name.endsWith('\0');
    if (ended)
        name.chop(1);
    const QString quotedName = quoted(name, e.length() - 3 - (ended ? 1 : 0));
    switch (at(e, 2)) {
    case 'm': return QStringLiteral("macro: store the recording as %1").arg(quotedName);
    case 'b': return QStringLiteral("macro: start silent recording %1").arg(quotedName);
    case 'e': return QStringLiteral("macro: end silent recording %1").arg(quotedName);
    case 'r': return QStringLiteral("macro: play %1").arg(quotedName);
    case 'd': return QStringLiteral("macro: remove %1").arg(quotedName);
    case 'q': return QStringLiteral("macro: query %1").arg(quotedName);
    case 't': return QStringLiteral("macro: transfer the user store to the extended store");
    default: return QStringLiteral("macro: clear the extended store (%1)").arg(quotedName);
    }
}

QString wText(const TraceEntry &e)
{
    const TextStyle &s = e.style;
    QStringList parts{quoted(e.bytes, e.length(), e.codePage, e.international, e.twoByte)};
    parts << (s.font == PrinterFont::B ? QStringLiteral("font B") : QStringLiteral("font A"));
    if (s.emphasized)
        parts << QStringLiteral("emphasized");
    if (s.underline)
        parts << QStringLiteral("underline %1").arg(plural(s.underline, "dot", "dots"));
    if (s.reverse)
        parts << QStringLiteral("reverse");
    if (const QString size = sizeWords(s.width, s.height); !size.isEmpty())
        parts << size;
    if (s.spacing)
        parts << QStringLiteral("spacing %1").arg(plural(s.spacing, "dot", "dots"));
    if (e.codePage != CodePages::kPc437)
        parts << QStringLiteral("code page %1").arg(e.codePage);
    if (e.international != 0)
        parts << QStringLiteral("character set %1").arg(Characters::internationalName(e.international));
    if (e.twoByte != TwoByteCode::None)
        parts << QStringLiteral("two-byte %1").arg(Characters::encodingName(e.twoByte));
    return parts.join(QStringLiteral(", "));
}

} // namespace PrinterCommands::Words
