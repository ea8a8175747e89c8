#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class PtyServer;
class QTcpServer;
class QTcpSocket;

// The network side of the simulator: a printer's raw port (9100 on a real
// one) on the loopback interface. It serves one connection at a time (the
// next waits until the first has closed) and hands the bytes to the same
// printer as the pty, so identity, macros, replies, receipts and the record
// file are shared. When the printer's receive buffer is full, the connection
// is not read until it has room, so the sender's writes stall.
class TcpServer : public QObject
{
    Q_OBJECT
public:
    explicit TcpServer(PtyServer &printer, QObject *parent = nullptr);
    ~TcpServer() override;

    // port 0: any free port. Afterwards port() says which.
    bool listen(quint16 port, QString *error);
    quint16 port() const;
    // The port name the terminal takes: "tcp://127.0.0.1:PORT".
    QString portName() const;

    // Busy: the connection is not read, so the sender's writes stall.
    void setBusy(bool busy);

private:
    void serveNext();
    void onReadable();
    void onClosed();
    void endConnection();

    PtyServer &m_printer;
    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_client;
    QByteArray m_pending; // read from the client, not yet taken by the printer
    bool m_busy = false;
    bool m_closed = false; // the client has gone; its last bytes still go in
};
