// marlix-run's console stand-ins for the window: message lines, the answers
// given with no one to ask, the display on standard output, the pause count
// and the pump's waits.
#include "run/Console.h"
#include "run/RunOptions.h"
#include "session/QuitSignals.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QtTest>

#include <csignal>

class tst_RunConsole : public QObject {
    Q_OBJECT
private slots:
    void messageIsOneLine_data();
    void messageIsOneLine();
    void answers_data();
    void answers();
    void displayGoesOutUnchanged();
    void autoQueryEndsWithTheRun();
    void outputThatFailsIsToldOnce();
    void pauseCountsOnATerminalOnly_data();
    void pauseCountsOnATerminalOnly();
    void waitBlocksForItsTime();
    void quitSignalCutsAWaitShort();
};

void tst_RunConsole::messageIsOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << "Script Stopped Press OK to continue"
                           << "marlix-run: Script Stopped Press OK to continue\n";
    QTest::newRow("CR LF inside") << "first\r\nsecond" << "marlix-run: first second\n";
    QTest::newRow("LF and CR alone") << "a\nb\rc" << "marlix-run: a b c\n";
    QTest::newRow("line break at the end") << "done\r\n" << "marlix-run: done \n";
    QTest::newRow("Latin-1 text") << QStringLiteral("Caf\u00e9 \u00bd") << QStringLiteral("marlix-run: Caf\u00e9 \u00bd\n");
    QTest::newRow("empty ECHO") << "" << "marlix-run: \n";
}

void tst_RunConsole::messageIsOneLine()
{
    QFETCH(QString, text);
    QFETCH(QString, line);
    QCOMPARE(consoleLine(text), line.toLocal8Bit()); // in the locale's encoding
}

void tst_RunConsole::answers_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<bool>("runEnds");
    using B = Msg::Buttons;
    using A = Msg::Answer;
    QTest::newRow("OK: the run goes on") << int(B::Ok) << int(A::Ok) << false << false;
    QTest::newRow("OK or Cancel (Unable to output data): given up, the run ends")
        << int(B::OkCancel) << int(A::Cancel) << true << true;
    QTest::newRow("Retry or Cancel (a log write): given up, the run goes on")
        << int(B::RetryCancel) << int(A::Cancel) << true << false;
    QTest::newRow("Yes, No or Cancel: cancelled") << int(B::YesNoCancel) << int(A::Cancel) << true << false;
}

void tst_RunConsole::answers()
{
    QFETCH(int, buttons);
    QFETCH(int, answer);
    QFETCH(bool, failed);
    QFETCH(bool, runEnds);

    QStringList told;
    int ends = 0;
    ConsoleOperator op([&told](const QString &t) { told << t; }, [&ends] { ++ends; });
    QCOMPARE(int(op.message(QStringLiteral("first"), Msg::Buttons(buttons), Msg::Icon::Exclamation,
                            QStringLiteral("caption"))),
             answer);
    QCOMPARE(told, QStringList{QStringLiteral("first")}); // told before it is answered; no caption
    QCOMPARE(op.failed(), failed);
    QCOMPARE(ends, runEnds ? 1 : 0);
    // The dialog is never shown: a cancel, whatever is asked.
    QVERIFY(!op.openFile(FileDialogRequest{QStringLiteral("Open Demo File"), QStringLiteral("(*.*)|*.*"), {}, true}));
    // A later OK does not clear an earlier failure.
    static_cast<Operator &>(op).message(QStringLiteral("second"));
    QCOMPARE(op.failed(), failed);
}

void tst_RunConsole::displayGoesOutUnchanged()
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    RunOptions options;
    ConsoleView view(out, options, [](const QString &) { QFAIL("nothing failed"); });
    const QByteArray bytes("\r\n[ESC]@< 200>\r\n\x00\xff\xe9", 20);
    view.appendToDisplay(bytes.left(9));
    QCOMPARE(out.data(), bytes.left(9)); // at once, not at the end
    view.appendToDisplay(bytes.mid(9));
    view.appendToDisplay(QByteArray());
    QCOMPARE(out.data(), bytes);
}

void tst_RunConsole::autoQueryEndsWithTheRun()
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    RunOptions options;
    options.autoQuery = true;
    options.transcript = false;
    options.mode = DisplayMode::Dec;
    options.packetSize = QStringLiteral("7");
    ConsoleView view(out, options, {});
    QVERIFY(view.autoQueryChecked());
    QVERIFY(!view.transcriptChecked());
    QCOMPARE(view.displayMode(), DisplayMode::Dec);
    QCOMPARE(view.packetSizeText(), QStringLiteral("7"));
    // After a send that failed no reply is read: nobody is waiting for it.
    view.endRun();
    QVERIFY(!view.autoQueryChecked());
}

void tst_RunConsole::outputThatFailsIsToldOnce()
{
    QBuffer out;
    out.open(QIODevice::ReadOnly); // takes nothing
    RunOptions options;
    QStringList told;
    ConsoleView view(out, options, [&told](const QString &t) { told << t; });
    view.appendToDisplay("A");
    view.appendToDisplay("B");
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.at(0).startsWith(QLatin1String("standard output: ")), qPrintable(told.at(0)));
    QVERIFY(view.outputFailed());
}

void tst_RunConsole::pauseCountsOnATerminalOnly_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QByteArray>("shown");
    const QByteArray ten("marlix-run: Demo Paused 10");
    QTest::newRow("terminal") << true
                              << "\r" + ten + "\rmarlix-run: Demo Paused 9 \r" + QByteArray(ten.size(), ' ') + "\r";
    QTest::newRow("file or pipe") << false << QByteArray();
}

void tst_RunConsole::pauseCountsOnATerminalOnly()
{
    QFETCH(bool, terminal);
    QFETCH(QByteArray, shown);
    QBuffer err;
    err.open(QIODevice::WriteOnly);
    ConsolePause pause(err, terminal);
    pause.showPause();
    pause.setCount(10);
    pause.setCount(9); // a shorter count blanks what the longer one left
    pause.hidePause();
    pause.hidePause();
    QCOMPARE(err.data(), shown);
}

void tst_RunConsole::waitBlocksForItsTime()
{
    ConsolePump pump;
    QElapsedTimer clock;
    clock.start();
    pump.sleepMs(3 * ConsolePump::kSliceMs + 5); // more than one slice
    QVERIFY(clock.elapsed() >= 3 * ConsolePump::kSliceMs + 5);
    pump.sleepMs(-5); // nothing to wait for
}

void tst_RunConsole::quitSignalCutsAWaitShort()
{
    QList<int> quits;
    QuitSignals quit([&quits](int signo) { quits << signo; });
    QVERIFY(quit.installed());
    ConsolePump pump;
    ::raise(SIGTERM);
    QElapsedTimer clock;
    clock.start();
    pump.sleepMs(60000);
    // The quit handler has run by the time the wait returns, long before its end.
    QCOMPARE(quits, QList<int>{SIGTERM});
    QVERIFY(clock.elapsed() < 30000);
}

QTEST_GUILESS_MAIN(tst_RunConsole)
#include "tst_run_console.moc"
