#include "printer/PrinterModel.h"

namespace {
constexpr char ESC = 0x1B;
constexpr char US = 0x1F;
const QByteArray kIdentityQuery("\x05\x15", 2);
const QByteArray kListQuery("\x05\x17", 2);
const QByteArray kEndRecording("\x1B\x67\x02", 3);
const QByteArray kEndSilent("\x1B\x1F\x65", 3);
// Letters after ESC US that take a name closed by 0x00.
const QByteArray kNamedLetters("mberdqtf");

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

const QByteArray PrinterModel::kDefaultIdentity("CMD MX2600 V1.00");
const QByteArray PrinterModel::kListPrefix("\x02\x20", 2);

PrinterModel::PrinterModel()
{
    setIdentity(kDefaultIdentity);
}

void PrinterModel::setIdentity(const QByteArray &identity)
{
    m_identity = identity;
    m_extendedStore = modelHasExtendedStore(identity);
}

void PrinterModel::addReplyRule(const QByteArray &request, const QByteArray &response)
{
    if (request.isEmpty())
        return;
    m_rules.insert(request, response);
    m_longestRequest = std::max(m_longestRequest, request.size());
}

QByteArray PrinterModel::receive(const QByteArray &bytes)
{
    QByteArray out;
    for (const char byte : bytes) {
        ++m_received;
        m_tail.append(byte);
        if (m_tail.size() > m_longestRequest)
            m_tail.remove(0, m_tail.size() - m_longestRequest);
        if (m_state != State::SilentRecording)
            m_paper.append(byte);
        if (m_state == State::Idle)
            parseCommand(byte);
        else
            record(byte);
        matchReplies(out);
    }
    return out;
}

QByteArray PrinterModel::takePaper()
{
    QByteArray paper;
    paper.swap(m_paper);
    return paper;
}

QStringList PrinterModel::takeEvents()
{
    QStringList events;
    events.swap(m_events);
    return events;
}

void PrinterModel::matchReplies(QByteArray &out)
{
    const QByteArray *best = nullptr;
    qsizetype bestLength = 0;
    for (auto it = m_rules.cbegin(); it != m_rules.cend(); ++it) {
        if (it.key().size() > bestLength && m_tail.endsWith(it.key())) {
            best = &it.value();
            bestLength = it.key().size();
        }
    }
    // Built-in queries: both are two bytes, so only a longer rule or a rule
    // for the same request can take precedence.
    if (bestLength < 2 && m_tail.endsWith(kIdentityQuery) && !m_rules.contains(kIdentityQuery)) {
        out += m_identity;
        return;
    }
    if (bestLength < 2 && m_tail.endsWith(kListQuery) && !m_rules.contains(kListQuery)) {
        out += listReply();
        return;
    }
    if (best) {
        out += *best;
        m_lastRuleMatch = m_received;
    }
}

void PrinterModel::parseCommand(char byte)
{
    if (m_command.isEmpty()) {
        if (byte == ESC)
            m_command.append(byte);
        return;
    }
    m_command.append(byte);
    const qsizetype n = m_command.size();
    const auto restartWith = [this](char b) {
        m_command.clear();
        if (b == ESC)
            m_command.append(b);
    };

    if (n == 2) {
        if (byte != 'g' && byte != US)
            restartWith(byte);
        return;
    }
    if (m_command[1] == 'g') {
        restartWith(byte);
        if (byte == 0x01) {
            m_state = State::Recording;
            m_body.clear();
            m_hasFinished = false;
            event(QStringLiteral("recording started"));
        } else if (byte == 0x02) {
            event(QStringLiteral("end of recording without a start: ignored"));
        }
        return;
    }
    if (n == 3) {
        if (!kNamedLetters.contains(byte))
            restartWith(byte);
        return;
    }
    if (byte != 0) {
        if (n - 3 > kMaxNameLength) {
            event(QStringLiteral("command ESC US %1: name longer than %2 bytes, ignored")
                      .arg(QLatin1Char(m_command[2]))
                      .arg(kMaxNameLength));
            m_command.clear();
        }
        return;
    }
    const char letter = m_command[2];
    const QByteArray arg = m_command.mid(3, n - 4);
    m_command.clear();
    runNamedCommand(letter, arg);
}

void PrinterModel::runNamedCommand(char letter, const QByteArray &arg)
{
    const QString name = displayName(arg);
    switch (letter) {
    case 'm':
        if (!m_hasFinished) {
            event(QStringLiteral("store %1: nothing recorded, ignored").arg(name));
            return;
        }
        m_user.insert(arg, m_finished);
        event(QStringLiteral("stored %1 (%2 bytes)").arg(name).arg(m_finished.size()));
        m_finished.clear();
        m_hasFinished = false;
        return;
    case 'b':
        m_state = State::SilentRecording;
        m_body.clear();
        event(QStringLiteral("silent recording of %1 started").arg(name));
        return;
    case 'e':
        event(QStringLiteral("end of silent recording without a start: ignored"));
        return;
    case 'r': {
        const QMap<QByteArray, QByteArray> &store = m_user.contains(arg) ? m_user : m_ext;
        if (store.contains(arg)) {
            m_paper += store.value(arg);
            event(QStringLiteral("played %1 (%2 bytes)").arg(name).arg(store.value(arg).size()));
        } else {
            event(QStringLiteral("play %1: no such macro").arg(name));
        }
        return;
    }
    case 'd':
        if (m_user.remove(arg) > 0)
            event(QStringLiteral("removed %1").arg(name));
        else
            event(QStringLiteral("remove %1: no such macro").arg(name));
        return;
    case 'q':
        if (m_user.contains(arg))
            event(QStringLiteral("print query %1: User, %2 bytes").arg(name).arg(m_user.value(arg).size()));
        else if (m_ext.contains(arg))
            event(QStringLiteral("print query %1: Ext, %2 bytes").arg(name).arg(m_ext.value(arg).size()));
        else
            event(QStringLiteral("print query %1: no such macro").arg(name));
        return;
    case 't':
        if (!arg.isEmpty() || !m_extendedStore) {
            event(QStringLiteral("transfer ignored: %1")
                      .arg(m_extendedStore ? QStringLiteral("unexpected argument") : QStringLiteral("no extended store")));
            return;
        }
        m_ext = m_user;
        event(QStringLiteral("transferred %1 macros to the extended store").arg(m_ext.size()));
        return;
    case 'f':
        if (arg != "EXT" || !m_extendedStore) {
            event(QStringLiteral("clear ignored: %1")
                      .arg(m_extendedStore ? QStringLiteral("argument is not EXT") : QStringLiteral("no extended store")));
            return;
        }
        m_ext.clear();
        event(QStringLiteral("extended store cleared"));
        return;
    default:
        return;
    }
}

void PrinterModel::record(char byte)
{
    m_body.append(byte);
    if (m_state == State::Recording && m_body.endsWith(kEndRecording)) {
        m_body.chop(kEndRecording.size());
        m_state = State::Idle;
        if (acceptBody()) {
            m_finished = m_body;
            m_hasFinished = true;
            event(QStringLiteral("recording ended (%1 bytes)").arg(m_finished.size()));
        }
        m_body.clear();
        return;
    }
    if (m_state == State::SilentRecording && byte == 0) {
        // The end command is ESC US e name 0x00; the name holds no 0x00, so
        // only the last ESC US e within reach of a name can start it.
        const qsizetype window = std::min(m_body.size(), kMaxNameLength + kEndSilent.size() + 1);
        const qsizetype offset = m_body.size() - window;
        const qsizetype at = m_body.right(window).lastIndexOf(kEndSilent);
        if (at >= 0) {
            const qsizetype nameStart = offset + at + kEndSilent.size();
            const QByteArray name = m_body.mid(nameStart, m_body.size() - 1 - nameStart);
            if (!name.contains('\0')) {
                m_body.truncate(offset + at);
                m_state = State::Idle;
                if (acceptBody()) {
                    m_user.insert(name, m_body);
                    event(QStringLiteral("stored %1 (%2 bytes, silent)").arg(displayName(name)).arg(m_body.size()));
                }
                m_body.clear();
                return;
            }
        }
    }
    // Leave room for a terminator still arriving before giving up.
    if (m_body.size() > m_maxMacroSize + kMaxNameLength + 4) {
        acceptBody();
        m_body.clear();
        m_state = State::Idle;
    }
}

bool PrinterModel::acceptBody()
{
    if (m_body.size() <= m_maxMacroSize)
        return true;
    event(QStringLiteral("recording discarded: longer than %1 bytes").arg(m_maxMacroSize));
    return false;
}

QByteArray PrinterModel::listReply() const
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

QString PrinterModel::displayName(const QByteArray &name)
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
