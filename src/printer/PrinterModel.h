#pragma once

#include <QByteArray>
#include <QMap>
#include <QStringList>

// The printer's behaviour without any I/O: bytes go in, the bytes the printer
// answers come out. Commands may arrive split over any number of chunks; the
// model keeps partial commands and matches replies byte by byte, so the answer
// never depends on how the line happened to chop the data.
//
// Macro list reply (answer to 05 17):
//   0x02 0x20, then one line per macro, user store first, then the extended
//   store, each store in byte order of the names:
//     size (decimal, padded with blanks to 6, then one blank)
//     type ("User" or "Ext", padded with blanks to 6, then one blank)
//     name (its bytes as received)
//     CR LF
//   so the columns sit under the heading "Size   Type   Name".
//   With no macros the reply is just 0x02 0x20.
class PrinterModel
{
public:
    enum class State { Idle, Recording, SilentRecording };

    static constexpr qsizetype kMaxNameLength = 255;
    static const QByteArray kDefaultIdentity;
    static const QByteArray kListPrefix;

    PrinterModel();

    // Empty makes the identity query go unanswered.
    void setIdentity(const QByteArray &identity);
    QByteArray identity() const { return m_identity; }
    bool hasExtendedStore() const { return m_extendedStore; }

    // When the received stream ends with request, answer response. A later
    // rule for the same request replaces the earlier one; when several
    // requests end the stream, the longest wins. Rules override the built-in
    // identity and list queries for the same request.
    void addReplyRule(const QByteArray &request, const QByteArray &response);

    // A recording that grows past this is discarded (a printer's memory is
    // finite, and so is ours).
    void setMaxMacroSize(qsizetype bytes) { m_maxMacroSize = bytes; }

    QByteArray receive(const QByteArray &bytes);
    // Bytes received so far, and the count at the byte on which a rule last
    // answered (0: none yet), so that a rule can take a built-in answer's place.
    qint64 receivedTotal() const { return m_received; }
    qint64 lastRuleMatch() const { return m_lastRuleMatch; }

    // The bytes that reach the paper since the last call, in order: all that
    // was received except a silent recording (a normal recording prints as it
    // records), and after each play command the played macro's bytes.
    QByteArray takePaper();

    // Human-readable lines about what the printer did (played, stored, ...).
    QStringList takeEvents();

    State state() const { return m_state; }
    QMap<QByteArray, QByteArray> userStore() const { return m_user; }
    QMap<QByteArray, QByteArray> extendedStore() const { return m_ext; }
    QByteArray listReply() const;

    // Printable form of a macro name for log lines.
    static QString displayName(const QByteArray &name);

private:
    void matchReplies(QByteArray &out);
    void parseCommand(char byte);
    void runNamedCommand(char letter, const QByteArray &arg);
    void record(char byte);
    bool acceptBody();
    void event(const QString &line) { m_events.append(line); }

    QByteArray m_identity;
    bool m_extendedStore = false;
    QMap<QByteArray, QByteArray> m_rules;
    qsizetype m_longestRequest = 2;
    QByteArray m_tail;
    qint64 m_received = 0;
    qint64 m_lastRuleMatch = 0;

    State m_state = State::Idle;
    QByteArray m_command; // a command being received, starting with ESC
    QByteArray m_body;    // the recording so far
    QByteArray m_finished; // a normal recording waiting for its store command
    bool m_hasFinished = false;
    qsizetype m_maxMacroSize = 4 * 1024 * 1024;

    QMap<QByteArray, QByteArray> m_user;
    QMap<QByteArray, QByteArray> m_ext;
    QStringList m_events;
    QByteArray m_paper;
};
