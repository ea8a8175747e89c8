#include "PtyServer.h"

#include "ReceiptFiles.h"
#include "printer/PrinterModel.h"

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

PtyServer::PtyServer(PrinterModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
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
        m_readNotifier->setEnabled(!m_busy && !m_lineDown);
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
    receive(QByteArray(buffer, n), this, [this](const QByteArray &reply) { send(reply); });
}

void PtyServer::receive(const QByteArray &chunk, QObject *context, const std::function<void(const QByteArray &)> &reply)
{
    const qsizetype n = chunk.size();
    if (m_record.isOpen()) {
        const QByteArray line = hexLine(chunk);
        if (m_record.write(line) != line.size())
            log(QStringLiteral("record file: %1").arg(m_record.errorString()));
    }
    if (!m_quiet) {
        constexpr qsizetype shown = 32;
        log(QStringLiteral("received %1%2").arg(QString::fromLatin1(chunk.left(shown).toHex(' ').toUpper()),
                                                 n > shown ? QStringLiteral(" ... (%1 bytes)").arg(n) : QString()));
    }
    const QByteArray answer = m_model.receive(chunk);
    for (const QString &event : m_model.takeEvents())
        log(event);
    const QByteArray paper = m_model.takePaper();
    if (m_receipts) {
        for (const QString &line : m_receipts->print(paper))
            log(line);
    }
    if (answer.isEmpty())
        return;
    auto deliver = [this, reply, answer] {
        log(QStringLiteral("reply %1").arg(QString::fromLatin1(answer.toHex(' ').toUpper())));
        reply(answer);
    };
    if (m_replyDelayMs > 0)
        QTimer::singleShot(m_replyDelayMs, context, deliver);
    else
        deliver();
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

void PtyServer::log(const QString &line) const
{
    if (m_quiet)
        return;
    std::fprintf(stderr, "marlix-printer-sim: %s\n", qPrintable(line));
    std::fflush(stderr);
}
