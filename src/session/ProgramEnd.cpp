#include "session/ProgramEnd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString errnoText(int error = errno)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool hostCharacter(QChar c)
{
    return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('.') || c == QLatin1Char('-')
        || c == QLatin1Char('_') || c == QLatin1Char(':') || c == QLatin1Char('%');
}

QString peerText(const sockaddr_storage &address)
{
    char host[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto &in = reinterpret_cast<const sockaddr_in &>(address);
        ::inet_ntop(AF_INET, &in.sin_addr, host, sizeof host);
        return QStringLiteral("%1:%2").arg(QLatin1String(host)).arg(ntohs(in.sin_port));
    }
    const auto &in6 = reinterpret_cast<const sockaddr_in6 &>(address);
    ::inet_ntop(AF_INET6, &in6.sin6_addr, host, sizeof host);
    return QStringLiteral("[%1]:%2").arg(QLatin1String(host)).arg(ntohs(in6.sin6_port));
}

QByteArray readLink(const QByteArray &path)
{
    char target[4096];
    const ssize_t n = ::readlink(path.constData(), target, sizeof target);
    return n > 0 ? QByteArray(target, n) : QByteArray();
}

// The lock file beside a link (".pos-printer.marlix-lock" beside
// "pos-printer"): the server of the link holds it locked while it runs, so
// a second one can tell the link is taken, and the kernel lets go of it
// when the server ends in any way, so a link left behind is free to take.
QByteArray lockPathFor(const QByteArray &link)
{
    const qsizetype slash = link.lastIndexOf('/');
    return link.left(slash + 1) + '.' + link.mid(slash + 1) + ".marlix-lock";
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The lock, held: its descriptor, or -1 with errno (EWOULDBLOCK: another
// server holds it).
int takeLock(const QByteArray &path)
{
    // A server that leaves removes the file as it goes: the file we locked
    // must still be the one at the path, else the next is tried.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            return -1;
        struct stat held {};
        struct stat now {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            errno = EEXIST;
            return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return -1;
        }
        if (::lstat(path.constData(), &now) == 0 && sameFile(held, now))
            return fd;
        ::close(fd);
    }
    errno = EWOULDBLOCK;
    return -1;
}

void dropLock(int fd, const QByteArray &path)
{
    struct stat held {};
    struct stat now {};
    // Removed while still locked, so that nobody locks it after us in vain.
    if (::fstat(fd, &held) == 0 && ::lstat(path.constData(), &now) == 0 && sameFile(held, now))
        ::unlink(path.constData());
    ::close(fd);
}
} // namespace

ListenTarget parseListen(const QString &listen)
{
    ListenTarget target;
    const QString text = listen.trimmed();
    const QString usage = QStringLiteral("give a path for the pseudo terminal, or tcp://HOST:PORT");
    if (text.isEmpty()) {
        target.problem = usage;
        return target;
    }
    if (!text.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive)) {
        if (text.contains(QLatin1String("://"))) {
            target.problem = text + QStringLiteral(": ") + usage;
        } else if (text.contains(QChar(0)) || text.endsWith(QLatin1Char('/'))) {
            target.problem = text + QStringLiteral(": not a file name for the pseudo terminal's link");
        } else {
            target.path = text;
        }
        return target;
    }
    target.tcp = true;
    const QString rest = text.mid(6);
    QString host;
    QString port;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close > 0 && rest.mid(close + 1).startsWith(QLatin1Char(':'))) {
            host = rest.mid(1, close - 1);
            port = rest.mid(close + 2);
        }
    } else if (const qsizetype colon = rest.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = rest.left(colon);
        port = rest.mid(colon + 1);
        if (host.contains(QLatin1Char(':'))) {
            target.problem = text + QStringLiteral(": an IPv6 address goes in brackets, as in tcp://[::1]:9100");
            return target;
        }
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (port.isEmpty() || !ok || number > 65535 || port.startsWith(QLatin1Char('+'))) {
        target.problem = text + QStringLiteral(": expected tcp://HOST:PORT with a port from 1 to 65535 "
                                               "(0 takes any free one)");
        return target;
    }
    if (!std::all_of(host.cbegin(), host.cend(), hostCharacter)) {
        target.problem = text + QStringLiteral(": \"%1\" is not a host name or address").arg(host);
        return target;
    }
    target.host = host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
    target.port = int(number);
    return target;
}

ProgramEnd::ProgramEnd(QObject *parent) : QObject(parent) {}

ProgramEnd::~ProgramEnd()
{
    close();
}

bool ProgramEnd::listen(const QString &listen, QString *error)
{
    close();
    const ListenTarget target = parseListen(listen);
    if (!target.problem.isEmpty()) {
        *error = target.problem;
        return false;
    }
    return target.tcp ? listenTcp(listen.trimmed(), error) : listenPty(target.path, error);
}

bool ProgramEnd::listenPty(const QString &path, QString *error)
{
    const QString linkPath = QFileInfo(path).absoluteFilePath();
    const QByteArray link = QFile::encodeName(linkPath);
    struct stat info {};
    if (::lstat(link.constData(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        *error = linkPath + QStringLiteral(": exists and is not a symbolic link - choose another name");
        return false;
    }
    // The link is ours from here to close(): a second server refuses it, as
    // a TCP port in use is refused, instead of pointing it at its own pty.
    const QByteArray lockPath = lockPathFor(link);
    m_lock = takeLock(lockPath);
    if (m_lock < 0) {
        *error = errno == EWOULDBLOCK
            ? linkPath + QStringLiteral(": in use - another program serves ") + linkPath
            : QFile::decodeName(lockPath) + QStringLiteral(": ") + errnoText();
        return false;
    }
    m_lockPath = lockPath;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        *error = QStringLiteral("cannot make a pseudo terminal: ") + errnoText();
        if (master >= 0)
            ::close(master);
        releaseLock();
        return false;
    }
    // Raw on the program's end: every byte value passes unchanged both ways,
    // no echo, no line editing, no CR/LF mapping. (Set through our end, it is
    // the other end's setting; a program that opens the pty may change it.)
    termios tio {};
    if (::tcgetattr(master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master, TCSANOW, &tio);
    }
    // Opened and closed once, so that "nobody holds it" looks the same
    // before the first program as after one has left: a hangup.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0)
        ::close(slave);
    // Put in place whole: a program opening the name meanwhile finds the old
    // link or the new one, never none.
    const QByteArray temporary = link + ".tmp" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(name, temporary.constData()) != 0 || ::rename(temporary.constData(), link.constData()) != 0) {
        *error = linkPath + QStringLiteral(": ") + errnoText();
        ::unlink(temporary.constData());
        ::close(master);
        releaseLock();
        return false;
    }
    m_kind = Kind::Pty;
    m_listener = master;
    m_ptyPath = QString::fromLocal8Bit(name);
    m_linkPath = linkPath;
    m_address = linkPath;
    m_ptyWatch = new QTimer(this);
    m_ptyWatch->setInterval(kPtyWatchMs);
    QObject::connect(m_ptyWatch, &QTimer::timeout, this, &ProgramEnd::watchPty);
    m_ptyWatch->start();
    return true;
}

bool ProgramEnd::listenTcp(const QString &listen, QString *error)
{
    const ListenTarget target = parseListen(listen);
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const QByteArray service = QByteArray::number(target.port);
    if (const int failed = ::getaddrinfo(target.host.toUtf8().constData(), service.constData(), &hints, &found)) {
        *error = listen + QStringLiteral(": ") + QString::fromLocal8Bit(::gai_strerror(failed));
        return false;
    }
    int fd = -1;
    int lastError = 0;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        // One program at a time; the next waits in the queue until it leaves.
        if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, 8) != 0) {
            lastError = errno;
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0) {
        *error = listen + QStringLiteral(": ") + errnoText(lastError);
        if (lastError == EADDRINUSE)
            *error += QStringLiteral(" - another program serves that port");
        else if (lastError == EACCES)
            *error += QStringLiteral(" - ports below 1024 need the administrator's rights");
        return false;
    }
    sockaddr_storage bound {};
    socklen_t size = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &size);
    const QString hostPort = peerText(bound);
    m_kind = Kind::Tcp;
    m_listener = fd;
    const QString host = target.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + target.host + QLatin1Char(']')
                                                                 : target.host;
    m_address = QStringLiteral("tcp://") + host + hostPort.mid(hostPort.lastIndexOf(QLatin1Char(':')));
    m_accept = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    QObject::connect(m_accept, &QSocketNotifier::activated, this, &ProgramEnd::acceptNext);
    return true;
}

void ProgramEnd::close()
{
    drop();
    delete m_accept;
    m_accept = nullptr;
    delete m_ptyWatch;
    m_ptyWatch = nullptr;
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
    // Only our own link: another program may have taken the name over since.
    if (!m_linkPath.isEmpty() && readLink(QFile::encodeName(m_linkPath)) == QFile::encodeName(m_ptyPath))
        ::unlink(QFile::encodeName(m_linkPath).constData());
    releaseLock();
    m_linkPath.clear();
    m_ptyPath.clear();
    m_address.clear();
    m_kind = Kind::None;
}

void ProgramEnd::releaseLock()
{
    if (m_lock >= 0)
        dropLock(m_lock, m_lockPath);
    m_lock = -1;
    m_lockPath.clear();
}

void ProgramEnd::watchPty()
{
    pollfd p{m_listener, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return;
    // Someone holds the other end now, or held it long enough to write.
    if (!(p.revents & POLLHUP) || (p.revents & POLLIN)) {
        m_ptyWatch->stop();
        takeProgram(m_listener, m_linkPath);
    }
}

void ProgramEnd::acceptNext()
{
    sockaddr_storage from {};
    socklen_t size = sizeof from;
    const int fd = ::accept4(m_listener, reinterpret_cast<sockaddr *>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return; // gone before we took it; the notifier says when the next comes
    const int on = 1;
    // Each byte goes out as it comes: a status request must not wait for more.
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    takeProgram(fd, peerText(from));
}

void ProgramEnd::takeProgram(int fd, const QString &peer)
{
    m_client = fd;
    m_peer = peer;
    if (!m_readable) {
        m_readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        m_writable = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        QObject::connect(m_readable, &QSocketNotifier::activated, this, &ProgramEnd::readable);
        QObject::connect(m_writable, &QSocketNotifier::activated, this, &ProgramEnd::flushOutput);
    }
    updateNotifiers();
    emit connected(peer);
    // What it wrote before we noticed it is there already.
    emit readable();
}

void ProgramEnd::drop()
{
    if (m_client < 0)
        return;
    delete m_readable;
    m_readable = nullptr;
    delete m_writable;
    m_writable = nullptr;
    if (m_kind == Kind::Tcp)
        ::close(m_client);
    m_client = -1;
    m_output.clear();
}

void ProgramEnd::updateNotifiers()
{
    if (m_readable)
        m_readable->setEnabled(m_reading);
    if (m_writable)
        m_writable->setEnabled(!m_output.isEmpty());
    // The next program is taken only once this one has gone.
    if (m_accept)
        m_accept->setEnabled(m_client < 0);
}

void ProgramEnd::setReading(bool on)
{
    // What waits is announced by the notifier on the next pass of the loop,
    // not from here: a reader that turns reading on from its own handler
    // would otherwise go one level deeper with every batch.
    m_reading = on;
    updateNotifiers();
}

QByteArray ProgramEnd::read(qsizetype max)
{
    if (m_client < 0 || max < 1)
        return {};
    QByteArray bytes(max, Qt::Uninitialized);
    ssize_t n;
    do {
        n = ::read(m_client, bytes.data(), size_t(max));
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        bytes.truncate(n);
        return bytes;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return {};
    // End of file, or EIO on a pty nobody holds any more: the program has
    // gone, and everything it wrote has been read.
    drop();
    updateNotifiers();
    if (m_ptyWatch)
        m_ptyWatch->start();
    emit disconnected();
    return {};
}

void ProgramEnd::write(const QByteArray &bytes)
{
    if (m_client < 0 || bytes.isEmpty())
        return;
    m_output += bytes;
    flushOutput();
}

void ProgramEnd::flushOutput()
{
    while (m_client >= 0 && !m_output.isEmpty()) {
        const ssize_t n = m_kind == Kind::Tcp
            ? ::send(m_client, m_output.constData(), size_t(m_output.size()), MSG_NOSIGNAL)
            : ::write(m_client, m_output.constData(), size_t(m_output.size()));
        if (n > 0) {
            m_output.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            m_output.clear(); // the program has gone; reading says so
        break;
    }
    updateNotifiers();
}
