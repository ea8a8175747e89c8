// The built marlix-run over a pty to the printer simulator: for each command
// line, exactly what it prints, what it tells, its exit status and the bytes
// the printer received.
#include "support/Fakes.h"
#include "support/RunProcess.h"
#include "support/SimProcess.h"

#include <QFile>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPort = QStringLiteral("%PORT%");
const QString kNetPort = QStringLiteral("%NETPORT%"); // the simulator's tcp:// name

// Files every row can name, in the runner's folder.
const QList<QPair<QString, QByteArray>> kFiles = {
    {"count.dmo", "AB{A+:1}{A}\\n"},
    {"raw.prn", QByteArray("\x1D" "v0\x00\xFF\r\n", 7)},
    {"talk.dmo", "A{STOP}B{ECHO}Hello there\r\nC"},
    {"do.dmo", "A{DO:gone.dmo}B"},
    {"graphic.dmo", "A{GRAPHIC:gone.prn}B"},
    {"ask.dmo", "A{GET1284}B"},
};

QStringList withPort(QStringList arguments, const QString &port, const QString &netPort = QString())
{
    for (QString &a : arguments)
        a.replace(kPort, port).replace(kNetPort, netPort);
    return arguments;
}

} // namespace

class tst_MarlixRun : public QObject {
    Q_OBJECT
private slots:
    void items_data();
    void items();
    void logEqualsStandardOutput();
    void savedSettingsAreTheDefaults();
    void portNotesAreToldOnce();
    void closedOutputDoesNotStopThePrinter();
    void notADevicePortIsRefused_data();
    void notADevicePortIsRefused();
    void signalEndsTheRun_data();
    void signalEndsTheRun();
};

void tst_MarlixRun::items_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("wire");

    const QStringList drawer{"--reply", "1B40=1501"};
    const QByteArray sentEscAt("\r\n[ESC]@");
    const QByteArray drawerOpen("\r\n**Cash Drawer 1 Open**\r\n");

    QTest::newRow("command, no reply read")
        << drawer << QStringList{"-p", kPort, "-c", "[ESC]@"} << sentEscAt << QByteArray() << 0 << "1B 40";
    QTest::newRow("command and its reply, normal")
        << drawer << QStringList{"-p", kPort, "-r", "-c", "[ESC]@"}
        << sentEscAt + "\r\n[NAK][SOH]" + drawerOpen << QByteArray() << 0 << "1B 40";
    QTest::newRow("command and its reply, hex")
        << drawer << QStringList{"-p", kPort, "--mode", "hex", "-rc", "[ESC]@"}
        << sentEscAt + "\r\n<15><1>" + drawerOpen << QByteArray() << 0 << "1B 40";
    QTest::newRow("command and its reply, dec")
        << drawer << QStringList{"-p", kPort, "--auto-query", "--mode=dec", "--command=[ESC]@"}
        << sentEscAt + "\r\n<21><1>" + drawerOpen << QByteArray() << 0 << "1B 40";
    // The same printer on the network: the runner reaches it by its tcp:// name.
    QTest::newRow("network printer: command and its reply")
        << QStringList{"--tcp", "0", "--reply", "1B40=1501"} << QStringList{"-p", kNetPort, "-r", "-c", "[ESC]@"}
        << sentEscAt + "\r\n[NAK][SOH]" + drawerOpen << QByteArray() << 0 << "1B 40";
    QTest::newRow("network printer: a script")
        << QStringList{"--tcp", "0"} << QStringList{"-p", kNetPort, "count.dmo"} << QByteArray("\r\nAB1\r\n\r\n")
        << QByteArray() << 0 << "41 42 31 0D 0A";
    QTest::newRow("network printer that refuses: the port did not open")
        << QStringList{} << QStringList{"-p", "tcp://127.0.0.1:1", "-c", "A"} << QByteArray()
        << QByteArray("marlix-run: tcp://127.0.0.1:1: Connection refused - is the printer switched on, and does it "
                      "take print data on port 1?\n")
        << 3 << "";
    QTest::newRow("Get Response from a silent printer")
        << QStringList{} << QStringList{"-p", kPort, "--get-response"}
        << QByteArray("\r\n** No Responce**\r\n") << QByteArray() << 0 << "";
    QTest::newRow("items in the order given")
        << QStringList{"--reply", "41=4F4B0D0A"} << QStringList{"-p", kPort, "-c", "A", "--get-response", "-c", "B"}
        << QByteArray("\r\nA\r\nOK\r\n\r\nB") << QByteArray() << 0 << "41 42";
    QTest::newRow("files and commands in the order given")
        << QStringList{} << QStringList{"-p", kPort, "-c", "X", "count.dmo", "-c", "Y"}
        << QByteArray("\r\nX\r\nAB1\r\n\r\n\r\nY") << QByteArray() << 0 << "58 41 42 31 0D 0A 59";
    QTest::newRow("value above 255: told, 0 sent")
        << QStringList{} << QStringList{"-p", kPort, "-c", "<300>A"} << QByteArray("\r\n[NUL]A")
        << QByteArray("marlix-run: Value is greater than 255.\n") << 0 << "00 41";
    QTest::newRow("script with its transcript")
        << QStringList{} << QStringList{"-p", kPort, "count.dmo"} << QByteArray("\r\nAB1\r\n\r\n") << QByteArray()
        << 0 << "41 42 31 0D 0A";
    QTest::newRow("script without transcript")
        << QStringList{} << QStringList{"-p", kPort, "--no-transcript", "count.dmo"} << QByteArray("\r\n")
        << QByteArray() << 0 << "41 42 31 0D 0A";
    QTest::newRow("counters kept from item to item")
        << QStringList{} << QStringList{"-p", kPort, "count.dmo", "count.dmo"}
        << QByteArray("\r\nAB1\r\n\r\n\r\nAB2\r\n\r\n") << QByteArray() << 0 << "41 42 31 0D 0A 41 42 32 0D 0A";
    QTest::newRow("raw file, byte for byte")
        << QStringList{} << QStringList{"-p", kPort, "raw.prn"} << QByteArray("\r\n") << QByteArray() << 0
        << "1D 76 30 00 FF 0D 0A";
    QTest::newRow("STOP and ECHO told in order, the run goes on")
        << QStringList{} << QStringList{"-p", kPort, "talk.dmo"} << QByteArray("\r\nABC")
        << QByteArray("marlix-run: Script Stopped\nmarlix-run: Hello there\n") << 0
        << "41 42 43";
    QTest::newRow("GET1284 reads the reply mid-script")
        << QStringList{"--reply", "41=0604"} << QStringList{"-p", kPort, "ask.dmo"}
        << QByteArray("\r\nA\r\n[ACK][EOT]\r\n**Receipt Paper is Present**\r\nB") << QByteArray() << 0 << "41 42";
    QTest::newRow("DO of a missing file: skipped, status 1")
        << QStringList{} << QStringList{"-p", kPort, "do.dmo", "-c", "C"} << QByteArray("\r\nAB\r\nC")
        << QByteArray("marlix-run: {DO} skipped: unable to open gone.dmo: No such file or directory.\n")
        << 1 << "41 42 43";
    QTest::newRow("GRAPHIC of a missing file: skipped, status 1")
        << QStringList{} << QStringList{"-p", kPort, "graphic.dmo"} << QByteArray("\r\nAB")
        << QByteArray("marlix-run: {GRAPHIC} skipped: unable to open gone.prn: No such file or directory.\n")
        << 1 << "41 42";
    QTest::newRow("missing file: the run ends")
        << QStringList{} << QStringList{"-p", kPort, "gone.dmo", "-c", "A"} << QByteArray("\r\n")
        << QByteArray("marlix-run: Unable to open the demonstration file gone.dmo: No such file or directory.\n")
        << 1 << "";
    QTest::newRow("a printer that takes nothing: the run ends")
        << QStringList{"--busy"} << QStringList{"-p", kPort, "big.prn", "-c", "A"} << QByteArray("\r\n")
        << QByteArray("marlix-run: Unable to output data.\n") << 1 << "";
    QTest::newRow("log that will not open: nothing is sent")
        << QStringList{} << QStringList{"-p", kPort, "--log", "no-folder/run.log", "-c", "A"} << QByteArray()
        << QByteArray("marlix-run: cannot open the log no-folder/run.log: No such file or directory\n") << 1 << "";
    QTest::newRow("port that will not open")
        << QStringList{} << QStringList{"-p", "/dev/no-such-tty", "-c", "A"} << QByteArray()
        << QByteArray("marlix-run: /dev/no-such-tty: No such file or directory\n") << 3 << "";
    QTest::newRow("bad option value")
        << QStringList{} << QStringList{"-p", kPort, "--mode", "loud", "-c", "A"} << QByteArray()
        << QByteArray("marlix-run: bad --mode loud: expected normal, hex or dec\nTry marlix-run --help.\n") << 2
        << "";
    QTest::newRow("unknown option")
        << QStringList{} << QStringList{"-p", kPort, "--loop", "-c", "A"} << QByteArray()
        << QByteArray("marlix-run: Unknown option 'loop'.\nTry marlix-run --help.\n") << 2 << "";
    QTest::newRow("nothing to do")
        << QStringList{} << QStringList{"-p", kPort} << QByteArray()
        << QByteArray("marlix-run: nothing to do: give a file, --command TEXT or --get-response\n"
                      "Try marlix-run --help.\n")
        << 2 << "";
    QTest::newRow("no port given, none saved")
        << QStringList{} << QStringList{"-c", "A"} << QByteArray()
        << QByteArray("marlix-run: no port: give one with --port NAME (the window has none saved)\n"
                      "Try marlix-run --help.\n")
        << 2 << "";
}

void tst_MarlixRun::items()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, status);
    QFETCH(QString, wire);

    SimProcess sim(simArgs);
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RunProcess runner;
    for (const auto &[name, bytes] : kFiles)
        runner.write(name, bytes);
    // More than a pty holds while the printer reads nothing.
    runner.write(QStringLiteral("big.prn"), QByteArray(256 * 1024, 'x'));

    const RunProcess::Result r = runner.run(withPort(args, sim.port(), sim.netPort()));
    QVERIFY(r.finished);
    QCOMPARE(r.err, withPort({QString::fromLatin1(err)}, sim.port(), sim.netPort()).first().toLatin1());
    QCOMPARE(r.out, out);
    QCOMPARE(r.status, status);
    if (!wire.isEmpty())
        QVERIFY(sim.waitForReceived(int(fromHex(wire).size())));
    QCOMPARE(hexBytes(sim.received()), wire);
}

void tst_MarlixRun::notADevicePortIsRefused_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("said");
    QTest::newRow("named pipe") << "ff" << "is a named pipe, not a printer device";
    QTest::newRow("regular file") << "file" << "is a regular file, not a printer device";
}

// A pipe would take the bytes and lose them, a file is no printer: the run
// refuses the port before a byte goes, says why and ends with status 3.
void tst_MarlixRun::notADevicePortIsRefused()
{
    QFETCH(QString, what);
    QFETCH(QString, said);
    RunProcess runner;
    const QString path = runner.path(what);
    if (what == QLatin1String("ff"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        runner.write(what, QByteArray());
    const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const RunProcess::Result r = runner.run({"-p", path, "-c", "X"});
    QVERIFY(r.finished);
    QCOMPARE(r.err, QStringLiteral("marlix-run: %1 %2\n").arg(path, said).toLocal8Bit());
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.status, 3);
    char byte = 0;
    QVERIFY(reader >= 0);
    QCOMPARE(::read(reader, &byte, 1) > 0, false);
    ::close(reader);
}

void tst_MarlixRun::logEqualsStandardOutput()
{
    SimProcess sim({"--reply", "1B40=1501"});
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RunProcess runner;
    for (const auto &[name, bytes] : kFiles)
        runner.write(name, bytes);
    // A log that is kept is extended, as the window's log is.
    const QString log = runner.write(QStringLiteral("run.log"), "earlier run\r\n");

    const RunProcess::Result r = runner.run(
        {"-p", sim.port(), "--log", "run.log", "-r", "-c", "[ESC]@<200>", "count.dmo", "--mode", "hex", "--get-response"});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QByteArray());
    QVERIFY(r.out.contains("**Cash Drawer 1 Open**")); // what the log must also hold
    QVERIFY(r.out.contains("[ESC]@< 200>"));
    QCOMPARE(fileBytes(log), "earlier run\r\n" + r.out);
}

void tst_MarlixRun::savedSettingsAreTheDefaults()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RunProcess runner;
    runner.saveSettings({{"IOPort", sim.port()}, {"BaudRate", "9600"}, {"Flow", "0"}, {"CommandsA", "[ESC]@"}});
    const QByteArray before = fileBytes(runner.settingsFile());

    const RunProcess::Result r = runner.run({"-c", "A"});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QVERIFY(sim.waitForReceived(1));
    QCOMPARE(hexBytes(sim.received()), QStringLiteral("41"));
    // The runner reads the window's store and never writes it.
    QCOMPARE(fileBytes(runner.settingsFile()), before);
}

void tst_MarlixRun::portNotesAreToldOnce()
{
    // A pty refuses parity and 7 data bits; the window's status line would
    // say so, the runner tells it once however often the port is opened.
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RunProcess runner;
    const RunProcess::Result r =
        runner.run({"-p", sim.port(), "--parity", "E", "--data-bits", "7", "-c", "A", "--get-response", "-c", "B"});
    QCOMPARE(r.status, 0);
    const QList<QByteArray> lines = r.err.split('\n');
    QCOMPARE(lines.size(), 2); // one line and its end
    QVERIFY2(lines.at(0).startsWith("marlix-run: " + sim.port().toLocal8Bit() + ": "), r.err.constData());
    QVERIFY2(lines.at(0).contains("parity"), r.err.constData());
    QVERIFY(sim.waitForReceived(2));
    QCOMPARE(hexBytes(sim.received()), QStringLiteral("41 42"));
}

void tst_MarlixRun::closedOutputDoesNotStopThePrinter()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RunProcess runner;
    for (const auto &[name, bytes] : kFiles)
        runner.write(name, bytes);
    // Standard output is a pipe whose reader has gone away (| head, | grep -q).
    int pipeEnds[2];
    QCOMPARE(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    QProcess &p = runner.start({"-p", sim.port(), "--log", "run.log", "count.dmo", "-c", "Z"},
                               [&pipeEnds] { ::dup2(pipeEnds[1], STDOUT_FILENO); });
    ::close(pipeEnds[1]);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(err.startsWith("marlix-run: standard output: ") && err.count('\n') == 1, err.constData());
    // Everything still reached the printer and the log.
    QVERIFY(sim.waitForReceived(6));
    QCOMPARE(hexBytes(sim.received()), QStringLiteral("41 42 31 0D 0A 5A"));
    QCOMPARE(fileBytes(runner.path(QStringLiteral("run.log"))), QByteArray("\r\nAB1\r\n\r\n\r\nZ"));
}

void tst_MarlixRun::signalEndsTheRun_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("signo");
    QTest::addColumn<int>("status");
    // Both hold the run long after the signal: it must end at once, not when they are over.
    QTest::newRow("SIGTERM in a PAUSE") << QByteArray("AB\\n{PAUSE:60}CD\\n") << int(SIGTERM) << 143;
    QTest::newRow("SIGINT in a WAIT") << QByteArray("AB\\n{WAIT:30000}CD\\n") << int(SIGINT) << 130;
}

void tst_MarlixRun::signalEndsTheRun()
{
    QFETCH(QByteArray, script);
    QFETCH(int, signo);
    QFETCH(int, status);

    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RunProcess runner;
    runner.write(QStringLiteral("hold.dmo"), script);
    QProcess &p = runner.start({"-p", sim.port(), "--log", "run.log", "hold.dmo", "-c", "E"});
    QVERIFY(p.state() == QProcess::Running);
    // Everything before the hold has reached the printer: the run is holding now.
    QVERIFY(sim.waitForReceived(4, 10000));
    ::kill(pid_t(p.processId()), signo);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);

    const QByteArray out = p.readAllStandardOutput();
    QCOMPARE(out, QByteArray("\r\nAB\r\n"));
    QCOMPARE(fileBytes(runner.path(QStringLiteral("run.log"))), out);
    QCOMPARE(p.readAllStandardError(),
             QByteArray("marlix-run: stopped by ") + (signo == SIGINT ? "SIGINT" : "SIGTERM") + "\n");
    // Nothing after the hold, not even the next item.
    QCOMPARE(hexBytes(sim.received()), QStringLiteral("41 42 0D 0A"));
}

QTEST_GUILESS_MAIN(tst_MarlixRun)
#include "tst_marlix_run.moc"
