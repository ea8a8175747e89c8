// The traffic log against the fakes: choosing, replacing or extending a file,
// the errors on the way, and what reaches the file.
#include "commands/Notation.h"
#include "support/Fakes.h"
#include "session/Session.h"
#include "session/TrafficLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

FileChoice choice(const QString &path)
{
    return FileChoice{path, QFileInfo(path).fileName()};
}

// A session whose display is a FakeView and whose log is the one under test.
struct Rig {
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    FakeView view;
    Session session{port, op, pump, view};
    TrafficLog log{session};
    Rig() { session.setLogSink(&log); }
};
} // namespace

class TrafficLogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dialogRequest();
    void opening_data();
    void opening();
    void cancelInDialogChangesNothing();
    void fileErrors_data();
    void fileErrors();
    void highByteIsLoggedAsItsEcho();
    void openForAppend_data();
    void openForAppend();
    void closing();
    void writeFailureOnFullDevice();
    void partialWriteRetriesOnlyTheRest();

private:
    QTemporaryDir m_dir;
};

void TrafficLogTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A file-size limit reports EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
}

void TrafficLogTest::dialogRequest()
{
    Rig rig;
    rig.log.MOpenLog_Click();
    QCOMPARE(rig.op.fileRequests.size(), 1);
    const FileDialogRequest &r = rig.op.fileRequests.constFirst();
    QCOMPARE(r.title, QStringLiteral("Open Communications Log File"));
    QCOMPARE(r.filter, QStringLiteral("Log Files (*.LOG)|*.log|All Files (*.*)|*.*"));
    QCOMPARE(r.defaultExtension, QStringLiteral("LOG"));
    QVERIFY(!r.mustExist);
}

void TrafficLogTest::opening_data()
{
    QTest::addColumn<QByteArray>("existing"); // null: no such file
    QTest::addColumn<QList<Msg::Answer>>("answers");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QByteArray>("expected"); // after "ABC" was shown

    const QByteArray hundred(100, 'x');
    QTest::newRow("new file") << QByteArray() << QList<Msg::Answer>{} << 1 << QByteArray("ABC");
    QTest::newRow("existing, Yes replaces")
        << hundred << QList<Msg::Answer>{Msg::Answer::Yes} << 1 << QByteArray("ABC");
    QTest::newRow("existing, No appends")
        << hundred << QList<Msg::Answer>{Msg::Answer::No} << 1 << hundred + "ABC";
    QTest::newRow("existing, Cancel asks for a name again, then No")
        << hundred << QList<Msg::Answer>{Msg::Answer::Cancel, Msg::Answer::No} << 2 << hundred + "ABC";
    QTest::newRow("existing empty file, No") << QByteArray("") << QList<Msg::Answer>{Msg::Answer::No} << 1
                                             << QByteArray("ABC");
}

void TrafficLogTest::opening()
{
    QFETCH(QByteArray, existing);
    QFETCH(QList<Msg::Answer>, answers);
    QFETCH(int, dialogs);
    QFETCH(QByteArray, expected);

    const QString path = m_dir.filePath(QStringLiteral("%1.LOG").arg(QTest::currentDataTag()));
    if (!existing.isNull())
        writeFile(path, existing);
    Rig rig;
    for (int i = 0; i < dialogs; ++i)
        rig.op.files.enqueue(choice(path));
    for (Msg::Answer a : answers)
        rig.op.answers.enqueue(a);

    rig.log.MOpenLog_Click();

    QCOMPARE(rig.op.fileRequests.size(), dialogs);
    QCOMPARE(rig.op.asked.size(), answers.size());
    for (const AskedQuestion &q : rig.op.asked) {
        QCOMPARE(q.text, QStringLiteral("Replace existing file - ") + path + QStringLiteral("?"));
        QCOMPARE(q.buttons, Msg::Buttons::YesNoCancel);
        QCOMPARE(q.icon, Msg::Icon::Question);
    }
    QVERIFY(rig.log.isOpen());
    QCOMPARE(rig.log.LogFileName, path);
    QCOMPARE(rig.view.caption, QStringLiteral("Demo Log - ") + QFileInfo(path).fileName());
    QVERIFY(rig.view.logging);

    rig.session.AppendToTerm("AB");
    rig.session.AppendToTerm("");
    rig.session.AppendToTerm("C");
    // In the file at once: nothing waits for a close or a flush.
    QCOMPARE(readAll(path), expected);
    rig.log.MCloseLog_Click();
    QCOMPARE(readAll(path), expected);
}

void TrafficLogTest::cancelInDialogChangesNothing()
{
    Rig rig;
    rig.log.MOpenLog_Click();
    QVERIFY(!rig.log.isOpen());
    QVERIFY(rig.op.asked.isEmpty());
    QCOMPARE(rig.view.caption, QStringLiteral("Marlix Terminal"));
    QVERIFY(!rig.view.logging);
}

void TrafficLogTest::fileErrors_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("makeFolder"); // the name is a non-empty folder
    QTest::addColumn<QList<Msg::Answer>>("answers");
    QTest::addColumn<QString>("description");

    // These fail for root too: no permission bits involved.
    QTest::newRow("examining: a file used as a folder")
        << QStringLiteral("plain.txt/x.LOG") << false << QList<Msg::Answer>{} << qt_error_string(ENOTDIR);
    QTest::newRow("deleting: Yes on a folder")
        << QStringLiteral("folder") << true << QList<Msg::Answer>{Msg::Answer::Yes} << qt_error_string(EISDIR);
    QTest::newRow("opening: No on a folder")
        << QStringLiteral("folder") << true << QList<Msg::Answer>{Msg::Answer::No} << qt_error_string(EISDIR);
}

void TrafficLogTest::fileErrors()
{
    QFETCH(QString, relative);
    QFETCH(bool, makeFolder);
    QFETCH(QList<Msg::Answer>, answers);
    QFETCH(QString, description);

    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain.txt")), "p");
    const QString path = dir.filePath(relative);
    if (makeFolder) {
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
    }
    Rig rig;
    rig.op.files.enqueue(choice(path));
    for (Msg::Answer a : answers)
        rig.op.answers.enqueue(a);

    rig.log.MOpenLog_Click();

    QCOMPARE(rig.op.asked.size(), answers.size() + 1);
    const AskedQuestion &error = rig.op.asked.constLast();
    QCOMPARE(error.text, description);
    QCOMPARE(error.buttons, Msg::Buttons::Ok);
    QCOMPARE(error.icon, Msg::Icon::Exclamation);
    QCOMPARE(rig.op.fileRequests.size(), 1); // the command ends there
    QVERIFY(!rig.log.isOpen());
    QCOMPARE(rig.view.caption, QStringLiteral("Marlix Terminal"));
    QVERIFY(!rig.view.logging);
    if (makeFolder)
        QVERIFY(QFileInfo(path + QStringLiteral("/inside")).isDir());
}

void TrafficLogTest::highByteIsLoggedAsItsEcho()
{
    const QString path = m_dir.filePath(QStringLiteral("high.LOG"));
    Rig rig;
    rig.op.files.enqueue(choice(path));
    rig.log.MOpenLog_Click();
    rig.session.AppendToTerm(Notation::EchoText(200));
    QCOMPARE(readAll(path), QByteArray("< 200>"));
    // Bytes above 127 that the display does show go through unconverted.
    rig.session.AppendToTerm(QByteArray("\xe9\x80\r\n", 4));
    QCOMPARE(readAll(path), QByteArray("< 200>\xe9\x80\r\n", 10));
}

void TrafficLogTest::openForAppend_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QByteArray>("before"); // null: no such file yet
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << "new.LOG" << QByteArray() << QString() << QByteArray("shown");
    QTest::newRow("kept and extended") << "old.LOG" << QByteArray("100 bytes") << QString()
                                       << QByteArray("100 bytesshown");
    QTest::newRow("in a folder that is a file") << "plain.txt/x.LOG" << QByteArray() << qt_error_string(ENOTDIR)
                                                << QByteArray();
}

void TrafficLogTest::openForAppend()
{
    QFETCH(QString, relative);
    QFETCH(QByteArray, before);
    QFETCH(QString, problem);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain.txt")), "p");
    const QString path = dir.filePath(relative);
    if (!before.isNull())
        writeFile(path, before);
    Rig rig;
    QCOMPARE(rig.log.openForAppend(path), problem);
    QCOMPARE(rig.log.isOpen(), problem.isEmpty());
    rig.session.AppendToTerm("shown");
    if (problem.isEmpty())
        QCOMPARE(readAll(path), after);
    // No dialog and no question: the caller reports what went wrong.
    QVERIFY(rig.op.fileRequests.isEmpty());
    QVERIFY(rig.op.asked.isEmpty());
    QCOMPARE(rig.view.caption, QStringLiteral("Marlix Terminal"));
    if (problem.isEmpty())
        QCOMPARE(rig.log.openForAppend(path), QStringLiteral("A log file is already open"));
}

void TrafficLogTest::closing()
{
    const QString path = m_dir.filePath(QStringLiteral("closing.LOG"));
    Rig rig;
    rig.op.files.enqueue(choice(path));
    rig.log.MOpenLog_Click();
    rig.session.AppendToTerm("kept");
    rig.log.MCloseLog_Click();
    QVERIFY(!rig.log.isOpen());
    QCOMPARE(rig.view.caption, QStringLiteral("Marlix 2100"));
    QVERIFY(!rig.view.logging);
    rig.session.AppendToTerm("not logged");
    QCOMPARE(readAll(path), QByteArray("kept"));
    QCOMPARE(rig.view.display, QByteArray("keptnot logged"));
}

void TrafficLogTest::writeFailureOnFullDevice()
{
    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("no /dev/full here");
    Rig rig;
    rig.op.files.enqueue(choice(QStringLiteral("/dev/full")));
    // No: keep the device (as root, Yes would delete it).
    rig.op.answers.enqueue(Msg::Answer::No); rig.op.answers.enqueue(Msg::Answer::Retry); rig.op.answers.enqueue(Msg::Answer::Cancel);
    rig.log.MOpenLog_Click();
    QVERIFY(rig.log.isOpen());
    QCOMPARE(rig.op.asked.size(), 1);

    rig.session.AppendToTerm("ABC");

    QCOMPARE(rig.op.asked.size(), 3); // the question, then Retry, then Cancel
    for (int i = 1; i < 3; ++i) {
        QCOMPARE(rig.op.asked.at(i).text, qt_error_string(ENOSPC));
        QCOMPARE(rig.op.asked.at(i).buttons, Msg::Buttons::RetryCancel);
        QCOMPARE(rig.op.asked.at(i).icon, Msg::Icon::Critical);
    }
    QVERIFY(!rig.log.isOpen());
    QCOMPARE(rig.view.caption, QStringLiteral("Marlix 2100"));
    QVERIFY(!rig.view.logging);
    QCOMPARE(rig.view.display, QByteArray("ABC")); // shown all the same
    QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists());
}

void TrafficLogTest::partialWriteRetriesOnlyTheRest()
{
    const QString path = m_dir.filePath(QStringLiteral("partial.LOG"));
    Rig rig;
    rig.op.files.enqueue(choice(path));
    rig.log.MOpenLog_Click();
    QVERIFY(rig.log.isOpen());

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4; // the file may grow to 4 bytes: "ABCDEFGH" goes half-way
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    rig.op.answers.enqueue(Msg::Answer::Retry);
    rig.op.onMessage = [&](const AskedQuestion &) { setrlimit(RLIMIT_FSIZE, &saved); };

    rig.session.AppendToTerm("ABCDEFGH");
    setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(rig.op.asked.size(), 1);
    QCOMPARE(rig.op.asked.constFirst().text, qt_error_string(EFBIG));
    QVERIFY(rig.log.isOpen());
    QCOMPARE(readAll(path), QByteArray("ABCDEFGH"));
}

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "tst_traffic_log.moc"
