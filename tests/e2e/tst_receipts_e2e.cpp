// The example receipt played through the real port over a pty to the printer
// simulator, which draws it with --receipts: the receipt it saves, and the
// same receipt saved from the terminal's Receipt Preview, pixel for pixel.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "preview/ReceiptPreview.h"
#include "printer/ReceiptInterpreter.h"
#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString kExamples = QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/");

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
    sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--receipts"), receipts}, false);
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

    // One receipt, cut; nothing open at the end.
    QCOMPARE(QDir(receipts).entryList(QDir::Files), QStringList{QStringLiteral("receipt-001.png")});
    const QImage image(file);
    QCOMPARE(image.width(), 576);
    // Header 48, street 30, blank 30, logo 16, its line feed 30, eight lines
    // of 30, barcode 60 and its digits 24, line feed 30, QR code 25 modules
    // of 5, line feed 30, thank you 30, three line feeds 90.
    QCOMPARE(image.height(), 813);
    QVERIFY2(sim.log().contains(QStringLiteral("receipt 1: 72 x 101.6 mm, ") + file), qPrintable(sim.log()));
    QVERIFY2(!sim.log().contains(QLatin1String("unknown command")), qPrintable(sim.log()));

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
    QTRY_COMPARE_WITH_TIMEOUT(sim->received().size(), int(w->paper().offset()), 10000);
    QTRY_COMPARE(preview->Paper->receiptCount(), 1);
    QCOMPARE(preview->PreviewInfo->text(),
             QStringLiteral("1 receipt, receipt 1 shown, open receipt 0.0 mm, no unknown commands"));

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
