// Entering and leaving macro mode: the identity exchange in its exact order,
// refusal and acceptance, re-entry, and the port held open meanwhile.
#include "macros/MacroController.h"
#include "support/MacroFakes.h"
#include "session/Session.h"

#include <QtTest>

namespace {
const QByteArray kIdentityQuery("\x05\x15", 2);
const QString kRefusal = QStringLiteral("This product or emulation is not compatable with RvOS Macros");
} // namespace

class TestMacroMode : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void entryStepsInOrder();
    void entryDoesNotRestartIdleTimer();
    void refusal_data();
    void refusal();
    void extendedStoreFollowsLatestEntry();
    void reentryAcceptedShowsWindowAgain();
    void reentryRefusedKeepsMacroMode();
    void doneMacroClosesHeldPort();
    void doneMacroAfterPortReleasedDoesNotClose();
    void idleTimerLeavesPortAloneInMacroMode();
    void settingsAfterRefusalAsksNothing();

private:
    void answerIdentity(const QByteArray &reply) { printer->reply(kIdentityQuery, reply); }

    ReplyingPrinter *printer = nullptr;
    FakeOperator *op = nullptr;
    FakePump *pump = nullptr;
    FakeView *view = nullptr;
    Session *session = nullptr;
    MacroController *macros = nullptr;
    int shown = 0;
};

void TestMacroMode::init()
{
    printer = new ReplyingPrinter;
    op = new FakeOperator;
    pump = new FakePump;
    view = new FakeView;
    session = new Session(*printer, *op, *pump, *view);
    session->link.vars.CommPort = QStringLiteral("ttyS0");
    shown = 0;
    macros = new MacroController(*session, [this] { ++shown; });
}

void TestMacroMode::cleanup()
{
    delete macros;
    delete session;
    delete view;
    delete pump;
    delete op;
    delete printer;
}

void TestMacroMode::entryStepsInOrder()
{
    // Left-over input holding a "CMD" of its own: read as the answer, it would be refused.
    printer->input = "CMD junk left over";
    answerIdentity("CMD MX2100 V1.00");
    logPumpIntoCalls(*pump, *printer);
    session->link.ClosePending = true;

    macros->DoMacros_Click();

    QStringList expected{QStringLiteral("OpenPort(ttyS0|baud=19200 parity=N data=8 stop=1)"),
                         QStringLiteral("SetFlowControl(2)")};
    for (int i = 0; i <= QByteArray("CMD junk left over").size(); ++i)
        expected << QStringLiteral("ReadInput(1)");
    expected << QStringLiteral("WriteData(2)") << QStringLiteral("sleepMs(200)");
    for (int i = 0; i <= QByteArray("CMD MX2100 V1.00").size(); ++i)
        expected << QStringLiteral("ReadInput(1)");
    QCOMPARE(printer->calls, expected);
    QCOMPARE(printer->offered, QList<QByteArray>{kIdentityQuery});
    QCOMPARE(pump->served, 0); // the wait blocks; nothing else runs meanwhile

    QVERIFY(op->asked.isEmpty());
    QCOMPARE(session->link.ClosePending, false);
    QCOMPARE(session->link.vars.PortOpen, true);
    QCOMPARE(session->link.MacroMode, true);
    QCOMPARE(session->link.HasExtendedStore, false);
    QCOMPARE(view->getrespEnabled, false);
    QCOMPARE(shown, 1);
    QVERIFY(printer->open);
}

void TestMacroMode::entryDoesNotRestartIdleTimer()
{
    // A restart would start a stopped timer (Qt hands a restarted timer its old id back,
    // so the id tells nothing).
    answerIdentity("CMD MX2100 V1.00");
    session->link.timer().stop();
    macros->DoMacros_Click();
    QVERIFY(session->link.MacroMode);
    QVERIFY(!session->link.timer().isActive());
}

void TestMacroMode::refusal_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("no answer") << QByteArray();
    QTest::newRow("too short") << QByteArray("CMD MX2100");
    QTest::newRow("unknown model") << QByteArray("CMD MX9999 V1.00");
    QTest::newRow("no CMD") << QByteArray("ABC MX2600 V1.00");
}

void TestMacroMode::refusal()
{
    QFETCH(QByteArray, reply);
    if (!reply.isEmpty())
        answerIdentity(reply);
    session->link.HasExtendedStore = true;

    macros->DoMacros_Click();

    QCOMPARE(printer->calls.last(), QStringLiteral("ClosePort()"));
    QVERIFY(!printer->open);
    QCOMPARE(session->link.vars.PortOpen, false);
    QCOMPARE(session->link.MacroMode, false);
    QCOMPARE(session->link.HasExtendedStore, false);
    QCOMPARE(view->getrespEnabled, true);
    QCOMPARE(shown, 0);
    QCOMPARE(op->asked.size(), 1);
    QCOMPARE(op->asked[0].text, kRefusal);
    QCOMPARE(op->asked[0].buttons, Msg::Buttons::Ok);
    QCOMPARE(op->asked[0].icon, Msg::Icon::None);
    QCOMPARE(op->asked[0].caption, kAppTitle);
}

void TestMacroMode::extendedStoreFollowsLatestEntry()
{
    answerIdentity("xyCMD MX2600ab");
    macros->DoMacros_Click();
    QCOMPARE(session->link.HasExtendedStore, true);
    macros->DoneMacro();

    answerIdentity("CMD MX2100 V1.00");
    macros->DoMacros_Click();
    QCOMPARE(session->link.HasExtendedStore, false);
    QCOMPARE(shown, 2);
}

void TestMacroMode::reentryAcceptedShowsWindowAgain()
{
    answerIdentity("CMD T340QV V1.00");
    macros->DoMacros_Click();
    macros->DoMacros_Click();
    QCOMPARE(printer->count(QStringLiteral("OpenPort(")), 2);
    QCOMPARE(printer->offered, (QList<QByteArray>{kIdentityQuery, kIdentityQuery}));
    QCOMPARE(shown, 2);
    QCOMPARE(session->link.MacroMode, true);
    QCOMPARE(session->link.vars.PortOpen, true);
}

void TestMacroMode::reentryRefusedKeepsMacroMode()
{
    answerIdentity("CMD MX2600 V1.00");
    macros->DoMacros_Click();
    QCOMPARE(session->link.HasExtendedStore, true);
    answerIdentity("CMD XXXXXX V1.00");
    macros->DoMacros_Click();

    QCOMPARE(op->texts(), QStringList{kRefusal});
    QCOMPARE(printer->count(QStringLiteral("ClosePort()")), 1);
    QCOMPARE(session->link.vars.PortOpen, false);
    QCOMPARE(session->link.HasExtendedStore, false);
    // The macro window is still open and still in charge of macro mode.
    QCOMPARE(session->link.MacroMode, true);
    QCOMPARE(view->getrespEnabled, false);
    QCOMPARE(shown, 1);

    // Its commands now go nowhere, and closing it leaves macro mode without a second close.
    session->link.Send_Info("x", 1);
    QCOMPARE(printer->count(QStringLiteral("WriteData(")), 2);
    macros->DoneMacro();
    QCOMPARE(printer->count(QStringLiteral("ClosePort()")), 1);
    QCOMPARE(session->link.MacroMode, false);
    QCOMPARE(view->getrespEnabled, true);
}

void TestMacroMode::doneMacroClosesHeldPort()
{
    answerIdentity("CMD MX2100 V1.00");
    macros->DoMacros_Click();
    printer->calls.clear();

    macros->DoneMacro();

    QCOMPARE(printer->calls, QStringList{QStringLiteral("ClosePort()")});
    QCOMPARE(session->link.ClosePending, true);
    QCOMPARE(session->link.vars.PortOpen, false);
    QCOMPARE(session->link.MacroMode, false);
    QCOMPARE(view->getrespEnabled, true);
}

void TestMacroMode::doneMacroAfterPortReleasedDoesNotClose()
{
    answerIdentity("CMD MX2100 V1.00");
    macros->DoMacros_Click();
    session->link.ReleaseHeldPort(); // Port, Settings while the macro window is open
    QCOMPARE(op->texts(), QStringList{QStringLiteral("Closing Communication Port")});
    printer->calls.clear();

    macros->DoneMacro();

    QVERIFY(printer->calls.isEmpty());
    QCOMPARE(session->link.MacroMode, false);
    QCOMPARE(session->link.ClosePending, true);
}

void TestMacroMode::idleTimerLeavesPortAloneInMacroMode()
{
    answerIdentity("CMD MX2100 V1.00");
    macros->DoMacros_Click();
    session->link.ClosePending = true; // as the Break button leaves it
    session->link.Timer1_Timer();
    QCOMPARE(printer->count(QStringLiteral("ClosePort()")), 0);
    QVERIFY(printer->open);
    QCOMPARE(session->link.ClosePending, false);

    macros->DoneMacro();
    session->link.OpenOnDemand();
    session->link.ClosePending = true;
    printer->calls.clear();
    session->link.Timer1_Timer();
    QCOMPARE(printer->calls, QStringList{QStringLiteral("ClosePort()")});
}

void TestMacroMode::settingsAfterRefusalAsksNothing()
{
    answerIdentity("CMD MX9999 V1.00");
    macros->DoMacros_Click();
    op->asked.clear();
    printer->calls.clear();
    session->link.ReleaseHeldPort();
    QVERIFY(op->asked.isEmpty());
    QVERIFY(printer->calls.isEmpty());
}

QTEST_GUILESS_MAIN(TestMacroMode)
#include "tst_macro_mode.moc"
