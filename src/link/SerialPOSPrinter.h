#pragma once
// The port component on a Linux serial line (or a pty standing in for one).
#include "link/POSPrinter.h"

#include <QSerialPort>
#include <functional>

// Settings read from a port mode text such as "baud=19200 parity=N data=8 stop=1".
struct PortMode {
    qint32 baud = 19200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
PortMode parsePortMode(const QString &mode);

// "ttyUSB0" -> "/dev/ttyUSB0"; a full path stays; a listed entry gives its
// text before the first blank or TAB.
QString devicePathForPortName(const QString &name);

class SerialPOSPrinter final : public POSPrinter {
public:
    SerialPOSPrinter();
    ~SerialPOSPrinter() override;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void ClosePort() override;
    void SetFlowControl(long flow) override;
    long WriteData(const QByteArray &data, long count) override;
    void SetReadTiming(long first, long gap) override;
    long GetWriteCount() override;
    QString GetPortName(long index) override;
    void SetBreak(long code, const QString &unused) override;
    bool LinkDown() const override { return m_wantOpen && !m_port.isOpen(); }

    // Why the port is not usable ("" once an open succeeds). Shown in the status line.
    std::function<void(const QString &)> onStatus;

    bool isOpen() const { return m_port.isOpen(); }

private:
    void report(const QString &text);
    void onError(QSerialPort::SerialPortError error);
    // The device went away under an open port: close it once and say so.
    void lose();
    int stallMs() const;

    QSerialPort m_port;
    QString m_path;
    QString m_shown;         // the port's name as the operator chose it
    bool m_wantOpen = false; // OpenPort was called and no ClosePort since
    long m_readWaitMs = 10;
    long m_writeCount = 0;
    QStringList m_portList;
};
