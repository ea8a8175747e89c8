// The program as a user starts it: its command line, and how it ends when
// the desktop session or a terminal sends it a signal.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

// True once the process catches the signal: its handlers are installed.
bool catches(qint64 pid, int signo)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signo - 1)) & 1;
    }
    return false;
}

} // namespace

class tst_ProgramE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void answersWithoutAWindow_data();
    void answersWithoutAWindow();
    void signalEndsAsExitDoes_data();
    void signalEndsAsExitDoes();
    void signalAfterACommandKeepsIt();
    void signalDuringAScript();
};

void tst_ProgramE2E::answersWithoutAWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--port <NAME>" << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "Marlix Terminal 1." << "";
    QTest::newRow("bad baud") << QStringList{"--port", "ttyS0", "--baud", "fast"} << 2 << ""
                              << "rizeruzozo: --baud fast: not a baud rate";
    QTest::newRow("unknown option") << QStringList{"--record", "x"} << 2 << "" << "rizeruzozo: Unknown option 'record'.";
}

// No display at all: these must still answer, on the right stream, with the right status.
void tst_ProgramE2E::answersWithoutAWindow()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess p;
    p.setProcessEnvironment(withoutDisplay());
    p.start(QStringLiteral(MARLIX_PROGRAM_PATH), args);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);
    const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    if (!err.isEmpty()) {
        QVERIFY2(stdErr.startsWith(err), qPrintable(stdErr));
        QCOMPARE(stdErr.count(QLatin1Char('\n')), 1);
    }
}

void tst_ProgramE2E::signalEndsAsExitDoes_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM (logout, kill)") << int(SIGTERM);
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

// Started with --port and --baud, ended by a signal: the choice is saved as
// File > Exit saves it, and the program ends normally.
void tst_ProgramE2E::signalEndsAsExitDoes()
{
    QFETCH(int, signo);
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MARLIX_PROGRAM_PATH), {"--port", "/dev/ttyMarlix7", "--baud", "9600"});
    QVERIFY(p.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(catches(p.processId(), signo), 10000);
    ::kill(pid_t(p.processId()), signo);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QSettings saved(config.filePath(QStringLiteral("Marlix Terminal/Marlix Terminal.ini")), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("Settings/IOPort")).toString(), QStringLiteral("/dev/ttyMarlix7"));
    QCOMPARE(saved.value(QStringLiteral("Settings/BaudRate")).toString(), QStringLiteral("9600"));
}

// The window as main() wires it: a command sent, then SIGTERM; the history
// that holds the command is saved.
void tst_ProgramE2E::signalAfterACommandKeepsIt()
{
    settingsStore().clear();
    FakePrinter port;
    FakeOperator op;
    frmTerminal w(&port, &op, nullptr);
    w.endOnQuitSignals();
    w.show();
    w.AutoQuery->setChecked(false);
    w.SendInfo->setEditText(QStringLiteral("[ESC]@kept"));
    QTest::mouseClick(w.SendCommand, Qt::LeftButton);
    QCOMPARE(port.written, QByteArray("\x1B@kept"));
    ::raise(SIGTERM);
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(settingsStore().value(QStringLiteral("Settings/CommandsA")).toString(), QStringLiteral("[ESC]@kept"));
    QVERIFY(port.count(QStringLiteral("ClosePort")) >= 1);
}

// A signal in the middle of a script: the run stops at its next step and the
// settings are saved all the same.
void tst_ProgramE2E::signalDuringAScript()
{
    settingsStore().clear();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("long.dmo"));
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("A{WAIT:5}B{WAIT:5}C{WAIT:5}D");
    file.close();
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    // The fake pump serves real events, so the signal is seen where the window would see it.
    pump.onServe = [] { QCoreApplication::processEvents(); };
    bool raised = false;
    pump.onSleep = [&](int) {
        if (!raised) {
            raised = true;
            ::raise(SIGTERM);
        }
    };
    frmTerminal w(&port, &op, &pump);
    w.endOnQuitSignals();
    w.show();
    w.FileNameTextBox->setEditText(name);
    QTest::mouseClick(w.SendScript, Qt::LeftButton);
    QVERIFY(raised);
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(!w.scripts().running());
    QVERIFY2(!port.written.contains('D'), port.written.constData()); // the run ended early
    QCOMPARE(settingsStore().value(QStringLiteral("Settings/ScriptsA")).toString(), name);
}

QTEST_MAIN(tst_ProgramE2E)
#include "tst_program_e2e.moc"
