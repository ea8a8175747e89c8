// The port link: output with retries, the idle timer, the port display, Break.
#include "link/Link.h"
#include "support/Fakes.h"

#include <QtTest>

class TestLink : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePrinter> port;
    std::unique_ptr<FakeOperator> op;
    std::unique_ptr<FakePump> pump;
    std::unique_ptr<FakeView> view;
    std::unique_ptr<Link> link;

private slots:
    void init()
    {
        port = std::make_unique<FakePrinter>();
        op = std::make_unique<FakeOperator>();
        pump = std::make_unique<FakePump>();
        view = std::make_unique<FakeView>();
        link = std::make_unique<Link>(*port, *op, *pump, *view);
    }

    void portModeText()
    {
        QCOMPARE(link->BuildPortMode(), QStringLiteral("baud=19200 parity=N data=8 stop=1"));
        link->vars.CommBaud = QStringLiteral("9600");
        link->vars.CommParity = QStringLiteral("E");
        link->vars.CommDataBits = QStringLiteral("7");
        link->vars.CommStopBits = QStringLiteral("2");
        QCOMPARE(link->BuildPortMode(), QStringLiteral("baud=9600 parity=E data=7 stop=2"));
        // The same text without a link, for a port opened before any operation.
        QCOMPARE(buildPortMode(link->vars), QStringLiteral("baud=9600 parity=E data=7 stop=2"));
    }

    void openOnDemandOpensThenSetsFlow()
    {
        link->ClosePending = true;
        link->vars.CommPort = QStringLiteral("ttyUSB0");
        link->vars.CommFlow = 1;
        link->timer().stop();
        link->OpenOnDemand();
        QVERIFY(!link->ClosePending);
        QCOMPARE(port->calls, (QStringList{QStringLiteral("OpenPort(ttyUSB0|baud=19200 parity=N data=8 stop=1)"),
                                           QStringLiteral("SetFlowControl(1)")}));
        QVERIFY(link->timer().isActive());
        QCOMPARE(link->timer().interval(), 5000);
    }

    void flushPartialWritesUseNoTries()
    {
        port->maxPerWrite = 3;
        link->OutBuffer = "0123456789";
        link->FlushOutput();
        QList<qsizetype> sizes;
        for (const QByteArray &o : port->offered)
            sizes << o.size();
        QCOMPARE(sizes, (QList<qsizetype>{10, 7, 4, 1}));
        QCOMPARE(port->written, QByteArray("0123456789"));
        QVERIFY(link->OutBuffer.isEmpty());
        QVERIFY(pump->sleeps.isEmpty());
        QVERIFY(op->asked.isEmpty());
    }

    void flushAfterTwentyRefusals_data()
    {
        QTest::addColumn<Msg::Answer>("answer");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QByteArray>("leftOver");
        QTest::newRow("OK retries the rest") << Msg::Answer::Ok << QByteArray("ABCDEF") << QByteArray();
        QTest::newRow("Cancel keeps the rest") << Msg::Answer::Cancel << QByteArray("AB") << QByteArray("CDEF");
    }

    void flushAfterTwentyRefusals()
    {
        QFETCH(Msg::Answer, answer);
        QFETCH(QByteArray, written);
        QFETCH(QByteArray, leftOver);
        port->takePlan << 2;
        for (int i = 0; i < 20; ++i)
            port->takePlan << 0;
        op->answers << answer;
        link->OutBuffer = "ABCDEF";
        link->FlushOutput();

        QCOMPARE(op->texts(), QStringList{QStringLiteral("Unable to output data. Press OK to continue.")});
        QCOMPARE(op->asked.first().buttons, Msg::Buttons::OkCancel);
        QCOMPARE(op->asked.first().icon, Msg::Icon::None);
        // Twenty refused attempts, each followed by events and a 100 ms sleep: about two seconds.
        QCOMPARE(pump->sleeps.size(), 20);
        QCOMPARE(pump->sleptMs(), 2000);
        QCOMPARE(pump->served, 20);
        QCOMPARE(port->written, written);
        QCOMPARE(link->OutBuffer, leftOver);
        // The retry after OK offers exactly the unsent rest.
        if (answer == Msg::Answer::Ok)
            QCOMPARE(port->offered.last(), QByteArray("CDEF"));
    }

    void flushKeepsASendMadeWhileItWaits()
    {
        // A second command sent while a refused write serves events neither
        // loses the first command nor makes it report a failure.
        port->takePlan << 0;
        bool nested = false;
        pump->onServe = [&] {
            if (nested)
                return;
            nested = true;
            link->OutBuffer = "xy";
            link->FlushOutput();
        };
        link->OutBuffer = "ABCDEFGH";
        link->FlushOutput();
        QVERIFY(nested);
        QCOMPARE(port->written, QByteArray("xyABCDEFGH"));
        QVERIFY(op->asked.isEmpty());
        QVERIFY(link->OutBuffer.isEmpty());
        QCOMPARE(pump->sleeps.size(), 1);
    }

    void afterShutdownNothingReachesThePrinter()
    {
        link->ShuttingDown = true;
        link->OpenOnDemand();
        link->OutBuffer = "late";
        link->FlushOutput();
        QVERIFY(port->calls.isEmpty());
        QVERIFY(op->asked.isEmpty());
        QVERIFY(link->OutBuffer.isEmpty());
    }

    void flushRetriesAgainAfterOk()
    {
        // A printer that stays away: OK brings twenty fresh tries, Cancel ends it.
        port->refuseAll = true;
        op->answers << Msg::Answer::Ok << Msg::Answer::Cancel;
        link->OutBuffer = "XY";
        link->FlushOutput();
        QCOMPARE(op->asked.size(), 2);
        QCOMPARE(pump->sleeps.size(), 40);
        QCOMPARE(link->OutBuffer, QByteArray("XY"));
    }

    // The device went away under the port: OK opens it again before the
    // retry; Cancel ends a running script or loop, not a single command.
    // A busy printer (port still open) is retried exactly as before.
    void lostPrinter_data()
    {
        QTest::addColumn<bool>("gone");
        QTest::addColumn<bool>("comesBack");
        QTest::addColumn<QString>("running"); // "", "script" or "loop"
        QTest::addColumn<QList<Msg::Answer>>("answers");
        QTest::addColumn<int>("reopened");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("abandoned");
        QTest::addColumn<bool>("looping");
        using A = QList<Msg::Answer>;
        const QString scriptEnded = QStringLiteral("ttySim: the port is not open, so the script was ended");
        QTest::newRow("back after OK: reopened, rest sent")
            << true << true << "script" << A{Msg::Answer::Ok} << 1 << QByteArray("XY") << QString() << false << false;
        QTest::newRow("still gone: OK reopens each time, Cancel ends the script")
            << true << false << "script" << A{Msg::Answer::Ok, Msg::Answer::Cancel} << 1 << QByteArray()
            << scriptEnded << true << false;
        QTest::newRow("gone, Cancel ends the loop")
            << true << false << "loop" << A{Msg::Answer::Cancel} << 0 << QByteArray()
            << QStringLiteral("ttySim: the port is not open, so the command loop was ended") << true << false;
        QTest::newRow("gone, Cancel on a single command ends nothing more")
            << true << false << "" << A{Msg::Answer::Cancel} << 0 << QByteArray() << QString() << false << false;
        QTest::newRow("busy, OK retries without reopening")
            << false << false << "script" << A{Msg::Answer::Ok, Msg::Answer::Cancel} << 0 << QByteArray()
            << QString() << false << false;
        QTest::newRow("busy, Cancel keeps the loop going")
            << false << false << "loop" << A{Msg::Answer::Cancel} << 0 << QByteArray() << QString() << false
            << true;
    }

    void lostPrinter()
    {
        QFETCH(bool, gone);
        QFETCH(bool, comesBack);
        QFETCH(QString, running);
        QFETCH(QList<Msg::Answer>, answers);
        QFETCH(int, reopened);
        QFETCH(QByteArray, written);
        QFETCH(QString, status);
        QFETCH(bool, abandoned);
        QFETCH(bool, looping);
        link->vars.CommPort = QStringLiteral("ttySim    Marlix printer simulator");
        port->gone = gone;
        port->deviceBack = comesBack;
        port->refuseAll = !gone; // a busy printer refuses with its port open
        link->ScriptRunning = running == QLatin1String("script");
        link->Looping = running == QLatin1String("loop");
        for (Msg::Answer a : answers)
            op->answers << a;
        link->OutBuffer = "XY";
        link->FlushOutput();

        QCOMPARE(op->asked.size(), answers.size());
        QCOMPARE(port->count(QStringLiteral("OpenPort(")), reopened);
        QCOMPARE(port->count(QStringLiteral("SetFlowControl(")), reopened);
        QCOMPARE(port->written, written);
        QCOMPARE(view->statusTexts, status.isEmpty() ? QStringList() : QStringList{status});
        QCOMPARE(link->RunAbandoned, abandoned);
        QCOMPARE(link->Looping, looping);
        if (reopened) {
            // Reopened after the message, before the next try.
            const qsizetype open = port->calls.indexOf(QRegularExpression(QStringLiteral("OpenPort\\(.*")));
            QCOMPARE(port->calls.at(open - 1), QStringLiteral("GetWriteCount()"));
            QCOMPARE(port->calls.at(open + 2), QStringLiteral("WriteData(2)"));
        }
    }

    void idleTimer_data()
    {
        QTest::addColumn<bool>("closePending");
        QTest::addColumn<bool>("macroMode");
        QTest::addColumn<bool>("closes");
        QTest::newRow("idle port closes") << true << false << true;
        QTest::newRow("busy port stays") << false << false << false;
        QTest::newRow("macro mode holds it") << true << true << false;
        QTest::newRow("macro mode, not pending") << false << true << false;
        QTest::newRow("a script is playing") << true << false << false;
    }

    void idleTimer()
    {
        QFETCH(bool, closePending);
        QFETCH(bool, macroMode);
        QFETCH(bool, closes);
        link->ClosePending = closePending;
        link->MacroMode = macroMode;
        link->vars.PortOpen = macroMode;
        link->ScriptRunning = QByteArray(QTest::currentDataTag()).contains("script");
        link->Timer1_Timer();
        QCOMPARE(port->count(QStringLiteral("ClosePort")), closes ? 1 : 0);
        QVERIFY(!link->ClosePending);
        QCOMPARE(link->vars.PortOpen, macroMode);
    }

    void idleTimerTicksFromTheEventLoop()
    {
        link->timer().setInterval(20);
        link->timer().start();
        link->ClosePending = true;
        QTRY_COMPARE_WITH_TIMEOUT(port->count(QStringLiteral("ClosePort")), 1, 2000);
        QVERIFY(!link->ClosePending);
    }

    void dispPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("breakEnabled");
        QTest::newRow("none") << "None" << "19200" << "None" << false;
        QTest::newRow("COM3") << "COM3" << "9600" << "COM3 9600" << true;
        QTest::newRow("lower-case com") << "com3" << "9600" << "com3" << false;
        QTest::newRow("bare tty name") << "ttyUSB0" << "19200" << "ttyUSB0 19200" << true;
        QTest::newRow("full path") << "/dev/pts/5" << "115200" << "/dev/pts/5 115200" << true;
        QTest::newRow("network name") << "printer.local" << "9600" << "printer.local" << false;
        // The two links without line settings: no baud rate, no break.
        QTest::newRow("network printer") << "tcp://printer.local:9100" << "9600" << "tcp://printer.local:9100" << false;
        QTest::newRow("USB printer") << "/dev/usb/lp0" << "9600" << "/dev/usb/lp0" << false;
        QTest::newRow("character device, not a tty") << "/dev/null" << "9600" << "/dev/null" << false;
        QTest::newRow("character device, a tty") << "/dev/tty" << "9600" << "/dev/tty 9600" << true;
        QTest::newRow("a tty outside /dev") << "/proc/self/root/dev/tty" << "9600" << "/proc/self/root/dev/tty 9600" << true;
        QTest::newRow("empty") << "" << "9600" << "" << false;
    }

    void dispPort()
    {
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(QString, shown);
        QFETCH(bool, breakEnabled);
        link->vars.CommPort = port;
        link->vars.CommBaud = baud;
        view->breakEnabled = !breakEnabled;
        link->DispPort();
        QCOMPARE(view->curPort, shown);
        QCOMPARE(view->breakEnabled, breakEnabled);
    }

    void sendInfoOnlyWhileHeldOpen()
    {
        link->Send_Info(QByteArray("\x05\x15", 2), 2);
        QVERIFY(port->offered.isEmpty());
        link->vars.PortOpen = true;
        link->Send_Info(QByteArray("\x05\x15", 2), 2);
        QCOMPARE(port->offered, QList<QByteArray>{QByteArray("\x05\x15", 2)});
        QCOMPARE(port->count(QStringLiteral("OpenPort")), 0);
    }

    void getInfoDrainsInput()
    {
        QCOMPARE(link->Get_Info(), QByteArray());
        QCOMPARE(port->count(QStringLiteral("ReadInput(1)")), 1);
        port->open = true;
        port->input = QByteArray("\x00OK\xff", 4);
        QCOMPARE(link->Get_Info(), QByteArray("\x00OK\xff", 4));
        QCOMPARE(port->count(QStringLiteral("ReadInput(1)")), 1 + 5);
    }

    void breakHoldsTheLineForASecond()
    {
        link->Looping = true;
        link->ClosePending = true;
        bool pendingDuringBreak = true;
        pump->onSleep = [&](int) { pendingDuringBreak = link->ClosePending; };
        link->DoBreak_Click();
        QVERIFY(!link->Looping);
        QVERIFY(!pendingDuringBreak);
        QVERIFY(link->ClosePending);
        QCOMPARE(pump->sleeps, QList<int>{1000});
        QCOMPARE(view->breakCaptions, (QStringList{QStringLiteral("Wait"), QStringLiteral("Break")}));
        const QStringList expected{QStringLiteral("OpenPort(None|baud=19200 parity=N data=8 stop=1)"),
                                   QStringLiteral("SetFlowControl(2)"), QStringLiteral("SetBreak(1, )"),
                                   QStringLiteral("SetBreak(2, )")};
        QCOMPARE(port->calls, expected);
        QCOMPARE(pump->served, 1);
    }

    void settingsCommandReleasesAHeldPort()
    {
        link->ReleaseHeldPort();
        QVERIFY(op->asked.isEmpty());
        link->vars.PortOpen = true;
        link->ReleaseHeldPort();
        QCOMPARE(op->texts(), QStringList{QStringLiteral("Closing Communication Port")});
        QCOMPARE(op->asked.first().buttons, Msg::Buttons::Ok);
        QCOMPARE(port->count(QStringLiteral("ClosePort")), 1);
        QVERIFY(!link->vars.PortOpen);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
