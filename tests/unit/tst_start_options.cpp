// The program's command line, as a table: what each command line starts
// with, or with what it ends at once.
#include "terminal/StartOptions.h"

#include <QCoreApplication>
#include <QtTest>

class tst_StartOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Marlix Terminal"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.7.4"));
    }
    void parse_data();
    void parse();
};

void tst_StartOptions::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode"); // -1: the program starts
    QTest::addColumn<QString>("port"); // "-" for not given
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("output"); // a part of standard output
    QTest::addColumn<QString>("error");  // standard error, whole
    using L = QStringList;
    QTest::newRow("nothing") << L{} << -1 << "-" << "-" << "" << "";
    QTest::newRow("bare name") << L{"--port", "ttyUSB0"} << -1 << "ttyUSB0" << "-" << "" << "";
    QTest::newRow("full path, short form") << L{"-p", "/dev/pts/5"} << -1 << "/dev/pts/5" << "-" << "" << "";
    QTest::newRow("equals form") << L{"--port=/dev/serial/by-id/usb-P_1-if00"} << -1
                                 << "/dev/serial/by-id/usb-P_1-if00" << "-" << "" << "";
    QTest::newRow("port and baud") << L{"--port", "ttyS0", "--baud", "9600"} << -1 << "ttyS0" << "9600" << ""
                                   << "";
    QTest::newRow("a rate not in the dialog") << L{"-b", "2400"} << -1 << "-" << "2400" << "" << "";
    QTest::newRow("Qt's own options pass") << L{"-platform", "offscreen", "-style", "Fusion", "-reverse", "-p", "ttyS1"}
                                           << -1 << "ttyS1" << "-" << "" << "";
    QTest::newRow("help") << L{"--help"} << 0 << "-" << "-" << "--port <NAME>" << "";
    QTest::newRow("help, short") << L{"-h"} << 0 << "-" << "-" << "--baud <N>" << "";
    QTest::newRow("version") << L{"--version"} << 0 << "-" << "-" << "Marlix Terminal 1.7.4\n" << "";
    QTest::newRow("empty port") << L{"--port", ""} << 2 << "-" << "-" << ""
                                << "rizeruzozo: --port needs a port name, such as ttyUSB0 or /dev/ttyUSB0";
    QTest::newRow("port with a TAB") << L{"--port", "ttyS0\tBuilt-in"} << 2 << "-" << "-" << ""
                                     << "rizeruzozo: --port: a port name has no control characters";
    QTest::newRow("port without a value") << L{"--port"} << 2 << "-" << "-" << ""
                                          << "rizeruzozo: Missing value after '--port'.";
    QTest::newRow("baud not a number") << L{"--baud", "19k2"} << 2 << "-" << "-" << ""
                                       << "rizeruzozo: --baud 19k2: not a baud rate (a whole number such as "
                                          "19200, at most 4000000)";
    for (const char *bad : {"0", "-9600", "4000001", " 9600", "+9600", "9600.0"})
        QTest::addRow("baud %s", bad) << L{"--baud", bad} << 2 << "-" << "-" << ""
                                      << QStringLiteral("rizeruzozo: --baud %1: not a baud rate (a whole number "
                                                        "such as 19200, at most 4000000)").arg(QLatin1String(bad));
    QTest::newRow("pass-through, bad port") << L{"--pass-through", "tcp://127.0.0.1:70000"} << 2 << "-" << "-" << ""
                                            << "rizeruzozo: --pass-through: tcp://127.0.0.1:70000: expected "
                                               "tcp://HOST:PORT with a port from 1 to 65535 (0 takes any free one)";
    QTest::newRow("pass-through, empty") << L{"--pass-through", ""} << 2 << "-" << "-" << ""
                                         << "rizeruzozo: --pass-through: give a path for the pseudo terminal, or "
                                            "tcp://HOST:PORT";
    QTest::newRow("unknown option") << L{"--bogus"} << 2 << "-" << "-" << "" << "rizeruzozo: Unknown option 'bogus'.";
    QTest::newRow("stray argument") << L{"demo.dmo"} << 2 << "-" << "-" << ""
                                    << "rizeruzozo: unexpected argument \"demo.dmo\"";
}

void tst_StartOptions::parse()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, port);
    QFETCH(QString, baud);
    QFETCH(QString, output);
    QFETCH(QString, error);
    const StartOptions o = parseStartOptions(QStringList{QStringLiteral("/usr/bin/rizeruzozo")} + args);
    QCOMPARE(o.exitCode.value_or(-1), exitCode);
    QCOMPARE(o.port.value_or(QStringLiteral("-")), port);
    QCOMPARE(o.baud.value_or(QStringLiteral("-")), baud);
    QVERIFY2(output.isEmpty() ? o.output.isEmpty() : o.output.contains(output), qPrintable(o.output));
    QCOMPARE(o.error, error);
    QVERIFY(!o.error.contains(QLatin1Char('\n'))); // one line
}

QTEST_GUILESS_MAIN(tst_StartOptions)
#include "tst_start_options.moc"
