// marlix-run --receipts and --decode: the receipts a run prints, saved as the
// simulator saves them, from the built-in printer's paper and from what a
// serial port took; the decode log on standard error, the display unchanged.
#include "support/RunProcess.h"
#include "support/SimProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtTest>

namespace {

const QString kExample = QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/receipt.dmo");

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList pngs(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
}

} // namespace

class tst_RunReceipts : public QObject {
    Q_OBJECT
private slots:
    void examplePrintsTheSimulatorsPng();
    void receiptFiles_data();
    void receiptFiles();
    void decodeGoesToStandardError();
    void printerWordsGoToStandardError_data();
    void printerWordsGoToStandardError();
};

// receipt.dmo prints the date and time, so two plays differ: one play through
// a pty to the simulator, both saving receipts, gives the same stream to
// both; the bytes the simulator recorded then go byte for byte to -p virtual.
void tst_RunReceipts::examplePrintsTheSimulatorsPng()
{
    const QTemporaryDir dir;
    const QString simDir = dir.filePath(QStringLiteral("sim"));
    SimProcess sim({QStringLiteral("--receipts"), simDir});
    START_SIM_OR_SKIP(sim);
    RunProcess run;
    const RunProcess::Result overPty =
        run.run({QStringLiteral("-p"), sim.port(), QStringLiteral("--flow"), QStringLiteral("none"),
                 QStringLiteral("--receipts"), QStringLiteral("pty"), kExample});
    QCOMPARE(overPty.status, 0);
    sim.stop();
    QCOMPARE(pngs(simDir), QStringList{QStringLiteral("receipt-001.png")});
    const QByteArray simPng = contents(simDir + QStringLiteral("/receipt-001.png"));
    QCOMPARE(QImage::fromData(simPng).width(), 576);
    QCOMPARE(pngs(run.path(QStringLiteral("pty"))), QStringList{QStringLiteral("receipt-001.png")});
    QVERIFY(contents(run.path(QStringLiteral("pty/receipt-001.png"))) == simPng);

    run.write(QStringLiteral("played.prn"), sim.received());
    const RunProcess::Result builtIn =
        run.run({QStringLiteral("-p"), QStringLiteral("virtual"), QStringLiteral("--receipts"), QStringLiteral("virtual"),
                 QStringLiteral("played.prn")});
    QCOMPARE(builtIn.status, 0);
    QCOMPARE(builtIn.err, QByteArray("marlix-run: receipt 1: 72 x 101.6 mm, virtual/receipt-001.png\n"));
    QCOMPARE(pngs(run.path(QStringLiteral("virtual"))), QStringList{QStringLiteral("receipt-001.png")});
    QVERIFY(contents(run.path(QStringLiteral("virtual/receipt-001.png"))) == simPng);
}

void tst_RunReceipts::receiptFiles_data()
{
    QTest::addColumn<QStringList>("before"); // files (or, ending in "/", folders) in the runner's folder
    QTest::addColumn<QString>("folder");     // the --receipts argument
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QByteArray>("err");

    // The folder rules are ReceiptFiles', shown with the simulator.
    QTest::newRow("a cut one and the open one")
        << QStringList{} << "r" << QStringLiteral("One<10>[GS]V<0>Two<10>") << 0 << QStringList{"receipt-001.png", "receipt-002.png"}
        << QByteArray("marlix-run: receipt 1: 72 x 3.8 mm, r/receipt-001.png\n"
                      "marlix-run: receipt 2: 72 x 3.8 mm, r/receipt-002.png (not cut)\n");
    // A receipt that cannot be written fails the run: a check must not pass
    // on a missing file. (A folder in its place: root may write anywhere.)
    QTest::newRow("a receipt that cannot be written")
        << QStringList{"r/receipt-001.png/"} << "r" << QStringLiteral("One<10>") << 1 << QStringList{}
        << QByteArray("marlix-run: receipt 1: cannot write r/receipt-001.png: Is a directory\n");
    QTest::newRow("a folder that cannot be made")
        << QStringList{"blocked"} << "blocked/r" << QStringLiteral("One<10>") << 1 << QStringList{}
        << QByteArray("marlix-run: --receipts blocked/r: cannot create the folder: Not a directory\n");
}

void tst_RunReceipts::receiptFiles()
{
    QFETCH(QStringList, before);
    QFETCH(QString, folder);
    QFETCH(QString, command);
    QFETCH(int, status);
    QFETCH(QStringList, after);
    QFETCH(QByteArray, err);
    RunProcess run;
    for (const QString &file : before) {
        if (file.endsWith(QLatin1Char('/')))
            QVERIFY(QDir().mkpath(run.path(file)));
        else
            run.write(file, "in the way");
    }
    // Drawing needs no display: the runner finds its own offscreen platform.
    run.setEnv(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    run.setEnv(QStringLiteral("DISPLAY"), QString());
    const RunProcess::Result result = run.run({QStringLiteral("-p"), QStringLiteral("virtual"), QStringLiteral("--receipts"),
                                              folder, QStringLiteral("--no-transcript"), QStringLiteral("-c"), command});
    QCOMPARE(result.status, status);
    QVERIFY2(result.err.startsWith(err), result.err.constData());
    QCOMPARE(pngs(run.path(QStringLiteral("r"))), after);
    for (const QString &file : after)
        QCOMPARE(QImage(run.path(QStringLiteral("r/") + file)).width(), 576);
}

// The decode log takes standard error; standard output stays the display.
void tst_RunReceipts::decodeGoesToStandardError()
{
    const QStringList args{QStringLiteral("-p"), QStringLiteral("virtual"), QStringLiteral("-r"), QStringLiteral("-c"),
                           QStringLiteral("[ESC]a<1>Hi<10><28><5><8>")};
    RunProcess run;
    const RunProcess::Result plain = run.run(args);
    const RunProcess::Result decoded = run.run(QStringList{QStringLiteral("--decode")} + args);
    QCOMPARE(decoded.status, 0);
    QCOMPARE(decoded.out, plain.out);
    QVERIFY2(plain.out.endsWith("**Cover is Closed**\r\n"), plain.out.constData());
    QCOMPARE(plain.err, QByteArray());
    const QList<QByteArray> lines = decoded.err.split('\n');
    QCOMPARE(lines.size(), 5); // four entries and the end
    QVERIFY2(lines.at(0).startsWith("marlix-run: 000000  1B 61 01") && lines.at(0).endsWith("justification: centre"),
             lines.at(0).constData());
    QVERIFY2(lines.at(1).contains("text") && lines.at(1).endsWith("'Hi', font A"), lines.at(1).constData());
    QVERIFY2(lines.at(2).startsWith("marlix-run: 000005  0A                                LF"), lines.at(2).constData());
    QVERIFY2(lines.at(3).startsWith("marlix-run: 000006  1C 05 08"), lines.at(3).constData());
    QVERIFY(pngs(run.path()).isEmpty()); // --decode alone saves nothing
}

void tst_RunReceipts::printerWordsGoToStandardError_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("a macro recording") << QStringList{"-c", "[ESC]g<1>"} << QByteArray("marlix-run: printer: recording started\n");
    QTest::newRow("a roll used up names the option")
        << QStringList{"--paper-length", "1", "-c", "A<10>"}
        << QByteArray("marlix-run: printer: paper out: offline, 0 bytes waiting (the roll of 1 mm is used up: --paper-length MM "
                      "gives a longer one)\n");
    QTest::newRow("a command the input cut short") << QStringList{"-c", "[GS]v0<0><4><0><8><0><255>"}
                                                   << QByteArray("marlix-run: end of input: GS v 0 waiting for 31 more bytes\n");
    QTest::newRow("two-byte text as --cjk has it")
        << QStringList{"--cjk", "big5", "--decode", "-c", "[FS]&"}
        << QByteArray("marlix-run: 000000  1C 26                             FS &      two-byte characters: on (Big5)\n");
}

// The built-in printer's own words reach standard error, as the simulator's do.
void tst_RunReceipts::printerWordsGoToStandardError()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, err);
    RunProcess run;
    const RunProcess::Result result = run.run(QStringList{QStringLiteral("-p"), QStringLiteral("virtual")} + args);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.err, err);
}

QTEST_MAIN(tst_RunReceipts)
#include "tst_run_receipts.moc"
