// The simulator's command line.

#include "SimOptions.h"

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
};

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

    SimOptions options;
    int exitCode = -1;
    QCOMPARE(parseSimOptions(QStringList{QStringLiteral("marlix-printer-sim")} + arguments, &options, &exitCode), runs);
    if (!runs) {
        QCOMPARE(exitCode, 2);
        return;
    }
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

    SimOptions options;
    int exitCode = -1;
    QCOMPARE(parseSimOptions(all, &options, &exitCode), runs);
    if (runs) {
        QCOMPARE(options.receiptsDir, folder);
        QCOMPARE(options.decode, decode);
    } else {
        QCOMPARE(exitCode, 2);
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
    SimOptions options;
    int exitCode = -1;
    QCOMPARE(parseSimOptions(QStringList{QStringLiteral("marlix-printer-sim")} + arguments, &options, &exitCode), runs);
    QCOMPARE(exitCode, runs ? -1 : 2);
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
    SimOptions options;
    int exitCode = -1;
    QCOMPARE(parseSimOptions(QStringList{QStringLiteral("marlix-printer-sim")} + arguments, &options, &exitCode), runs);
    QCOMPARE(exitCode, runs ? -1 : 2);
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
    SimOptions options;
    int exitCode = -1;
    QCOMPARE(parseSimOptions(QStringList{QStringLiteral("marlix-printer-sim")} + arguments, &options, &exitCode), runs);
    if (runs)
        QCOMPARE(options.cjk, encoding);
    else
        QCOMPARE(exitCode, 2);
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_sim_options.moc"
