#pragma once

#include <QByteArray>

#include <functional>

// Where each command of the byte stream ends: one place that knows every
// command's length, so that the interpreter, which prints, and the printer's
// receiving side, which answers real-time requests as they arrive, never
// disagree about what is a command and what is data.

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
};

namespace CommandSyntax {
// command starts with ESC, GS, FS or DLE.
Frame frame(const QByteArray &command);
bool isIntroducer(quint8 byte);
// DLE EOT, DLE ENQ, DLE DC4 and FS ENQ: answered as they arrive.
bool isRealTime(const QByteArray &command);
} // namespace CommandSyntax

// The receiving side's view of the stream: every command whose bytes are all
// header (no data), such as 10 04 01, 1B 40, 1D 72 01 or 1C 05 08, is passed
// whole to onCommand as its last byte arrives, in stream order; the data of
// other commands is skipped, and text is passed over, whatever the chunks.
class CommandFramer
{
public:
    using Handler = std::function<void(const QByteArray &command)>;

    void feed(const QByteArray &bytes, const Handler &onCommand);
    void reset();
    static bool isRealTime(const QByteArray &command) { return CommandSyntax::isRealTime(command); }

    // A command whose data has not all arrived: its header, and how many
    // more bytes it waits for (UntilNul: at most).
    bool waiting() const { return m_state != State::Text; }

private:
    enum class State : quint8 { Text, Command, Data, UntilNul };
    void take(quint8 byte, const Handler &onCommand);
    void endData();

    State m_state = State::Text;
    QByteArray m_command;
    qint64 m_remaining = 0;
    QByteArray m_next;
};
