#include "link/SerialPOSPrinter.h"

#include "link/Link.h"
#include "link/PortNames.h"
#include "link/SimRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

PortMode parsePortMode(const QString &mode)
{
    PortMode result;
    const QStringList fields = mode.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &field : fields) {
        const qsizetype eq = field.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = field.left(eq).toLower();
        const QString value = field.mid(eq + 1);
        if (key == QLatin1String("baud")) {
            bool ok = false;
            const int baud = value.toInt(&ok);
            if (ok && baud > 0)
                result.baud = baud;
        } else if (key == QLatin1String("parity")) {
            const QString p = value.toUpper();
            if (p == QLatin1String("E"))
                result.parity = QSerialPort::EvenParity;
            else if (p == QLatin1String("O"))
                result.parity = QSerialPort::OddParity;
            else
                result.parity = QSerialPort::NoParity;
        } else if (key == QLatin1String("data")) {
            const int bits = value.toInt();
            if (bits >= 5 && bits <= 8)
                result.dataBits = static_cast<QSerialPort::DataBits>(bits);
        } else if (key == QLatin1String("stop")) {
            result.stopBits = value == QLatin1String("2") ? QSerialPort::TwoStop : QSerialPort::OneStop;
        }
    }
    return result;
}

SerialPOSPrinter::SerialPOSPrinter()
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
    QObject::connect(&m_port, &QSerialPort::readyRead, [this] { inputArrived(); });
}

SerialPOSPrinter::~SerialPOSPrinter()
{
    m_port.close();
}

void SerialPOSPrinter::onError(QSerialPort::SerialPortError error)
{
    // A pulled USB adapter (or a pty whose other end is gone) keeps raising
    // errors: close once, never spin on it.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && m_port.isOpen())
        lose();
}

void SerialPOSPrinter::OpenPort(const QString &portName, const QString &portMode)
{
    const QString path = devicePathForPortName(portName);
    beginOpen(portName);
    const QString &shown = m_shown;
    if (path.isEmpty() || portName.trimmed() == QLatin1String("None")) {
        m_port.close();
        report(QStringLiteral("No port chosen - choose one with Port, Settings"));
        return;
    }
    // A pipe or a file would open and take the bytes; they would reach no printer.
    if (const QString problem = resolvePortName(portName).problem; !problem.isEmpty()) {
        m_port.close();
        report(problem);
        return;
    }
    if (m_port.isOpen() && path != m_path)
        m_port.close();
    if (!m_port.isOpen()) {
        m_path = path;
        m_port.setPortName(path);
        if (!m_port.open(QIODevice::ReadWrite)) {
            QString reason = m_port.errorString();
            if (m_port.error() == QSerialPort::PermissionError)
                reason += QStringLiteral(" - is your user in the dialout group?");
            report(shown + QStringLiteral(": ") + reason);
            return;
        }
    }
    const PortMode mode = parsePortMode(portMode);
    QStringList refused;
    if (!m_port.setBaudRate(mode.baud))
        refused << QStringLiteral("baud %1").arg(mode.baud);
    if (!m_port.setDataBits(mode.dataBits))
        refused << QStringLiteral("%1 data bits").arg(int(mode.dataBits));
    if (!m_port.setParity(mode.parity))
        refused << QStringLiteral("parity");
    if (!m_port.setStopBits(mode.stopBits))
        refused << QStringLiteral("%1 stop bits").arg(mode.stopBits == QSerialPort::TwoStop ? 2 : 1);
    m_port.clearError();
    report(refused.isEmpty() ? QString()
                             : shown + QStringLiteral(": open, but the line refused ")
                                 + refused.join(QStringLiteral(", ")));
}

void SerialPOSPrinter::SetFlowControl(long flow)
{
    if (!m_port.isOpen())
        return;
    const auto qtFlow = flow == 1 ? QSerialPort::SoftwareControl
        : flow == 2               ? QSerialPort::HardwareControl
                                  : QSerialPort::NoFlowControl;
    m_port.setFlowControl(qtFlow);
    m_port.clearError();
}

QByteArray SerialPOSPrinter::ReadInput(long count)
{
    return readFrom(m_port, count);
}

int SerialPOSPrinter::stallMs() const
{
    // A pty takes bytes at once or not at all; a real line frees its buffer at
    // the baud rate, a few hundred bytes at a time.
    if (m_path.startsWith(QLatin1String("/dev/pts/")))
        return 10;
    const qint32 baud = std::max<qint32>(m_port.baudRate(), 300);
    return std::max(10, int(256 * 10 * 1000 / baud) + 20);
}

long SerialPOSPrinter::WriteData(const QByteArray &data, long count)
{
    m_writeCount = 0;
    if (!m_port.isOpen())
        return 0;
    const int fd = int(m_port.handle());
    if (fd < 0)
        return 0;
    return writeTo(fd, Descriptor::Device, data, count, stallMs());
}

QString SerialPOSPrinter::GetPortName(long index)
{
    if (index == 0 || m_portList.isEmpty()) {
        m_portList.clear();
        // Stable names: /dev/serial/by-id links, keyed by the device they point to.
        QHash<QString, QString> stable;
        const QFileInfoList links = QDir(QStringLiteral("/dev/serial/by-id")).entryInfoList(QDir::System | QDir::Files);
        for (const QFileInfo &link : links)
            stable.insert(link.canonicalFilePath(), link.absoluteFilePath());
        QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
        std::sort(ports.begin(), ports.end(), [](const auto &a, const auto &b) {
            return a.portName() < b.portName();
        });
        for (const QSerialPortInfo &info : ports) {
            QString entry = info.portName();
            const QString description = info.description().isEmpty() ? info.manufacturer() : info.description();
            QString extra = stable.value(QFileInfo(info.systemLocation()).canonicalFilePath());
            if (extra.isEmpty())
                extra = info.serialNumber();
            if (!description.isEmpty() || !extra.isEmpty())
                entry += QLatin1Char('\t') + description;
            if (!extra.isEmpty())
                entry += QLatin1Char('\t') + extra;
            m_portList << entry;
        }
        for (const QString &sim : runningSimulatorPorts())
            m_portList << sim + QStringLiteral("\tMarlix printer simulator");
    }
    if (index < 0 || index >= m_portList.size())
        return {};
    return m_portList.at(index);
}

void SerialPOSPrinter::SetBreak(long code, const QString &)
{
    if (!m_port.isOpen())
        return;
    if (code == 1)
        m_port.setBreakEnabled(true);
    else if (code == 2)
        m_port.setBreakEnabled(false);
    m_port.clearError();
}
