#pragma once
// The program's end of a pty line to the simulator: the slave, raw and
// non-blocking, written and read with plain system calls.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

class PtyEnd
{
public:
    ~PtyEnd() { close(); }
    // Without makeRaw the line keeps the modes the simulator gave it.
    bool open(const QString &path, bool makeRaw = true)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return false;
        if (!makeRaw)
            return true;
        termios tio {};
        ::tcgetattr(m_fd, &tio);
        ::cfmakeraw(&tio);
        return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    // Bytes written, or -1 with errno set.
    ssize_t write(const QByteArray &bytes) { return ::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size())); }
    // Writes from *written on until the line refuses (true) or all is written (false).
    bool writeUntilFull(const QByteArray &bytes, qsizetype *written)
    {
        while (*written < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + *written, size_t(bytes.size() - *written));
            if (n < 0)
                return errno == EAGAIN;
            *written += n;
        }
        return false;
    }
    QByteArray readAll()
    {
        QByteArray bytes;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        return bytes;
    }

private:
    int m_fd = -1;
};
