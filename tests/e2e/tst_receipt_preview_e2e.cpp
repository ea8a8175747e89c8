// The example receipt played through the real port to the printer simulator
// with --receipts, the Receipt Preview open: the receipt the preview saves is
// the simulator's, pixel for pixel.
#include "support/Fakes.h"
#include "support/SimProcess.h"

#include "preview/ReceiptPreview.h"
#include "printer/ReceiptInterpreter.h"
#include "session/Session.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class tst_ReceiptPreviewE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }
    void savedReceiptIsTheSimulators();
};

void tst_ReceiptPreviewE2E::savedReceiptIsTheSimulators()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString receipts = dir.filePath(QStringLiteral("paper"));
    SimProcess sim({QStringLiteral("--receipts"), receipts}, false);
    if (!sim.start())
        QSKIP(qPrintable(QStringLiteral("printer simulator not available: ") + sim.error()));

    FakeOperator op;
    frmTerminal w(nullptr, &op, nullptr);
    w.session().link.vars.CommPort = sim.port();
    w.show();
    w.MPreview->trigger();
    ReceiptPreview *preview = w.previewWindow();
    QVERIFY(preview && preview->isVisible());

    w.FileNameTextBox->setEditText(QStringLiteral(MARLIX_SOURCE_DIR "/docs/examples/receipt.dmo"));
    QTest::mouseClick(w.SendScript, Qt::LeftButton);
    QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join('|')));

    const QString simulators = receipts + QStringLiteral("/receipt-001.png");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(simulators), 10000);
    // The terminal drew every byte the simulator received, and nothing else.
    QTRY_COMPARE_WITH_TIMEOUT(sim.received().size(), int(w.paper().offset()), 10000);
    QTRY_COMPARE(preview->Paper->receiptCount(), 1);
    QCOMPARE(preview->PreviewInfo->text(),
             QStringLiteral("1 receipt, receipt 1 shown, open receipt 0.0 mm, no unknown commands"));

    const QString saved = dir.filePath(QStringLiteral("preview.png"));
    op.files.enqueue(FileChoice{saved, QStringLiteral("preview.png")});
    QTest::mouseClick(preview->SaveButton, Qt::LeftButton);
    QVERIFY2(op.asked.isEmpty(), qPrintable(op.texts().join('|')));
    sim.stop();

    const QImage fromPreview(saved);
    const QImage fromSimulator(simulators);
    QVERIFY(!fromSimulator.isNull());
    QCOMPARE(fromPreview.size(), fromSimulator.size());
    QCOMPARE(fromPreview.size(), QSize(576, 813));
    QCOMPARE(fromPreview.convertToFormat(QImage::Format_RGB32), fromSimulator.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(tst_ReceiptPreviewE2E)
#include "tst_receipt_preview_e2e.moc"
