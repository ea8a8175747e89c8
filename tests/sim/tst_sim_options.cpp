// The simulator's command line.

#include "SimOptions.h"
#include "session/CommandLineChecks.h"

#include <QBuffer>

#include <QtTest>

class TestSimOptions : public QObject
{
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void receipts_data();
    void receipts();
    void tcpPort_data();
    void tcpPort();
    void printerState_data();
    void printerState();
    void cjk_data();
    void cjk();
    void refusals_data();
    void refusals();
    void helpAndVersionAreNoRun();
};

namespace {
SimCommandLine parse(const QStringList &arguments)
{
    return parseSimCommandLine(QStringList{QStringLiteral("marlix-printer-sim")} + arguments);
}
} // namespace

Q_DECLARE_METATYPE(TwoByteCode)

void TestSimOptions::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<QStringList>("replies"); // "REQ=RESP" in lower-case hex, in order
    QTest::addColumn<int>("delay");

    const QByteArray standard("CMD MX2600 V1.00");
    QTest::newRow("defaults") << QStringList{} << true << standard << QStringList{} << 0;
    QTest::newRow("replies in order") << QStringList{"--reply", "1004=1501", "--reply", "1B76=00", "--reply", "1004=0601"} << true
                                      << standard << QStringList{"1004=1501", "1b76=00", "1004=0601"} << 0;
    QTest::newRow("empty response") << QStringList{"--reply", "0517="} << true << standard << QStringList{"0517="} << 0;
    QTest::newRow("lower-case hex") << QStringList{"--reply", "1b40=ff"} << true << standard << QStringList{"1b40=ff"} << 0;
    QTest::newRow("empty identity") << QStringList{"--identity", ""} << true << QByteArray() << QStringList{} << 0;
    QTest::newRow("delay") << QStringList{"--reply-delay", "250"} << true << standard << QStringList{} << 250;
    QTest::newRow("empty request") << QStringList{"--reply", "=15"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("not hex") << QStringList{"--reply", "1G=00"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("blank in hex") << QStringList{"--reply", "10 04=15"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("odd response") << QStringList{"--reply", "1004=150"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("delay not a number") << QStringList{"--reply-delay", "1s"} << false << QByteArray() << QStringList{} << 0;
    QTest::newRow("identity beyond Latin-1") << QStringList{"--identity", QStringLiteral("CMD \u20ac")} << false << QByteArray()
                                             << QStringList{} << 0;
    QTest::newRow("stray argument") << QStringList{"extra"} << false << QByteArray() << QStringList{} << 0;
}

void TestSimOptions::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(QByteArray, identity);
    QFETCH(QStringList, replies);
    QFETCH(int, delay);

    const SimCommandLine line = parse(arguments);
    const SimOptions &options = line.options;
    QCOMPARE(line.outcome, runs ? SimCommandLine::Run : SimCommandLine::Error);
    if (!runs)
        return;
    QCOMPARE(options.identity, identity);
    QStringList parsed;
    for (const auto &[request, response] : options.replies)
        parsed.append(QString::fromLatin1(request.toHex() + '=' + response.toHex()));
    QCOMPARE(parsed, replies);
    QCOMPARE(options.replyDelayMs, delay);
}

void TestSimOptions::receipts_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("seenEarly"); // by wantsReceipts(), before the application exists
    QTest::addColumn<bool>("decode");

    QTest::newRow("none") << QStringList{} << true << QString() << false << false;
    QTest::newRow("folder") << QStringList{"--receipts", "/tmp/paper"} << true << "/tmp/paper" << true << false;
    QTest::newRow("with =") << QStringList{"--receipts=/tmp/paper"} << true << "/tmp/paper" << true << false;
    QTest::newRow("empty folder") << QStringList{"--receipts", ""} << false << QString() << true << false;
    QTest::newRow("missing folder") << QStringList{"--receipts"} << false << QString() << true << false;
    QTest::newRow("after --") << QStringList{"--", "--receipts"} << false << QString() << false << false;
    QTest::newRow("decode alone") << QStringList{"--decode"} << true << QString() << true << true;
    QTest::newRow("decode and receipts") << QStringList{"--receipts", "/tmp/paper", "--decode"} << true << "/tmp/paper" << true << true;
    QTest::newRow("decode takes no value") << QStringList{"--decode=yes"} << false << QString() << false << false;
}

void TestSimOptions::receipts()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(QString, folder);
    QFETCH(bool, seenEarly);
    QFETCH(bool, decode);

    const QStringList all = QStringList{QStringLiteral("marlix-printer-sim")} + arguments;
    QList<QByteArray> bytes;
    for (const QString &argument : all)
        bytes.append(argument.toLocal8Bit());
    QList<char *> argv;
    for (QByteArray &argument : bytes)
        argv.append(argument.data());
    QCOMPARE(wantsReceipts(int(argv.size()), argv.data()), seenEarly);

    const SimCommandLine line = parseSimCommandLine(all);
    const SimOptions &options = line.options;
    QCOMPARE(line.outcome, runs ? SimCommandLine::Run : SimCommandLine::Error);
    if (runs) {
        QCOMPARE(options.receiptsDir, folder);
        QCOMPARE(options.decode, decode);
    }
}

void TestSimOptions::tcpPort_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<int>("port"); // -1: the pty alone

    QTest::newRow("none") << QStringList{} << true << -1;
    QTest::newRow("any free port") << QStringList{"--tcp", "0"} << true << 0;
    QTest::newRow("a printer's port") << QStringList{"--tcp", "9100"} << true << 9100;
    QTest::newRow("highest") << QStringList{"--tcp=65535"} << true << 65535;
    QTest::newRow("too high") << QStringList{"--tcp", "65536"} << false << -1;
    QTest::newRow("negative") << QStringList{"--tcp", "-1"} << false << -1;
    QTest::newRow("not a number") << QStringList{"--tcp", "raw"} << false << -1;
    QTest::newRow("empty") << QStringList{"--tcp", ""} << false << -1;
    QTest::newRow("missing") << QStringList{"--tcp"} << false << -1;
}

void TestSimOptions::tcpPort()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(int, port);
    const SimCommandLine line = parse(arguments);
    const SimOptions &options = line.options;
    QCOMPARE(line.outcome, runs ? SimCommandLine::Run : SimCommandLine::Error);
    if (runs)
        QCOMPARE(options.tcpPort, port);
}

void TestSimOptions::printerState_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<qint64>("paperMm");
    QTest::addColumn<qint64>("nearEndMm");
    QTest::addColumn<int>("drawerMs"); // 0: stays open

    QTest::newRow("defaults") << QStringList{} << true << qint64(80000) << qint64(5000) << 0;
    QTest::newRow("a 3 m roll") << QStringList{"--paper-length", "3000", "--near-end", "0"} << true << qint64(3000) << qint64(0) << 0;
    QTest::newRow("a drawer that closes") << QStringList{"--drawer-closes-after", "2.5"} << true << qint64(80000) << qint64(5000) << 2500;
    QTest::newRow("no paper") << QStringList{"--paper-length", "0"} << false << qint64(0) << qint64(0) << 0;
    QTest::newRow("longer than 1000 km") << QStringList{"--paper-length", "1000000001"} << false << qint64(0) << qint64(0) << 0;
    QTest::newRow("near end negative") << QStringList{"--near-end", "-1"} << false << qint64(0) << qint64(0) << 0;
    QTest::newRow("drawer at once") << QStringList{"--drawer-closes-after", "0"} << false << qint64(0) << qint64(0) << 0;
}

void TestSimOptions::printerState()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(qint64, paperMm);
    QFETCH(qint64, nearEndMm);
    QFETCH(int, drawerMs);
    const SimCommandLine line = parse(arguments);
    const SimOptions &options = line.options;
    QCOMPARE(line.outcome, runs ? SimCommandLine::Run : SimCommandLine::Error);
    if (!runs)
        return;
    QCOMPARE(options.paperLengthMm, paperMm);
    QCOMPARE(options.nearEndMm, nearEndMm);
    QCOMPARE(options.drawerClosesMs, drawerMs);
}

// --cjk: the model's two-byte encoding, named as people write it.
void TestSimOptions::cjk_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<TwoByteCode>("encoding");
    QTest::newRow("GB 18030 by default") << QStringList{} << true << TwoByteCode::Gb18030;
    QTest::newRow("Shift_JIS") << QStringList{"--cjk", "Shift_JIS"} << true << TwoByteCode::ShiftJis;
    QTest::newRow("sjis") << QStringList{"--cjk", "sjis"} << true << TwoByteCode::ShiftJis;
    QTest::newRow("big5") << QStringList{"--cjk=big5"} << true << TwoByteCode::Big5;
    QTest::newRow("euc-kr") << QStringList{"--cjk", "euc-kr"} << true << TwoByteCode::EucKr;
    QTest::newRow("gb18030") << QStringList{"--cjk", "gb18030"} << true << TwoByteCode::Gb18030;
    QTest::newRow("JIS is FS C's, not a model's") << QStringList{"--cjk", "JIS"} << false << TwoByteCode::None;
    QTest::newRow("UTF-8") << QStringList{"--cjk", "UTF-8"} << false << TwoByteCode::None;
}

void TestSimOptions::cjk()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(TwoByteCode, encoding);
    const SimCommandLine line = parse(arguments);
    const SimOptions &options = line.options;
    QCOMPARE(line.outcome, runs ? SimCommandLine::Run : SimCommandLine::Error);
    if (runs)
        QCOMPARE(options.cjk, encoding);
}

// Every refusal says what is wrong in the simulator's words, on standard
// error with the hint, and the simulator ends with status 2.
void TestSimOptions::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--bogus"} << "Unknown option 'bogus'.";
    QTest::newRow("stray argument") << QStringList{"extra"} << "unexpected argument extra";
    QTest::newRow("identity beyond Latin-1") << QStringList{"--identity", QStringLiteral("CMD \u20ac")}
                                             << QStringLiteral("--identity: \u20ac is not a single byte (Latin-1)");
    QTest::newRow("identity beyond 16 bits") << QStringList{"--identity", QStringLiteral("A\U0001F600")}
                                             << QStringLiteral("--identity: \U0001F600 is not a single byte (Latin-1)");
    QTest::newRow("link") << QStringList{"--link", ""} << "--link needs a path";
    QTest::newRow("record") << QStringList{"--record="} << "--record needs a file name";
    QTest::newRow("receipts") << QStringList{"--receipts", ""} << "--receipts needs a folder";
    QTest::newRow("cjk") << QStringList{"--cjk", "JIS"} << "bad --cjk JIS: expected GB18030, Shift_JIS, Big5 or EUC-KR";
    QTest::newRow("reply") << QStringList{"--reply", "1004"} << "bad --reply 1004: expected REQ=RESP in hex, REQ not empty";
    QTest::newRow("tcp") << QStringList{"--tcp", "65536"}
                         << "bad --tcp 65536: expected a port number from 0 (any free port) to 65535";
    QTest::newRow("reply delay") << QStringList{"--reply-delay", "-5"}
                                 << "bad --reply-delay -5: expected milliseconds, 0 or more";
    QTest::newRow("paper width") << QStringList{"--paper", "58mm"}
                                 << "bad --paper 58mm: expected 80 or 58, the paper's width in millimetres";
    QTest::newRow("paper length") << QStringList{"--paper-length", "0"}
                                  << "bad --paper-length 0: expected millimetres, 1 to 1000000000";
    QTest::newRow("near end") << QStringList{"--near-end", "x"} << "bad --near-end x: expected millimetres, 0 to 1000000000";
    QTest::newRow("drawer") << QStringList{"--drawer-closes-after", "86401"}
                            << "bad --drawer-closes-after 86401: expected seconds, more than 0 and at most 86400";
}

void TestSimOptions::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const SimCommandLine line = parse(arguments);
    QCOMPARE(line.outcome, SimCommandLine::Error);
    QCOMPARE(line.text, message);
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(CommandLineChecks::stopWithoutRunning(QStringLiteral("marlix-printer-sim"), true, line.text, out, err), 2);
    QCOMPARE(out.data(), QByteArray());
    QCOMPARE(QString::fromLocal8Bit(err.data()),
             QStringLiteral("marlix-printer-sim: %1\nTry marlix-printer-sim --help.\n").arg(message));
}

void TestSimOptions::helpAndVersionAreNoRun()
{
    const SimCommandLine help = parse({QStringLiteral("--help")});
    QCOMPARE(help.outcome, SimCommandLine::Help);
    QVERIFY2(help.text.contains(QLatin1String("SIGUSR1 toggles busy")), qPrintable(help.text));
    const SimCommandLine version = parse({QStringLiteral("--version")});
    QCOMPARE(version.outcome, SimCommandLine::Version);
    QCOMPARE(version.text, QStringLiteral("marlix-printer-sim " MARLIX_TEST_VERSION "\n"));
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(CommandLineChecks::stopWithoutRunning(QStringLiteral("marlix-printer-sim"), false, version.text, out, err), 0);
    QCOMPARE(out.data(), version.text.toLocal8Bit());
    QCOMPARE(err.data(), QByteArray());
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_sim_options.moc"
