// The example receipt played through the real port over a pty to the printer
// simulator, which draws it with --receipts and explains it with --decode: the
// receipt it saves, the log of every command and text run, and the same
// receipt saved from the terminal's Receipt Preview, pixel for pixel.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "preview/ReceiptPreview.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QDir>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kExamples = QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/");
const QDateTime kNow(QDate(2024, 3, 9), QTime(8, 5, 59));

// A row of the --decode log as the simulator writes it: offset, hex (the first
// six bytes and the length of a longer command), name and meaning in columns.
struct Decoded
{
    QString hex;
    QString name;
    QString meaning;
};

qint64 lengthOf(const QString &hex)
{
    static const QRegularExpression longer(QStringLiteral("\\((\\d+) bytes\\)$"));
    const QRegularExpressionMatch match = longer.match(hex);
    return match.hasMatch() ? match.captured(1).toLongLong() : (hex.size() + 1) / 3;
}

Decoded text(const QByteArray &bytes, const QString &style = QStringLiteral("font A"))
{
    QString hex = QString::fromLatin1(bytes.left(6).toHex(' ').toUpper());
    if (bytes.size() > 6)
        hex += QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
    return {hex, QStringLiteral("text"), QLatin1Char('\'') + QString::fromLatin1(bytes) + QStringLiteral("', ") + style};
}

// receipt.dmo as the printer receives it, explained.
QStringList expectedDecode()
{
    const Decoded cr{"0D", "CR", "ignored"};
    const Decoded lf{"0A", "LF", "print the line and feed one line"};
    const Decoded centre{"1B 61 01", "ESC a", "justification: centre"};
    const QByteArray dateTime = QLocale::system().toString(kNow.date(), QLocale::ShortFormat).toLatin1() + " 08:05";
    const QList<Decoded> rows{
        {"1B 40", "ESC @", "initialize: line emptied, every mode back to its default"},
        // header.dmo
        centre,
        {"1B 21 30", "ESC !", "print mode: font A, double width and height"},
        text("MARLIX CAFE", "font A, double width and height"),
        {"1B 21 00", "ESC !", "print mode: font A"}, cr, lf,
        text("12 Harbour Street"), cr, lf,
        cr, lf,
        // the logo, centred
        centre,
        {"1D 76 30 00 02 00 ... (40 bytes)", "GS v 0", "raster image 16 x 16 dots"}, cr, lf,
        {"1B 61 00", "ESC a", "justification: left"},
        text("Receipt no. 1"), cr, lf,
        text(dateTime), cr, lf,
        text(QByteArray(32, '-')), cr, lf,
        text("Coffee                      2.50"), cr, lf,
        text("Croissant                   1.80"), cr, lf,
        {"1B 45 01", "ESC E", "emphasized: on"},
        text("TOTAL                       4.30", "font A, emphasized"),
        {"1B 45 00", "ESC E", "emphasized: off"}, cr, lf,
        cr, lf,
        {"1B 4D 01", "ESC M", "font: B (9 x 17 dots)"},
        text("Font B: 64 characters a line", "font B"),
        {"1B 4D 00", "ESC M", "font: A (12 x 24 dots)"}, cr, lf,
        {"1B 2D 01", "ESC -", "underline: 1 dot"},
        text("Underlined", "font A, underline 1 dot"),
        {"1B 2D 00", "ESC -", "underline: off"},
        text(" "),
        {"1D 42 01", "GS B", "reverse: on"},
        text(" Reverse ", "font A, reverse"),
        {"1D 42 00", "GS B", "reverse: off"},
        text(" "),
        {"1D 21 10", "GS !", "character size: width 2, height 1"},
        text("Wide", "font A, double width"),
        {"1D 21 00", "GS !", "character size: width 1, height 1"}, cr, lf,
        // the barcode and the QR code, centred
        centre,
        {"1D 68 3C", "GS h", "barcode height: 60 dots"},
        {"1D 77 02", "GS w", "barcode module: 2 dots"},
        {"1D 48 02", "GS H", "barcode text: below"},
        {"1D 6B 02 34 30 30 ... (16 bytes)", "GS k", "barcode EAN-13 '400638133393', module 2, height 60, text below"}, cr, lf,
        {"1D 28 6B 03 00 31 ... (8 bytes)", "GS ( k", "QR code: module 5 dots"},
        {"1D 28 6B 1D 00 31 ... (34 bytes)", "GS ( k", "QR code: store 'https://marlix.example/r/1'"},
        {"1D 28 6B 03 00 31 ... (8 bytes)", "GS ( k", "QR code: print 'https://marlix.example/r/1', module 5, error correction L"},
        cr, lf,
        {"1B 61 02", "ESC a", "justification: right"},
        text("Thank you!"), cr, lf,
        cr, lf, cr, lf, cr, lf,
        {"1D 56 42 00", "GS V", "feed 0 dots, then cut: partial"},
    };
    QStringList lines;
    qint64 offset = 0;
    for (const Decoded &row : rows) {
        lines.append(QStringLiteral("%1  %2  %3  %4")
                         .arg(offset, 6, 10, QLatin1Char('0'))
                         .arg(row.hex.leftJustified(32), row.name.leftJustified(8), row.meaning));
        offset += lengthOf(row.hex);
    }
    return lines;
}


bool ink(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// The rows where dots x0..x1 are all ink and their neighbours are not.
QList<int> rowsWithSegment(const QImage &image, int x0, int x1)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        bool whole = !ink(image, x0 - 1, y) && !ink(image, x1 + 1, y);
        for (int x = x0; whole && x <= x1; ++x)
            whole = ink(image, x, y);
        if (whole)
            rows.append(y);
    }
    return rows;
}
} // namespace

class tst_ReceiptsE2E : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString receipts;
    std::unique_ptr<SimProcess> sim;
    FakeOperator op;
    std::unique_ptr<frmTerminal> w;

private slots:
    void initTestCase() { isolateSettings(); }
    // A simulator drawing into a fresh folder, the main window on its port.
    void init();
    void cleanup();
    void exampleReceipt();
    void previewSavesTheSimulatorsReceipt();

private:
    void playExample();
};

void tst_ReceiptsE2E::init()
{
    QVERIFY(dir.isValid());
    receipts = dir.filePath(QStringLiteral("paper-%1").arg(QTest::currentTestFunction()));
    sim = std::make_unique<SimProcess>(
        QStringList{QStringLiteral("--receipts"), receipts, QStringLiteral("--decode")}, false);
    if (!sim->start())
        QSKIP(qPrintable(QStringLiteral("printer simulator not available: ") + sim->error()));
    w = std::make_unique<frmTerminal>(nullptr, &op, nullptr);
    w->session().link.vars.CommPort = sim->port();
}

void tst_ReceiptsE2E::cleanup()
{
    w.reset();
    sim.reset();
    op.asked.clear();
}

void tst_ReceiptsE2E::playExample()
{
    w->scripts().interpreter().setClock([] { return kNow; });
    w->FileNameTextBox->setEditText(kExamples + QStringLiteral("receipt.dmo"));
    QTest::mouseClick(w->SendScript, Qt::LeftButton);
    QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join('|')));
}

void tst_ReceiptsE2E::exampleReceipt()
{
    playExample();
    SimProcess &sim = *this->sim;
    const QByteArray cut("\x1DVB\x00", 4);
    QTRY_VERIFY_WITH_TIMEOUT(sim.received().endsWith(cut), 10000);
    const QString file = receipts + QStringLiteral("/receipt-001.png");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), 10000);
    sim.stop();

    // One receipt, cut; nothing open at the end. Its text beside it, in reading order.
    QCOMPARE(QDir(receipts).entryList(QDir::Files), QStringList({QStringLiteral("receipt-001.png"), QStringLiteral("receipt-001.txt")}));
    QFile text(receipts + QStringLiteral("/receipt-001.txt"));
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QStringList textLines = QString::fromUtf8(text.readAll()).split(QLatin1Char('\n'));
    const QStringList wanted{"MARLIX CAFE", "[image 16 x 16]", "TOTAL                       4.30", "[barcode: 400638133393]",
                             "4006381333931", "[QR code: https://marlix.example/r/1]", "Thank you!", "[partial cut]", ""};
    qsizetype at = 0;
    for (const QString &line : wanted) {
        at = textLines.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(line));
    }
    const QImage image(file);
    QCOMPARE(image.width(), 576);
    // Header 48, street 30, blank 30, logo 16, its line feed 30, eight lines
    // of 30, barcode 60 and its digits 24, line feed 30, QR code 25 modules
    // of 5, line feed 30, thank you 30, three line feeds 90.
    QCOMPARE(image.height(), 813);
    QVERIFY2(sim.log().contains(QStringLiteral("receipt 1: 72 x 101.6 mm, ") + file), qPrintable(sim.log()));
    QVERIFY2(!sim.log().contains(QLatin1String("unknown command")), qPrintable(sim.log()));

    // What every byte did: the decoded lines, after the prefix an offset of six digits.
    static const QRegularExpression decoded(QStringLiteral("^marlix-printer-sim: (\\d{6}  .*)$"));
    QStringList lines;
    for (const QString &line : sim.log().split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch match = decoded.match(line); match.hasMatch())
            lines.append(match.captured(1));
    }
    const QStringList expected = expectedDecode();
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i], expected[i]);

    // The 16 x 16 logo, centred: its frame's top and bottom rows, 16 dots wide.
    QCOMPARE(rowsWithSegment(image, 280, 295), (QList<int>{108, 123}));
    // The title, 11 characters of 24 x 48 dots, centred: its ink within
    // dots 156 to 419, balanced around the middle.
    int left = 576, right = -1;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 576; ++x) {
            if (ink(image, x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    QVERIFY2(left >= 156 && right <= 419 && right - left > 240, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
    QVERIFY(qAbs((left + right + 1) / 2.0 - 288) <= 3);

    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed");
    QImage padded(image.width() + 80, image.height() + 80, QImage::Format_RGB32);
    padded.fill(Qt::white);
    QPainter painter(&padded);
    painter.drawImage(40, 40, image);
    painter.end();
    const QString scanned = dir.filePath(QStringLiteral("scan.png"));
    QVERIFY(padded.save(scanned));
    QProcess scan;
    scan.start(zbarimg, {QStringLiteral("--quiet"), QStringLiteral("--raw"), scanned});
    QVERIFY(scan.waitForFinished(30000));
    QStringList symbols = QString::fromUtf8(scan.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    symbols.sort();
    QCOMPARE(symbols, (QStringList{QStringLiteral("4006381333931"), QStringLiteral("https://marlix.example/r/1")}));
}

// The preview draws the bytes the terminal sent with the simulator's own code.
void tst_ReceiptsE2E::previewSavesTheSimulatorsReceipt()
{
    w->show();
    w->MPreview->trigger();
    ReceiptPreview *preview = w->previewWindow();
    QVERIFY(preview && preview->isVisible());
    playExample();

    const QString simulators = receipts + QStringLiteral("/receipt-001.png");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(simulators), 10000);
    // The terminal drew every byte the simulator received, and nothing else.
    QTRY_COMPARE_WITH_TIMEOUT(sim->received().size(), int(w->printedPaper().offset()), 10000);
    // One receipt shows while it prints and again once cut: wait for the cut.
    QTRY_COMPARE(preview->PreviewInfo->text(),
                 QStringLiteral("1 receipt, receipt 1 shown, open receipt 0.0 mm, no unknown commands"));
    QCOMPARE(preview->Paper->receiptCount(), 1);

    const QString saved = dir.filePath(QStringLiteral("preview.png"));
    op.files.enqueue(FileChoice{saved, QStringLiteral("preview.png")});
    QTest::mouseClick(preview->SaveButton, Qt::LeftButton);
    QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join('|')));
    sim->stop();

    const QImage fromPreview(saved);
    const QImage fromSimulator(simulators);
    QVERIFY(!fromSimulator.isNull());
    QCOMPARE(fromPreview.size(), QSize(576, 813));
    QCOMPARE(fromPreview.convertToFormat(QImage::Format_RGB32), fromSimulator.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(tst_ReceiptsE2E)
#include "tst_receipts_e2e.moc"
