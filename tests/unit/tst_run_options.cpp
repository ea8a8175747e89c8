// marlix-run's command line: the items in the order given, the options over
// the window's saved settings, and every bad value refused with its reason.
#include "run/RunOptions.h"

#include <QtTest>

namespace {

// Items as short texts: "F:name", "C:text", "G".
QStringList itemTexts(const QList<RunItem> &items)
{
    QStringList texts;
    for (const RunItem &item : items) {
        switch (item.kind) {
        case RunItem::File: texts << QStringLiteral("F:") + item.text; break;
        case RunItem::Command: texts << QStringLiteral("C:") + item.text; break;
        case RunItem::GetResponse: texts << QStringLiteral("G"); break;
        }
    }
    return texts;
}

LinkVariables savedPort()
{
    LinkVariables saved;
    saved.CommPort = QStringLiteral("/dev/serial/by-id/usb-Marlix-if00");
    saved.CommBaud = QStringLiteral("9600");
    saved.CommFlow = 0;
    return saved;
}

CommandLine parse(const QStringList &args, const LinkVariables &saved = savedPort())
{
    return parseRunCommandLine(QStringList{QStringLiteral("marlix-run")} + args, saved);
}

} // namespace

class tst_RunOptions : public QObject {
    Q_OBJECT
private slots:
    void itemOrder_data();
    void itemOrder();
    void settings_data();
    void settings();
    void refused_data();
    void refused();
    void helpAndVersion();
};

void tst_RunOptions::itemOrder_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("files, commands and reads interleaved")
        << QStringList{"a.dmo", "-c", "X", "--get-response", "b.prn", "--command", "Y", "c.dmo"}
        << QStringList{"F:a.dmo", "C:X", "G", "F:b.prn", "C:Y", "F:c.dmo"};
    QTest::newRow("options between items change nothing in the order")
        << QStringList{"-c", "A", "-p", "ttyS0", "x.dmo", "--mode", "hex", "--get-response"}
        << QStringList{"C:A", "F:x.dmo", "G"};
    QTest::newRow("compact short options: -rcTEXT")
        << QStringList{"-rc[ESC]@", "-cB"} << QStringList{"C:[ESC]@", "C:B"};
    QTest::newRow("--command=TEXT, also an empty one")
        << QStringList{"--command=[ESC]@", "--command="} << QStringList{"C:[ESC]@", "C:"};
    QTest::newRow("a value that looks like an option is the value")
        << QStringList{"-c", "-r", "-c", "--get-response"} << QStringList{"C:-r", "C:--get-response"};
    QTest::newRow("after -- every argument is a file")
        << QStringList{"-c", "A", "--", "-c", "--get-response"} << QStringList{"C:A", "F:-c", "F:--get-response"};
    QTest::newRow("the same file twice plays twice")
        << QStringList{"a.dmo", "a.dmo"} << QStringList{"F:a.dmo", "F:a.dmo"};
    // Long lines: the order is found without a parse per argument; it must still be exact.
    QStringList longArgs{"-c", "first"};
    QStringList longItems{"C:first"};
    for (int i = 0; i < 300; ++i) {
        const QString file = QStringLiteral("f%1.prn").arg(i);
        longArgs << file;
        longItems << "F:" + file;
        if (i == 150) {
            longArgs << "--get-response" << "-rcmiddle";
            longItems << "G" << "C:middle";
        }
    }
    longArgs << "-c" << "last";
    longItems << "C:last";
    QTest::newRow("many files, a few commands between") << longArgs << longItems;
    QStringList mixedArgs;
    QStringList mixedItems;
    for (int i = 0; i < 100; ++i) {
        const QString n = QString::number(i);
        mixedArgs << "-c" << n << n + ".dmo" << "--get-response" << "-p" << "ttyS0" << "--command=" + n;
        mixedItems << "C:" + n << "F:" + n + ".dmo" << "G" << "C:" + n;
    }
    QTest::newRow("every kind, every time") << mixedArgs << mixedItems;
    QTest::newRow("Latin-1 text beyond ASCII is fine")
        << QStringList{"-c", QStringLiteral("Caf\u00e9")} << QStringList{QStringLiteral("C:Caf\u00e9")};
}

void tst_RunOptions::itemOrder()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, items);
    const CommandLine line = parse(args);
    QCOMPARE(line.text, QString());
    QCOMPARE(line.outcome, CommandLine::Run);
    QCOMPARE(itemTexts(line.options.items), items);
}

void tst_RunOptions::settings_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("portMode");
    QTest::addColumn<int>("flow");
    QTest::addColumn<QString>("packetSize");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("transcript");
    QTest::addColumn<bool>("autoQuery");
    QTest::addColumn<QString>("log");

    const QString savedName = savedPort().CommPort;
    const int normal = int(DisplayMode::Normal);
    QTest::newRow("saved settings and the window's defaults")
        << QStringList{"-c", "A"} << savedName << "baud=9600 parity=N data=8 stop=1" << 0 << "20" << normal << true
        << false << "";
    QTest::newRow("every port option")
        << QStringList{"-p", "ttyUSB0", "-b", "38400", "--parity", "e", "--data-bits", "7", "--stop-bits", "2",
                       "--flow", "xon", "-c", "A"}
        << "ttyUSB0" << "baud=38400 parity=E data=7 stop=2" << 1 << "20" << normal << true << false << "";
    QTest::newRow("hardware flow, odd parity, long names")
        << QStringList{"--port=/dev/pts/7", "--baud=115200", "--parity=O", "--flow=HARDWARE", "-c", "A"}
        << "/dev/pts/7" << "baud=115200 parity=O data=8 stop=1" << 2 << "20" << normal << true << false << "";
    QTest::newRow("flow none")
        << QStringList{"--flow", "none", "-c", "A"} << savedName << "baud=9600 parity=N data=8 stop=1" << 0
        << "20" << normal << true << false << "";
    QTest::newRow("display and check boxes")
        << QStringList{"--mode", "dec", "--no-transcript", "-r", "--packet-size", " 2.5 ", "--log", "out.log",
                       "x.dmo"}
        << savedName << "baud=9600 parity=N data=8 stop=1" << 0 << " 2.5 " << int(DisplayMode::Dec) << false
        << true << "out.log";
    QTest::newRow("hex, packet size 0") << QStringList{"--mode", "HEX", "--packet-size", "0", "x.dmo"} << savedName
                                        << "baud=9600 parity=N data=8 stop=1" << 0 << "0" << int(DisplayMode::Hex)
                                        << true << false << "";
    QTest::newRow("the last port given counts")
        << QStringList{"-p", "ttyS0", "-p", "ttyS1", "-c", "A"} << "ttyS1" << "baud=9600 parity=N data=8 stop=1"
        << 0 << "20" << normal << true << false << "";
}

void tst_RunOptions::settings()
{
    QFETCH(QStringList, args);
    QFETCH(QString, port);
    QFETCH(QString, portMode);
    QFETCH(int, flow);
    QFETCH(QString, packetSize);
    QFETCH(int, mode);
    QFETCH(bool, transcript);
    QFETCH(bool, autoQuery);
    QFETCH(QString, log);

    const CommandLine line = parse(args);
    QCOMPARE(line.text, QString());
    QCOMPARE(line.outcome, CommandLine::Run);
    const RunOptions &o = line.options;
    QCOMPARE(o.link.CommPort, port);
    QCOMPARE(buildPortMode(o.link), portMode);
    QCOMPARE(int(o.link.CommFlow), flow);
    QCOMPARE(o.packetSize, packetSize);
    QCOMPARE(int(o.mode), mode);
    QCOMPARE(o.transcript, transcript);
    QCOMPARE(o.autoQuery, autoQuery);
    QCOMPARE(o.logFile, log);
}

void tst_RunOptions::refused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("portSaved");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown option") << QStringList{"--loop", "-c", "A"} << true << "Unknown option 'loop'.";
    QTest::newRow("option without its value") << QStringList{"x.dmo", "-c"} << true << "Missing value after '-c'.";
    QTest::newRow("no items") << QStringList{"-p", "ttyS0", "-r"} << true
                              << "nothing to do: give a file, --command TEXT or --get-response";
    QTest::newRow("empty file name") << QStringList{"a.dmo", ""} << true << "an empty file name";
    QTest::newRow("no port saved or given") << QStringList{"-c", "A"} << false
                                            << "no port: give one with --port NAME (the window has none saved)";
    QTest::newRow("empty port") << QStringList{"-p", " ", "-c", "A"} << true << "--port needs a name";
    QTest::newRow("baud not a number") << QStringList{"-b", "fast", "-c", "A"} << true
                                       << "bad --baud fast: expected a rate in bits per second, such as 19200";
    QTest::newRow("baud 0") << QStringList{"-b", "0", "-c", "A"} << true
                            << "bad --baud 0: expected a rate in bits per second, such as 19200";
    QTest::newRow("parity") << QStringList{"--parity", "M", "-c", "A"} << true << "bad --parity M: expected N, E or O";
    QTest::newRow("data bits") << QStringList{"--data-bits", "6", "-c", "A"} << true
                               << "bad --data-bits 6: expected 7 or 8";
    QTest::newRow("stop bits") << QStringList{"--stop-bits", "1.5", "-c", "A"} << true
                               << "bad --stop-bits 1.5: expected 1 or 2";
    QTest::newRow("flow") << QStringList{"--flow", "rts", "-c", "A"} << true
                          << "bad --flow rts: expected none, xon or hardware";
    QTest::newRow("mode") << QStringList{"--mode", "loud", "-c", "A"} << true
                          << "bad --mode loud: expected normal, hex or dec";
    QTest::newRow("packet size not a number")
        << QStringList{"--packet-size", "20x", "a.dmo"} << true
        << "bad --packet-size 20x: expected a whole number from -32768 to 32767";
    QTest::newRow("packet size too big")
        << QStringList{"--packet-size", "40000", "a.dmo"} << true
        << "bad --packet-size 40000: expected a whole number from -32768 to 32767";
    QTest::newRow("two-byte encoding") << QStringList{"--cjk", "UTF-8", "a.dmo"} << true
                                       << "bad --cjk UTF-8: expected GB18030, Shift_JIS, Big5 or EUC-KR";
    QTest::newRow("paper of 57 mm") << QStringList{"--paper", "57", "a.dmo"} << true
                                    << "bad --paper 57: expected 80 or 58, the paper's width in millimetres";
    QTest::newRow("roll of 0 mm") << QStringList{"--paper-length", "0", "a.dmo"} << true
                                  << "bad --paper-length 0: expected millimetres, 1 to 1000000000";
    QTest::newRow("empty log name") << QStringList{"--log=", "a.dmo"} << true << "--log needs a file name";
    QTest::newRow("empty receipts folder") << QStringList{"--receipts=", "a.dmo"} << true << "--receipts needs a folder";
    QTest::newRow("a baseline with no receipts to check") << QStringList{"--expect", "base", "a.dmo"} << true
                                                          << "--expect needs --receipts DIR: the folder this run's receipts go to";
    QTest::newRow("the baseline is the receipts folder") << QStringList{"--receipts", "r", "--expect", "./r/", "a.dmo"} << true
                                                         << "--expect needs a folder of its own, not the --receipts folder";
    QTest::newRow("update without a baseline") << QStringList{"--receipts", "r", "--update", "a.dmo"} << true
                                               << "--update needs --expect DIR: the baseline folder to write";
    QTest::newRow("a report of no check")
        << QStringList{"--receipts", "r", "--expect", "b", "--update", "--junit", "j.xml", "a.dmo"} << true
        << "--junit reports the check of --expect DIR (without --update)";
    QTest::newRow("pass-through with items to play")
        << QStringList{"--pass-through", "/tmp/pos", "a.dmo"} << true
        << "--pass-through passes a point-of-sale program's bytes; it plays no files, --command or --get-response";
    QTest::newRow("pass-through to no port number")
        << QStringList{"--pass-through", "tcp://127.0.0.1"} << true
        << "bad --pass-through: tcp://127.0.0.1: expected tcp://HOST:PORT with a port from 1 to 65535 (0 takes any "
           "free one)";
    QTest::newRow("command that is no Latin-1")
        << QStringList{"-c", QStringLiteral("5 \u20ac")} << true
        << QStringLiteral("--command 5 \u20ac: \"\u20ac\" is not a single-byte (Latin-1) character; write the "
                          "byte as a number, such as <233>");
    QTest::newRow("character beyond 16 bits")
        << QStringList{"-c", QStringLiteral("A\U0001F600")} << true
        << QStringLiteral("--command A\U0001F600: \"\U0001F600\" is not a single-byte (Latin-1) character; write "
                          "the byte as a number, such as <233>");
}

void tst_RunOptions::refused()
{
    QFETCH(QStringList, args);
    QFETCH(bool, portSaved);
    QFETCH(QString, error);
    const CommandLine line = parse(args, portSaved ? savedPort() : LinkVariables());
    QCOMPARE(line.text, error);
    QCOMPARE(line.outcome, CommandLine::Error);
}

void tst_RunOptions::helpAndVersion()
{
    const CommandLine help = parse({"--help", "--bogus-is-not-reached"}, LinkVariables());
    QCOMPARE(help.outcome, CommandLine::Error); // a bad option is refused before help
    for (const QString &option : {QStringLiteral("-h"), QStringLiteral("--help")}) {
        const CommandLine line = parse({option}, LinkVariables());
        QCOMPARE(line.outcome, CommandLine::Help);
        for (const char *named : {"--port", "--baud", "--parity", "--data-bits", "--stop-bits", "--flow",
                                  "--packet-size", "--mode", "--no-transcript", "--auto-query", "--log",
                                  "--cjk", "--paper-length", "--command", "--get-response", "Exit status",
                                  "--expect", "--update", "--junit", "4 a receipt differs"})
            QVERIFY2(line.text.contains(QLatin1String(named)), named);
    }
    const CommandLine version = parse({"--version"}, LinkVariables());
    QCOMPARE(version.outcome, CommandLine::Version);
    QCOMPARE(version.text, QStringLiteral("marlix-run " MARLIX_TEST_VERSION "\n"));
}

QTEST_GUILESS_MAIN(tst_RunOptions)
#include "tst_run_options.moc"
