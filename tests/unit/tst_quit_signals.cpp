#include "session/QuitSignals.h"

#include <QtTest>
#include <csignal>

class tst_QuitSignals : public QObject {
    Q_OBJECT
private slots:
    void signalReachesTheEventLoop_data();
    void signalReachesTheEventLoop();
    void secondSignalDoesNotQuitTwice();
    void oneInstanceAtATime();
    void userSignalRunsEachTimeAndQuitsNothing();
};

void tst_QuitSignals::signalReachesTheEventLoop_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_QuitSignals::signalReachesTheEventLoop()
{
    QFETCH(int, signo);
    QList<int> calls;
    QuitSignals quit([&calls](int s) { calls << s; });
    QVERIFY(quit.installed());
    QVERIFY(!QuitSignals::signalled()); // a new instance starts clear, also after an earlier row
    // The process survives: the default action (end at once) is replaced.
    ::raise(signo);
    QVERIFY(calls.isEmpty()); // nothing runs inside the signal handler itself
    QVERIFY(QuitSignals::signalled()); // but a blocking wait can already see it
    QTRY_COMPARE(calls, QList<int>{signo});
    QCOMPARE(quit.received(), signo);
}

void tst_QuitSignals::secondSignalDoesNotQuitTwice()
{
    QList<int> calls;
    QuitSignals quit([&calls](int s) { calls << s; });
    ::raise(SIGTERM);
    ::raise(SIGINT);
    QTRY_VERIFY(!calls.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(calls, QList<int>{SIGTERM});
}

void tst_QuitSignals::oneInstanceAtATime()
{
    auto first = std::make_unique<QuitSignals>([](int) {});
    QVERIFY(first->installed());
    QuitSignals second([](int) {});
    QVERIFY(!second.installed());
    first.reset();
    QuitSignals third([](int) {});
    QVERIFY(third.installed());
}

// The simulator's SIGUSR1 toggles busy: every one counts, none ends the
// program or cuts a wait short, and a quit signal among them still quits.
void tst_QuitSignals::userSignalRunsEachTimeAndQuitsNothing()
{
    QList<int> quits;
    int users = 0;
    QuitSignals quit([&quits](int s) { quits << s; });
    QVERIFY(quit.alsoOnUserSignal([&users] { ++users; }));
    ::raise(SIGUSR1);
    QVERIFY(!QuitSignals::signalled());
    QTRY_COMPARE(users, 1);
    ::raise(SIGUSR1);
    ::raise(SIGUSR1);
    QTRY_COMPARE(users, 3);
    QVERIFY(quits.isEmpty());
    ::raise(SIGTERM);
    QTRY_COMPARE(quits, QList<int>{SIGTERM});
    QCOMPARE(users, 3);
}

QTEST_GUILESS_MAIN(tst_QuitSignals)
#include "tst_quit_signals.moc"
