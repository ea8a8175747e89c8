// The one reader of the byte stream: text, control bytes and commands with
// their data, framed by the lengths in CommandLengths.cpp.
#include "printer/commands/CommandReader.h"

#include <algorithm>

namespace {
bool isText(quint8 byte)
{
    return byte >= 0x20 && byte != 0x7F;
}
} // namespace

void CommandReader::reset(qint64 offset)
{
    m_state = State::Text;
    m_command.clear();
    m_remaining = 0;
    m_next.clear();
    m_offset = offset;
}

bool CommandReader::hand(const Piece &piece)
{
    if (!(*m_handler)(piece))
        m_stop = true;
    return !m_stop;
}

qsizetype CommandReader::feed(const char *bytes, qsizetype size, const Handler &handler)
{
    m_handler = &handler;
    m_stop = false;
    const auto *p = reinterpret_cast<const quint8 *>(bytes);
    qsizetype i = 0;
    while (i < size && !m_stop) {
        const qint64 at = m_offset;
        if (m_state == State::Data) {
            // Data is never looked at: handed on in one piece.
            const qint64 take = std::min<qint64>(m_remaining, size - i);
            m_remaining -= take;
            m_offset += take;
            Piece piece{Part::Data, bytes + i, qsizetype(take), at, m_start};
            i += take;
            hand(piece);
            if (m_remaining == 0)
                endData(nullptr, m_offset);
            continue;
        }
        if (m_state == State::UntilNul) {
            qsizetype j = i;
            while (j < size && p[j] != 0 && j - i < m_remaining)
                ++j;
            if (j > i) {
                m_remaining -= j - i;
                m_offset += j - i;
                hand({Part::Data, bytes + i, j - i, at, m_start});
                i = j;
            }
            if (m_remaining <= 0) {
                endData(nullptr, m_offset);
            } else if (i < size && p[i] == 0) {
                ++m_offset;
                endData(bytes + i, m_offset - 1);
                ++i;
            }
            continue;
        }
        if (m_state == State::Text && isText(p[i])) {
            qsizetype j = i + 1;
            while (j < size && isText(p[j]))
                ++j;
            m_offset += j - i;
            hand({Part::Text, bytes + i, j - i, at, at});
            i = j;
            continue;
        }
        ++m_offset;
        step(bytes + i, at);
        ++i;
    }
    m_handler = nullptr;
    return i;
}

// One byte between commands or in a header.
void CommandReader::step(const char *byte, qint64 at)
{
    const quint8 b = quint8(*byte);
    if (m_state == State::Text) {
        if (isText(b)) {
            hand({Part::Text, byte, 1, at, at});
            return;
        }
        if (!CommandSyntax::isIntroducer(b)) {
            hand({Part::Control, byte, 1, at, at});
            return;
        }
        m_command = QByteArray(1, char(b));
        m_start = at;
        m_state = State::Header;
    } else {
        m_command.append(char(b));
    }
    hand({Part::Header, byte, 1, at, m_start});
    const Frame frame = CommandSyntax::frame(m_command);
    Piece piece{Part::Command, nullptr, 0, at, m_start, &m_command, &frame};
    switch (frame.kind) {
    case Frame::Kind::More:
        return;
    case Frame::Kind::Whole:
        m_state = State::Text;
        hand(piece);
        return;
    case Frame::Kind::Data:
    case Frame::Kind::UntilNul:
        m_next = frame.next;
        m_remaining = frame.data;
        m_state = frame.kind == Frame::Kind::Data ? State::Data : State::UntilNul;
        hand(piece);
        if (m_remaining <= 0)
            endData(nullptr, at + 1);
        return;
    case Frame::Kind::Unknown: {
        // A stray introducer before another goes alone; otherwise the
        // introducer and the byte after it go. The rest is fresh input.
        piece.part = Part::Unknown;
        piece.drop = CommandSyntax::isIntroducer(quint8(m_command[1])) ? 1 : 2;
        const QByteArray command = m_command;
        piece.command = &command;
        m_state = State::Text;
        m_command.clear();
        hand(piece);
        const qint64 restStart = piece.start + piece.drop;
        for (qsizetype k = piece.drop; k < command.size(); ++k)
            step(command.constData() + k, restStart + k - piece.drop);
        return;
    }
    }
}

void CommandReader::endData(const char *nul, qint64 at)
{
    Piece piece{Part::End, nul, nul ? 1 : 0, at, m_start};
    if (!m_next.isEmpty()) {
        // Another header follows the data (FS q): still the same command.
        m_command = m_next;
        m_next.clear();
        m_state = State::Header;
        piece.more = true;
    } else {
        m_state = State::Text;
    }
    m_remaining = 0;
    hand(piece);
}
