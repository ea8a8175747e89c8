#pragma once
// The port component on a USB printer-class device (/dev/usb/lp0, the
// kernel's usblp driver), or any other character device that is not a
// terminal: raw bytes, no line settings, no break.
#include "link/LinkPOSPrinter.h"

#include <QStringList>

class UsbPOSPrinter final : public LinkPOSPrinter {
public:
    UsbPOSPrinter() = default;
    ~UsbPOSPrinter() override;
    UsbPOSPrinter(const UsbPOSPrinter &) = delete;
    UsbPOSPrinter &operator=(const UsbPOSPrinter &) = delete;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void SetFlowControl(long) override {}
    long WriteData(const QByteArray &data, long count) override;
    // The USB printers present, each with its make and model.
    QString GetPortName(long index) override;
    // There is no break condition on this link.
    void SetBreak(long, const QString &) override {}

    static constexpr int kLingerMs = 2000;
    // Where the kernel puts usblp devices.
    static constexpr const char *kDeviceFolder = "/dev/usb";
    // Entries for the lp* devices in a folder: "path<TAB>make and model". A
    // device already open here (openFd, openPath) is asked through that.
    static QStringList portEntries(const QString &folder, int openFd = -1, const QString &openPath = {});
    // The make and model a device reports through the usblp driver's
    // LPIOC_GET_DEVICE_ID ioctl; "" when it reports none or has no such ioctl.
    static QString deviceDescription(int fd);

private:
    bool deviceOpen() const override { return m_fd >= 0; }
    void closeDevice() override;
    int lingerMs() const override { return kLingerMs; }

    int m_fd = -1;
    QString m_path;
    QStringList m_portList;
};
