// The registry through which the terminal's port list finds running
// simulators.

#include "link/SimRegistry.h"

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

QTEST_GUILESS_MAIN(TestSimRegistry)
#include "tst_sim_registry.moc"
