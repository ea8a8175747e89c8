// The 2D symbols of GS ( k besides the QR code: their options, the data
// stored for each, and the symbol printed from libzint's modules at the
// module size the stream chose. Data a symbology refuses prints libzint's
// reason in place of the symbol.
#include "printer/interpreter/SymbolCommands.h"

#include "printer/interpreter/ReceiptParts.h"
#include "printer/symbols/Symbols.h"

#include <cstring>

namespace {
enum Symbology : quint8 { Pdf417 = 0x30, MaxiCode = 0x32, DataBar = 0x33, Composite = 0x34, Aztec = 0x35, DataMatrix = 0x36 };

bool within(int value, int low, int high)
{
    return value >= low && value <= high;
}

// A PDF417 error correction level for a ratio of the data (in tenths): the
// smallest whose correction codewords (2 ^ (level + 1)) reach it, the data
// counted at about two characters a codeword.
int levelForRatio(int tenths, qsizetype dataBytes)
{
    const qsizetype wanted = std::max<qsizetype>(1, (dataBytes / 2 + 1) * tenths / 10);
    int level = 0;
    while (level < 8 && (qsizetype(2) << level) < wanted)
        ++level;
    return level;
}
} // namespace

// One function of a 2D symbol: m_context.data holds cn fn and its parameters.
void SymbolCommands::run2D(quint8 symbol, quint8 function)
{
    const auto at = [this](int i) { return i < m_context.data.size() ? int(quint8(m_context.data[i])) : -1; };
    const int n = at(2);
    Symbol2DModes &s = m_context.modes.symbols;
    bool ok = true;
    if (symbol < Pdf417 || symbol > DataMatrix || symbol == 0x31) {
        m_context.noteUnknown(m_context.cmd.left(3) + char(symbol));
        return;
    }
    if (function == 0x50) { // store the data
        const int skip = symbol == DataBar ? 4 : symbol == Composite ? 5 : 3;
        ok = at(2) == 0x30 && m_context.data.size() >= skip;
        if (ok && symbol == DataBar) {
            m_stored.databarType = at(3);
        } else if (ok && symbol == Composite) {
            const bool twoD = at(3) == 0x31;
            if (!twoD)
                m_stored.compositeType = at(4);
            m_stored.data[twoD ? 7 : Composite - 0x30] = m_context.data.mid(skip);
        }
        if (ok && symbol != Composite)
            m_stored.data[symbol - 0x30] = m_context.data.mid(skip);
    } else if (function == 0x51) {
        print2D(symbol);
    } else if (function == 0x43 && symbol != MaxiCode) { // module size
        const int high = symbol == Aztec || symbol == DataMatrix ? 16 : 8;
        ok = within(n, 2, high);
        if (ok) {
            int &module = symbol == Pdf417 ? s.pdf417.module
                          : symbol == DataBar ? s.databarModule
                          : symbol == Composite ? s.compositeModule
                          : symbol == Aztec ? s.aztecModule : s.matrixModule;
            module = n;
        }
    } else if (symbol == Pdf417) {
        Pdf417Modes &p = s.pdf417;
        switch (function) {
        case 0x41: ok = within(n, 0, 30); if (ok) p.columns = n; break;
        case 0x42: ok = n == 0 || within(n, 3, 90); if (ok) p.rows = n; break;
        case 0x44: ok = within(n, 2, 8); if (ok) p.rowHeight = n; break;
        case 0x45:
            ok = (n == 0x30 && within(at(3), 0x30, 0x38)) || (n == 0x31 && within(at(3), 1, 40));
            if (ok) {
                p.eccLevel = n == 0x30 ? at(3) - 0x30 : -1;
                p.eccRatio = n == 0x31 ? at(3) : 0;
            }
            break;
        case 0x46: ok = within(n, 0, 1); if (ok) p.truncated = n == 1; break;
        default: break; // the size reply and the rest: nothing to draw
        }
    } else if (symbol == MaxiCode && function == 0x41) {
        ok = within(n, 0x32, 0x36);
        if (ok)
            s.maxiMode = n - 0x30;
    } else if ((symbol == DataBar || symbol == Composite) && function == 0x47) {
        ok = m_context.data.size() >= 4;
        if (ok)
            (symbol == DataBar ? s.databarWidth : s.compositeWidth) = at(2) + 256 * at(3);
    } else if (symbol == Aztec && function == 0x42) {
        ok = within(n, 0, 1) && (at(3) == 0 || within(at(3), 1, n == 1 ? 4 : 32));
        if (ok) {
            s.aztecCompact = n == 1;
            s.aztecLayers = at(3);
        }
    } else if (symbol == Aztec && function == 0x45) {
        ok = within(n, 5, 95);
        if (ok)
            s.aztecEcc = n;
    } else if (symbol == DataMatrix && function == 0x42) {
        ok = within(n, 0, 1) && at(3) >= 0 && at(4) >= 0;
        if (ok) {
            s.matrixRectangle = n == 1;
            s.matrixColumns = at(3);
            s.matrixRows = at(4);
        }
    }
    if (!ok)
        m_context.ignoredParameter();
}

void SymbolCommands::print2D(quint8 symbol)
{
    m_layout.printPendingContent();
    const Symbol2DModes &s = m_context.modes.symbols;
    const QByteArray &data = m_stored.data[symbol - 0x30];
    const QByteArray &twoD = m_stored.data[7];
    static const char *const names[] = {"PDF417", "", "MaxiCode", "GS1 DataBar", "Composite", "Aztec Code", "Data Matrix"};
    if (data.isEmpty() || (symbol == Composite && twoD.isEmpty())) {
        m_context.note(QStringLiteral("%1 printed with no data stored: nothing printed").arg(QLatin1String(names[symbol - 0x30])));
        return;
    }
    if (m_context.trace.on() && m_context.trace.makingCommand())
        m_context.trace.entry().data = (symbol == Composite ? data + '|' + twoD : data).left(TraceEntry::kKeptText);
    Symbol made;
    int module = 1;
    int rowUnit = 1;
    switch (symbol) {
    case Pdf417: {
        const Pdf417Modes &p = s.pdf417;
        const int level = p.eccLevel >= 0 ? p.eccLevel : levelForRatio(p.eccRatio, data.size());
        made = SymbolEncoder::pdf417(data, p.columns, p.rows, level, p.truncated);
        module = p.module;
        rowUnit = p.rowHeight * p.module;
        break;
    }
    case MaxiCode:
        made = SymbolEncoder::maxiCode(data, s.maxiMode);
        break;
    case DataBar:
        module = rowUnit = s.databarModule;
        made = SymbolEncoder::dataBar(m_stored.databarType, data, s.databarWidth / module);
        break;
    case Composite:
        module = rowUnit = s.compositeModule;
        made = SymbolEncoder::composite(m_stored.compositeType, data, twoD, s.compositeWidth / module);
        break;
    case Aztec:
        made = SymbolEncoder::aztec(data, s.aztecCompact, s.aztecLayers, s.aztecEcc);
        module = rowUnit = s.aztecModule;
        break;
    default:
        made = SymbolEncoder::dataMatrix(data, s.matrixRectangle, s.matrixColumns, s.matrixRows);
        module = rowUnit = s.matrixModule;
        break;
    }
    if (!made.isValid()) {
        printTextLine(made.error.toLatin1(), m_context.commandRange());
        return;
    }
    printModules(made, module, rowUnit, DotImage::Kind::Symbol, names[symbol - 0x30],
                 symbol == Composite ? data + '|' + twoD : data);
}

// A symbol's modules, each module wide and each row rowUnit tall per module
// of its height, on a band of its own, cut at the printable width.
void SymbolCommands::printModules(const Symbol &symbol, int module, int rowUnit, DotImage::Kind kind, const char *name,
                                      const QByteArray &data)
{
    const QImage &modules = symbol.modules;
    noteCutSymbol(name, modules.width() * module);
    const int dotWidth = std::min(modules.width() * module, m_layout.printableWidth());
    int height = 0;
    QList<int> rowDots;
    for (int row = 0; row < modules.height(); ++row) {
        rowDots.append((symbol.rowHeights.isEmpty() ? 1 : symbol.rowHeights[row]) * rowUnit);
        height += rowDots.last();
    }
    height = std::min(height, Paper::kMaxReceiptDots);
    QImage dots = ReceiptParts::monoImage(dotWidth, height);
    int y = 0;
    for (int row = 0; row < modules.height() && y < height; ++row) {
        uchar *line = dots.scanLine(y);
        const uchar *source = modules.constScanLine(row);
        for (int dot = 0; dot < dotWidth; ++dot) {
            const int x = dot / module;
            if (source[x >> 3] & (0x80 >> (x & 7)))
                line[dot >> 3] |= uchar(0x80 >> (dot & 7));
        }
        for (int copy = 1; copy < rowDots[row] && y + copy < height; ++copy)
            std::memcpy(dots.scanLine(y + copy), line, size_t(dots.bytesPerLine()));
        y += rowDots[row];
    }
    ReceiptLine line;
    line.source = m_context.commandRange();
    line.images.append({kind, m_layout.bandLeft(dotWidth), 0, dots, line.source, data, name});
    line.height = height;
    m_layout.placeBand(line, ReceiptParts::cost(line));
}
