#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

#include <functional>

class PrinterModel;
class QSocketNotifier;
class ReceiptFiles;

// The line side of the simulator: a pty pair whose master it reads and
// writes, whose slave it keeps open so the line never hangs up when the
// program closes the port, records what arrives, and hands the bytes to the
// printer model and what it prints to the receipt files.
class PtyServer : public QObject
{
    Q_OBJECT
public:
    PtyServer(PrinterModel &model, QObject *parent = nullptr);
    ~PtyServer() override;

    void setReplyDelay(int ms) { m_replyDelayMs = ms; }
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool setRecordFile(const QString &path, QString *error);
    // Where the printed paper goes (--receipts); none: it is not drawn.
    void setReceiptFiles(ReceiptFiles *files) { m_receipts = files; }
    void log(const QString &line) const;

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }

    // Bytes that arrived, on the line or on another link (the network): they
    // are recorded, logged and printed alike, and the printer's answer goes to
    // reply after the reply delay, unless context is gone by then.
    void receive(const QByteArray &chunk, QObject *context, const std::function<void(const QByteArray &)> &reply);

    // Busy: the master is not read at all, so the pty fills and writers stall.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

private:
    void onReadable();
    void onWritable();
    void send(const QByteArray &bytes);
    void flushOutput();
    void updateReading();

    PrinterModel &m_model;
    ReceiptFiles *m_receipts = nullptr;
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
