// The macro manager window, driven by object name against the fake printer:
// exact bytes for every button, the waits between them, and how the window
// loads and unloads.
#include "macros/frmMacro.h"
#include "support/Accessible.h"
#include "support/MacroFakes.h"
#include "support/SimProcess.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {
const QByteArray kIdentityQuery("\x05\x15", 2);
const QByteArray kListQuery("\x05\x17", 2);
const QByteArray kList("\x02 12     User   Demo\r\n40     Ext    Logo\r\n");
const QString kShownList = QStringLiteral("12     User   Demo\n40     Ext    Logo\n");

QStringList hexList(const QList<QByteArray> &list)
{
    QStringList out;
    for (const QByteArray &b : list)
        out << hexBytes(b);
    return out;
}
} // namespace

class TestFrmMacro : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void loadSequence();
    void extendedStoreControls_data();
    void extendedStoreControls();
    void leftEdgeFollowsMainWindowOnce();
    void buttons_data();
    void buttons();
    void silentSwitchedBetweenStartAndEnd();
    void nameChangedDuringSilentRecording();
    void closeEndsRecordingOnce_data();
    void closeEndsRecordingOnce();
    void closeWithoutRecordingSendsNothing();
    void extendedStoreQuestions_data();
    void extendedStoreQuestions();
    void reloadStartsFromDesignState();
    void reentryWhileOpenKeepsWindowAsItIs();
    void shortListReplyShowsEmpty();
    void nameTakesOnlyLatin1();
    void helpButtonOpensMacroHelp();

private:
    void enter(const QByteArray &identity = "CMD MX2600 V1.00");
    template <typename T = QWidget> T *child(const char *name) const
    {
        T *w = macro()->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    frmMacro *macro() const { return term->macroWindow(); }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    void forget()
    {
        printer->offered.clear();
        printer->calls.clear();
        pump->sleeps.clear();
    }
    void checkCounts() const;

    ReplyingPrinter *printer = nullptr;
    FakeOperator *op = nullptr;
    FakePump *pump = nullptr;
    frmTerminal *term = nullptr;
};

void TestFrmMacro::initTestCase()
{
    isolateSettings();
}

void TestFrmMacro::init()
{
    printer = new ReplyingPrinter;
    printer->reply(kListQuery, kList);
    op = new FakeOperator;
    pump = new FakePump;
    term = new frmTerminal(printer, op, pump);
    term->show();
}

void TestFrmMacro::cleanup()
{
    delete term;
    delete pump;
    delete op;
    delete printer;
}

void TestFrmMacro::enter(const QByteArray &identity)
{
    printer->reply(kIdentityQuery, identity);
    term->DoMacros->trigger();
    QVERIFY(macro());
    QVERIFY(macro()->isVisible());
}

// Every write hands over exactly the bytes of its command.
void TestFrmMacro::checkCounts() const
{
    QStringList counts;
    for (const QString &call : printer->calls)
        if (call.startsWith(QLatin1String("WriteData(")))
            counts << call;
    QStringList expected;
    for (const QByteArray &b : printer->offered)
        expected << QStringLiteral("WriteData(%1)").arg(b.size());
    QCOMPARE(counts, expected);
}

void TestFrmMacro::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    const QString image = QStringLiteral("Place the Image in the printer");
    QTest::newRow("ExtStrFram") << "ExtStrFram" << "Extended Store" << "";
    QTest::newRow("Transfer") << "Transfer" << "Transfer" << image;
    QTest::newRow("Clearext") << "Clearext" << "Clear" << image;
    QTest::newRow("Helpme") << "Helpme" << "Help" << "";
    QTest::newRow("PrtQuery") << "PrtQuery" << "Print Query" << "";
    QTest::newRow("Silent") << "Silent" << "Silent Record" << "";
    QTest::newRow("MacroDel") << "MacroDel" << "Remove" << "";
    QTest::newRow("MacroQuery") << "MacroQuery" << "Query" << "";
    QTest::newRow("MacroRecord") << "MacroRecord" << "Record" << "";
    QTest::newRow("MacroPlay") << "MacroPlay" << "Play" << "";
    QTest::newRow("MacroName") << "MacroName" << "Demo" << "";
    QTest::newRow("OKButton") << "OKButton" << "OK" << "";
    QTest::newRow("Label2") << "Label2" << "Size   Type   Name" << "";
    QTest::newRow("Label1") << "Label1" << "Macro Name" << "";
}

void TestFrmMacro::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    enter();
    QCOMPARE(macro()->windowTitle(), QStringLiteral("Marlix Macros"));
    QWidget *w = child(name.toLatin1().constData());
    QString text;
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        text = b->text();
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        text = g->title();
    else if (auto *l = qobject_cast<QLabel *>(w))
        text = l->text();
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        text = e->text();
    QCOMPARE(text, caption);
    QCOMPARE(w->toolTip(), toolTip);
    QVERIFY(!heard(w).isEmpty());
}

void TestFrmMacro::loadSequence()
{
    logPumpIntoCalls(*pump, *printer);
    enter();
    // After the identity reply: the input is emptied twice, then the list is asked for.
    const qsizetype query = printer->calls.indexOf(QStringLiteral("WriteData(2)"), 0);
    const qsizetype listQuery = printer->calls.indexOf(QStringLiteral("WriteData(2)"), query + 1);
    QVERIFY(listQuery > query);
    QStringList afterList = printer->calls.mid(listQuery);
    QCOMPARE(afterList.first(), QStringLiteral("WriteData(2)"));
    QCOMPARE(afterList.at(1), QStringLiteral("serveEvents()"));
    QCOMPARE(afterList.last(), QStringLiteral("serveEvents()"));
    QCOMPARE(afterList.count(QStringLiteral("ReadInput(1)")), kList.size() + 1);
    QCOMPARE(hexList(printer->offered), (QStringList{hexBytes(kIdentityQuery), hexBytes(kListQuery)}));
    QCOMPARE(pump->sleeps, QList<int>{200});
    QCOMPARE(child<QPlainTextEdit>("MacroStatus")->toPlainText(), kShownList);
    QCOMPARE(macro()->macroStatusBytes(), kList.mid(2));
    QVERIFY(child<QCheckBox>("Silent")->isChecked());
    QVERIFY(!child<QCheckBox>("PrtQuery")->isChecked());
    QVERIFY(!macro()->MacroRecordActive());
    QVERIFY(!term->Getresp->isEnabled());
    QVERIFY(term->session().link.MacroMode);
}

void TestFrmMacro::extendedStoreControls_data()
{
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("MX2600") << QByteArray("CMD MX2600 V1.00") << true;
    QTest::newRow("MX2100") << QByteArray("CMD MX2100 V1.00") << false;
    QTest::newRow("T340QV") << QByteArray("CMD T340QV V1.00") << false;
}

void TestFrmMacro::extendedStoreControls()
{
    QFETCH(QByteArray, identity);
    QFETCH(bool, enabled);
    enter(identity);
    QCOMPARE(child("ExtStrFram")->isEnabled(), enabled);
    QCOMPARE(child("Transfer")->isEnabled(), enabled);
    QCOMPARE(child("Clearext")->isEnabled(), enabled);
}

void TestFrmMacro::leftEdgeFollowsMainWindowOnce()
{
    term->move(137, 60);
    enter();
    QCOMPARE(macro()->x(), term->x());
    QCOMPARE(macro()->y(), frmMacro::kDesignTop);
    click("OKButton");
    term->move(301, 60);
    enter();
    QCOMPARE(macro()->x(), 137); // created once; later loads keep their place
}

void TestFrmMacro::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("printQuery");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QList<int>>("sleeps");

    const QString list = QStringLiteral("05 17");
    const QStringList query{QStringLiteral("MacroQuery")};
    const QStringList recordTwice{QStringLiteral("MacroRecord"), QStringLiteral("MacroRecord")};
    QTest::newRow("query") << "Demo" << true << false << query << QStringList{list} << QList<int>{100};
    QTest::newRow("query with print query")
        << "Demo" << true << true << query << QStringList{list, "1B 1F 71 44 65 6D 6F 00"} << QList<int>{100};
    QTest::newRow("play") << "Demo" << true << false << QStringList{"MacroPlay"}
                          << QStringList{"1B 1F 72 44 65 6D 6F 00"} << QList<int>{};
    QTest::newRow("remove") << "Demo" << true << false << QStringList{"MacroDel"}
                            << QStringList{"1B 1F 64 44 65 6D 6F 00", list} << QList<int>{1000};
    QTest::newRow("remove, empty name") << "" << true << false << QStringList{"MacroDel"}
                                        << QStringList{"1B 1F 64 00", list} << QList<int>{1000};
    QTest::newRow("silent recording") << "Demo" << true << false << recordTwice
                                      << QStringList{"1B 1F 62 44 65 6D 6F 00", "1B 1F 65 44 65 6D 6F 00", list}
                                      << QList<int>{500};
    QTest::newRow("normal recording") << "Demo" << false << false << recordTwice
                                      << QStringList{"1B 67 01", "1B 67 02 1B 1F 6D 44 65 6D 6F 00", list}
                                      << QList<int>{500};
    QTest::newRow("normal recording, empty name") << "" << false << false << recordTwice
                                                  << QStringList{"1B 67 01", "1B 67 02 1B 1F 6D 00", list}
                                                  << QList<int>{500};
    QTest::newRow("name with a blank and a Latin-1 letter")
        << QString::fromLatin1("a \xe9") << true << false << QStringList{"MacroPlay"}
        << QStringList{"1B 1F 72 61 20 E9 00"} << QList<int>{};
}

void TestFrmMacro::buttons()
{
    QFETCH(QString, name);
    QFETCH(bool, silent);
    QFETCH(bool, printQuery);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, sent);
    QFETCH(QList<int>, sleeps);
    enter();
    child<QLineEdit>("MacroName")->setText(name);
    child<QCheckBox>("Silent")->setChecked(silent);
    child<QCheckBox>("PrtQuery")->setChecked(printQuery);
    forget();
    for (const QString &c : clicks)
        click(c.toLatin1().constData());
    QCOMPARE(hexList(printer->offered), sent);
    checkCounts();
    QCOMPARE(pump->sleeps, sleeps);
    QVERIFY(!macro()->MacroRecordActive());
    QCOMPARE(child<QPushButton>("MacroRecord")->text(), QStringLiteral("Record"));
    QCOMPARE(child<QPlainTextEdit>("MacroStatus")->toPlainText(), kShownList);
}

void TestFrmMacro::silentSwitchedBetweenStartAndEnd()
{
    enter();
    forget();
    QCOMPARE(heard(child<QPushButton>("MacroRecord")), QStringLiteral("Record"));
    click("MacroRecord");
    QCOMPARE(child<QPushButton>("MacroRecord")->text(), QStringLiteral("End Record"));
    // A screen reader hears the caption as it is now, not as it was built.
    QCOMPARE(heard(child<QPushButton>("MacroRecord")), QStringLiteral("End Record"));
    QVERIFY(macro()->MacroRecordActive());
    click("Silent");
    QVERIFY(!child<QCheckBox>("Silent")->isChecked());
    click("MacroRecord");
    QCOMPARE(hexList(printer->offered),
             (QStringList{"1B 1F 62 44 65 6D 6F 00", "1B 67 02 1B 1F 6D 44 65 6D 6F 00", "05 17"}));
}

void TestFrmMacro::nameChangedDuringSilentRecording()
{
    enter();
    forget();
    click("MacroRecord");
    auto *name = child<QLineEdit>("MacroName");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Logo"));
    click("MacroRecord");
    QCOMPARE(hexList(printer->offered),
             (QStringList{"1B 1F 62 44 65 6D 6F 00", "1B 1F 65 4C 6F 67 6F 00", "05 17"}));
}

void TestFrmMacro::closeEndsRecordingOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("silent");
    QTest::newRow("OK, silent") << "ok" << true;
    QTest::newRow("OK, normal") << "ok" << false;
    QTest::newRow("close box, silent") << "close" << true;
    QTest::newRow("close box, normal") << "close" << false;
    QTest::newRow("Escape, silent") << "escape" << true;
}

void TestFrmMacro::closeEndsRecordingOnce()
{
    QFETCH(QString, how);
    QFETCH(bool, silent);
    enter();
    child<QCheckBox>("Silent")->setChecked(silent);
    click("MacroRecord");
    forget();
    logPumpIntoCalls(*pump, *printer);

    if (how == QLatin1String("ok"))
        click("OKButton");
    else if (how == QLatin1String("close"))
        QVERIFY(macro()->close());
    else
        QTest::keyClick(child("MacroName"), Qt::Key_Escape);

    const QString end = silent ? QStringLiteral("1B 1F 65 44 65 6D 6F 00")
                               : QStringLiteral("1B 67 02 1B 1F 6D 44 65 6D 6F 00");
    QCOMPARE(hexList(printer->offered), (QStringList{end, "05 17"}));
    // The list is refreshed after the end command, then macro mode is left.
    QCOMPARE(pump->sleeps, (QList<int>{500, 500}));
    const QStringList &calls = printer->calls;
    QCOMPARE(calls.count(QStringLiteral("ClosePort()")), 1);
    QCOMPARE(calls.last(), QStringLiteral("ClosePort()"));
    QCOMPARE(calls.at(calls.size() - 2), QStringLiteral("sleepMs(500)"));
    QVERIFY(!macro()->isVisible());
    QVERIFY(!macro()->isLoaded());
    QVERIFY(!term->session().link.MacroMode);
    QVERIFY(!term->session().link.vars.PortOpen);
    QVERIFY(term->session().link.ClosePending);
    QVERIFY(term->Getresp->isEnabled());
}

void TestFrmMacro::closeWithoutRecordingSendsNothing()
{
    enter();
    forget();
    click("OKButton");
    QVERIFY(printer->offered.isEmpty());
    QCOMPARE(pump->sleeps, QList<int>{500});
    QCOMPARE(printer->calls, QStringList{QStringLiteral("ClosePort()")});
    QVERIFY(!term->session().link.MacroMode);
}

void TestFrmMacro::extendedStoreQuestions_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("calls");
    const QString transfer = QStringLiteral("This will transfer User Store to Extended Store");
    const QString clear = QStringLiteral("This will clear all Extended Store information");
    const QStringList query{"serveEvents()", "sleepMs(100)", "WriteData(2)", "serveEvents()"};
    QTest::newRow("Transfer, OK") << "Transfer" << true << transfer
                                  << (QStringList{"WriteData(4)", "sleepMs(2000)"} + query);
    QTest::newRow("Transfer, Cancel") << "Transfer" << false << transfer << QStringList{};
    QTest::newRow("Clear, OK") << "Clearext" << true << clear
                               << (QStringList{"WriteData(7)", "serveEvents()", "sleepMs(2000)"} + query);
    QTest::newRow("Clear, Cancel") << "Clearext" << false << clear << QStringList{};
}

void TestFrmMacro::extendedStoreQuestions()
{
    QFETCH(QString, button);
    QFETCH(bool, confirm);
    QFETCH(QString, question);
    QFETCH(QStringList, calls);
    enter();
    forget();
    logPumpIntoCalls(*pump, *printer);
    op->answers.enqueue(confirm ? Msg::Answer::Ok : Msg::Answer::Cancel);
    click(button.toLatin1().constData());

    QCOMPARE(op->asked.size(), 1);
    QCOMPARE(op->asked[0].text, question);
    QCOMPARE(op->asked[0].caption, QStringLiteral("Extended Store"));
    QCOMPARE(op->asked[0].buttons, Msg::Buttons::OkCancel);
    printer->calls.removeAll(QStringLiteral("ReadInput(1)"));
    QCOMPARE(printer->calls, calls);
    if (confirm) {
        const QString command = button == QLatin1String("Transfer") ? QStringLiteral("1B 1F 74 00")
                                                                    : QStringLiteral("1B 1F 66 45 58 54 00");
        QCOMPARE(hexList(printer->offered), (QStringList{command, "05 17"}));
        QCOMPARE(child<QPlainTextEdit>("MacroStatus")->toPlainText(), kShownList);
    } else {
        QVERIFY(printer->offered.isEmpty());
    }
}

void TestFrmMacro::reloadStartsFromDesignState()
{
    enter();
    frmMacro *first = macro();
    child<QLineEdit>("MacroName")->setText(QStringLiteral("Other"));
    child<QCheckBox>("PrtQuery")->setChecked(true);
    child<QCheckBox>("Silent")->setChecked(false);
    click("MacroRecord");
    click("OKButton");
    printer->reply(kListQuery, QByteArray("\x02 "));

    enter("CMD MX2100 V1.00");
    QCOMPARE(macro(), first);
    QCOMPARE(child<QLineEdit>("MacroName")->text(), QStringLiteral("Demo"));
    QVERIFY(!child<QCheckBox>("PrtQuery")->isChecked());
    QVERIFY(child<QCheckBox>("Silent")->isChecked());
    QCOMPARE(child<QPushButton>("MacroRecord")->text(), QStringLiteral("Record"));
    QVERIFY(!macro()->MacroRecordActive());
    QCOMPARE(child<QPlainTextEdit>("MacroStatus")->toPlainText(), QString());
    QVERIFY(!child("Transfer")->isEnabled());
}

void TestFrmMacro::reentryWhileOpenKeepsWindowAsItIs()
{
    enter();
    child<QLineEdit>("MacroName")->setText(QStringLiteral("Other"));
    click("MacroRecord");
    forget();
    enter();
    // Queried again, but the loaded window is only brought up, not loaded anew.
    QCOMPARE(hexList(printer->offered), QStringList{hexBytes(kIdentityQuery)});
    QCOMPARE(child<QLineEdit>("MacroName")->text(), QStringLiteral("Other"));
    QVERIFY(macro()->MacroRecordActive());
    QCOMPARE(child<QPushButton>("MacroRecord")->text(), QStringLiteral("End Record"));
}

void TestFrmMacro::shortListReplyShowsEmpty()
{
    printer->reply(kListQuery, QByteArray("\x02"));
    enter();
    QCOMPARE(child<QPlainTextEdit>("MacroStatus")->toPlainText(), QString());
    printer->reply(kListQuery, QByteArray("ABxyz"));
    click("MacroQuery");
    QCOMPARE(child<QPlainTextEdit>("MacroStatus")->toPlainText(), QStringLiteral("xyz"));
}

void TestFrmMacro::nameTakesOnlyLatin1()
{
    enter();
    auto *name = child<QLineEdit>("MacroName");
    name->clear();
    QTest::keyClicks(name, QStringLiteral("a"));
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u20ac"));
    QApplication::sendEvent(name, &euro);
    name->insert(QStringLiteral("\u20ac")); // as a paste would
    QTest::keyClicks(name, QStringLiteral("b"));
    QCOMPARE(name->text(), QStringLiteral("ab"));
    forget();
    click("MacroPlay");
    QCOMPARE(hexList(printer->offered), QStringList{"1B 1F 72 61 62 00"});
}

void TestFrmMacro::helpButtonOpensMacroHelp()
{
    // Standalone, so that no document viewer is started.
    FakeView view;
    Session session(*printer, *op, *pump, view);
    int help = 0;
    frmMacro window(session, [] {}, [&help] { ++help; }, nullptr);
    window.loadAndShow();
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Helpme")), Qt::LeftButton);
    QCOMPARE(help, 1);
}

QTEST_MAIN(TestFrmMacro)
#include "tst_frmMacro.moc"
