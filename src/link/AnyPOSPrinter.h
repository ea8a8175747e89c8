#pragma once
// The port component for every link: on each OpenPort it picks the serial,
// USB printer-class or network implementation by the port's name (see
// PortNames.h) and hands every operation to it until the next OpenPort.
#include "link/PortNames.h"
#include "link/SerialPOSPrinter.h"
#include "link/UsbPOSPrinter.h"
#include "link/VirtualPOSPrinter.h"

#include <functional>
#include <memory>
#include <vector>

class AnyPOSPrinter final : public POSPrinter {
public:
    AnyPOSPrinter();
    AnyPOSPrinter(const AnyPOSPrinter &) = delete;
    AnyPOSPrinter &operator=(const AnyPOSPrinter &) = delete;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void ClosePort() override;
    void SetFlowControl(long flow) override;
    long WriteData(const QByteArray &data, long count) override;
    void SetReadTiming(long first, long gap) override;
    long GetWriteCount() override;
    // The built-in printer, serial ports (and running simulators), then USB
    // printers, then the network printers used before.
    QString GetPortName(long index) override;
    void SetBreak(long code, const QString &unused) override;
    bool LinkDown() const override;
    QString refusalReason() const override { return m_current->refusalReason(); }

    // Why the port is not usable ("" once an open succeeds), from whichever link.
    std::function<void(const QString &)> onStatus;
    // The tcp:// names the operator used before, newest first, for the port list.
    void setRememberedNetPorts(std::function<QStringList()> names);

    // The printer built into the program (port "virtual"), made on first use.
    VirtualPOSPrinter &builtIn() { return m_virtual; }

    bool isOpen() const { return m_current->isOpen(); }
    // The link the last OpenPort chose (serial before the first).
    LinkKind currentLink() const { return m_kind; }

private:
    LinkPOSPrinter &linkFor(LinkKind kind);
    // The links made so far: the network link only once a network printer was named.
    std::vector<LinkPOSPrinter *> links();
    void attach(LinkPOSPrinter &link);

    SerialPOSPrinter m_serial;
    UsbPOSPrinter m_usb;
    VirtualPOSPrinter m_virtual;
    std::unique_ptr<LinkPOSPrinter> m_net; // from its module, on first use (NetLink.h)
    LinkPOSPrinter *m_current = &m_serial;
    LinkKind m_kind = LinkKind::Serial;
    QStringList m_portList;
    std::function<QStringList()> m_rememberedNetPorts;
    long m_readFirst = 10;
    long m_readGap = 10;
};
