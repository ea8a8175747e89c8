#pragma once

#include <QByteArray>

#include <functional>

namespace PrinterCommands {
struct Command;
}

// Where each command of the byte stream ends: one reader that knows every
// command's length, so that the paper (the interpreter), the printer's state
// and replies, the macro store and the trace never disagree about what is a
// command and what is data.

// The shape of a command, judged from its bytes so far (the introducer ESC,
// GS, FS or DLE and what followed it).
struct Frame
{
    enum class Kind : quint8 {
        More,     // not enough bytes yet to tell
        Whole,    // the bytes so far are the whole command
        Data,     // a header followed by `data` bytes of data
        UntilNul, // data ended by 00 (taken with it), or after `data` bytes anyway
        Unknown,  // not a command we know: its introducer and the byte after it go,
                  // and the rest is read again as fresh input
    };
    Kind kind = Kind::More;
    qint64 data = 0;
    // False for a command known only by its length: it is skipped whole and
    // noted as unknown under its first `key` bytes.
    bool drawn = true;
    int key = 2;
    // A command whose data is followed by another header (FS q: image after
    // image): framing goes on with these bytes as the command so far.
    QByteArray next;
    // The row of the command table whose length rule framed it.
    const PrinterCommands::Command *row = nullptr;
};

namespace CommandSyntax {
// command starts with ESC, GS, FS or DLE; its row in the command table
// (PrinterCommands) frames it.
Frame frame(const QByteArray &command);
bool isIntroducer(quint8 byte);
// DLE EOT, DLE ENQ, DLE DC4 and FS ENQ: answered as they arrive.
bool isRealTime(const QByteArray &command);
} // namespace CommandSyntax

// The stream in pieces: text runs, control bytes, commands with their data.
// Whatever the chunks, the pieces say the same (a text run may come in parts).
class CommandReader
{
public:
    enum class Part : quint8 {
        Text,    // printable bytes (20-7E, 80-FF)
        Control, // one control byte that starts no command (LF, HT, ENQ ...)
        Header,  // bytes of a command's header as they arrive, its introducer first
        Command, // the header is whole: `command`, and `frame` says what follows
        Data,    // bytes of the command's data
        End,     // the data is over; `bytes` is the 00 that ended it, if one did
        Unknown, // `command` is no command: its first `drop` bytes go, the rest is read again
    };
    struct Piece
    {
        Part part = Part::Text;
        const char *bytes = nullptr; // the stream's bytes of this piece
        qsizetype size = 0;
        qint64 at = 0;               // the offset of the first of them, or where the piece is
        qint64 start = 0;            // Command, Data, End, Unknown: where the command began
        const QByteArray *command = nullptr; // Command, Unknown: the header
        const Frame *frame = nullptr;        // Command
        bool more = false;           // End: another header follows (FS q), the same command
        int drop = 2;                // Unknown
    };
    // Returns false to stop reading after this piece.
    using Handler = std::function<bool(const Piece &piece)>;

    // Reads until the handler says stop; returns how many bytes were taken.
    qsizetype feed(const char *bytes, qsizetype size, const Handler &handler);
    qsizetype feed(const QByteArray &bytes, const Handler &handler) { return feed(bytes.constData(), bytes.size(), handler); }

    // A partial command dropped; offsets go on from offset.
    void reset(qint64 offset);
    // The header so far is forgotten, and the next byte is read afresh. A
    // handler may call it on a Header piece.
    void drop() { reset(m_offset); }
    qint64 offset() const { return m_offset; }

    // Inside a command: its header so far, and in its data how many more bytes
    // it waits for (until a 00: at most).
    bool waiting() const { return m_state != State::Text; }
    bool inHeader() const { return m_state == State::Header; }
    bool untilNul() const { return m_state == State::UntilNul; }
    const QByteArray &command() const { return m_command; }
    qint64 remaining() const { return m_remaining; }

private:
    enum class State : quint8 { Text, Header, Data, UntilNul };
    void step(const char *byte, qint64 at);
    void endData(const char *nul, qint64 at);
    bool hand(const Piece &piece);

    State m_state = State::Text;
    QByteArray m_command;
    qint64 m_start = 0;
    qint64 m_remaining = 0;
    QByteArray m_next;
    qint64 m_offset = 0;
    const Handler *m_handler = nullptr;
    bool m_stop = false;
};
