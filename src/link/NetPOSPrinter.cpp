#include "link/NetPOSPrinter.h"

#include "link/PortNames.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include <algorithm>

namespace {
// A printer on the network frees its buffer as it prints; one on this very
// machine (the simulator) takes bytes at once or not at all.
constexpr int kStallMs = 250;
constexpr int kLocalStallMs = 10;
} // namespace

NetPOSPrinter::NetPOSPrinter()
{
    QObject::connect(&m_socket, &QAbstractSocket::disconnected, [this] { onDisconnected(); });
    QObject::connect(&m_socket, &QIODevice::readyRead, [this] { inputArrived(); });
}

NetPOSPrinter::~NetPOSPrinter()
{
    m_closing = true;
    m_socket.abort();
}

void NetPOSPrinter::closeDevice()
{
    m_closing = true;
    m_established = false;
    m_socket.abort();
    m_closing = false;
}

QString NetPOSPrinter::goneText() const
{
    return QStringLiteral("the printer has dropped the connection - it was closed; the next operation connects "
                          "again once the printer is back");
}

void NetPOSPrinter::onDisconnected()
{
    // The socket has closed itself: nothing is left to close, only to say,
    // unless the program had closed the port already.
    if (lingering()) {
        endLinger();
        m_established = false;
    }
    if (m_closing || !m_established)
        return;
    m_established = false;
    reportLost();
}

bool NetPOSPrinter::connectBounded(QString *reason)
{
    m_socket.abort();
    m_socket.connectToHost(m_host, m_netPort);
    // The name lookup has no bound of its own, and a printer that is switched
    // off lets a connection hang for minutes. A local loop that serves no
    // input keeps both within the bound while the window still paints. It
    // stays a loop, unlike the reads: waitForConnected() would look the name
    // up in a blocking call that nothing can cut short, and the lookup runs
    // in a thread of Qt's that reports through the event loop alone.
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto settled = QObject::connect(&m_socket, &QAbstractSocket::stateChanged, &loop,
                                          [&loop](QAbstractSocket::SocketState state) {
                                              if (state == QAbstractSocket::ConnectedState
                                                  || state == QAbstractSocket::UnconnectedState)
                                                  loop.quit();
                                          });
    const auto failed = QObject::connect(&m_socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
    QDeadlineTimer deadline(kConnectMs);
    auto pending = [this] {
        return m_socket.state() == QAbstractSocket::HostLookupState
            || m_socket.state() == QAbstractSocket::ConnectingState;
    };
    while (pending() && !deadline.hasExpired()) {
        bound.start(int(std::max<qint64>(1, deadline.remainingTime())));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QObject::disconnect(settled);
    QObject::disconnect(failed);
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        // Keys go one byte at a time; none should wait for the one before.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    if (pending()) {
        m_socket.abort();
        *reason = QStringLiteral("no answer within %1 s - is the printer switched on and on this network?")
                      .arg(kConnectMs / 1000);
        return false;
    }
    *reason = m_socket.errorString();
    switch (m_socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        *reason += QStringLiteral(" - is the printer switched on, and does it take print data on port %1?")
                       .arg(m_netPort);
        break;
    case QAbstractSocket::HostNotFoundError:
        *reason += QStringLiteral(" - check the printer's name or address");
        break;
    case QAbstractSocket::NetworkError:
        *reason += QStringLiteral(" - is this computer on the printer's network?");
        break;
    default:
        break;
    }
    m_socket.abort();
    return false;
}

void NetPOSPrinter::OpenPort(const QString &portName, const QString & /*portMode*/)
{
    beginOpen(portName);
    endLinger();
    const PortTarget target = resolvePortName(portName);
    if (!target.problem.isEmpty()) {
        if (deviceOpen())
            closeLink();
        report(m_shown + QStringLiteral(": ") + target.problem);
        return;
    }
    if (deviceOpen() && (target.host != m_host || target.netPort != m_netPort))
        closeLink();
    if (!deviceOpen()) {
        m_host = target.host;
        m_netPort = target.netPort;
        QString reason;
        if (!connectBounded(&reason)) {
            report(m_shown + QStringLiteral(": ") + reason);
            return;
        }
        m_established = true;
    }
    report({});
}

long NetPOSPrinter::WriteData(const QByteArray &data, long count)
{
    m_writeCount = 0;
    if (!isOpen())
        return 0;
    const int fd = int(m_socket.socketDescriptor());
    if (fd < 0)
        return 0;
    const int stall = m_socket.peerAddress().isLoopback() ? kLocalStallMs : kStallMs;
    return writeTo(fd, Descriptor::Socket, data, count, stall);
}

QByteArray NetPOSPrinter::ReadInput(long count)
{
    return readFrom(m_socket, count);
}

