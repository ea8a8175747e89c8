#include "support/RunProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

RunProcess::RunProcess()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("work"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
}

QString RunProcess::path(const QString &relative) const
{
    const QString work = m_dir.filePath(QStringLiteral("work"));
    return relative.isEmpty() ? work : work + QLatin1Char('/') + relative;
}

QString RunProcess::write(const QString &relative, const QByteArray &bytes)
{
    const QString name = path(relative);
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

QString RunProcess::settingsFile() const
{
    return m_dir.filePath(QStringLiteral("config/Marlix Terminal/Marlix Terminal.ini"));
}

void RunProcess::saveSettings(const QList<QPair<QString, QString>> &values)
{
    QSettings store(settingsFile(), QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Settings"));
    for (const auto &[key, value] : values)
        store.setValue(key, value);
    store.endGroup();
    store.sync();
}

QProcess &RunProcess::start(const QStringList &arguments, const std::function<void()> &inChild)
{
    m_process.setChildProcessModifier(inChild);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    for (const auto &[name, value] : std::as_const(m_env)) {
        if (value.isNull())
            env.remove(name);
        else
            env.insert(name, value);
    }
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(path());
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral(MARLIX_RUN_PATH), arguments);
    m_process.waitForStarted(10000);
    return m_process;
}

RunProcess::Result RunProcess::run(const QStringList &arguments, int timeoutMs)
{
    start(arguments);
    Result result;
    result.finished = m_process.waitForFinished(timeoutMs);
    if (!result.finished) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    result.status = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    result.out = m_process.readAllStandardOutput();
    result.err = m_process.readAllStandardError();
    return result;
}
