// The options the command lines share take the same values in every face that
// has them: the window, marlix-run and the simulator refuse alike.
#include "SimOptions.h"
#include "run/RunOptions.h"
#include "terminal/StartOptions.h"

#include <QtTest>

class tst_SharedOptions : public QObject {
    Q_OBJECT
private slots:
    void sameLimits_data();
    void sameLimits();
};

void tst_SharedOptions::sameLimits_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("faces"); // those that have the option
    QTest::addColumn<bool>("taken");
    QTest::newRow("the fastest rate") << QStringList{"--baud", "4000000"} << "window run" << true;
    QTest::newRow("above the fastest rate") << QStringList{"--baud", "4000001"} << "window run" << false;
    QTest::newRow("beyond 32 bits") << QStringList{"--baud", "4294967297"} << "window run" << false;
    QTest::newRow("a sign") << QStringList{"--baud", "+9600"} << "window run" << false;
    QTest::newRow("a blank") << QStringList{"--baud", "9600 "} << "window run" << false;
    QTest::newRow("1000 km of paper") << QStringList{"--paper-length", "1000000000"} << "run sim" << true;
    QTest::newRow("more") << QStringList{"--paper-length", "1000000001"} << "run sim" << false;
}

void tst_SharedOptions::sameLimits()
{
    QFETCH(QStringList, args);
    QFETCH(QString, faces);
    QFETCH(bool, taken);
    if (faces.contains(QLatin1String("window"))) {
        const StartOptions window = parseStartOptions(QStringList{QStringLiteral("rizeruzozo")} + args);
        QCOMPARE(!window.exitCode.has_value(), taken);
        if (!taken)
            QCOMPARE(window.error, QStringLiteral("rizeruzozo: --baud %1: not a baud rate (a whole number such as "
                                                  "19200, at most 4000000)").arg(args.at(1)));
    }
    LinkVariables saved;
    saved.CommPort = QStringLiteral("ttyS0");
    const CommandLine run = parseRunCommandLine(QStringList{QStringLiteral("marlix-run")} + args
                                                    + QStringList{QStringLiteral("-c"), QStringLiteral("A")},
                                                saved);
    QCOMPARE(run.outcome == CommandLine::Run, taken);
    if (faces.contains(QLatin1String("sim"))) {
        const SimCommandLine sim = parseSimCommandLine(QStringList{QStringLiteral("marlix-printer-sim")} + args);
        QCOMPARE(sim.outcome == SimCommandLine::Run, taken);
        QCOMPARE(sim.text, run.text); // the same words
    } else if (!taken) {
        QCOMPARE(run.text, QStringLiteral("bad --baud %1: expected a rate in bits per second, such as 19200")
                               .arg(args.at(1)));
    }
}

QTEST_GUILESS_MAIN(tst_SharedOptions)
#include "tst_shared_options.moc"
