// The byte stream side of the interpreter: the pieces of the command reader,
// whatever the chunks, each command handed to its family (ReceiptText.cpp,
// ReceiptImages.cpp, ReceiptSymbols.cpp). What goes on paper, and how, is in
// ReceiptLayout.cpp.
#include "printer/interpreter/ReceiptInterpreter.h"

#include "printer/commands/PrinterCommands.h"
#include "printer/symbols/Symbols.h"

#include <QLocale>

#include "printer/commands/ControlBytes.h"

namespace {
using namespace ControlBytes;
constexpr int kMaxEvents = 1024; // marked on one receipt; a stream of beeps stays bounded

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
} // namespace

ReceiptInterpreter::ReceiptInterpreter()
    : m_symbols(std::make_unique<SymbolEncoder>())
{
    m_take = [this](const CommandReader::Piece &piece) { return take(piece); };
    m_open.number = 1;
}

ReceiptInterpreter::~ReceiptInterpreter() = default;

void ReceiptInterpreter::reset()
{
    m_offset = 0;
    m_at = 0;
    m_fedBefore = 0;
    m_reader.reset(0);
    dropPartialCommand();
    initialize();
    clearPaper();
    m_notes.clear();
    m_said.clear();
    m_making = Making::None;
    m_traceTaking = false;
}

// Half a command read: forgotten, as at power on. The NV graphics stay.
void ReceiptInterpreter::dropPartialCommand()
{
    m_reader.reset(m_offset);
    m_parse = Parse::Text;
    m_cmd.clear();
    m_data.clear();
    m_image = Image();
    m_graphics = GraphicsInput();
    m_bitImagesStart = -1;
    m_lead = 0;
}

// What ESC @ does: the print buffer dropped, every mode at its default.
void ReceiptInterpreter::initialize()
{
    m_line = Pending();
    m_modes = Modes();
    m_qrData.clear();
    m_stored = SymbolStore();
    m_page = Page(); // page mode ends, its page unprinted
    m_bufferedGraphic = QImage();
}

void ReceiptInterpreter::clearPaper()
{
    m_open = Receipt();
    m_open.widthDots = m_paperWidth;
    m_open.number = 1;
    m_open.source = {m_offset, m_offset};
    m_y = 0;
    m_spent = 0;
    m_finished.clear();
    m_finishedTotal = 0;
    m_unknown.clear();
    m_cutSymbols.clear();
    if (m_trace) {
        // A fresh roll has no commands yet; one split across the clear
        // becomes the new roll's first.
        m_trace->clear();
        m_entry.receipt = m_open.number;
        m_entry.regions.clear();
    }
    touch();
}

void ReceiptInterpreter::setPaperWidth(int dots)
{
    m_paperWidth = std::clamp(dots, Paper::kMinPrintableDots, Paper::kWidthDots);
    // A receipt is printed on one paper: a begun one keeps its own.
    if (m_open.isBlank() && m_y == 0 && !m_line.started)
        m_open.widthDots = m_paperWidth;
    touch();
}

void ReceiptInterpreter::resetPrinter()
{
    if (m_trace && m_making != Making::None)
        traceEnd(m_offset); // what came of the partial command is its entry
    dropPartialCommand();
    initialize();
    touch();
}

QString ReceiptInterpreter::waitingWords() const
{
    const QByteArray &command = m_reader.command();
    if (!m_reader.waiting() || command.isEmpty())
        return {};
    const Frame frame = CommandSyntax::frame(command);
    TraceEntry entry;
    entry.kind = frame.drawn ? TraceEntry::Kind::Command : TraceEntry::Kind::Unknown;
    entry.bytes = command;
    entry.key = command.left(frame.key);
    const QString name = PrinterCommands::name(entry);
    if (m_reader.inHeader())
        return QStringLiteral("%1 waiting for the rest of the command").arg(name);
    const qint64 remaining = m_reader.remaining();
    const QString count = QLocale(QLocale::English).toString(remaining);
    const QString bytes = remaining == 1 ? QStringLiteral("byte") : QStringLiteral("bytes");
    if (m_reader.untilNul())
        return QStringLiteral("%1 waiting for its 00 (at most %2 more %3)").arg(name, count, bytes);
    return QStringLiteral("%1 waiting for %2 more %3").arg(name, count, bytes);
}

void ReceiptInterpreter::setRetainLimit(int receipts)
{
    m_retain = std::max(0, receipts);
    while (int(m_finished.size()) > m_retain)
        m_finished.pop_front();
    if (m_trace)
        traceRetained();
}

QStringList ReceiptInterpreter::takeNotes()
{
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}

void ReceiptInterpreter::note(const QString &line)
{
    if (m_said.contains(line))
        return;
    m_said.insert(line);
    m_notes.append(line);
}

void ReceiptInterpreter::noteUnknown(const QByteArray &key)
{
    if (m_trace)
        traceUnknown(key);
    for (UnknownCommand &command : m_unknown) {
        if (command.bytes == key) {
            ++command.count;
            return;
        }
    }
    m_unknown.append({key, commandRange(), 1});
    note(PrinterCommands::unknownWords(key));
}

void ReceiptInterpreter::ignoredParameter()
{
    note(QStringLiteral("command %1: parameter out of range, ignored").arg(hex(m_cmd)));
}

TextStyle ReceiptInterpreter::currentStyle() const
{
    TextStyle style = m_modes.style;
    style.emphasized = m_modes.emphasized || m_modes.doubleStrike;
    style.rotated = m_modes.rotated && !m_page.active; // page mode turns whole lines instead
    return style;
}

void ReceiptInterpreter::feed(const QByteArray &bytes)
{
    m_reader.feed(bytes, m_take);
    m_offset = m_reader.offset();
}

bool ReceiptInterpreter::take(const CommandReader::Piece &piece)
{
    using Part = CommandReader::Part;
    switch (piece.part) {
    case Part::Text:
        textRun(piece);
        break;
    case Part::Control:
        controlPiece(quint8(piece.bytes[0]), piece.at);
        break;
    case Part::Header:
        headerByte(quint8(piece.bytes[0]), piece.at);
        break;
    case Part::Command:
        commandHeader(piece);
        break;
    case Part::Data:
        dataBytes(piece);
        break;
    case Part::End:
        if (piece.size > 0) { // the 00 that ended the data
            m_at = piece.at;
            traceByte(0);
        }
        finishPayload(piece.more);
        break;
    case Part::Unknown:
        unknown(piece);
        break;
    }
    return true;
}

void ReceiptInterpreter::textRun(const CommandReader::Piece &piece)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(piece.bytes);
    for (qsizetype i = 0; i < piece.size; ++i) {
        m_at = piece.at + i;
        text(bytes[i], m_at);
    }
}

void ReceiptInterpreter::controlPiece(quint8 byte, qint64 at)
{
    m_at = at;
    endPair();
    if (m_trace) {
        traceEnd(at); // the text run before it
        traceCommandStart(at);
        traceByte(byte);
    }
    controlByte(byte, at);
    if (m_trace)
        traceEnd(at + 1);
}

// A byte of a header: the introducer begins the command's entry, which ends with it.
void ReceiptInterpreter::headerByte(quint8 byte, qint64 at)
{
    m_at = at;
    if (m_parse == Parse::Text) {
        endPair();
        if (m_trace) {
            traceEnd(at); // the text run before it
            traceCommandStart(at);
        }
        m_cmdStart = at;
        m_parse = Parse::Command;
    }
    traceByte(byte);
}

void ReceiptInterpreter::commandHeader(const CommandReader::Piece &piece)
{
    m_at = piece.at;
    m_cmd = *piece.command;
    const Frame &frame = *piece.frame;
    if (frame.kind == Frame::Kind::Whole) {
        if (frame.drawn)
            runCommand(frame);
        else
            noteUnknown(m_cmd.left(frame.key));
        done();
        return;
    }
    beginCommandData(frame);
}

void ReceiptInterpreter::dataBytes(const CommandReader::Piece &piece)
{
    if (m_payload == Payload::Skip) {
        // Bytes of a command we skip: no need to look at each.
        if (m_traceTaking)
            traceBytes(piece.bytes, piece.size);
        m_at = piece.at + piece.size - 1;
        return;
    }
    const auto *bytes = reinterpret_cast<const quint8 *>(piece.bytes);
    for (qsizetype i = 0; i < piece.size; ++i) {
        m_at = piece.at + i;
        payloadByte(bytes[i]);
    }
}

void ReceiptInterpreter::controlByte(quint8 byte, qint64 at)
{
    m_cmd = QByteArray(1, char(byte)); // as a command, for its range
    m_cmdStart = at;
    switch (byte) {
    case 0x0A:
        printLine(true, 1, at + 1, true);
        break;
    case 0x09:
        tab();
        break;
    case 0x07: // BEL
        event(ReceiptEvent::Kind::Beep, 0, false);
        break;
    case 0x0C: // FF: the page printed, back to standard mode
        if (m_page.active)
            printPage(false);
        else
            note(QStringLiteral("FF outside page mode: ignored"));
        break;
    case 0x18: // CAN: the page emptied
        if (m_page.active) {
            m_page = Page{true, 0, 0, {}, {}, 0, at + 1};
            m_line = Pending();
        }
        break;
    default:
        break; // CR, DEL and the other control bytes print nothing
    }
    m_cmd.clear();
}

// A whole command, to the family its row names.
void ReceiptInterpreter::runCommand(const Frame &frame)
{
    using Family = PrinterCommands::Family;
    const quint8 introducer = m_cmd[0];
    const quint8 c = m_cmd[1];
    bool taken = false;
    switch (frame.row ? frame.row->family : Family::None) {
    case Family::Modes: taken = runTextCommand(introducer, c); break;
    case Family::Characters: taken = runCharacterCommand(introducer, c); break;
    case Family::Printer: taken = runPrinterCommand(introducer, c); break;
    case Family::Symbols: taken = runSymbolCommand(introducer, c); break;
    case Family::Positions: taken = runPositionCommand(introducer, c); break;
    case Family::Graphics: taken = runGraphicsCommand(introducer, c); break;
    case Family::Images:
    case Family::Skipped:
    case Family::None: break;
    }
    if (!taken)
        note(QStringLiteral("command %1: its family does not act on it").arg(hex(m_cmd)));
}

// A command with data, to the family its row names; what no family takes
// (a macro's name, a command we only skip) is read past.
void ReceiptInterpreter::beginCommandData(const Frame &frame)
{
    using Family = PrinterCommands::Family;
    const quint8 introducer = m_cmd[0];
    const quint8 c = m_cmd[1];
    bool taken = false;
    if (!frame.drawn) {
        noteUnknown(m_cmd.left(frame.key));
    } else {
        switch (frame.row ? frame.row->family : Family::None) {
        case Family::Images: taken = beginImageData(introducer, c); break;
        case Family::Symbols: taken = beginSymbolData(introducer, c); break;
        case Family::Graphics: taken = beginGraphicsData(introducer, c); break;
        case Family::Positions:
        case Family::Printer: taken = beginKeptData(introducer, c); break;
        default: break;
        }
    }
    if (!taken)
        beginPayload(Payload::Skip);
}

void ReceiptInterpreter::done()
{
    if (m_trace)
        traceEnd(m_at + 1);
    m_parse = Parse::Text;
    m_cmd.clear();
}

// An unknown command of unknown length: its first bytes go (the reader
// reads the rest again as fresh input).
void ReceiptInterpreter::unknown(const CommandReader::Piece &piece)
{
    m_at = piece.at;
    m_cmd = *piece.command;
    noteUnknown(m_cmd.left(2));
    if (m_trace) {
        m_traceSize = std::min(m_traceSize, piece.drop); // the rest is read again
        traceEnd(m_cmdStart + piece.drop);
    }
    done();
}

// The data's length is the reader's: an empty one ends at once.
void ReceiptInterpreter::beginPayload(Payload kind)
{
    m_payload = kind;
    m_parse = Parse::Payload;
    m_data.clear();
}

void ReceiptInterpreter::payloadByte(quint8 byte)
{
    traceByte(byte);
    switch (m_payload) {
    case Payload::Raster:
        rasterByte(byte);
        break;
    case Payload::Column:
        columnByte(byte);
        break;
    case Payload::Keep:
        m_data.append(char(byte));
        break;
    case Payload::Graphics:
        graphicsByte(byte);
        break;
    case Payload::Skip:
        break;
    }
}

void ReceiptInterpreter::finishPayload(bool more)
{
    switch (m_payload) {
    case Payload::Column:
        finishColumnImage();
        break;
    case Payload::Raster:
        commitRasterPiece();
        break;
    case Payload::Keep:
        finishKeptData();
        break;
    case Payload::Graphics:
        finishGraphics();
        break;
    case Payload::Skip:
        break;
    }
    m_data.clear();
    if (more) {
        // Another header follows the data (FS q): still the same command.
        m_cmd = m_reader.command();
        m_parse = Parse::Command;
        return;
    }
    done();
}

void ReceiptInterpreter::finishKeptData()
{
    const quint8 introducer = m_cmd[0];
    if (introducer == GS) {
        finishSymbolData();
    } else if (introducer == ESC && m_cmd[1] == 'D') {
        finishTabStops();
    } else if (introducer == ESC && m_cmd[1] == '(') { // ESC ( A: the beeper
        event(ReceiptEvent::Kind::Beep, 0, false);
    }
}

void ReceiptInterpreter::event(ReceiptEvent::Kind kind, int drawer, bool realTime)
{
    const ReceiptEvent event{kind, drawer, realTime, m_y, commandRange()};
    if (m_open.events.size() < kMaxEvents) {
        m_open.events.append(event);
        touch();
    } else {
        note(QStringLiteral("more than %1 beeps and drawer pulses on one receipt: the rest are not marked").arg(kMaxEvents));
    }
    if (m_eventHandler)
        m_eventHandler(event, m_open.number);
}
