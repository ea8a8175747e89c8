#pragma once
// A point-of-sale program for the pass-through's tests and bench: a
// non-blocking descriptor on the pass-through's pty link or TCP port
// (tcp://127.0.0.1:PORT), writing what it was given as fast as the window
// lets it, and reading what comes back.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

class PosProgram {
public:
    ~PosProgram() { close(); }
    bool open(const QString &address)
    {
        if (address.startsWith(QLatin1String("tcp://"))) {
            m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(quint16(address.section(QLatin1Char(':'), -1).toUInt()));
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(m_fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0)
                return false;
            const int on = 1;
            ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        } else {
            m_fd = ::open(QFile::encodeName(address).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
        return m_fd >= 0 && ::fcntl(m_fd, F_SETFL, O_NONBLOCK) == 0;
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    void send(const QByteArray &bytes) { m_out += bytes; }
    // Writes what the window takes; true once all is written.
    bool flush()
    {
        const ssize_t n = m_out.isEmpty() ? 0 : ::write(m_fd, m_out.constData(), size_t(m_out.size()));
        if (n > 0)
            m_out.remove(0, n);
        return m_out.isEmpty();
    }
    int fd() const { return m_fd; }
    QByteArray received()
    {
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            m_in.append(buffer, n);
        return m_in;
    }

private:
    int m_fd = -1;
    QByteArray m_out;
    QByteArray m_in;
};

