#include "support/SimProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <signal.h>

SimProcess::SimProcess(const QStringList &extraArgs, bool quiet) : m_args(extraArgs), m_quiet(quiet) {}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::recordPath() const
{
    return m_dir.filePath(QStringLiteral("received.hex"));
}

bool SimProcess::start()
{
    QStringList args{QStringLiteral("--record"), recordPath()};
    if (m_quiet)
        args.append(QStringLiteral("--quiet"));
    args += m_args;
    const qsizetype tcp = args.indexOf(QStringLiteral("--tcp"));
    if (tcp >= 0 && tcp + 1 < args.size() && m_tcpPort != 0)
        args[tcp + 1] = QString::number(m_tcpPort);
    m_process.setProgram(QStringLiteral(MARLIX_SIM_PATH));
    m_process.setArguments(args);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("simulator did not start: ") + m_process.errorString();
        return false;
    }
    QDeadlineTimer deadline(5000);
    auto readLine = [&](QString *line) {
        while (!m_process.canReadLine() && !deadline.hasExpired()) {
            if (!m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
                break;
        }
        if (!m_process.canReadLine()) {
            m_error = QStringLiteral("simulator printed no port: ")
                + QString::fromLocal8Bit(m_process.readAllStandardError());
            return false;
        }
        *line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return !line->isEmpty();
    };
    if (!readLine(&m_port))
        return false;
    if (tcp < 0)
        return true;
    if (!readLine(&m_netPort))
        return false;
    m_tcpPort = quint16(m_netPort.section(QLatin1Char(':'), -1).toUInt());
    return m_tcpPort != 0;
}

QByteArray SimProcess::received() const
{
    QFile file(recordPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QByteArray::fromHex(file.readAll().simplified().replace(' ', QByteArray()));
}

bool SimProcess::waitForReceived(int n, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (received().size() < n) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

void SimProcess::toggleBusy()
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), SIGUSR1);
}

void SimProcess::halt(bool halted)
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), halted ? SIGSTOP : SIGCONT);
}

bool SimProcess::act(const QString &line, int timeoutMs)
{
    // Every action logs one line; the answers to state and help come even with --quiet.
    const auto lines = [this] { return log().count(QLatin1Char('\n')); };
    const qsizetype before = lines();
    if (m_process.write(line.toLocal8Bit() + '\n') < 0)
        return false;
    if (m_quiet && line != QLatin1String("state") && line != QLatin1String("help"))
        return m_process.waitForBytesWritten(timeoutMs);
    QDeadlineTimer deadline(timeoutMs);
    while (lines() == before) {
        if (deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(10);
    }
    return true;
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString SimProcess::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_log;
}

QStringList withTcp(const QStringList &more)
{
    return QStringList{QStringLiteral("--tcp"), QStringLiteral("0")} + more;
}

QSettings settingsStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Marlix Terminal"),
                     QStringLiteral("Marlix Terminal"));
}

void isolateSettings()
{
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings::setDefaultFormat(QSettings::IniFormat);
}
