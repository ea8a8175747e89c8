#pragma once
// The printer simulator as a test fixture: started with QProcess, its pty path
// read from its first output line, its received bytes read from its record file.
#include <QByteArray>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

class SimProcess {
public:
    // quiet: started with --quiet, so that it logs nothing.
    explicit SimProcess(const QStringList &extraArgs = {}, bool quiet = true);
    ~SimProcess();

    // Starts and waits (bounded) for the port line (and, with "--tcp", the
    // network line); false with error() set otherwise. Started again after
    // "--tcp 0", it listens on the port it had before, as a printer switched
    // off and on again keeps its address.
    bool start();
    QString port() const { return m_port; }
    // With "--tcp": the network printer's port name ("tcp://127.0.0.1:PORT") and port.
    QString netPort() const { return m_netPort; }
    quint16 tcpPort() const { return m_tcpPort; }
    QString error() const { return m_error; }
    QString recordPath() const;

    // Every byte the simulator has received so far.
    QByteArray received() const;
    // Waits up to timeoutMs until at least n bytes were received.
    bool waitForReceived(int n, int timeoutMs = 3000) const;
    // SIGUSR1: busy on/off.
    void toggleBusy();
    // SIGSTOP, SIGCONT: the whole process halted, not even taking connections.
    void halt(bool halted);
    // One operator action on its standard input ("cover open"); with the log
    // on (not quiet), waits until the simulator has logged its line.
    bool act(const QString &line, int timeoutMs = 3000);
    void stop();
    // Its exit status once stopped.
    int exitCode() const { return m_process.exitCode(); }
    // What it logged (standard error) so far; all of it once stopped.
    QString log();

private:
    QStringList m_args;
    bool m_quiet = true;
    QString m_log;
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_port;
    QString m_netPort;
    quint16 m_tcpPort = 0;
    QString m_error;
};

// "--tcp 0" and more: a simulator that also serves the network, on any free port.
QStringList withTcp(const QStringList &more = {});

// Starts the simulator or skips the test: a macro, because QSKIP must return
// from the test function itself, not from a helper it calls.
#define START_SIM_OR_SKIP(sim)                                                                      \
    do {                                                                                            \
        if (!(sim).start())                                                                         \
            QSKIP(qPrintable(QStringLiteral("printer simulator unavailable: ") + (sim).error()));   \
    } while (false)

// Points QSettings at a fresh temporary folder; call before any settings object exists.
void isolateSettings();
// The program's settings file, as the program opens it.
QSettings settingsStore();
