// marlix-run --expect, --update and --junit: receipts as regression tests in
// CI. A baseline is made with --update, a later run is checked against it:
// exit status 4 and a line per receipt that differs, a diff image beside it.
#include "support/RunProcess.h"
#include "support/SimProcess.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

namespace {

// A receipt for each price, each cut: "TOTAL" is its second line (rows 30-53).
QString receipts(const QStringList &prices)
{
    QString text;
    for (const QString &price : prices)
        text += QStringLiteral("Shop<10>TOTAL %1<10>[GS]V<0>").arg(price);
    return text;
}

QStringList args(const QStringList &prices, const QStringList &more)
{
    return QStringList{"-p", "virtual", "--no-transcript", "--receipts", "out", "--expect", "base"} + more
           + QStringList{"-c", receipts(prices)};
}

QStringList files(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace

class tst_RunBaseline : public QObject {
    Q_OBJECT
private slots:
    void check_data();
    void check();
    void updateReplacesTheBaseline();
    void olderBaselinesAreRead_data();
    void olderBaselinesAreRead();
    void junitReport();
    void junitFolder_data();
    void junitFolder();
    void simulatorChecksWhenItStops();
    void narrowPaper();
};

void tst_RunBaseline::check_data()
{
    QTest::addColumn<QStringList>("prices"); // against a baseline of 4.30 and 1.00
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line"); // on standard error after the receipts saved

    QTest::newRow("the same receipts") << QStringList{"4.30", "1.00"} << 0
                                       << "2 receipts checked: all as in the baseline base";
    QTest::newRow("one missing") << QStringList{"4.30"} << 4 << "receipt-002 missing: in the baseline base, not printed";
    QTest::newRow("one extra") << QStringList{"4.30", "1.00", "2.00"} << 4
                               << "receipt-003 extra: printed, not in the baseline base";
    QTest::newRow("a price changed") << QStringList{"4.30", "1.90"} << 4
                                     << "receipt-002 differs: (\\d+) dots in rows (\\d+)-(\\d+); text: 'TOTAL 1.00' -> 'TOTAL 1.90'";
}

// A changed receipt's dots, rows and the coloured ink of its diff image all
// lie in the line that changed.
void tst_RunBaseline::check()
{
    QFETCH(QStringList, prices);
    QFETCH(int, status);
    QFETCH(QString, line);
    RunProcess run;
    QCOMPARE(run.run(args({"4.30", "1.00"}, {"--update"})).status, 0);
    QCOMPARE(files(run.path("base")), QStringList({"receipt-001.png", "receipt-001.txt", "receipt-002.png", "receipt-002.txt"}));

    const RunProcess::Result result = run.run(args(prices, {}));
    QCOMPARE(result.status, status);
    QStringList said = QString::fromUtf8(result.err).split('\n', Qt::SkipEmptyParts);
    said.removeIf([](const QString &text) { return text.startsWith("marlix-run: receipt "); }); // the saved ones
    QCOMPARE(said.size(), 1);
    const QRegularExpressionMatch match = QRegularExpression("^marlix-run: " + line + "$").match(said.first());
    QVERIFY2(match.hasMatch(), qPrintable(said.first()));
    const QImage diff(run.path("out/receipt-002.diff.png"));
    QCOMPARE(diff.isNull(), match.lastCapturedIndex() == 0);
    if (diff.isNull())
        return;
    const int first = match.captured(2).toInt();
    const int last = match.captured(3).toInt();
    QVERIFY(first >= 30 && last < 54);
    int coloured = 0;
    for (int y = 0; y < diff.height(); ++y) {
        for (int x = 8; x < diff.width(); ++x) {
            const QColor c = diff.pixelColor(x, y);
            if (c.red() != c.green() || c.green() != c.blue()) { // not paper, not the faint ink of both
                ++coloured;
                QVERIFY2(y >= first && y <= last, qPrintable(QString("coloured at %1,%2").arg(x).arg(y)));
            }
        }
    }
    QCOMPARE(coloured, match.captured(1).toInt());
}

void tst_RunBaseline::updateReplacesTheBaseline()
{
    RunProcess run;
    QCOMPARE(run.run(args({"4.30", "1.00", "2.00"}, {"--update"})).status, 0);
    // A run that could not save a receipt leaves the baseline alone.
    QVERIFY(QFile::remove(run.path("out/receipt-001.png")) && QDir().mkpath(run.path("out/receipt-001.png")));
    QCOMPARE(run.run(args({"5.00"}, {"--update"})).status, 1);
    QCOMPARE(files(run.path("base")).size(), 6);
    QVERIFY(QDir(run.path("out/receipt-001.png")).removeRecursively());
    const RunProcess::Result update = run.run(args({"5.00"}, {"--update"}));
    QCOMPARE(update.status, 0);
    QVERIFY2(update.err.endsWith("marlix-run: baseline base: 1 receipt written, 2 no longer printed removed (receipt-002, receipt-003)\n"),
             update.err.constData());
    QCOMPARE(files(run.path("base")), QStringList({"receipt-001.png", "receipt-001.txt"}));
    QFile text(run.path("base/receipt-001.txt"));
    QVERIFY(text.open(QIODevice::ReadOnly));
    QCOMPARE(text.readAll(), QByteArray("Shop\nTOTAL 5.00\n[full cut]\n"));
    QCOMPARE(run.run(args({"5.00"}, {})).status, 0);
    QVERIFY(QDir().mkpath(run.path("base/receipt-002.png/in-the-way")));
    const RunProcess::Result partial = run.run(args({"5.00", "1.00"}, {"--update"}));
    QCOMPARE(partial.status, 1);
    QVERIFY2(partial.err.endsWith("baseline base: 1 of 2 receipts written\n"), partial.err.constData());
}

void tst_RunBaseline::olderBaselinesAreRead_data()
{
    QTest::addColumn<QImage::Format>("format"); // the baseline's pictures, as earlier versions or tools saved them
    QTest::addColumn<QStringList>("prices");    // against a baseline of 4.30 and 1.00
    QTest::addColumn<int>("status");

    QTest::newRow("full colour, the same dots") << QImage::Format_RGB32 << QStringList{"4.30", "1.00"} << 0;
    QTest::newRow("grey, the same dots") << QImage::Format_Grayscale8 << QStringList{"4.30", "1.00"} << 0;
    QTest::newRow("1 bit, another encoding") << QImage::Format_Mono << QStringList{"4.30", "1.00"} << 0;
    QTest::newRow("full colour, a price changed") << QImage::Format_RGB32 << QStringList{"4.30", "1.90"} << 4;
}

// A stored baseline is a contract: one written another way (another
// encoding, other colours) is compared by its dots, not its bytes.
void tst_RunBaseline::olderBaselinesAreRead()
{
    QFETCH(QImage::Format, format);
    QFETCH(QStringList, prices);
    QFETCH(int, status);
    RunProcess run;
    QCOMPARE(run.run(args({"4.30", "1.00"}, {"--update"})).status, 0);
    for (const QString &name : {QString("base/receipt-001.png"), QString("base/receipt-002.png")}) {
        QImage picture(run.path(name));
        QVERIFY(!picture.isNull());
        picture = picture.convertToFormat(format);
        QVERIFY(QFile::remove(run.path(name)) && picture.save(run.path(name), "png", 100));
    }
    const RunProcess::Result result = run.run(args(prices, {}));
    QCOMPARE(result.status, status);
    const QString said = QString::fromUtf8(result.err);
    QVERIFY2(said.contains(status == 0 ? "2 receipts checked: all as in the baseline base"
                                       : "receipt-002 differs: "),
             qPrintable(said));
    QCOMPARE(QFile::exists(run.path("out/receipt-002.diff.png")), status != 0);
}

// What a CI server reads: one test case per receipt, a difference as its failure.
void tst_RunBaseline::junitReport()
{
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    RunProcess run;
    QCOMPARE(run.run(args({"4.30", "1.00"}, {"--update"})).status, 0);
    QCOMPARE(run.run(args({"4.30", "1.50", "2.00"}, {"--junit", "report.xml"})).status, 4);
    QProcess parser;
    parser.start(python, {"-c", "import sys, xml.etree.ElementTree as E\n"
                                "s = E.parse(sys.argv[1]).getroot().find('testsuite')\n"
                                "print(s.get('tests'), s.get('failures'))\n"
                                "for c in s.iter('testcase'):\n"
                                "    f = c.find('failure')\n"
                                "    print(c.get('name'), '-' if f is None else f.get('message') + '|' + f.text)\n",
                          run.path("report.xml")});
    QVERIFY(parser.waitForFinished(30000));
    const QStringList read = QString::fromUtf8(parser.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(read.size(), 5);
    QCOMPARE(read.first(), "3 2");
    QCOMPARE(read.at(1), "receipt-001 -");
    QVERIFY2(QRegularExpression("^receipt-002 (receipt-002 differs: .* 'TOTAL 1.00' -> 'TOTAL 1.50')\\|\\1$").match(read.at(2)).hasMatch(),
             qPrintable(read.at(2)));
    QCOMPARE(read.at(3), "diff image: out/receipt-002.diff.png");
    QCOMPARE(read.at(4), "receipt-003 receipt-003 extra: printed, not in the baseline base|"
                         "receipt-003 extra: printed, not in the baseline base");
}

void tst_RunBaseline::junitFolder_data()
{
    QTest::addColumn<QString>("junit"); // against a baseline of 4.30, a run of 4.40
    QTest::addColumn<int>("status");
    QTest::newRow("its folders made") << "reports/ci/j.xml" << 4;
    QTest::newRow("a file in the way: refused before the run") << "out/receipt-001.png/j.xml" << 1;
    QTest::newRow("cannot be written (a folder): still 4") << "base" << 4;
}

void tst_RunBaseline::junitFolder()
{
    QFETCH(QString, junit);
    QFETCH(int, status);
    RunProcess run;
    QCOMPARE(run.run(args({"4.30"}, {"--update"})).status, 0);
    const RunProcess::Result result = run.run(args({"4.40"}, {"--junit", junit}));
    QCOMPARE(result.status, status);
    QCOMPARE(QFileInfo(run.path(junit)).isFile(), junit.startsWith("reports"));
    QCOMPARE(result.err.contains("marlix-run: receipt 1: "), status == 4); // refused: nothing printed
}

// The simulator shares the check: what a point-of-sale program sent it is
// compared when it stops, and its exit status says so.
void tst_RunBaseline::simulatorChecksWhenItStops()
{
    RunProcess run;
    QCOMPARE(run.run(args({"4.30"}, {"--update"})).status, 0);
    SimProcess sim({"--receipts", run.path("sim"), "--expect", run.path("base")}, false);
    QVERIFY2(sim.start(), qPrintable(sim.error())); // a refused --expect must not pass as a skip
    QCOMPARE(run.run({"-p", sim.port(), "--flow", "none", "--no-transcript", "-c", receipts({"4.40"})}).status, 0);
    QVERIFY(sim.waitForReceived(19)); // Shop, TOTAL 4.40, GS V 0
    sim.stop();
    QCOMPARE(sim.exitCode(), 4);
    QVERIFY2(sim.log().contains("'TOTAL 4.30' -> 'TOTAL 4.40'"), qPrintable(sim.log()));
    QVERIFY(QFile::exists(run.path("sim/receipt-001.diff.png")));
}

// --paper 58: the receipt printed and saved on 384 dots.
void tst_RunBaseline::narrowPaper()
{
    RunProcess run;
    QCOMPARE(run.run({"-p", "virtual", "--paper", "58", "--receipts", "out", "-c", QString(48, 'X') + "<10>"}).status, 0);
    QCOMPARE(QImage(run.path("out/receipt-001.png")).size(), QSize(384, 60)); // two lines
}

QTEST_GUILESS_MAIN(tst_RunBaseline)
#include "tst_run_baseline.moc"
