// The built simulator as a process, driven through its pty like the terminal
// drives a printer.

#include "link/SimRegistry.h"
#include "support/PtyEnd.h"

#include <QSerialPort>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using Chunks = QList<QByteArray>;

namespace {
constexpr int kWaitMs = 10000;

// Bytes of a record file; *wellFormed tells whether every line is upper-case
// hex pairs separated by single blanks.
QByteArray recordedBytes(const QString &path, bool *wellFormed = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression line(QStringLiteral("^[0-9A-F]{2}( [0-9A-F]{2})*\n$"));
    QByteArray bytes;
    bool ok = true;
    while (!file.atEnd()) {
        const QByteArray text = file.readLine();
        ok = ok && line.match(QString::fromLatin1(text)).hasMatch();
        bytes += QByteArray::fromHex(text);
    }
    if (wellFormed)
        *wellFormed = ok;
    return bytes;
}
} // namespace

class TestPrinterSim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void recordsEveryByte_data();
    void recordsEveryByte();
    void replies_data();
    void replies();
    void busyStallsUntilSigusr1();
    void lineSurvivesReopen();
    void serialPortReopens();
    void registryAndShutdown_data();
    void registryAndShutdown();
    void startFailures_data();
    void startFailures();
    void receiptsFolder();
    void paperFedAfterTheLastCutIsNoReceipt_data();
    void paperFedAfterTheLastCutIsNoReceipt();
    void decodeLog();
    void quietWithoutRuntimeFolder();

private:
    bool start(const QStringList &arguments);
    bool waitForRecorded(qsizetype count);

    QTemporaryDir m_tmp;
    QProcess *m_sim = nullptr;
    QString m_port;
    QString m_record;
};

void TestPrinterSim::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    // Our own registry, apart from any simulator another developer runs.
    qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
}

void TestPrinterSim::cleanup()
{
    if (m_sim) {
        m_sim->terminate();
        if (!m_sim->waitForFinished(kWaitMs))
            m_sim->kill();
        m_sim->waitForFinished(kWaitMs);
        delete m_sim;
        m_sim = nullptr;
    }
}

// Starts the simulator recording to a fresh file and reads its port line.
bool TestPrinterSim::start(const QStringList &arguments)
{
    static int run = 0;
    m_record = m_tmp.filePath(QStringLiteral("record-%1.txt").arg(++run));
    m_sim = new QProcess;
    m_sim->setProgram(QStringLiteral(MARLIX_SIM_PATH));
    m_sim->setArguments(QStringList{QStringLiteral("--record"), m_record} + arguments);
    m_sim->setProcessChannelMode(QProcess::SeparateChannels);
    m_sim->start();
    QDeadlineTimer deadline(kWaitMs);
    while (!m_sim->canReadLine() && !deadline.hasExpired()) {
        if (!m_sim->waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    }
    if (!m_sim->canReadLine()) {
        qWarning() << "no port line; stderr:" << m_sim->readAllStandardError();
        return false;
    }
    const QByteArray line = m_sim->readLine();
    m_port = QString::fromLocal8Bit(line).trimmed();
    return line.startsWith("/dev/pts/") && line.endsWith('\n');
}

bool TestPrinterSim::waitForRecorded(qsizetype count)
{
    QDeadlineTimer deadline(kWaitMs);
    while (recordedBytes(m_record).size() < count && !deadline.hasExpired())
        QTest::qWait(5);
    return recordedBytes(m_record).size() == count;
}

void TestPrinterSim::recordsEveryByte_data()
{
    QTest::addColumn<Chunks>("writes");
    QTest::addColumn<bool>("makeRaw");

    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every.append(static_cast<char>(b));
    QTest::newRow("ESC @") << Chunks{QByteArray::fromHex("1B40")} << true;
    QTest::newRow("every byte value") << Chunks{every} << true;
    QTest::newRow("every byte value, line as the simulator left it") << Chunks{every} << false;
    QTest::newRow("several writes") << Chunks{QByteArray::fromHex("1B40"), QByteArray::fromHex("0A"), QByteArray::fromHex("0D0A0311")} << false;
    QTest::newRow("a long write") << Chunks{every.repeated(40)} << true;
}

void TestPrinterSim::recordsEveryByte()
{
    QFETCH(Chunks, writes);
    QFETCH(bool, makeRaw);
    QVERIFY(start({QStringLiteral("--quiet")}));
    PtyEnd pty;
    QVERIFY(pty.open(m_port, makeRaw));

    QByteArray sent;
    for (const QByteArray &bytes : writes) {
        qsizetype done = 0;
        QDeadlineTimer deadline(kWaitMs);
        while (done < bytes.size() && !deadline.hasExpired()) {
            const ssize_t n = pty.write(bytes.mid(done));
            if (n > 0)
                done += n;
            else
                QTest::qWait(5);
        }
        QCOMPARE(done, bytes.size());
        sent += bytes;
        QVERIFY(waitForRecorded(sent.size()));
    }
    bool wellFormed = false;
    QCOMPARE(recordedBytes(m_record, &wellFormed).toHex(' '), sent.toHex(' '));
    QVERIFY(wellFormed);
    QCOMPARE(pty.readAll(), QByteArray()); // no echo
    if (writes.size() == 1 && writes.first().size() == 2) {
        QFile file(m_record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("1B 40\n"));
    }
}

void TestPrinterSim::replies_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Chunks>("writes");
    QTest::addColumn<QByteArray>("expected");

    const auto hex = [](const char *text) { return QByteArray::fromHex(text); };
    QTest::newRow("reply rule") << QStringList{"--reply", "1004=1501"} << Chunks{hex("1004")} << hex("1501");
    QTest::newRow("reply rule, request split over reads") << QStringList{"--reply", "1004=1501"} << Chunks{hex("10"), hex("04")} << hex("1501");
    QTest::newRow("later rule wins") << QStringList{"--reply", "1004=1501", "--reply", "1004=0608"} << Chunks{hex("1004")} << hex("0608");
    QTest::newRow("reply after a delay") << QStringList{"--reply-delay", "30", "--reply", "1004=1501"} << Chunks{hex("1004")} << hex("1501");
    QTest::newRow("identity, default") << QStringList{} << Chunks{hex("0515")} << QByteArray("CMD MX2600 V1.00");
    QTest::newRow("identity, given") << QStringList{"--identity", "xxCMD T340QV rev"} << Chunks{hex("05"), hex("15")}
                                     << QByteArray("xxCMD T340QV rev");
    QTest::newRow("identity, Latin-1 byte") << QStringList{"--identity", QStringLiteral("CMD MX2100 \u00e9")} << Chunks{hex("0515")}
                                            << QByteArray("CMD MX2100 \xE9");
    // The probe's answer arrives alone: the identity query got none.
    QTest::newRow("identity, silent") << QStringList{"--identity", "", "--reply", "1004=AA"} << Chunks{hex("0515"), hex("1004")} << hex("AA");
    QTest::newRow("macro list")
        << QStringList{} << Chunks{hex("1B6701414243"), hex("1B67021B1F6D44656D6F00"), hex("0517")}
        << QByteArray("\x02\x20" "3      User   Demo\r\n");
    QTest::newRow("macro list, extended store")
        << QStringList{} << Chunks{hex("1B1F62780041"), hex("1B1F65"), hex("4100"), hex("1B1F7400"), hex("0517")}
        << QByteArray("\x02\x20" "1      User   A\r\n" "1      Ext    A\r\n");
}

void TestPrinterSim::replies()
{
    QFETCH(QStringList, arguments);
    QFETCH(Chunks, writes);
    QFETCH(QByteArray, expected);

    QVERIFY(start(arguments));
    PtyEnd pty;
    QVERIFY(pty.open(m_port));
    qsizetype sent = 0;
    for (const QByteArray &bytes : writes) {
        QCOMPARE(pty.write(bytes), bytes.size());
        sent += bytes.size();
        QVERIFY(waitForRecorded(sent)); // each write is its own read
    }
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((received += pty.readAll()).toHex(' '), expected.toHex(' '), kWaitMs);
}

void TestPrinterSim::busyStallsUntilSigusr1()
{
    QVERIFY(start({QStringLiteral("--busy")}));
    PtyEnd pty;
    QVERIFY(pty.open(m_port));

    // Fill the line until it refuses; nothing may be read meanwhile.
    const auto fill = [&pty](qsizetype *written) {
        const QByteArray block(512, 'x');
        for (int i = 0; i < 8192; ++i) {
            const ssize_t n = pty.write(block);
            if (n < 0)
                return errno == EAGAIN;
            *written += n;
        }
        return false;
    };
    qsizetype written = 0;
    QVERIFY(fill(&written));
    QVERIFY(written > 0);
    QCOMPARE(recordedBytes(m_record).size(), 0);

    ::kill(static_cast<pid_t>(m_sim->processId()), SIGUSR1);
    QVERIFY(waitForRecorded(written));
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += m_sim->readAllStandardError()).contains("ready: reading again"), kWaitMs);

    // Busy again: once the simulator says so it reads nothing more.
    log.clear();
    ::kill(static_cast<pid_t>(m_sim->processId()), SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT((log += m_sim->readAllStandardError()).contains("busy: not reading"), kWaitMs);
    const qsizetype before = recordedBytes(m_record).size();
    QCOMPARE(before, written);
    QVERIFY(fill(&written));
    QCOMPARE(recordedBytes(m_record).size(), before);
}

void TestPrinterSim::lineSurvivesReopen()
{
    QVERIFY(start({QStringLiteral("--reply"), QStringLiteral("1004=1501"), QStringLiteral("--quiet")}));
    for (int round = 0; round < 3; ++round) {
        PtyEnd pty;
        QVERIFY(pty.open(m_port));
        QCOMPARE(pty.write(QByteArray::fromHex("1004")), 2);
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += pty.readAll(), QByteArray::fromHex("1501"), kWaitMs);
    }
    QCOMPARE(m_sim->state(), QProcess::Running);
}

// The terminal opens the line with QSerialPort, once per operation.
void TestPrinterSim::serialPortReopens()
{
    QVERIFY(start({QStringLiteral("--reply"), QStringLiteral("1004=1501"), QStringLiteral("--quiet")}));
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every.append(static_cast<char>(b));
    qsizetype sent = 0;
    for (int round = 0; round < 3; ++round) {
        QSerialPort port(m_port);
        port.setBaudRate(19200);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        QVERIFY(port.setFlowControl(round == 1 ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl));
        QCOMPARE(port.write(every + QByteArray::fromHex("1004")), every.size() + 2);
        sent += every.size() + 2;
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += port.readAll(), QByteArray::fromHex("1501"), kWaitMs);
        port.close();
    }
    QVERIFY(waitForRecorded(sent));
    QCOMPARE(recordedBytes(m_record), (every + QByteArray::fromHex("1004")).repeated(3));
}

void TestPrinterSim::registryAndShutdown_data()
{
    QTest::addColumn<int>("signo");
    QTest::addColumn<bool>("staleLink");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGTERM, replaces a stale link") << int(SIGTERM) << true;
}

void TestPrinterSim::registryAndShutdown()
{
    QFETCH(int, signo);
    QFETCH(bool, staleLink);
    const QString link = m_tmp.filePath(QStringLiteral("printer"));
    QFile::remove(link);
    if (staleLink)
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/nonexistent"), link));

    QVERIFY(start({QStringLiteral("--link"), link, QStringLiteral("--quiet")}));
    QCOMPARE(QFile::symLinkTarget(link), m_port);

    const QString entry = simRegistryDir() + QLatin1Char('/') + QString::number(m_sim->processId());
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(file.readAll()), m_port + QLatin1Char('\n') + link + QLatin1Char('\n'));
    QVERIFY(runningSimulatorPorts().contains(m_port));

    ::kill(static_cast<pid_t>(m_sim->processId()), signo);
    QVERIFY(m_sim->waitForFinished(kWaitMs));
    QCOMPARE(m_sim->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_sim->exitCode(), 0);
    QVERIFY(!QFile::exists(entry));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!runningSimulatorPorts().contains(m_port));
}

void TestPrinterSim::startFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");

    const QString plainFile = m_tmp.filePath(QStringLiteral("plain.txt"));
    QTest::newRow("reply without =") << QStringList{"--reply", "1004"} << 2;
    QTest::newRow("reply, odd hex") << QStringList{"--reply", "100=15"} << 2;
    QTest::newRow("reply-delay negative") << QStringList{"--reply-delay", "-5"} << 2;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2;
    QTest::newRow("record in a missing folder") << QStringList{"--record", m_tmp.filePath("missing/rec.txt")} << 1;
    QTest::newRow("link over a plain file") << QStringList{"--link", plainFile} << 1;
    QTest::newRow("receipts without a folder") << QStringList{"--receipts", ""} << 2;
    QTest::newRow("receipts in a plain file") << QStringList{"--receipts", plainFile} << 1;
}

void TestPrinterSim::startFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);

    const QString plainFile = m_tmp.filePath(QStringLiteral("plain.txt"));
    QFile plain(plainFile);
    QVERIFY(plain.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(plain.write("keep"), 4);
    plain.close();

    QProcess sim;
    sim.start(QStringLiteral(MARLIX_SIM_PATH), arguments);
    QVERIFY(sim.waitForStarted(kWaitMs));
    const qint64 pid = sim.processId();
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitCode(), exitCode);
    QCOMPARE(sim.readAllStandardOutput(), QByteArray()); // no port line
    QVERIFY(!sim.readAllStandardError().isEmpty());
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), QByteArray("keep"));
    // A failed start leaves nothing in the registry.
    QVERIFY(!QFile::exists(simRegistryDir() + QLatin1Char('/') + QString::number(pid)));
}

// --receipts: a PNG per cut receipt and the open one at exit, numbered on
// after the files already there; unknown commands logged once.
void TestPrinterSim::receiptsFolder()
{
    const QString folder = m_tmp.filePath(QStringLiteral("receipts"));
    QVERIFY(QDir().mkpath(folder));
    QFile earlier(folder + QStringLiteral("/receipt-007.png"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.close();
    QVERIFY(start({QStringLiteral("--receipts"), folder}));
    PtyEnd pty;
    QVERIFY(pty.open(m_port));
    const QByteArray stream = QByteArray("A\n\x1DV\x00", 5) + "B\x1BU\x01\x1BU\x01";
    QCOMPARE(pty.write(stream), stream.size());
    QVERIFY(waitForRecorded(stream.size()));
    const QString eighth = folder + QStringLiteral("/receipt-008.png");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(eighth), kWaitMs);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/receipt-009.png")));
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(kWaitMs));
    const QString ninth = folder + QStringLiteral("/receipt-009.png");
    QVERIFY(QFile::exists(ninth));
    QCOMPARE(QImage(eighth).size(), QSize(576, 30));
    QCOMPARE(QImage(ninth).size(), QSize(576, 30));

    const QString log = QString::fromLocal8Bit(m_sim->readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("marlix-printer-sim: receipt 8: 72 x 3.8 mm, ") + eighth + QLatin1Char('\n')), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("marlix-printer-sim: receipt 9: 72 x 3.8 mm, ") + ninth + QStringLiteral(" (not cut)\n")),
             qPrintable(log));
    QCOMPARE(log.count(QStringLiteral("unknown command 1B 55")), 1);
}

// Paper fed after the last cut, with nothing printed: no receipt file of
// blank paper; the log says why there is none.
void TestPrinterSim::paperFedAfterTheLastCutIsNoReceipt_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("said");
    QTest::newRow("line feed after a cut") << QByteArray("A\n\x1DV\x00\n", 6) << 1
                                           << "nothing printed after the last cut";
    QTest::newRow("line feeds, no cut") << QByteArray("\n\n") << 0 << "nothing printed";
}

void TestPrinterSim::paperFedAfterTheLastCutIsNoReceipt()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, files);
    QFETCH(QString, said);
    const QString folder = m_tmp.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(start({QStringLiteral("--receipts"), folder}));
    PtyEnd pty;
    QVERIFY(pty.open(m_port));
    QCOMPARE(pty.write(stream), stream.size());
    QVERIFY(waitForRecorded(stream.size()));
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(kWaitMs));
    QCOMPARE(QDir(folder).entryList({QStringLiteral("receipt-*.png")}, QDir::Files).size(), files);
    const QString log = QString::fromLocal8Bit(m_sim->readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("marlix-printer-sim: ") + said + QLatin1Char('\n')), qPrintable(log));
}

// --decode: a line for each command and text run, in stream order however the
// line chopped it, the notes before the entry that raised them and a saved
// receipt after the cut that ended it.
void TestPrinterSim::decodeLog()
{
    const QString folder = m_tmp.filePath(QStringLiteral("decoded"));
    QVERIFY(start({QStringLiteral("--decode"), QStringLiteral("--receipts"), folder}));
    PtyEnd pty;
    QVERIFY(pty.open(m_port));
    const QByteArray stream = QByteArray("AB\n\x1DV\x00\x1BU\x01\x1B", 10);
    QCOMPARE(pty.write(stream.left(4)), 4);
    QVERIFY(waitForRecorded(4));
    QCOMPARE(pty.write(stream.mid(4)), stream.size() - 4);
    QVERIFY(waitForRecorded(stream.size()));
    QCOMPARE(pty.write(QByteArray("a\x05", 2)), 2);
    QVERIFY(waitForRecorded(stream.size() + 2));
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(kWaitMs));

    QStringList lines = QString::fromLocal8Bit(m_sim->readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString &line) {
        return !line.startsWith(QLatin1String("marlix-printer-sim: ")) || line.startsWith(QLatin1String("marlix-printer-sim: received "))
            || line.startsWith(QLatin1String("marlix-printer-sim: serving "));
    });
    const QString prefix = QStringLiteral("marlix-printer-sim: ");
    const QStringList expected{
        prefix + "000000  41 42                             text      'AB', font A",
        prefix + "000002  0A                                LF        print the line and feed one line",
        prefix + "000003  1D 56 00                          GS V      cut: full",
        prefix + "receipt 1: 72 x 3.8 mm, " + folder + "/receipt-001.png",
        prefix + "unknown command 1B 55",
        prefix + "000006  1B 55 01                          ESC U     unknown command 1B 55",
        prefix + "command 1B 61 05: parameter out of range, ignored",
        prefix + "000009  1B 61 05                          ESC a     justification: 5 is out of range, ignored",
    };
    QCOMPARE(lines, expected);
}

// Under cron, CI or a root shell XDG_RUNTIME_DIR is often unset: standard
// error, the simulator's log, has nothing of Qt's about it, also when it
// draws receipts (with a GUI application).
void TestPrinterSim::quietWithoutRuntimeFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([runtime] {
        if (!runtime.isEmpty())
            qputenv("XDG_RUNTIME_DIR", runtime);
    });
    QVERIFY(start({QStringLiteral("--receipts"), m_tmp.filePath(QStringLiteral("quiet"))}));
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(kWaitMs));
    const QString log = QString::fromLocal8Bit(m_sim->readAllStandardError());
    for (const QString &line : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(QLatin1String("marlix-printer-sim: ")), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestPrinterSim)
#include "tst_printer_sim.moc"
