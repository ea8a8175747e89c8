#pragma once
// One printer while the program runs, made once: the port (every link, the
// built-in printer among them) and the paper it feeds, the session its
// operations share, the traffic log, the pass-through to a point-of-sale
// program, who may use the port now, and the status text. The faces (the
// window, marlix-run) give it their view, operator and event pump and
// present what it says; they wire none of this themselves.
#include <QObject>
#include <QString>

#include <memory>

class AnyPOSPrinter;
class EventPump;
class Operator;
class PaperFeed;
class PassThroughWatch;
class PortHub;
class POSPrinter;
class ReceiptInterpreter;
class Session;
class TerminalView;
class TrafficLog;
class TrafficWords;
class VirtualPrinter;

class PrinterStation : public QObject {
    Q_OBJECT
public:
    // Who has the port: the window's own operation (a command, loop or
    // script) or the point-of-sale program connected to the pass-through.
    enum class PortUser { Nobody, Window, Program };
    Q_ENUM(PortUser)
    // What the window wants the port for.
    enum class PortUse { Command, Script, Macro };
    // Why it may not have it now.
    enum class Refusal { None, ProgramConnected, ScriptRunning };

    struct Parts {
        Operator &op;
        EventPump &pump;
        TerminalView &view;
        // The pass-through's words in the display and the log.
        std::unique_ptr<TrafficWords> words;
    };
    // Null port: the production one, whose built-in printer prints on the
    // paper feed. A port given (a test's, marlix-run's) is used as it is.
    // withPaper false: the port's bytes are not kept for a preview (the
    // caller prints them on paper of its own, as marlix-run's receipts do).
    PrinterStation(POSPrinter *port, Parts parts, bool withPaper = true, QObject *parent = nullptr);
    ~PrinterStation() override;

    POSPrinter &port();
    // The production port when the station made it (to set up before it
    // opens, as marlix-run does); null for a port given.
    AnyPOSPrinter *ownPort();
    Session &session() { return *m_session; }
    TrafficLog &log() { return *m_log; }
    PaperFeed &paperFeed();
    // Prints every byte that waits, then gives the paper: every byte the port
    // took, the receipt preview's paper.
    ReceiptInterpreter &printedPaper();
    // The printer built into the program while it is the chosen port (made
    // now if it was not); null for another port or a port given by the caller.
    VirtualPrinter *ensureBuiltInPrinter();

    // The pass-through: serves a point-of-sale program on listen ("" stops),
    // on the chosen port; "" or why it cannot.
    PassThroughWatch &passThrough() { return *m_pass; }
    QString serve(const QString &listen);

    // The lease. The window takes the port for each of its own operations
    // and gives it back when the operation ends (takes nest); meanwhile a
    // program's bytes wait. While a program is connected the window may not
    // take it; a command waits for a script. A Macro use is only asked
    // (mayUse), never taken: macros do not hold the program back.
    Refusal mayUse(PortUse use) const;
    bool takePort(PortUse use);
    void givePort(PortUse use);
    PortUser portUser() const;
    bool programConnected() const { return m_programConnected; }

signals:
    void portUserChanged(PortUser user);
    void programConnectedChanged(bool connected);
    // The status line's text: a note of the port's ("" once it opened), or,
    // when passThroughWords, the pass-through's (a face may add its own).
    void status(const QString &text, bool passThroughWords);
    // The paper has more on it, or will have once asked.
    void paperMoved();

private:
    void portNote(const QString &note);
    void setProgramConnected(bool connected);
    void leaseChanged(PortUser before);

    std::unique_ptr<PortHub> m_hub;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<TrafficLog> m_log;
    std::unique_ptr<TrafficWords> m_words;
    std::unique_ptr<PassThroughWatch> m_pass;
    int m_windowUses = 0;  // the window's operations holding the port, nested
    int m_scriptUses = 0;  // of them, scripts
    bool m_programConnected = false;
};
