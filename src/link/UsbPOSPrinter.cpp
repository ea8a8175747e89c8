#include "link/UsbPOSPrinter.h"

#include "link/PortNames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// The usblp driver's own request (its header is not exported to user space):
// read the IEEE 1284 device ID into a buffer of len bytes.
constexpr unsigned long lpiocGetDeviceId(unsigned len)
{
    return _IOC(_IOC_READ, 'P', 1, len);
}
constexpr unsigned kDeviceIdSize = 1024;

// A printer takes a few kilobytes per USB transfer and may need a moment for
// the next: wait that long for room before reporting a partial write.
constexpr int kStallMs = 250;

QString openFailure(int error)
{
    QString reason = QString::fromLocal8Bit(std::strerror(error));
    if (error == EACCES || error == EPERM)
        reason += QStringLiteral(" - is your user in the lp group?");
    else if (error == ENOENT || error == ENODEV || error == ENXIO)
        reason += QStringLiteral(" - is the printer plugged in and switched on?");
    else if (error == EBUSY)
        reason += QStringLiteral(" - another program is using the printer");
    return reason;
}
} // namespace

UsbPOSPrinter::~UsbPOSPrinter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void UsbPOSPrinter::closeDevice()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void UsbPOSPrinter::OpenPort(const QString &portName, const QString & /*portMode*/)
{
    beginOpen(portName);
    endLinger();
    const PortTarget target = resolvePortName(portName);
    const QString &path = target.path;
    if (m_fd >= 0 && path != m_path)
        closeLink();
    if (!target.problem.isEmpty()) {
        if (m_fd >= 0)
            closeLink();
        report(target.problem);
        return;
    }
    if (m_fd >= 0) {
        report({});
        return;
    }
    m_path = path;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        report(m_shown + QStringLiteral(": ") + openFailure(errno));
        return;
    }
    // The name was taken for a printer-class device; a terminal behind it
    // (the node was replaced since) needs the serial link's line settings.
    if (::isatty(fd)) {
        ::close(fd);
        report(m_shown + QStringLiteral(": is a serial line now, not a printer-class device - choose it again "
                                        "in Port, Settings"));
        return;
    }
    m_fd = fd;
    report({});
}

long UsbPOSPrinter::WriteData(const QByteArray &data, long count)
{
    m_writeCount = 0;
    if (!isOpen())
        return 0;
    return writeTo(m_fd, Descriptor::Device, data, count, kStallMs);
}

QByteArray UsbPOSPrinter::ReadInput(long count)
{
    if (!isOpen() || count < 1)
        return {};
    QByteArray buffer(qsizetype(std::min(count, 4096L)), '\0');
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer.data(), size_t(buffer.size()));
        if (n > 0)
            return buffer.left(n);
        // End of data: a device that has nothing to say, ever (/dev/null).
        if (n == 0)
            return {};
        if (errno == EINTR)
            continue;
        if (isGoneError(errno)) {
            lose();
            return {};
        }
        // EAGAIN: nothing yet. EINVAL: a printer that cannot talk back; its
        // reply never comes, but the read timing is kept all the same.
        const qint64 left = m_readWaitMs - clock.elapsed();
        if (left <= 0)
            return {};
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready == 0)
            return {};
        if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLIN)) {
            lose();
            return {};
        }
    }
}

QString UsbPOSPrinter::deviceDescription(int fd)
{
    QByteArray reply(kDeviceIdSize, '\0');
    if (fd < 0 || ::ioctl(fd, lpiocGetDeviceId(kDeviceIdSize), reply.data()) < 0)
        return {};
    return describeDeviceId(reply);
}

QStringList UsbPOSPrinter::portEntries(const QString &folder, int openFd, const QString &openPath)
{
    QStringList entries;
    QStringList names = QDir(folder).entryList({QStringLiteral("lp*")}, QDir::System | QDir::Files);
    // lp2 before lp10.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString &name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        QString description;
        if (openFd >= 0 && path == openPath) {
            description = deviceDescription(openFd);
        } else {
            // usblp lets one program in at a time; a printer in use says so.
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0) {
                entries << path + QStringLiteral("\tUSB printer (") + openFailure(errno).toLower()
                        + QLatin1Char(')');
                continue;
            }
            description = deviceDescription(fd);
            ::close(fd);
        }
        entries << path + QLatin1Char('\t')
                + (description.isEmpty() ? QStringLiteral("USB printer (no device ID)") : description);
    }
    return entries;
}

QString UsbPOSPrinter::GetPortName(long index)
{
    if (index == 0 || m_portList.isEmpty())
        m_portList = portEntries(QString::fromLatin1(kDeviceFolder), m_fd, m_path);
    if (index < 0 || index >= m_portList.size())
        return {};
    return m_portList.at(index);
}
