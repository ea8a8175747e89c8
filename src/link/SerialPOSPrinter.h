#pragma once
// The port component on a Linux serial line (or a pty standing in for one).
#include "link/LinkPOSPrinter.h"
#include "link/PortNames.h"

#include <QSerialPort>

// Settings read from a port mode text such as "baud=19200 parity=N data=8 stop=1".
struct PortMode {
    qint32 baud = 19200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
PortMode parsePortMode(const QString &mode);

class SerialPOSPrinter final : public LinkPOSPrinter {
public:
    SerialPOSPrinter();
    ~SerialPOSPrinter() override;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void SetFlowControl(long flow) override;
    long WriteData(const QByteArray &data, long count) override;
    QString GetPortName(long index) override;
    void SetBreak(long code, const QString &unused) override;

private:
    bool deviceOpen() const override { return m_port.isOpen(); }
    void closeDevice() override { m_port.close(); }
    void onError(QSerialPort::SerialPortError error);
    int stallMs() const;

    QSerialPort m_port;
    QString m_path;
    QStringList m_portList;
};
