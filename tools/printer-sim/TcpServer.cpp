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
    while (client->bytesAvailable() > 0) {
        const QByteArray chunk = client->read(kReadBuffer);
        // A delayed reply goes to this connection or nowhere.
        m_printer.receive(chunk, client, [client](const QByteArray &reply) {
            if (client->state() == QAbstractSocket::ConnectedState)
                client->write(reply);
        });
    }
}

void TcpServer::onClosed()
{
    if (!m_client)
        return;
    // What came just before the close is still the printer's.
    onReadable();
    QTcpSocket *client = m_client;
    m_client = nullptr;
    m_printer.log(QStringLiteral("network: connection closed"));
    client->deleteLater();
    serveNext();
}
