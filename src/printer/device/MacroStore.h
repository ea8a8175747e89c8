#pragma once

#include "printer/commands/CommandReader.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

#include <array>
#include <functional>

// The printer's receiving side without any I/O: the macro store (recordings,
// the user and extended stores, playing), the identity and the --reply rules.
// Bytes go in, the bytes the printer answers come out, and the bytes that
// reach the paper. It takes the stream from the one command reader, so that
// bytes inside a command's data are data here too: an image that holds 05 15
// asks for nothing, one that holds a macro command starts no recording. The
// answer never depends on how the line chopped the data.
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
class MacroStore
{
public:
    enum class State { Idle, Recording, SilentRecording };

    static constexpr qsizetype kMaxNameLength = 255;
    static const QByteArray kDefaultIdentity;
    static const QByteArray kListPrefix;

    MacroStore();

    // Empty makes the identity query go unanswered.
    void setIdentity(const QByteArray &identity);
    QByteArray identity() const { return m_identity; }
    bool hasExtendedStore() const { return m_extendedStore; }

    // When the received stream ends with request, answer response. A later
    // rule for the same request replaces the earlier one; when several
    // requests end the stream, the longest wins. Rules override the built-in
    // identity and list queries for the same request. A command's data
    // holds no request: one neither starts nor ends inside it.
    void addReplyRule(const QByteArray &request, const QByteArray &response);

    // A recording that grows past this is discarded (a printer's memory is
    // finite, and so is ours).
    void setMaxMacroSize(qsizetype bytes) { m_maxMacroSize = bytes; }

    // Whole commands that end a receive() early (the device answers them
    // after what came before, and before what follows).
    void setStopAt(std::function<bool(const QByteArray &command)> stopAt) { m_stopAt = std::move(stopAt); }
    // Reads bytes up to the end of the first command stopAt() takes, which
    // is *found then; returns how many bytes were read. The answers go to *replies.
    qsizetype receive(const char *bytes, qsizetype size, QByteArray *replies, QByteArray *found);
    // All of bytes; returns the answers.
    QByteArray receive(const QByteArray &bytes);
    // A command half read is forgotten (the printer reset).
    void dropPartialCommand();
    // Bytes received so far, and the count at the byte on which a rule last
    // answered (0: none yet), so that a rule can take a built-in answer's place.
    qint64 receivedTotal() const { return m_reader.offset(); }
    qint64 lastRuleMatch() const { return m_lastRuleMatch; }

    // The bytes that reach the paper since the last call, in order: all that
    // was received except a silent recording (a normal recording prints as it
    // records), and after each play command the played macro's bytes.
    QByteArray takePaper();

    // Human-readable lines about what the printer did (played, stored, ...).
    QStringList takeNotes();

    State state() const { return m_state; }
    QMap<QByteArray, QByteArray> userStore() const { return m_user; }
    QByteArray listReply() const;

    // Printable form of a macro name for log lines.
    static QString displayName(const QByteArray &name);

private:
    bool take(const CommandReader::Piece &piece);
    void keep(const char *bytes, qsizetype size);
    void unkeep(qsizetype size);
    void tail(const char *bytes, qsizetype size, bool starts);
    void matchReplies(qint64 received);
    bool endsWith(const QByteArray &request) const;
    void command(const CommandReader::Piece &piece);
    void endCommand(const CommandReader::Piece &piece);
    void runNamedCommand(char letter, const QByteArray &arg);
    void endSilentRecording(const QByteArray &name, qint64 commandBytes);
    bool acceptBody();
    void note(const QString &line) { m_notes.append(line); }

    CommandReader m_reader;
    CommandReader::Handler m_take;
    std::function<bool(const QByteArray &)> m_stopAt;
    QByteArray *m_replies = nullptr;
    QByteArray *m_found = nullptr;

    QByteArray m_identity;
    bool m_extendedStore = false;
    QMap<QByteArray, QByteArray> m_rules;
    qsizetype m_longestRequest = 2;
    // The last bytes of the requests answered: the identity and list queries, and the rules'.
    std::array<bool, 256> m_requestEnds{};
    QByteArray m_tail;   // the last bytes received
    QByteArray m_starts; // for each, whether a request may start there
    qint64 m_lastRuleMatch = 0;
    qsizetype m_reread = 0; // bytes of an unknown command read again: kept once

    State m_state = State::Idle;
    char m_named = 0;     // the letter of the ESC US command whose name is coming
    qint64 m_namedStart = 0;
    QByteArray m_name;
    QByteArray m_body;    // the recording so far
    QByteArray m_finished; // a normal recording waiting for its store command
    bool m_hasFinished = false;
    qsizetype m_maxMacroSize = 4 * 1024 * 1024;

    QMap<QByteArray, QByteArray> m_user;
    QMap<QByteArray, QByteArray> m_ext;
    QStringList m_notes;
    QByteArray m_paper;
};
