#include "SimRegistry.h"

#include <QDir>
#include <QFile>

#include <signal.h>
#include <unistd.h>

QStringList runningSimulatorPorts()
{
    QStringList ports;
    QDir dir(QDir::tempPath() + QStringLiteral("/marlix-printer-sim-") + QString::number(getuid()));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString &name : files) {
        bool ok = false;
        const pid_t pid = name.toInt(&ok);
        if (!ok)
            continue;
        if (kill(pid, 0) != 0) {
            dir.remove(name);
            continue;
        }
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            const QString path = QString::fromLocal8Bit(file.readLine()).trimmed();
            if (!path.isEmpty())
                ports << path;
        }
    }
    return ports;
}
