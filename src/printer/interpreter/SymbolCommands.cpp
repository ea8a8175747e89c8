// Symbols: barcodes (GS k) and QR codes (GS ( k), drawn from libzint's
// modules at the module size and height the stream chose.
#include "printer/interpreter/SymbolCommands.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/ReceiptParts.h"
#include "printer/symbols/Symbols.h"

#include <cstring>

namespace {
using namespace ControlBytes;

using PrinterCommands::smallChoice;
} // namespace

SymbolCommands::SymbolCommands(InterpreterContext &context, PaperLayout &layout)
    : m_context(context)
    , m_layout(layout)
    , m_symbols(std::make_unique<SymbolEncoder>())
{
}

SymbolCommands::~SymbolCommands() = default;

void SymbolCommands::initialize()
{
    m_qrData.clear();
    m_stored = SymbolStore();
}

bool SymbolCommands::runCommand(quint8 introducer, quint8 c)
{
    if (introducer != GS)
        return false;
    const quint8 n = m_context.cmd[2];
    switch (c) {
    case 'H':
        if (const int value = smallChoice(n, 4); value >= 0)
            m_context.modes.barcodeText = value;
        else
            m_context.ignoredParameter();
        return true;
    case 'h':
        if (n >= 1)
            m_context.modes.barcodeHeight = n;
        else
            m_context.ignoredParameter();
        return true;
    case 'w':
        if (n >= 2 && n <= 6)
            m_context.modes.barcodeModule = n;
        else
            m_context.ignoredParameter();
        return true;
    case 'f':
        if (const int value = smallChoice(n, 2); value >= 0)
            m_context.modes.barcodeFont = value;
        else
            m_context.ignoredParameter();
        return true;
    default:
        return false;
    }
}

bool SymbolCommands::begin(quint8 introducer, quint8 c)
{
    if (introducer != GS || (c != 'k' && !(c == '(' && m_context.cmd[2] == 'k')))
        return false;
    if (c == 'k') {
        const quint8 m = m_context.cmd[2];
        m_barcodeType = m <= 6 ? m : m - 0x41;
    }
    m_context.beginPayload(InterpreterContext::Payload::Keep);
    return true;
}

// The data of GS k or GS ( k is in: print the barcode, or run the QR code function.
void SymbolCommands::finish()
{
    if (quint8(m_context.cmd[0]) != GS)
        return;
    if (m_context.cmd[1] == 'k') {
        printBarcode(m_barcodeType, m_context.data);
        return;
    }
    if (m_context.cmd[1] != '(' || m_context.data.size() < 2)
        return;
    const quint8 symbol = m_context.data[0];
    const quint8 function = m_context.data[1];
    if (symbol != 0x31) {
        run2D(symbol, function);
    } else if (function == 0x43 && m_context.data.size() >= 3) {
        const int size = quint8(m_context.data[2]);
        if (size >= 1 && size <= 16)
            m_context.modes.qrModule = size;
        else
            m_context.ignoredParameter();
    } else if (function == 0x45 && m_context.data.size() >= 3) {
        const int level = quint8(m_context.data[2]) - 0x30;
        if (level >= 0 && level <= 3)
            m_context.modes.qrEcc = level + 1;
        else
            m_context.ignoredParameter();
    } else if (function == 0x50) {
        m_qrData = m_context.data.mid(3);
    } else if (function == 0x51) {
        printQr();
    }
    // Other functions (the model, 41, among them) change nothing we draw.
}

// A message in place of a symbol: plain font A text on lines of its own.
void SymbolCommands::printTextLine(const QByteArray &latin1, const ByteRange &source)
{
    for (const char c : latin1)
        m_layout.putCharacter(quint8(c) < 0x20 ? ' ' : quint8(c), TextStyle(), 16, source);
    if (m_layout.line().hasContent())
        m_layout.printLine(true, 1, source.end, true);
}

void SymbolCommands::printBarcode(int type, const QByteArray &data)
{
    m_layout.printPendingContent();
    const Symbol symbol = m_symbols->barcode(type, data);
    if (!symbol.isValid()) {
        printTextLine(symbol.error.toLatin1(), m_context.commandRange());
        return;
    }
    const int module = m_context.modes.barcodeModule;
    noteCutSymbol("barcode", int(symbol.modules.width()) * module);
    const int dotWidth = std::min(int(symbol.modules.width()) * module, m_layout.printableWidth());
    const int x = m_layout.bandLeft(dotWidth);
    QImage bars = ReceiptParts::monoImage(dotWidth, m_context.modes.barcodeHeight);
    for (int dot = 0; dot < dotWidth; ++dot) {
        if (symbol.modules.pixelIndex(dot / module, 0))
            bars.setPixel(dot, 0, 1);
    }
    for (int row = 1; row < bars.height(); ++row)
        std::memcpy(bars.scanLine(row), bars.constScanLine(0), size_t(bars.bytesPerLine()));

    ReceiptLine line;
    line.source = m_context.commandRange();
    const bool above = m_context.modes.barcodeText & 1;
    const bool below = m_context.modes.barcodeText & 2;
    TextRun text;
    text.text = symbol.text;
    text.codePage = 16;
    text.style.font = m_context.modes.barcodeFont ? PrinterFont::B : PrinterFont::A;
    text.source = line.source;
    text.x = std::max(0, x + (dotWidth - text.width()) / 2);
    int y = 0;
    if (above && !text.text.isEmpty()) {
        text.y = y;
        line.runs.append(text);
        y += text.height();
    }
    line.images.append({DotImage::Kind::Barcode, x, y, bars, line.source, symbol.scanned.isEmpty() ? data : symbol.scanned});
    y += bars.height();
    if (below && !text.text.isEmpty()) {
        text.y = y;
        line.runs.append(text);
        y += text.height();
    }
    line.height = y;
    m_layout.placeBand(line, ReceiptParts::cost(line));
}

void SymbolCommands::printQr()
{
    m_layout.printPendingContent();
    if (m_qrData.isEmpty()) {
        m_context.note(QStringLiteral("QR code printed with no data stored: nothing printed"));
        return;
    }
    if (m_context.trace.on() && m_context.trace.makingCommand()) {
        m_context.trace.entry().data = m_qrData.left(TraceEntry::kKeptText);
        m_context.trace.entry().dataLength = m_qrData.size();
    }
    const Symbol symbol = m_symbols->qrCode(m_qrData, m_context.modes.qrEcc);
    if (!symbol.isValid()) {
        printTextLine(symbol.error.toLatin1(), m_context.commandRange());
        return;
    }
    printModules(symbol, m_context.modes.qrModule, m_context.modes.qrModule, DotImage::Kind::QrCode, "QR code", m_qrData);
}

void SymbolCommands::noteCutSymbol(const char *what, int dotWidth)
{
    if (dotWidth <= m_layout.printableWidth())
        return;
    const QString words = QStringLiteral("%1 %2 dots wide, cut at %3: it will not scan")
                              .arg(QLatin1String(what))
                              .arg(dotWidth)
                              .arg(m_layout.printableWidth());
    m_context.noteCut(words);
}
