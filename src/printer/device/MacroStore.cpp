// The macro store and the replies of the receiving side: every piece of the
// stream as the command reader cuts it.
#include "printer/device/MacroStore.h"

#include "printer/commands/ControlBytes.h"

namespace {
using namespace ControlBytes;
using Part = CommandReader::Part;
const QByteArray kIdentityQuery("\x05\x15", 2);
const QByteArray kListQuery("\x05\x17", 2);
const QByteArray kEndRecording("\x1B\x67\x02", 3);
// Room in the tail for the bytes of an unknown command that are read again.
constexpr qsizetype kTailMargin = 8;

// The same rule the terminal uses: the first "CMD", one separator, then six
// characters of model.
bool modelHasExtendedStore(const QByteArray &identity)
{
    const qsizetype at = identity.indexOf("CMD");
    if (at < 0 || at + 4 >= identity.size())
        return false;
    return identity.mid(at + 4, 6) == "MX2600";
}
} // namespace

const QByteArray MacroStore::kDefaultIdentity("CMD MX2600 V1.00");
const QByteArray MacroStore::kListPrefix("\x02\x20", 2);

MacroStore::MacroStore()
{
    m_take = [this](const CommandReader::Piece &piece) { return take(piece); };
    m_requestEnds[uchar(kIdentityQuery.back())] = m_requestEnds[uchar(kListQuery.back())] = true;
    setIdentity(kDefaultIdentity);
}

void MacroStore::setIdentity(const QByteArray &identity)
{
    m_identity = identity;
    m_extendedStore = modelHasExtendedStore(identity);
}

void MacroStore::addReplyRule(const QByteArray &request, const QByteArray &response)
{
    if (request.isEmpty())
        return;
    m_rules.insert(request, response);
    m_longestRequest = std::max(m_longestRequest, request.size());
    m_requestEnds[uchar(request.back())] = true;
}

qsizetype MacroStore::receive(const char *bytes, qsizetype size, QByteArray *replies, QByteArray *found)
{
    m_replies = replies;
    m_found = found;
    const qsizetype read = m_reader.feed(bytes, size, m_take);
    m_replies = nullptr;
    m_found = nullptr;
    return read;
}

QByteArray MacroStore::receive(const QByteArray &bytes)
{
    QByteArray replies;
    for (qsizetype at = 0; at < bytes.size();)
        at += receive(bytes.constData() + at, bytes.size() - at, &replies, nullptr);
    return replies;
}

void MacroStore::dropPartialCommand()
{
    m_reader.reset(m_reader.offset());
    m_named = 0;
    m_name.clear();
    m_reread = 0;
}

QByteArray MacroStore::takePaper()
{
    QByteArray paper;
    paper.swap(m_paper);
    return paper;
}

QStringList MacroStore::takeNotes()
{
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}

bool MacroStore::take(const CommandReader::Piece &piece)
{
    switch (piece.part) {
    case Part::Text:
    case Part::Control:
    case Part::Header: {
        if (m_reread > 0) {
            // A byte of an unknown command read again: kept and in the tail already.
            --m_reread;
            return true;
        }
        keep(piece.bytes, piece.size);
        // A request can end only on a byte that ends one: the bytes between
        // go into the tail at once (text is most of a stream, and ends none).
        qsizetype from = 0;
        for (qsizetype i = 0; i < piece.size; ++i) {
            if (!m_requestEnds[uchar(piece.bytes[i])])
                continue;
            tail(piece.bytes + from, i + 1 - from, true);
            from = i + 1;
            matchReplies(piece.at + i + 1);
        }
        tail(piece.bytes + from, piece.size - from, true);
        return true;
    }
    case Part::Data:
        keep(piece.bytes, piece.size);
        tail(piece.bytes, piece.size, false);
        if (m_named && m_name.size() <= kMaxNameLength)
            m_name.append(piece.bytes, piece.size);
        return true;
    case Part::End:
        keep(piece.bytes, piece.size);
        tail(piece.bytes, piece.size, false);
        matchReplies(piece.at + piece.size); // a request may end with the command
        endCommand(piece);
        return true;
    case Part::Command:
        command(piece);
        if (m_found && m_stopAt && piece.frame->kind == Frame::Kind::Whole && m_stopAt(*piece.command)) {
            *m_found = *piece.command;
            return false;
        }
        return true;
    case Part::Unknown:
        m_reread = piece.command->size() - piece.drop;
        return true;
    }
    return true;
}

// Bytes received: to the paper unless a silent recording takes them, and to
// the recording.
void MacroStore::keep(const char *bytes, qsizetype size)
{
    qsizetype i = 0;
    for (; i < size && m_state != State::Idle; ++i) {
        if (m_state == State::Recording)
            m_paper.append(bytes[i]);
        m_body.append(bytes[i]);
        // Leave room for a terminator still arriving before giving up.
        if (m_body.size() > m_maxMacroSize + kMaxNameLength + 4) {
            acceptBody();
            m_body.clear();
            m_state = State::Idle;
        }
    }
    m_paper.append(bytes + i, size - i);
}

void MacroStore::tail(const char *bytes, qsizetype size, bool starts)
{
    const qsizetype most = m_longestRequest + kTailMargin;
    if (size >= most) {
        m_tail = QByteArray(bytes + size - most, most);
        m_starts = QByteArray(most, char(starts));
        return;
    }
    m_tail.append(bytes, size);
    m_starts.append(size, char(starts));
    if (m_tail.size() > most) {
        m_tail.remove(0, m_tail.size() - most);
        m_starts.remove(0, m_starts.size() - most);
    }
}

bool MacroStore::endsWith(const QByteArray &request) const
{
    return m_tail.endsWith(request) && m_starts[m_tail.size() - request.size()] != 0;
}

void MacroStore::matchReplies(qint64 received)
{
    const QByteArray *best = nullptr;
    qsizetype bestLength = 0;
    for (auto it = m_rules.cbegin(); it != m_rules.cend(); ++it) {
        if (it.key().size() > bestLength && endsWith(it.key())) {
            best = &it.value();
            bestLength = it.key().size();
        }
    }
    // Built-in queries: both are two bytes, so only a longer rule or a rule
    // for the same request can take precedence.
    if (bestLength < 2 && endsWith(kIdentityQuery) && !m_rules.contains(kIdentityQuery)) {
        *m_replies += m_identity;
        return;
    }
    if (bestLength < 2 && endsWith(kListQuery) && !m_rules.contains(kListQuery)) {
        *m_replies += listReply();
        return;
    }
    if (best) {
        *m_replies += *best;
        m_lastRuleMatch = received;
        // A request that is only the start of a command (10 04 for DLE EOT)
        // was whole to whoever wrote the rule: what follows is read afresh.
        if (m_reader.inHeader() && CommandSyntax::frame(m_reader.command()).kind == Frame::Kind::More)
            m_reader.drop();
    }
}

// A whole header: the recording commands act now, the named ones when their
// name is in.
void MacroStore::command(const CommandReader::Piece &piece)
{
    const QByteArray &c = *piece.command;
    if (c.size() != 3 || quint8(c[0]) != ESC)
        return;
    if (c[1] == 'g' && m_state == State::Recording) {
        if (c[2] != 0x02)
            return;
        if (m_body.endsWith(kEndRecording))
            m_body.chop(kEndRecording.size());
        m_state = State::Idle;
        if (acceptBody()) {
            m_finished = m_body;
            m_hasFinished = true;
            note(QStringLiteral("recording ended (%1 bytes)").arg(m_finished.size()));
        }
        m_body.clear();
        return;
    }
    if (c[1] == 'g' && m_state == State::Idle) {
        if (c[2] == 0x01) {
            m_state = State::Recording;
            m_body.clear();
            m_hasFinished = false;
            note(QStringLiteral("recording started"));
        } else if (c[2] == 0x02) {
            note(QStringLiteral("end of recording without a start: ignored"));
        }
        return;
    }
    const bool named = quint8(c[1]) == US && piece.frame->kind == Frame::Kind::UntilNul;
    // While recording silently, only its end counts.
    if (named && (m_state == State::Idle || (m_state == State::SilentRecording && c[2] == 'e'))) {
        m_named = c[2];
        m_namedStart = piece.start;
        m_name.clear();
    }
}

void MacroStore::endCommand(const CommandReader::Piece &piece)
{
    if (!m_named)
        return;
    const char letter = m_named;
    m_named = 0;
    const bool endedByNul = piece.size > 0;
    if (m_state == State::SilentRecording) {
        if (endedByNul)
            endSilentRecording(m_name, piece.at + 1 - m_namedStart);
        return;
    }
    if (m_state != State::Idle)
        return;
    if (!endedByNul) {
        note(QStringLiteral("command ESC US %1: name longer than %2 bytes, ignored").arg(QLatin1Char(letter)).arg(kMaxNameLength));
        return;
    }
    runNamedCommand(letter, m_name);
}

// The end command's own bytes are in neither the paper nor the recording.
void MacroStore::endSilentRecording(const QByteArray &name, qint64 commandBytes)
{
    m_body.chop(qsizetype(std::min<qint64>(commandBytes, m_body.size())));
    m_state = State::Idle;
    if (acceptBody()) {
        m_user.insert(name, m_body);
        note(QStringLiteral("stored %1 (%2 bytes, silent)").arg(displayName(name)).arg(m_body.size()));
    }
    m_body.clear();
}

void MacroStore::runNamedCommand(char letter, const QByteArray &arg)
{
    const QString name = displayName(arg);
    switch (letter) {
    case 'm':
        if (!m_hasFinished) {
            note(QStringLiteral("store %1: nothing recorded, ignored").arg(name));
            return;
        }
        m_user.insert(arg, m_finished);
        note(QStringLiteral("stored %1 (%2 bytes)").arg(name).arg(m_finished.size()));
        m_finished.clear();
        m_hasFinished = false;
        return;
    case 'b':
        m_state = State::SilentRecording;
        m_body.clear();
        note(QStringLiteral("silent recording of %1 started").arg(name));
        return;
    case 'e':
        note(QStringLiteral("end of silent recording without a start: ignored"));
        return;
    case 'r': {
        const QMap<QByteArray, QByteArray> &store = m_user.contains(arg) ? m_user : m_ext;
        if (store.contains(arg)) {
            m_paper += store.value(arg);
            note(QStringLiteral("played %1 (%2 bytes)").arg(name).arg(store.value(arg).size()));
        } else {
            note(QStringLiteral("play %1: no such macro").arg(name));
        }
        return;
    }
    case 'd':
        if (m_user.remove(arg) > 0)
            note(QStringLiteral("removed %1").arg(name));
        else
            note(QStringLiteral("remove %1: no such macro").arg(name));
        return;
    case 'q':
        if (m_user.contains(arg))
            note(QStringLiteral("print query %1: User, %2 bytes").arg(name).arg(m_user.value(arg).size()));
        else if (m_ext.contains(arg))
            note(QStringLiteral("print query %1: Ext, %2 bytes").arg(name).arg(m_ext.value(arg).size()));
        else
            note(QStringLiteral("print query %1: no such macro").arg(name));
        return;
    case 't':
        if (!arg.isEmpty() || !m_extendedStore) {
            note(QStringLiteral("transfer ignored: %1")
                      .arg(m_extendedStore ? QStringLiteral("unexpected argument") : QStringLiteral("no extended store")));
            return;
        }
        m_ext = m_user;
        note(QStringLiteral("transferred %1 macros to the extended store").arg(m_ext.size()));
        return;
    case 'f':
        if (arg != "EXT" || !m_extendedStore) {
            note(QStringLiteral("clear ignored: %1")
                      .arg(m_extendedStore ? QStringLiteral("argument is not EXT") : QStringLiteral("no extended store")));
            return;
        }
        m_ext.clear();
        note(QStringLiteral("extended store cleared"));
        return;
    default:
        return;
    }
}

bool MacroStore::acceptBody()
{
    if (m_body.size() <= m_maxMacroSize)
        return true;
    note(QStringLiteral("recording discarded: longer than %1 bytes").arg(m_maxMacroSize));
    return false;
}

QByteArray MacroStore::listReply() const
{
    QByteArray reply = kListPrefix;
    const auto addStore = [&reply](const QMap<QByteArray, QByteArray> &store, const char *type) {
        for (auto it = store.cbegin(); it != store.cend(); ++it) {
            reply += QByteArray::number(it.value().size()).leftJustified(6) + ' ';
            reply += QByteArray(type).leftJustified(6) + ' ';
            reply += it.key();
            reply += "\r\n";
        }
    };
    addStore(m_user, "User");
    addStore(m_ext, "Ext");
    return reply;
}

QString MacroStore::displayName(const QByteArray &name)
{
    QString text;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\\')
            text += QStringLiteral("\\\\");
        else if (u >= 0x20 && u < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, QLatin1Char('0')).toUpper();
    }
    return text;
}
