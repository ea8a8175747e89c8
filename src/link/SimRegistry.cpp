#include "link/SimRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString ownFile()
{
    return simRegistryDir() + QLatin1Char('/') + QString::number(::getpid());
}

// A folder in a shared /tmp could have been made by someone else; only trust
// our own.
bool isOwnDirectory(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

bool isAlive(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
} // namespace

QString simRegistryDir()
{
    QString base = QString::fromLocal8Bit(qgetenv("TMPDIR"));
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QStringLiteral("/marlix-printer-sim-") + QString::number(::getuid());
}

QStringList runningSimulatorPorts()
{
    const QString dir = simRegistryDir();
    if (!isOwnDirectory(dir))
        return {};
    QList<qint64> pids;
    const QStringList names = QDir(dir).entryList(QDir::Files);
    for (const QString &name : names) {
        bool ok = false;
        const qint64 pid = name.toLongLong(&ok);
        if (ok && name == QString::number(pid))
            pids.append(pid);
    }
    std::sort(pids.begin(), pids.end());

    QStringList ports;
    for (const qint64 pid : pids) {
        const QString path = dir + QLatin1Char('/') + QString::number(pid);
        if (!isAlive(pid)) {
            QFile::remove(path);
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString slave = QString::fromLocal8Bit(file.readLine()).trimmed();
        // A live pid whose pty is gone is a reused pid, not a simulator.
        if (!slave.isEmpty() && QFileInfo::exists(slave))
            ports.append(slave);
    }
    return ports;
}

bool registerSimulator(const QString &slavePath, const QString &linkPath, QString *error)
{
    const QString dir = simRegistryDir();
    const QByteArray encoded = QFile::encodeName(dir);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(dir, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (!isOwnDirectory(dir)) {
        if (error)
            *error = QStringLiteral("%1 is not a folder owned by this user").arg(dir);
        return false;
    }
    QByteArray content = QFile::encodeName(slavePath) + '\n';
    if (!linkPath.isEmpty())
        content += QFile::encodeName(linkPath) + '\n';
    // Written whole and renamed into place, so readers never see half a file.
    QSaveFile file(ownFile());
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

void unregisterSimulator()
{
    QFile::remove(ownFile());
}
