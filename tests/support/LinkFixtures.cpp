#include "support/LinkFixtures.h"

#include "link/POSPrinter.h"

#include <QFile>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    return bytes;
}

QByteArray readReply(POSPrinter &port)
{
    port.SetReadTiming(1000, 100);
    QByteArray reply = port.ReadInput(1);
    port.SetReadTiming(10, 10);
    if (reply.isEmpty())
        return reply;
    for (QByteArray b = port.ReadInput(1); !b.isEmpty(); b = port.ReadInput(1))
        reply += b;
    return reply;
}

QByteArray scriptLines(int from, int to)
{
    QByteArray bytes;
    for (int i = from; i <= to; ++i)
        bytes += QByteArray("LINE ") + QByteArray::number(i) + "\r\n";
    return bytes;
}

QByteArray lostPrinterScript()
{
    QByteArray script;
    for (int i = 1; i <= 20; ++i) {
        script += "LINE " + QByteArray::number(i) + "\\n{WAIT:20}";
        if (i == 5)
            script += "{ECHO}switch off";
        script += "\r\n";
    }
    return script;
}

QStringList portEntries(POSPrinter &port)
{
    QStringList entries;
    for (long i = 0; i < 1000; ++i) {
        const QString e = port.GetPortName(i);
        if (e.isEmpty())
            break;
        entries << e;
    }
    return entries;
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

FifoPrinter::FifoPrinter(const QString &name) : path(dir.filePath(name))
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) == 0)
        printer = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    setDeviceProbe([fifo = path](const QString &probed) {
        return probed == fifo ? DeviceKind::Stream : probeFileSystem(probed);
    });
}

FifoPrinter::~FifoPrinter()
{
    setDeviceProbe({});
    if (printer >= 0)
        ::close(printer);
}

QByteArray FifoPrinter::printed() const
{
    QByteArray all;
    char buffer[65536];
    for (ssize_t n; (n = ::read(printer, buffer, sizeof buffer)) > 0;)
        all.append(buffer, n);
    return all;
}

bool FifoPrinter::reply(const QByteArray &bytes) const
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (fd >= 0)
        ::close(fd);
    return ok;
}

PtyLine::PtyLine()
{
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    path = QString::fromLocal8Bit(name);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
}

PtyLine::~PtyLine()
{
    for (const int fd : {master, slave})
        if (fd >= 0)
            ::close(fd);
}

QByteArray PtyLine::output()
{
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        m_output.append(buffer, n);
    return m_output;
}
