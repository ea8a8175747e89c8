// The interpreter's inside, behind ReceiptInterpreter: the one command reader
// and the parts its pieces go to. Text runs go to the character input, each
// whole command to its family (text and printer commands here, in
// TextAndPrinterCommands.cpp; characters, positions and page mode, images, symbols,
// graphics in their own classes), and a command's data to the part drawing
// it. Owns the parts and the shared context. Not part of the interpreter's
// interface.
#pragma once

#include "printer/commands/CommandReader.h"
#include "printer/interpreter/CharacterInput.h"
#include "printer/interpreter/GraphicsCommands.h"
#include "printer/interpreter/ImageInput.h"
#include "printer/interpreter/PaperLayout.h"
#include "printer/interpreter/SymbolCommands.h"

class CommandRouter
{
public:
    CommandRouter();

    void feed(const QByteArray &bytes)
    {
        reader.feed(bytes, m_take);
        offset = reader.offset();
    }
    // What ESC @ does: the print buffer dropped, every mode at its default.
    void initialize();
    // Half a command read: forgotten, as at power on. The NV graphics stay.
    void dropPartialCommand();
    // The entry being made ends (with the trace on).
    void endEntry(qint64 end)
    {
        context.trace.end(end, context.modes, characters.readingCode(), layout.paperDots());
    }

    InterpreterContext context;
    PaperLayout layout{context};
    CharacterInput characters{context, layout};
    ImageInput images{context, layout};
    GraphicsCommands graphics{context, layout};
    SymbolCommands symbols{context, layout};
    CommandReader reader;
    qint64 offset = 0; // the reader's, between feeds

private:
    using Payload = InterpreterContext::Payload;
    using Parse = InterpreterContext::Parse;

    bool take(const CommandReader::Piece &piece);
    void textRun(const CommandReader::Piece &piece);
    void controlPiece(quint8 byte, qint64 at);
    void headerByte(quint8 byte, qint64 at);
    void commandHeader(const CommandReader::Piece &piece);
    void dataBytes(const CommandReader::Piece &piece);
    void unknown(const CommandReader::Piece &piece);
    void controlByte(quint8 byte, qint64 at);
    void runCommand(const Frame &frame);
    void beginCommandData(const Frame &frame);
    void payloadByte(quint8 byte);
    void finishPayload(bool more);
    void finishKeptData();
    void done();

    // TextAndPrinterCommands.cpp: text modes and paper moves; cuts, drawer, requests
    bool runTextCommand(quint8 introducer, quint8 c);
    bool runPrinterCommand(quint8 introducer, quint8 c);

    CommandReader::Handler m_take;
};
