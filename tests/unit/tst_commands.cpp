// Send Command, Loop and Get Response against the fakes.
#include "commands/Commands.h"
#include "support/Fakes.h"
#include "session/Session.h"

#include <QtTest>

namespace {

struct Rig {
    FakePrinter printer;
    FakeOperator op;
    FakePump pump;
    FakeView view;
    Session session{printer, op, pump, view};
    Commands commands{session};

    Rig()
    {
        view.autoQuery = false;
        session.link.vars.CommPort = QStringLiteral("ttyS0");
    }
    Link &link() { return session.link; }
    int indexOf(const QString &call, int from = 0) const { return int(printer.calls.indexOf(call, from)); }
};

const QString kOpen = QStringLiteral("OpenPort(ttyS0|baud=19200 parity=N data=8 stop=1)");

} // namespace

class tst_commands : public QObject {
    Q_OBJECT
private slots:
    // Get Response
    void getrespDisplay_data();
    void getrespDisplay();
    void getrespCallOrder();
    void getrespReadsModePerByte();
    void getrespMacroMode_data();
    void getrespMacroMode();
    // Send Command
    void history_data();
    void history();
    void sendEchoesAndFlushesOnce();
    void tooBigAsksBeforeSending();
    void emptyCommandStillQueries();
    void autoQueryWaitsClosesAndReads();
    void macroModeSend();
    void cancelledRestDroppedByNextSend();
    void nonLatin1CommandRefused();
    void sendDuringEchoKeepsBothWhole();
    // Loop
    void breakEndsLoopAfterPass();
    void nestedLoopsEndedByOneBreak();
    void loopAgainAfterBreak();
};

void tst_commands::getrespDisplay_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<DisplayMode>("mode");
    QTest::addColumn<QByteArray>("shown");
    const auto N = DisplayMode::Normal;
    QTest::newRow("NAK SOH normal") << "15 01" << N << QByteArray("\r\n[NAK][SOH]\r\n**Cash Drawer 1 Open**\r\n");
    QTest::newRow("NAK SOH hex") << "15 01" << DisplayMode::Hex << QByteArray("\r\n<15><1>\r\n**Cash Drawer 1 Open**\r\n");
    QTest::newRow("NAK SOH dec") << "15 01" << DisplayMode::Dec << QByteArray("\r\n<21><1>\r\n**Cash Drawer 1 Open**\r\n");
    QTest::newRow("ACK VT") << "06 0B" << N << QByteArray("\r\n[ACK][VT]\r\n**Printer has power cycled**\r\n");
    QTest::newRow("ACK 05 no message") << "06 05" << N << QByteArray("\r\n[ACK][ENQ]");
    QTest::newRow("NAK 0C no message") << "15 0C" << N << QByteArray("\r\n[NAK][FF]");
    QTest::newRow("NAK alone") << "15" << N << QByteArray("\r\n[NAK]");
    QTest::newRow("OK CR LF") << "4F 4B 0D 0A" << N << QByteArray("\r\nOK\r\n");
    QTest::newRow("status later in reply") << "41 15 01" << N << QByteArray("\r\nA[NAK][SOH]");
    QTest::newRow("long status reply") << "06 08 C8 FF" << N << QByteArray("\r\n[ACK][BS]<200><255>\r\n**Cover is Closed**\r\n");
    QTest::newRow("no reply") << "" << N << QByteArray("\r\n** No Responce**\r\n");
}

void tst_commands::getrespDisplay()
{
    QFETCH(QString, reply);
    QFETCH(DisplayMode, mode);
    QFETCH(QByteArray, shown);
    Rig rig;
    rig.view.mode = mode;
    rig.printer.input = fromHex(reply);
    rig.commands.Getresp_Click();
    QCOMPARE(rig.view.display, shown);
    QVERIFY(rig.printer.input.isEmpty());
    QVERIFY(!rig.printer.open);
    QCOMPARE(rig.view.indataFocus, 1);
    QVERIFY(rig.pump.sleeps.isEmpty()); // no fixed wait anywhere in the read
}

void tst_commands::getrespCallOrder()
{
    Rig rig;
    rig.printer.input = fromHex("15 01");
    rig.commands.Getresp_Click();
    const QStringList expected{kOpen, "SetFlowControl(2)", "SetReadTiming(1000,100)", "ReadInput(1)",
                               "SetReadTiming(10,10)", "ReadInput(1)", "ReadInput(1)", "ClosePort()"};
    QCOMPARE(rig.printer.calls, expected);
}

void tst_commands::getrespReadsModePerByte()
{
    Rig rig;
    rig.printer.input = fromHex("41 42 43");
    // The operator picks Hex while the first byte is on screen.
    rig.printer.onRead = [&] {
        if (rig.view.display.contains('A'))
            rig.view.mode = DisplayMode::Hex;
    };
    rig.commands.Getresp_Click();
    QCOMPARE(rig.view.display, QByteArray("\r\nA<42><43>"));
}

void tst_commands::getrespMacroMode_data()
{
    QTest::addColumn<bool>("macroMode");
    QTest::newRow("normal") << false;
    QTest::newRow("macro mode") << true;
}

void tst_commands::getrespMacroMode()
{
    QFETCH(bool, macroMode);
    Rig rig;
    rig.link().MacroMode = macroMode;
    rig.printer.open = macroMode;
    rig.commands.Getresp_Click();
    QCOMPARE(rig.printer.calls.first(), kOpen); // opened even in macro mode
    QCOMPARE(rig.printer.calls.last(), QStringLiteral("ClosePort()"));
    QCOMPARE(rig.link().ClosePending, !macroMode);
}

void tst_commands::history_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("first") << QStringList{} << "[ESC]@" << QStringList{"[ESC]@"};
    QTest::newRow("again stays one") << QStringList{"[ESC]@"} << "[ESC]@" << QStringList{"[ESC]@"};
    QTest::newRow("moves to top") << QStringList{"a", "[ESC]@", "b"} << "[ESC]@" << QStringList{"[ESC]@", "a", "b"};
    QTest::newRow("case counts") << QStringList{"[ESC]@"} << "[esc]@" << QStringList{"[esc]@", "[ESC]@"};
    QTest::newRow("blank counts") << QStringList{"A"} << "A " << QStringList{"A ", "A"};
}

void tst_commands::history()
{
    QFETCH(QStringList, before);
    QFETCH(QString, command);
    QFETCH(QStringList, after);
    Rig rig;
    rig.view.commands = before;
    rig.view.command = command;
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.view.commands, after);
    QCOMPARE(rig.view.command, command);
}

void tst_commands::sendEchoesAndFlushesOnce()
{
    Rig rig;
    rig.view.command = QStringLiteral("[ESC]@<200>[CR][LF]x");
    rig.commands.SendCommand_Click();
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("1B 40 C8 0D 0A 78"));
    QCOMPARE(rig.printer.count("WriteData"), 1);
    QCOMPARE(rig.view.display, QByteArray("\r\n[ESC]@< 200>[CR]\r\n[LF]\r\nx"));
    QCOMPARE(rig.printer.calls.first(), kOpen);
    QCOMPARE(rig.printer.count("ReadInput"), 0); // Auto Query off
    QVERIFY(rig.link().OutBuffer.isEmpty());
    QVERIFY(rig.link().ClosePending);
    QCOMPARE(rig.view.indataFocus, 1);
}

void tst_commands::tooBigAsksBeforeSending()
{
    Rig rig;
    rig.view.command = QStringLiteral("<300>A");
    int writesWhenAsked = -1;
    rig.op.onMessage = [&](const AskedQuestion &) { writesWhenAsked = rig.printer.count("WriteData"); };
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.op.texts(), QStringList{"Value is greater than 255. Press OK to continue"});
    QCOMPARE(rig.op.asked.first().caption, kAppTitle);
    QCOMPARE(writesWhenAsked, 0);
    QCOMPARE(hexBytes(rig.printer.written), QStringLiteral("00 41"));
    QCOMPARE(rig.view.display, QByteArray("\r\n[NUL]A"));
}

void tst_commands::emptyCommandStillQueries()
{
    Rig rig;
    rig.view.autoQuery = true;
    rig.view.commands = QStringList{"x"};
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.printer.count("WriteData"), 0);
    QCOMPARE(rig.view.commands, QStringList{"x"});
    QCOMPARE(rig.view.display, QByteArray("\r\n** No Responce**\r\n"));
    QVERIFY(rig.link().ClosePending);
}

void tst_commands::autoQueryWaitsClosesAndReads()
{
    Rig rig;
    rig.view.autoQuery = true;
    rig.view.command = QStringLiteral("[ESC]@");
    rig.printer.input = fromHex("06 09");
    QStringList callsAtSleep;
    int servedAtSleep = -1;
    rig.pump.onSleep = [&](int) {
        callsAtSleep = rig.printer.calls;
        servedAtSleep = rig.pump.served;
    };
    // The reply only arrives once the command is out.
    rig.printer.onRead = [&] {
        if (rig.printer.written.isEmpty())
            rig.printer.input.clear();
    };
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.pump.sleeps, QList<int>{100});
    QCOMPARE(callsAtSleep.last(), QStringLiteral("GetWriteCount()")); // straight after the write
    const int served = rig.pump.served;
    QVERIFY(servedAtSleep < served);
    // After the wait: close, then Get Response opens again and reads.
    const int close = rig.indexOf("ClosePort()", int(callsAtSleep.size()));
    QCOMPARE(close, int(callsAtSleep.size()));
    QCOMPARE(rig.printer.calls.at(close + 1), kOpen);
    QVERIFY(rig.view.display.endsWith("[ACK][HT]\r\n**Buffer is Empty**\r\n"));
    QVERIFY(rig.link().ClosePending);
}

void tst_commands::macroModeSend()
{
    Rig rig;
    rig.link().MacroMode = true;
    rig.printer.open = true; // held open by macro mode
    rig.view.autoQuery = true;
    rig.view.command = QStringLiteral("A");
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.printer.calls.first(), QStringLiteral("WriteData(1)")); // no opening
    QCOMPARE(rig.printer.written, QByteArray("A"));
    // Auto Query still closes, and Get Response opens and closes again.
    const int close = rig.indexOf("ClosePort()");
    QVERIFY(close > 0);
    QCOMPARE(rig.printer.calls.at(close + 1), kOpen);
    QCOMPARE(rig.printer.calls.last(), QStringLiteral("ClosePort()"));
    QVERIFY(!rig.link().ClosePending);
}

void tst_commands::cancelledRestDroppedByNextSend()
{
    Rig rig;
    rig.view.command = QStringLiteral("ABC");
    rig.printer.refuseAll = true;
    rig.op.answers.enqueue(Msg::Answer::Cancel);
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.op.texts(), QStringList{"Unable to output data. Press OK to continue."});
    QCOMPARE(rig.link().OutBuffer, QByteArray("ABC"));
    rig.printer.refuseAll = false;
    rig.view.command = QStringLiteral("D");
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.printer.written, QByteArray("D"));
}

void tst_commands::nonLatin1CommandRefused()
{
    Rig rig;
    rig.view.command = QStringLiteral("A\u20ACB");
    rig.commands.SendCommand_Click();
    QCOMPARE(rig.op.asked.size(), 1);
    QVERIFY(rig.op.asked.first().text.contains(QStringLiteral("Latin-1")));
    QCOMPARE(rig.printer.count("WriteData"), 0);
    QVERIFY(rig.view.commands.isEmpty());
    QVERIFY(rig.view.display.isEmpty());
}

void tst_commands::sendDuringEchoKeepsBothWhole()
{
    // A second Send Command click served while the first command is echoed.
    Rig rig;
    rig.view.command = QStringLiteral("ABC");
    bool clicked = false;
    rig.pump.onServe = [&] {
        if (!clicked && rig.view.display.endsWith('A')) {
            clicked = true;
            rig.view.command = QStringLiteral("xy");
            rig.commands.SendCommand_Click();
        }
    };
    rig.commands.SendCommand_Click();
    QVERIFY(clicked);
    QCOMPARE(rig.printer.offered, (QList<QByteArray>{"xy", "ABC"}));
}

void tst_commands::breakEndsLoopAfterPass()
{
    Rig rig;
    rig.view.command = QStringLiteral("[ENQ]");
    rig.view.breakEnabled = false; // as the port display may leave it
    int passes = 0;
    bool breakEnabledInLoop = false;
    rig.pump.onSleep = [&](int ms) {
        if (ms != Commands::kLoopWaitMs)
            return;
        breakEnabledInLoop = rig.view.breakEnabled;
        if (++passes == 3)
            rig.link().DoBreak_Click(); // as if clicked while events are served
        if (passes > 50)
            rig.link().Looping = false; // a loop that ignores Break would hang the test
    };
    rig.commands.LoopButton_Click();
    QCOMPARE(passes, 3);
    QVERIFY(breakEnabledInLoop);
    QCOMPARE(rig.printer.written, QByteArray(3, '\x05'));
    // The pass in which Break came still read its reply at the end.
    const int breakAt = rig.indexOf("SetBreak(2, )");
    QVERIFY(breakAt > 0);
    QVERIFY(rig.indexOf("ReadInput(1)", breakAt) > breakAt);
    QCOMPARE(rig.printer.calls.last(), QStringLiteral("ClosePort()"));
    QVERIFY(!rig.link().Looping);
}

void tst_commands::nestedLoopsEndedByOneBreak()
{
    Rig rig;
    rig.view.command = QStringLiteral("L");
    int serves = 0;
    int depth = 0, maxDepth = 0;
    int writesWhenInnerEnded = -1;
    bool afterLoopWait = false, nested = false, broke = false;
    rig.pump.onSleep = [&](int ms) { afterLoopWait = ms == Commands::kLoopWaitMs; };
    rig.pump.onServe = [&] {
        ++serves;
        if (!nested && afterLoopWait) {
            // Loop clicked again where the first loop serves events: a nested loop.
            nested = true;
            ++depth;
            maxDepth = std::max(maxDepth, depth);
            rig.commands.LoopButton_Click();
            --depth;
            writesWhenInnerEnded = rig.printer.count("WriteData");
        } else if (nested && !broke && rig.printer.count("WriteData") == 4) {
            broke = true;
            rig.link().DoBreak_Click();
        } else if (serves > 500) {
            rig.link().Looping = false; // a loop that ignores Break would hang the test
        }
    };
    rig.commands.LoopButton_Click();
    QVERIFY(broke);
    QCOMPARE(maxDepth, 1);
    QVERIFY(serves < 500);
    // One outer pass, three inner ones; the outer pass then only read its reply.
    QCOMPARE(writesWhenInnerEnded, 4);
    QCOMPARE(rig.printer.count("WriteData"), 4);
    QCOMPARE(rig.printer.calls.last(), QStringLiteral("ClosePort()"));
    QVERIFY(!rig.link().Looping);
}

void tst_commands::loopAgainAfterBreak()
{
    Rig rig;
    rig.view.command = QStringLiteral("a");
    rig.pump.onSleep = [&](int ms) {
        if (ms == Commands::kLoopWaitMs)
            rig.link().DoBreak_Click();
    };
    rig.commands.LoopButton_Click();
    rig.commands.LoopButton_Click();
    QCOMPARE(rig.printer.written, QByteArray("aa"));
}

QTEST_GUILESS_MAIN(tst_commands)
#include "tst_commands.moc"
