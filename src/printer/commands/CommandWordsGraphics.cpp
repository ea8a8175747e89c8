// The words of the graphics commands (GS ( L, GS 8 L, FS q, FS p) and of the
// 2D symbols of GS ( k besides the QR code.
#include "printer/commands/CommandWords.h"

#include "printer/commands/PrinterCommands.h"

namespace PrinterCommands::Words {
namespace {
QString keyWords(const TraceEntry &e, int i)
{
    return QStringLiteral("'%1%2'").arg(QChar(at(e, i))).arg(QChar(at(e, i + 1)));
}

QString scaleWords(int x, int y)
{
    const QString size = sizeWords(x, y);
    return size.isEmpty() ? QString() : QStringLiteral(", ") + size;
}

// m fn and what follows, from the byte m stands at.
QString graphicsWords(const TraceEntry &e, int m, qint64 length)
{
    const int fn = at(e, m + 1) <= 4 ? at(e, m + 1) + 0x30 : at(e, m + 1);
    const auto param = [&e, m](int i) { return at(e, m + i); };
    const auto wordAt = [&e, m](int i) { return word(e, m + i); };
    if (length < 2)
        return QStringLiteral("graphics: function without data, nothing done");
    switch (fn) {
    case 0x30: return QStringLiteral("graphics: NV memory capacity requested; nothing printed");
    case 0x31: return QStringLiteral("graphics: reference dot density %1 x %2 (the printer keeps 203 dpi)").arg(param(2)).arg(param(3));
    case 0x32: return QStringLiteral("graphics: print the image in the print buffer");
    case 0x33: return QStringLiteral("graphics: NV memory left requested; nothing printed");
    case 0x40: return QStringLiteral("graphics: NV graphics key codes requested; nothing printed");
    case 0x41: return QStringLiteral("graphics: delete every NV graphic");
    case 0x42: return QStringLiteral("graphics: delete NV graphic %1").arg(keyWords(e, m + 2));
    case 0x43: case 0x44:
        return QStringLiteral("graphics: define NV graphic %1, %2 x %3 dots%4")
            .arg(keyWords(e, m + 3)).arg(wordAt(6)).arg(wordAt(8))
            .arg(fn == 0x44 ? QStringLiteral(", column format") : QString());
    case 0x45:
        return QStringLiteral("graphics: print NV graphic %1%2").arg(keyWords(e, m + 2), scaleWords(param(4), param(5)));
    case 0x70: case 0x71:
        return QStringLiteral("graphics: store a %1 x %2 dot image in the print buffer%3%4")
            .arg(wordAt(6)).arg(wordAt(8))
            .arg(fn == 0x71 ? QStringLiteral(", column format") : QString(), scaleWords(param(3), param(4)));
    default:
        return QStringLiteral("graphics: function %1 skipped").arg(QString::number(fn, 16).toUpper());
    }
}

const char *const kSymbols[] = {"PDF417", "QR code", "MaxiCode", "GS1 DataBar", "Composite", "Aztec Code", "Data Matrix"};
} // namespace

QString wGraphics(const TraceEntry &e) { return graphicsWords(e, 5, word(e, 3)); }
QString wGraphicsLong(const TraceEntry &e) { return graphicsWords(e, 7, word(e, 3) + (qint64(word(e, 5)) << 16)); }

QString wBitImages(const TraceEntry &e)
{
    if (at(e, 2) == 0)
        return QStringLiteral("NV bit images: every one deleted");
    return QStringLiteral("NV bit images: define %1, the first %2 x %3 dots")
        .arg(at(e, 2)).arg(word(e, 3) * 8).arg(word(e, 5) * 8);
}

QString wBitImagePrint(const TraceEntry &e)
{
    const int mode = smallChoice(at(e, 3), 4);
    if (mode < 0)
        return outOfRange("NV bit image mode", at(e, 3));
    return QStringLiteral("print NV bit image %1%2").arg(at(e, 2)).arg(scaleWords((mode & 1) + 1, (mode & 2) / 2 + 1));
}

// GS ( k pL pH cn fn ...: what one function of a 2D symbol did.
QString wSymbol2D(const TraceEntry &e)
{
    const int cn = at(e, 5);
    const int fn = at(e, 6);
    const int n = at(e, 7);
    const QString name = QLatin1String(kSymbols[std::clamp(cn - 0x30, 0, 6)]);
    const qint64 length = word(e, 3);
    switch (fn) {
    case 0x50: {
        const int skip = cn == 0x33 ? 9 : cn == 0x34 ? 10 : 8;
        return QStringLiteral("%1: store %2").arg(name, quoted(e.bytes.mid(skip), std::max<qint64>(0, length + 5 - skip)));
    }
    case 0x51:
        if (e.data.isEmpty())
            return QStringLiteral("%1: print, but no data is stored: nothing printed").arg(name);
        return QStringLiteral("%1: print %2").arg(name, quoted(e.data, e.data.size()));
    case 0x43:
        return QStringLiteral("%1: module %2").arg(name, plural(n, "dot", "dots"));
    default:
        break;
    }
    if (cn == 0x30) {
        switch (fn) {
        case 0x41: return QStringLiteral("PDF417: %1").arg(n ? plural(n, "column", "columns") : QStringLiteral("columns as the data needs"));
        case 0x42: return QStringLiteral("PDF417: %1").arg(n ? plural(n, "row", "rows") : QStringLiteral("rows as the data needs"));
        case 0x44: return QStringLiteral("PDF417: row height %1 modules").arg(n);
        case 0x45: {
            const int m = at(e, 8);
            if (n == 0x30 && m >= 0x30 && m <= 0x38)
                return QStringLiteral("PDF417: error correction level %1").arg(m - 0x30);
            if (n == 0x31 && m >= 1 && m <= 40)
                return QStringLiteral("PDF417: error correction %1 % of the data").arg(m * 10);
            if (n == 0x30)
                return QStringLiteral("PDF417 error correction level: %1 is out of range (30 to 38 for levels 0 to 8), ignored")
                    .arg(QString::number(m, 16).toUpper().rightJustified(2, QLatin1Char('0')));
            if (n == 0x31)
                return QStringLiteral("PDF417 error correction: %1 tenths of the data is out of range (1 to 40), ignored").arg(m);
            return outOfRange("PDF417 error correction", n);
        }
        case 0x46: return n == 1 ? QStringLiteral("PDF417: truncated") : QStringLiteral("PDF417: standard");
        default: break;
        }
    }
    if (cn == 0x32 && fn == 0x41)
        return QStringLiteral("MaxiCode: mode %1").arg(n >= 0x30 ? n - 0x30 : n);
    if ((cn == 0x33 || cn == 0x34) && fn == 0x47)
        return QStringLiteral("%1: rows at most %2 wide").arg(name, plural(word(e, 7), "dot", "dots"));
    if (cn == 0x35 && fn == 0x42)
        return QStringLiteral("Aztec Code: %1, %2").arg(n == 1 ? "compact" : "full-range",
                                                          at(e, 8) ? plural(at(e, 8), "layer", "layers") : QStringLiteral("layers as the data needs"));
    if (cn == 0x35 && fn == 0x45)
        return QStringLiteral("Aztec Code: error correction %1 %").arg(n);
    if (cn == 0x36 && fn == 0x42) {
        const QString size = at(e, 8) ? QStringLiteral("%1 x %2").arg(at(e, 8)).arg(at(e, 9)) : QStringLiteral("as the data needs");
        return QStringLiteral("Data Matrix: %1, %2").arg(QLatin1String(n == 1 ? "rectangle" : "square"), size);
    }
    return QStringLiteral("%1: function %2 skipped").arg(name, QString::number(fn, 16).toUpper());
}

} // namespace PrinterCommands::Words
