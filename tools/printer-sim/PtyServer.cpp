#include "PtyServer.h"

#include "printer/device/VirtualPrinter.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kLineDownRetryMs = 200;

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray hexLine(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper() + '\n';
}
} // namespace

PtyServer::PtyServer(VirtualPrinter &printer, QObject *parent)
    : QObject(parent)
    , m_printer(printer)
{
    connect(&m_printer, &VirtualPrinter::reply, this, [this](const QByteArray &bytes) {
        if (m_collecting)
            m_collected += bytes;
        else
            deliver(bytes);
    });
    connect(&m_printer, &VirtualPrinter::noted, this, &PtyServer::report);
    // Queued: the bytes a link kept go in after the printer's own work is done.
    connect(&m_printer, &VirtualPrinter::roomToReceive, this, &PtyServer::onRoom, Qt::QueuedConnection);
}

PtyServer::~PtyServer()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyServer::setRecordFile(const QString &path, QString *error)
{
    m_record.setFileName(path);
    if (!m_record.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, m_record.errorString());
        return false;
    }
    return true;
}

bool PtyServer::open(QString *error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        *error = QStringLiteral("openpty: %1").arg(errnoText());
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);

    // Raw on the line itself: all 256 byte values pass unchanged, no echo,
    // no CR/LF mapping, no signal characters.
    for (const int fd : {m_slave, m_master}) {
        termios tio {};
        if (::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyServer::onWritable);
    updateReading();
    return true;
}

void PtyServer::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    updateReading();
    log(busy ? QStringLiteral("busy: not reading") : QStringLiteral("ready: reading again"));
}

void PtyServer::updateReading()
{
    if (m_readNotifier)
        m_readNotifier->setEnabled(!m_busy && !m_lineDown && m_pending.isEmpty());
}

void PtyServer::onReadable()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        // EIO means no one holds the slave; we do, so this should not happen,
        // but a notifier that keeps firing must not turn into a busy loop.
        if (!m_lineDown)
            log(QStringLiteral("line down (%1); retrying").arg(n < 0 ? errnoText() : QStringLiteral("end of file")));
        m_lineDown = true;
        updateReading();
        QTimer::singleShot(kLineDownRetryMs, this, [this] {
            m_lineDown = false;
            updateReading();
        });
        return;
    }
    m_pending = QByteArray(buffer, n);
    takePending();
}

// What the printer does not take stays here, and the line is not read until
// it has: so the pty fills and the writer stalls, as on a busy printer.
void PtyServer::takePending()
{
    const qsizetype taken = receive(m_pending, this, [this](const QByteArray &reply) { send(reply); });
    m_pending.remove(0, taken);
    updateReading();
}

void PtyServer::onRoom()
{
    if (!m_pending.isEmpty())
        takePending();
    emit roomToReceive();
}

qsizetype PtyServer::receive(const QByteArray &chunk, QObject *context, const ReplySink &reply)
{
    m_replyContext = context;
    m_replyTo = reply;
    m_collecting = true;
    const qsizetype n = m_printer.receive(chunk);
    m_collecting = false;
    const QByteArray taken = chunk.left(n);
    if (!taken.isEmpty() && m_record.isOpen()) {
        const QByteArray line = hexLine(taken);
        if (m_record.write(line) != line.size())
            log(QStringLiteral("record file: %1").arg(m_record.errorString()));
    }
    if (!taken.isEmpty() && !m_quiet) {
        constexpr qsizetype shown = 32;
        log(QStringLiteral("received %1%2").arg(QString::fromLatin1(taken.left(shown).toHex(' ').toUpper()),
                                                 n > shown ? QStringLiteral(" ... (%1 bytes)").arg(n) : QString()));
    }
    QStringList lines;
    lines.swap(m_collectedLog);
    for (const QString &line : lines)
        log(line);
    QByteArray answer;
    answer.swap(m_collected);
    deliver(answer);
    return n;
}

void PtyServer::deliver(const QByteArray &answer)
{
    if (answer.isEmpty() || !m_replyTo)
        return;
    QObject *context = m_replyContext;
    if (!context)
        return; // the link that asked is gone
    auto send = [this, reply = m_replyTo, answer] {
        log(QStringLiteral("reply %1").arg(QString::fromLatin1(answer.toHex(' ').toUpper())));
        reply(answer);
    };
    if (m_replyDelayMs > 0)
        QTimer::singleShot(m_replyDelayMs, context, send);
    else
        send();
}

void PtyServer::send(const QByteArray &bytes)
{
    m_output += bytes;
    flushOutput();
}

void PtyServer::onWritable()
{
    flushOutput();
}

void PtyServer::flushOutput()
{
    while (!m_output.isEmpty()) {
        const ssize_t n = ::write(m_master, m_output.constData(), static_cast<size_t>(m_output.size()));
        if (n > 0) {
            m_output.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break; // the program is not reading; wait until there is room
        log(QStringLiteral("write failed (%1); %2 reply bytes dropped").arg(errnoText()).arg(m_output.size()));
        m_output.clear();
    }
    m_writeNotifier->setEnabled(!m_output.isEmpty());
}

void PtyServer::report(const QString &line)
{
    if (m_collecting)
        m_collectedLog.append(line);
    else
        log(line);
}

void PtyServer::log(const QString &line) const
{
    if (m_quiet)
        return;
    std::fprintf(stderr, "marlix-printer-sim: %s\n", qPrintable(line));
    std::fflush(stderr);
}
