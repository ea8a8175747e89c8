// The log commands on the real main window: menus, caption, and a log that
// exiting closes with everything shown in it.
#include "support/Fakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "session/TrafficLog.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace

class LogFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void menusAndCaption();
    void exitWithLogOpenClosesIt();
    void cancelledWriteErrorRestoresMenus();

private:
    QTemporaryDir m_dir;
};

void LogFormTest::initTestCase()
{
    isolateSettings();
    QVERIFY(m_dir.isValid());
}

void LogFormTest::menusAndCaption()
{
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    frmTerminal w(&port, &op, &pump);
    QVERIFY(w.MOpenLog->isEnabled());
    QVERIFY(!w.MCloseLog->isEnabled());

    const QString path = m_dir.filePath(QStringLiteral("menus.LOG"));
    op.files.enqueue(FileChoice{path, QStringLiteral("menus.LOG")});
    w.MOpenLog->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Demo Log - menus.LOG"));
    QVERIFY(!w.MOpenLog->isEnabled());
    QVERIFY(w.MCloseLog->isEnabled());

    w.session().AppendToTerm("[ESC]@");
    QCOMPARE(readAll(path), QByteArray("[ESC]@"));
    QCOMPARE(w.termText(), QByteArray("[ESC]@"));

    w.MCloseLog->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Marlix 2100"));
    QVERIFY(w.MOpenLog->isEnabled());
    QVERIFY(!w.MCloseLog->isEnabled());
    QVERIFY(!w.trafficLog().isOpen());
}

void LogFormTest::exitWithLogOpenClosesIt()
{
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    const QString path = m_dir.filePath(QStringLiteral("exit.LOG"));
    {
        frmTerminal w(&port, &op, &pump);
        w.show();
        op.files.enqueue(FileChoice{path, QStringLiteral("exit.LOG")});
        w.MOpenLog_Click();
        QVERIFY(w.trafficLog().isOpen());
        w.session().AppendToTerm("last words\r\n");
        w.MFileExit->trigger();
        QVERIFY(!w.trafficLog().isOpen());
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(readAll(path), QByteArray("last words\r\n"));
}

void LogFormTest::cancelledWriteErrorRestoresMenus()
{
    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("no /dev/full here");
    FakePrinter port;
    FakeOperator op;
    FakePump pump;
    frmTerminal w(&port, &op, &pump);
    op.files.enqueue(FileChoice{QStringLiteral("/dev/full"), QStringLiteral("full")});
    op.answers.enqueue(Msg::Answer::No); op.answers.enqueue(Msg::Answer::Cancel); // keep the device; then give up
    w.MOpenLog_Click();
    QCOMPARE(w.windowTitle(), QStringLiteral("Demo Log - full"));
    w.session().AppendToTerm("X");
    QCOMPARE(op.asked.size(), 2);
    QCOMPARE(op.asked.at(1).icon, Msg::Icon::Critical);
    QCOMPARE(w.windowTitle(), QStringLiteral("Marlix 2100"));
    QVERIFY(w.MOpenLog->isEnabled());
    QVERIFY(!w.MCloseLog->isEnabled());
}

QTEST_MAIN(LogFormTest)
#include "tst_log_form.moc"
