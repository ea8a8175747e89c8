#include "TcpServer.h"

#include "PtyServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
// Small, so that a busy printer's unread bytes stay in the kernel and the
// sender feels the stall as it does on a line.
constexpr qint64 kReadBuffer = 4096;
} // namespace

TcpServer::TcpServer(PtyServer &printer, QObject *parent)
    : QObject(parent)
    , m_printer(printer)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &TcpServer::serveNext);
    connect(&m_printer, &PtyServer::roomToReceive, this, &TcpServer::onReadable);
}

TcpServer::~TcpServer() = default;

bool TcpServer::listen(quint16 port, QString *error)
{
    // Loopback only: a simulator has no business on the network.
    if (!m_server->listen(QHostAddress::LocalHost, port)) {
        *error = QStringLiteral("--tcp %1: %2").arg(port).arg(m_server->errorString());
        return false;
    }
    return true;
}

quint16 TcpServer::port() const
{
    return m_server->serverPort();
}

QString TcpServer::portName() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(port());
}

void TcpServer::setBusy(bool busy)
{
    m_busy = busy;
    if (!busy)
        onReadable();
}

void TcpServer::serveNext()
{
    if (m_client || !m_server->hasPendingConnections())
        return;
    QTcpSocket *client = m_server->nextPendingConnection();
    // A client that reset the connection before the printer took it has no
    // address any more: it is gone, with whatever it sent.
    if (client->peerAddress().isNull()) {
        m_printer.log(QStringLiteral("network: a connection was reset before it was served"));
        client->abort();
        client->deleteLater();
        serveNext();
        return;
    }
    m_client = client;
    client->setReadBufferSize(kReadBuffer);
    m_printer.log(QStringLiteral("network: connection from %1 port %2")
                      .arg(client->peerAddress().toString())
                      .arg(client->peerPort()));
    connect(client, &QTcpSocket::readyRead, this, &TcpServer::onReadable);
    connect(client, &QTcpSocket::disconnected, this, &TcpServer::onClosed);
    // Bytes may have come with the connection.
    onReadable();
}

void TcpServer::onReadable()
{
    if (m_busy || !m_client)
        return;
    QTcpSocket *client = m_client;
    while (!m_pending.isEmpty() || client->bytesAvailable() > 0) {
        if (m_pending.isEmpty())
            m_pending = client->read(kReadBuffer);
        // A delayed reply goes to this connection or nowhere.
        const qsizetype taken = m_printer.receive(m_pending, client, [client](const QByteArray &reply) {
            if (client->state() == QAbstractSocket::ConnectedState)
                client->write(reply);
        });
        m_pending.remove(0, taken);
        if (!m_pending.isEmpty())
            return; // the printer is full: the rest waits for room
    }
    if (m_closed)
        endConnection();
}

void TcpServer::onClosed()
{
    if (!m_client || m_closed)
        return;
    // What came before the close is still the printer's, also what waits for
    // room in its receive buffer: the connection ends when all is taken.
    m_closed = true;
    onReadable();
}

void TcpServer::endConnection()
{
    QTcpSocket *client = m_client;
    m_client = nullptr;
    m_closed = false;
    m_printer.log(QStringLiteral("network: connection closed"));
    client->deleteLater();
    serveNext();
}
