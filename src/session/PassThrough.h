#pragma once
// Stands between a point-of-sale program and the printer port: the program
// connects to a pseudo terminal (reached through a stable symlink) or to a
// TCP port as if it were the printer; every byte it writes goes to the
// printer unchanged and at once, and every byte the printer answers goes
// back the same way. Nothing is added, dropped, reordered or merged across
// directions. A printer that takes nothing holds the program back (its
// writes wait on the pty or TCP window); a printer that goes away is opened
// again, as the terminal does, and gets the rest.
//
// Qt Core only (the core carries no Qt Network): the listener, the pty and
// the connection are plain descriptors watched by the event loop.
#include <QByteArray>
#include <QObject>
#include <QString>

#include <QTimer>

#include <functional>

class POSPrinter;
class ProgramEnd;

class PassThrough : public QObject {
    Q_OBJECT
public:
    // printer: the port as the caller opened it (portName/portMode kept for reopening it after a loss).
    PassThrough(POSPrinter &printer, QString portName, QString portMode, QObject *parent = nullptr);
    ~PassThrough() override;

    // The flow control the port is opened with again after a loss (0 none,
    // 1 XON/XOFF, 2 hardware; as POSPrinter::SetFlowControl); -1, the
    // default, leaves it to the port.
    void setFlowControl(long flow) { m_flow = flow; }

    // While this says so (the window's own command, loop or script runs), the
    // program's bytes wait unread and the printer's answers are left to that
    // operation, so the two streams never mix on the printer.
    void setHoldWhile(std::function<bool()> busy) { m_holdWhile = std::move(busy); }
    // The same, told rather than asked: held while the window has the port;
    // given back, a program that waits goes on at once (no polling).
    void setHeld(bool held);

    // LISTEN: a path (a pty is made and a stable symlink put at the path, kept while we run) or
    // tcp://HOST:PORT (host default 127.0.0.1). False + *error in the operator's words when it cannot.
    bool listen(const QString &listen, QString *error);
    void stop();                       // closes the listener and the client; the printer stays open
    bool isListening() const;
    bool isConnected() const;          // a point-of-sale program is connected now
    // "waiting for a point-of-sale program on /home/u/pos-printer",
    // "point-of-sale program connected from 127.0.0.1:53122", fault texts.
    QString statusText() const;
    // Where the program is served: the symlink's path, or tcp://HOST:PORT
    // with the port the system gave for port 0. "" when not listening.
    QString address() const;
    // The pty the symlink points to ("" for TCP or when not listening).
    QString ptyPath() const;
    // Who is connected: "127.0.0.1:53122", or the symlink's path for a pty; "" when nobody.
    QString peer() const;
    // Bytes of the program's that the printer has not taken yet.
    qsizetype heldBytes() const;

    // "" when the LISTEN text is well formed, else why.
    static QString checkListen(const QString &listen);

signals:
    void clientConnected(const QString &peer);
    void clientDisconnected();
    void toPrinter(const QByteArray &bytes);   // bytes of the client the printer has taken, in order
    void fromPrinter(const QByteArray &bytes); // the printer's answer bytes, passed back, in order
    // Answer bytes no program gets: sent before the program now connected
    // came, or after the last one left. Dropped; only shown.
    void unheardFromPrinter(const QByteArray &bytes);
    void statusChanged(const QString &text);

private:
    void takeFromProgram();
    void flushHeld();
    void readReplies();
    void passReplies();
    QByteArray readWaiting();
    void postReplyRead();
    void retry();
    void reopen();
    void onConnected(const QString &peer);
    void onDisconnected();
    void setStatus(const QString &text);
    QString waitingText() const;

    POSPrinter &m_printer;
    QString m_portName;
    QString m_portMode;
    long m_flow = -1;
    ProgramEnd *m_end = nullptr;
    QByteArray m_held;      // read from the program, not yet taken by the printer
    QTimer m_retry;         // a printer that took nothing, or went away, is tried again
    QTimer m_replyPoll;     // for links that cannot say when their printer answers
    QTimer m_holdCheck;     // while held, whether the window's operation has ended
    std::function<bool()> m_holdWhile;
    bool heldForWindow() const { return m_heldByWindow || (m_holdWhile && m_holdWhile()); }
    void releaseWhenFree();
    QString m_status;
    bool m_busy = false; // in a write or an open (a network printer's connect serves events)
    bool m_replyReadPosted = false;
    bool m_openedForHeld = false; // the port was opened again for the bytes held now
    bool m_heldByWindow = false;  // setHeld
    bool m_waitsForWindow = false; // the program's bytes wait until the window gives the port back
};
