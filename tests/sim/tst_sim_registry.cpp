// The registry through which the terminal's port list finds running
// simulators, and the simulator's command line.

#include "SimOptions.h"
#include "SimRegistry.h"

#include <QtTest>

#include <unistd.h>

class TestSimRegistry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void registerAndWithdraw();
    void listsOnlyLiveSimulators();
    void options_data();
    void options();

private:
    void writeEntry(const QString &name, const QByteArray &content);
    QTemporaryDir m_tmp;
};

void TestSimRegistry::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    qputenv("TMPDIR", QFile::encodeName(m_tmp.path() + QStringLiteral("//")));
}

void TestSimRegistry::init()
{
    QDir(simRegistryDir()).removeRecursively();
}

void TestSimRegistry::writeEntry(const QString &name, const QByteArray &content)
{
    QVERIFY(QDir().mkpath(simRegistryDir()));
    QFile file(simRegistryDir() + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

void TestSimRegistry::registerAndWithdraw()
{
    QCOMPARE(simRegistryDir(), m_tmp.path() + QStringLiteral("/marlix-printer-sim-") + QString::number(::getuid()));
    QCOMPARE(runningSimulatorPorts(), QStringList());

    // This process stands in for a simulator; /dev/null stands in for its pty.
    QString error;
    QVERIFY2(registerSimulator(QStringLiteral("/dev/null"), QStringLiteral("/tmp/printer"), &error), qPrintable(error));
    QCOMPARE(QFileInfo(simRegistryDir()).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther), QFile::Permissions());
    QFile file(simRegistryDir() + QLatin1Char('/') + QString::number(::getpid()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("/dev/null\n/tmp/printer\n"));
    QCOMPARE(runningSimulatorPorts(), QStringList{QStringLiteral("/dev/null")});

    unregisterSimulator();
    QVERIFY(!file.exists());
    QCOMPARE(runningSimulatorPorts(), QStringList());
}

void TestSimRegistry::listsOnlyLiveSimulators()
{
    // A pid that has certainly ended: a child we waited for.
    QProcess child;
    child.start(QStringLiteral("true"), QStringList());
    QVERIFY(child.waitForStarted(10000));
    const QString deadPid = QString::number(child.processId());
    QVERIFY(child.waitForFinished(10000));
    const QString livePid = QString::number(::getpid());
    const QString parentPid = QString::number(::getppid());

    writeEntry(deadPid, "/dev/zero\n");
    writeEntry(parentPid, "/dev/full\n");
    writeEntry(livePid, "/dev/pts/does-not-exist\n"); // a reused pid
    writeEntry(QStringLiteral("notes.txt"), "/dev/null\n");
    writeEntry(QStringLiteral("0") + livePid, "/dev/null\n");

    QCOMPARE(runningSimulatorPorts(), QStringList{QStringLiteral("/dev/full")});
    QVERIFY(!QFile::exists(simRegistryDir() + QLatin1Char('/') + deadPid));
    QVERIFY(QFile::exists(simRegistryDir() + QLatin1Char('/') + livePid)); // alive: not ours to remove
    QVERIFY(QFile::exists(simRegistryDir() + QStringLiteral("/notes.txt")));
}

void TestSimRegistry::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<QStringList>("replies"); // "REQ=RESP" in lower-case hex, in order
    QTest::addColumn<int>("delay");

    const QByteArray standard("CMD MX2600 V1.00");
    QTest::newRow("defaults") << QStringList{} << true << standard << QStringList{} << 0;
    QTest::newRow("replies in order") << QStringList{"--reply", "1004=1501", "--reply", "1B76=00", "--reply", "1004=0601"} << true
                                      << standard << QStringList{"1004=1501", "1b76=00", "1004=0601"} << 0;
    QTest::newRow("empty response") << QStringList{"--reply", "0517="} << true << standard << QStringList{"0517="} << 0;
    QTest::newRow("lower-case hex") << QStringList{"--reply", "1b40=ff"} << true << standard << QStringList{"1b40=ff"} << 0;
    QTest::newRow("empty identity") << QStringList{"--identity", ""} << true << QByteArray() << QStringList{} << 0;
    QTest::newRow("delay") << QStringList{"--reply-delay", "250"} << true << standard << QStringList{} << 250;
    QTest::newRow("empty request") << QStringList{"--reply", "=15"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("not hex") << QStringList{"--reply", "1G=00"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("blank in hex") << QStringList{"--reply", "10 04=15"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("odd response") << QStringList{"--reply", "1004=150"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("delay not a number") << QStringList{"--reply-delay", "1s"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("identity beyond Latin-1") << QStringList{"--identity", QStringLiteral("CMD \u20ac")} << false << QByteArray()
                                             << QStringList{} << 0;
    QTest::newRow("stray argument") << QStringList{"extra"} << false << QByteArray() << QStringList{} << 0;
}

void TestSimRegistry::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(QByteArray, identity);
    QFETCH(QStringList, replies);
    QFETCH(int, delay);

    SimOptions options;
    int exitCode = -1;
    QCOMPARE(parseSimOptions(QStringList{QStringLiteral("marlix-printer-sim")} + arguments, &options, &exitCode), runs);
    if (!runs) {
        QCOMPARE(exitCode, 2);
        return;
    }
    QCOMPARE(options.identity, identity);
    QStringList parsed;
    for (const auto &[request, response] : options.replies)
        parsed.append(QString::fromLatin1(request.toHex() + '=' + response.toHex()));
    QCOMPARE(parsed, replies);
    QCOMPARE(options.replyDelayMs, delay);
}

QTEST_GUILESS_MAIN(TestSimRegistry)
#include "tst_sim_registry.moc"
