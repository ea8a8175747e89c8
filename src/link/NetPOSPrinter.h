#pragma once
// The port component on a network printer: raw bytes over TCP, port 9100
// unless the name says another. No line settings, no break. Built into the
// marlix-netlink module (see NetLink.h), not into the programs.
#include "link/LinkPOSPrinter.h"

#include <QTcpSocket>

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
    // Nothing to list: AnyPOSPrinter lists the network printers used before
    // (without loading this link's module for it).
    QString GetPortName(long) override { return {}; }
    // There is no break condition on this link.
    void SetBreak(long, const QString &) override {}

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
};
