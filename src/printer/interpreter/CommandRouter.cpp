// The byte stream side of the interpreter: the pieces of the command reader,
// whatever the chunks, each command handed to its family. What goes on
// paper, and how, is the paper layout's.
#include "printer/interpreter/CommandRouter.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"

namespace {
using namespace ControlBytes;

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
} // namespace

CommandRouter::CommandRouter()
{
    m_take = [this](const CommandReader::Piece &piece) { return take(piece); };
}

void CommandRouter::dropPartialCommand()
{
    reader.reset(offset);
    context.parse = Parse::Text;
    context.cmd.clear();
    context.data.clear();
    images.drop();
    graphics.drop();
    characters.drop();
}

void CommandRouter::initialize()
{
    layout.initialize();
    context.modes = PrinterModes();
    symbols.initialize();
    graphics.initialize();
}

bool CommandRouter::take(const CommandReader::Piece &piece)
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
            context.at = piece.at;
            context.trace.byte(0);
        }
        finishPayload(piece.more);
        break;
    case Part::Unknown:
        unknown(piece);
        break;
    }
    return true;
}

void CommandRouter::textRun(const CommandReader::Piece &piece)
{
    const auto *bytes = reinterpret_cast<const quint8 *>(piece.bytes);
    for (qsizetype i = 0; i < piece.size; ++i) {
        context.at = piece.at + i;
        characters.text(bytes[i], context.at);
    }
}

void CommandRouter::controlPiece(quint8 byte, qint64 at)
{
    context.at = at;
    characters.endPair();
    if (context.trace.on()) {
        endEntry(at); // the text run before it
        context.trace.commandStart(at, layout.open().number);
        context.trace.byte(byte);
    }
    controlByte(byte, at);
    if (context.trace.on())
        endEntry(at + 1);
}

// A byte of a header: the introducer begins the command's entry, which ends with it.
void CommandRouter::headerByte(quint8 byte, qint64 at)
{
    context.at = at;
    if (context.parse == Parse::Text) {
        characters.endPair();
        if (context.trace.on()) {
            endEntry(at); // the text run before it
            context.trace.commandStart(at, layout.open().number);
        }
        context.cmdStart = at;
        context.parse = Parse::Command;
    }
    context.trace.byte(byte);
}

void CommandRouter::commandHeader(const CommandReader::Piece &piece)
{
    context.at = piece.at;
    context.cmd = *piece.command;
    const Frame &frame = *piece.frame;
    if (frame.kind == Frame::Kind::Whole) {
        if (frame.drawn)
            runCommand(frame);
        else
            context.noteUnknown(context.cmd.left(frame.key));
        done();
        return;
    }
    beginCommandData(frame);
}

void CommandRouter::dataBytes(const CommandReader::Piece &piece)
{
    if (context.payload == Payload::Skip) {
        // Bytes of a command we skip: no need to look at each.
        context.trace.bytes(piece.bytes, piece.size);
        context.at = piece.at + piece.size - 1;
        return;
    }
    const auto *bytes = reinterpret_cast<const quint8 *>(piece.bytes);
    for (qsizetype i = 0; i < piece.size; ++i) {
        context.at = piece.at + i;
        payloadByte(bytes[i]);
    }
}

void CommandRouter::controlByte(quint8 byte, qint64 at)
{
    context.cmd = QByteArray(1, char(byte)); // as a command, for its range
    context.cmdStart = at;
    switch (byte) {
    case 0x0A:
        layout.printLine(true, 1, at + 1, true);
        break;
    case 0x09:
        layout.tab();
        break;
    case 0x07: // BEL
        layout.event(ReceiptEvent::Kind::Beep, 0, false);
        break;
    case 0x0C: // FF: the page printed, back to standard mode
        if (layout.pageMode())
            layout.printPage(false);
        else
            context.note(QStringLiteral("FF outside page mode: ignored"));
        break;
    case 0x18: // CAN: the page emptied
        layout.cancelPage(at + 1);
        break;
    default:
        break; // CR, DEL and the other control bytes print nothing
    }
    context.cmd.clear();
}

// A whole command, to the family its row names.
void CommandRouter::runCommand(const Frame &frame)
{
    using Family = PrinterCommands::Family;
    const quint8 introducer = context.cmd[0];
    const quint8 c = context.cmd[1];
    bool taken = false;
    switch (frame.row ? frame.row->family : Family::None) {
    case Family::Modes: taken = runTextCommand(introducer, c); break;
    case Family::Characters: taken = characters.runCommand(introducer, c); break;
    case Family::Printer: taken = runPrinterCommand(introducer, c); break;
    case Family::Symbols: taken = symbols.runCommand(introducer, c); break;
    case Family::Positions: taken = layout.runPositionCommand(introducer, c); break;
    case Family::Graphics: taken = graphics.runCommand(introducer, c); break;
    case Family::Images:
    case Family::Skipped:
    case Family::None: break;
    }
    if (!taken)
        context.note(QStringLiteral("command %1: its family does not act on it").arg(hex(context.cmd)));
}

// A command with data, to the family its row names; what no family takes
// (a macro's name, a command we only skip) is read past. ESC D and ESC ( A
// keep theirs for the end.
void CommandRouter::beginCommandData(const Frame &frame)
{
    using Family = PrinterCommands::Family;
    const quint8 introducer = context.cmd[0];
    const quint8 c = context.cmd[1];
    bool taken = false;
    if (!frame.drawn) {
        context.noteUnknown(context.cmd.left(frame.key));
    } else {
        switch (frame.row ? frame.row->family : Family::None) {
        case Family::Images: taken = images.begin(introducer, c); break;
        case Family::Symbols: taken = symbols.begin(introducer, c); break;
        case Family::Graphics: taken = graphics.begin(introducer, c); break;
        case Family::Positions:
        case Family::Printer:
            taken = introducer == ESC && (c == 'D' || c == '(');
            if (taken)
                context.beginPayload(Payload::Keep);
            break;
        default: break;
        }
    }
    if (!taken)
        context.beginPayload(Payload::Skip);
}

void CommandRouter::done()
{
    if (context.trace.on())
        endEntry(context.at + 1);
    context.parse = Parse::Text;
    context.cmd.clear();
}

// An unknown command of unknown length: its first bytes go (the reader
// reads the rest again as fresh input).
void CommandRouter::unknown(const CommandReader::Piece &piece)
{
    context.at = piece.at;
    context.cmd = *piece.command;
    context.noteUnknown(context.cmd.left(2));
    if (context.trace.on()) {
        context.trace.keepFirst(piece.drop); // the rest is read again
        endEntry(context.cmdStart + piece.drop);
    }
    done();
}

void CommandRouter::payloadByte(quint8 byte)
{
    context.trace.byte(byte);
    switch (context.payload) {
    case Payload::Raster:
        images.rasterByte(byte);
        break;
    case Payload::Column:
        images.columnByte(byte);
        break;
    case Payload::Keep:
        context.data.append(char(byte));
        break;
    case Payload::Graphics:
        graphics.byte(byte);
        break;
    case Payload::Skip:
        break;
    }
}

void CommandRouter::finishPayload(bool more)
{
    switch (context.payload) {
    case Payload::Column:
        images.finishColumnImage();
        break;
    case Payload::Raster:
        images.commitRasterPiece();
        break;
    case Payload::Keep:
        finishKeptData();
        break;
    case Payload::Graphics:
        graphics.finish();
        break;
    case Payload::Skip:
        break;
    }
    context.data.clear();
    if (more) {
        // Another header follows the data (FS q): still the same command.
        context.cmd = reader.command();
        context.parse = Parse::Command;
        return;
    }
    done();
}

// Kept data in: to the family whose command it is.
void CommandRouter::finishKeptData()
{
    const quint8 introducer = context.cmd[0];
    if (introducer == GS) {
        symbols.finish();
    } else if (introducer == ESC && context.cmd[1] == 'D') {
        layout.finishTabStops();
    } else if (introducer == ESC && context.cmd[1] == '(') { // ESC ( A: the beeper
        layout.event(ReceiptEvent::Kind::Beep, 0, false);
    }
}
