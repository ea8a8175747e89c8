#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QSocketNotifier;
class VirtualPrinter;

// The line side of the simulator: a pty pair whose master it reads and
// writes, whose slave it keeps open so the line never hangs up when the
// program closes the port, records what arrives, and hands the bytes to the
// printer, whose replies it sends back after the reply delay.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    using ReplySink = std::function<void(const QByteArray &)>;

    PtyServer(VirtualPrinter &printer, QObject *parent = nullptr);
    ~PtyServer() override;

    void setReplyDelay(int ms) { m_replyDelayMs = ms; }
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool setRecordFile(const QString &path, QString *error);
    void log(const QString &line) const;
    // A line about what the printer did: inside receive() it waits until the
    // line saying what was received is out.
    void report(const QString &line);

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }

    // Bytes that arrived, on the line or on another link (the network): what
    // the printer takes of them is recorded, logged and printed alike, and
    // returned; fewer than all when its receive buffer is full, and then the
    // link keeps the rest until roomToReceive(). The printer's answers go to
    // reply after the reply delay, unless context is gone by then; so do its
    // later ones (a request printed after paper load, automatic status back),
    // to the link that spoke last.
    qsizetype receive(const QByteArray &chunk, QObject *context, const ReplySink &reply);

    // Busy: the master is not read at all, so the pty fills and writers stall.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

signals:
    // The printer can take bytes again (queued: never inside receive()).
    void roomToReceive();

private:
    void onReadable();
    void onWritable();
    void onRoom();
    void takePending();
    void deliver(const QByteArray &answer);
    void send(const QByteArray &bytes);
    void flushOutput();
    void updateReading();

    VirtualPrinter &m_printer;
    QByteArray m_pending; // read from the line, not yet taken by the printer
    QPointer<QObject> m_replyContext;
    ReplySink m_replyTo;
    bool m_collecting = false; // inside receive(): replies and log lines wait for its end
    QByteArray m_collected;
    QStringList m_collectedLog;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_output;
    QFile m_record;
    int m_replyDelayMs = 0;
    bool m_quiet = false;
    bool m_busy = false;
    bool m_lineDown = false; // the master reported EIO; retry later instead of spinning
};
