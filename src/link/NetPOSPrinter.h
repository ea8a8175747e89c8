#pragma once
// The port component on a network printer: raw bytes over TCP, port 9100
// unless the name says another. No line settings, no break.
#include "link/LinkPOSPrinter.h"

#include <QStringList>
#include <QTcpSocket>
#include <functional>

class NetPOSPrinter final : public LinkPOSPrinter {
public:
    // How long a connection (name lookup included) may take.
    static constexpr int kConnectMs = 3000;
    // How long ClosePort keeps the connection for a reopen (see lingerMs).
    static constexpr int kLingerMs = 2000;

    NetPOSPrinter();
    ~NetPOSPrinter() override;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void SetFlowControl(long) override {}
    long WriteData(const QByteArray &data, long count) override;
    // The network printers used before, as rememberedPorts gives them.
    QString GetPortName(long index) override;
    // There is no break condition on this link.
    void SetBreak(long, const QString &) override {}

    // The tcp:// names the operator used before, newest first.
    std::function<QStringList()> rememberedPorts;

private:
    bool deviceOpen() const override { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void closeDevice() override;
    int lingerMs() const override { return kLingerMs; }
    QString goneText() const override;
    // Connects to m_host:m_netPort within kConnectMs; otherwise says why.
    bool connectBounded(QString *reason);
    void onDisconnected();

    QTcpSocket m_socket;
    QString m_host;
    quint16 m_netPort = 0;
    bool m_established = false; // connected, and not closed by us since
    bool m_closing = false;
    QStringList m_portList;
};
