#pragma once
// The point-of-sale program's end of the pass-through: a pseudo terminal
// behind a stable symlink, or a TCP port, serving one program at a time.
// Plain descriptors watched by the event loop (the core has no Qt Network).
//
// A path is served by one server at a time: a lock file beside the link
// says which (the link alone cannot: the next server would point it at its
// own pty, and the first would announce a path that is no longer its own).
//
// A pty has no connections: the program is taken to be connected while it
// holds the pty's other end open. Nobody holding it shows as a hangup on our
// end, which the event loop cannot watch without spinning, so while nobody
// is connected a short timer looks for the hangup to end.
#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// A LISTEN text read: a path, or tcp://HOST:PORT (HOST "" is 127.0.0.1,
// PORT 0 any free port). problem says what is wrong, "" when nothing is.
struct ListenTarget {
    bool tcp = false;
    QString path;
    QString host;
    int port = -1;
    QString problem;
};
ListenTarget parseListen(const QString &listen);

class ProgramEnd : public QObject {
    Q_OBJECT
public:
    // How often a pty nobody holds is looked at for a program opening it.
    static constexpr int kPtyWatchMs = 20;

    explicit ProgramEnd(QObject *parent = nullptr);
    ~ProgramEnd() override;

    // A path (pty and symlink) or tcp://HOST:PORT. False with *error when it cannot.
    bool listen(const QString &listen, QString *error);
    // Drops the program and the listener; the symlink goes if it is still ours.
    void close();

    bool isListening() const { return m_kind != Kind::None; }
    bool isConnected() const { return m_client >= 0; }
    // The symlink's path, or tcp://HOST:PORT with the port in use.
    QString address() const { return m_address; }
    QString ptyPath() const { return m_ptyPath; }
    // "127.0.0.1:53122" for TCP, the symlink's path for the pty; "" when nobody.
    QString peer() const { return isConnected() ? m_peer : QString(); }

    // Off: the program's bytes are left where they are, so its writes wait
    // once the pty or the TCP window is full.
    void setReading(bool on);
    // Up to max bytes the program wrote, "" when none waits. Notices the end
    // of the connection (disconnected() is emitted, after the last bytes).
    QByteArray read(qsizetype max);
    // Bytes for the program, written as its window allows; dropped when
    // nobody is connected.
    void write(const QByteArray &bytes);
    // Bytes for the program not yet written.
    qsizetype pendingOutput() const { return m_output.size(); }

signals:
    void connected(const QString &peer);
    void disconnected();
    // The program has written something (or gone): read() it.
    void readable();

private:
    enum class Kind { None, Pty, Tcp };

    bool listenPty(const QString &path, QString *error);
    bool listenTcp(const QString &listen, QString *error);
    void watchPty();
    void acceptNext();
    void takeProgram(int fd, const QString &peer);
    void drop();
    void flushOutput();
    void updateNotifiers();
    void releaseLock();

    Kind m_kind = Kind::None;
    int m_listener = -1; // the pty's master, or the listening socket
    int m_client = -1;   // the master again while a program holds the pty, or the connection
    QString m_address;
    QString m_ptyPath;
    QString m_linkPath;
    QString m_peer;
    int m_lock = -1;         // the lock beside the link, held while we serve it
    QByteArray m_lockPath;
    QByteArray m_output;
    bool m_reading = true;
    QSocketNotifier *m_accept = nullptr;
    QSocketNotifier *m_readable = nullptr;
    QSocketNotifier *m_writable = nullptr;
    QTimer *m_ptyWatch = nullptr;
};
