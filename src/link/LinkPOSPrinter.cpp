#include "link/LinkPOSPrinter.h"

#include "link/Link.h"

#include <QElapsedTimer>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LinkPOSPrinter::LinkPOSPrinter()
{
    m_linger.setSingleShot(true);
    QObject::connect(&m_linger, &QTimer::timeout, [this] { closeLink(); });
}

void LinkPOSPrinter::report(const QString &text)
{
    if (onStatus)
        onStatus(text);
}

void LinkPOSPrinter::beginOpen(const QString &portName)
{
    m_shown = shownPortName(portName);
    m_wantOpen = true;
}

QString LinkPOSPrinter::goneText() const
{
    return QStringLiteral("the device has gone away - the port was closed; the next operation opens it again "
                          "once the device is back");
}

void LinkPOSPrinter::lose()
{
    // The errno text of the failed call ("Resource temporarily unavailable")
    // says nothing useful here; what happened and what comes next does.
    closeLink();
    reportLost();
}

void LinkPOSPrinter::reportLost()
{
    report(m_shown + QStringLiteral(": ") + goneText());
}

void LinkPOSPrinter::ClosePort()
{
    m_wantOpen = false;
    if (!isOpen())
        return; // closed, or held already
    if (lingerMs() > 0) {
        m_lingering = true;
        m_linger.start(lingerMs());
    } else {
        closeLink();
    }
}

void LinkPOSPrinter::closeLink()
{
    endLinger();
    closeDevice();
}

void LinkPOSPrinter::endLinger()
{
    m_lingering = false;
    m_linger.stop();
}

void LinkPOSPrinter::SetReadTiming(long first, long /*gap*/)
{
    // Each read asks for one byte, so the wait for that byte is all there is:
    // long for a reply's first byte, short once the printer has started.
    m_readWaitMs = std::max(0L, first);
}

bool LinkPOSPrinter::isGoneError(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE || error == ECONNRESET;
}

long LinkPOSPrinter::writeTo(int fd, Descriptor kind, const QByteArray &data, long count, int stallMs)
{
    m_writeCount = 0;
    const qsizetype total = std::clamp<qsizetype>(count, 0, data.size());
    qsizetype taken = 0;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (taken < total) {
        const char *from = data.constData() + taken;
        const size_t size = size_t(total - taken);
        // A socket whose printer hung up must fail the call, not raise SIGPIPE.
        const ssize_t n = kind == Descriptor::Socket ? ::send(fd, from, size, MSG_NOSIGNAL) : ::write(fd, from, size);
        if (n > 0) {
            taken += n;
            sinceProgress.restart();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (isGoneError(errno))
                lose();
            break;
        }
        const qint64 left = stallMs - sinceProgress.elapsed();
        if (left <= 0)
            break;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, int(left));
    }
    m_writeCount = long(taken);
    tapWritten(QByteArray(data.constData(), taken));
    return taken > 0 || total == 0 ? 1 : 0;
}

QByteArray LinkPOSPrinter::readFrom(QIODevice &device, long count)
{
    if (!isOpen() || count < 1)
        return {};
    if (device.bytesAvailable() == 0) {
        QElapsedTimer clock;
        clock.start();
        while (isOpen() && device.bytesAvailable() == 0) {
            const qint64 left = m_readWaitMs - clock.elapsed();
            if (left <= 0 || !device.waitForReadyRead(int(left)))
                break;
        }
    }
    if (!isOpen())
        return {};
    return device.read(count);
}
