// 58 mm paper: receipts laid out on its 384 dots, each on the paper it began on.
#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include <QtTest>

using namespace PrinterBytes;

class TestPaperWidth : public QObject
{
    Q_OBJECT
private slots:
    void narrowPaper_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("expected"); // the lines after the receipt's and its first line's, joined by "|"
        const QString x32 = "text 0 0 " + QString(32, 'X');
        QTest::newRow("48 characters: two lines") << QByteArray(48, 'X') + "\n" << x32 + "|line 30 30|text 0 30 " + QString(16, 'X');
        QTest::newRow("centred") << ESC + "a" + n(1) + "ABCD\n" << "text 168 0 ABCD";
        QTest::newRow("GS W wider: clamped") << GS + "W" + word(500) + QByteArray(33, 'X') + "\n" << x32 + "|line 30 30|text 0 30 X";
        QTest::newRow("GS L past it: clamped") << GS + "L" + word(400) + "ABCDEFGHI\n" << "text 288 0 ABCDEFGH|line 30 30|text 288 30 I";
        QTest::newRow("image cut") << GS + "v0" + n(0) + word(64) + word(1) + QByteArray(64, '\xFF') << "raster 0 0 384x1";
        QTest::newRow("page area") << ESC + "L" + QByteArray(33, 'X') + "\x0C" << x32 + "|text 0 30 X";
    }

    void narrowPaper()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, expected);
        ReceiptInterpreter interpreter;
        interpreter.setPaperWidth(Paper::kNarrowWidthDots);
        interpreter.feed(stream);
        QCOMPARE(describeAll(interpreter).mid(2).join('|'), expected);
    }

    // Changed on blank paper at once (above), else with the next receipt.
    void receiptKeepsItsPaper()
    {
        ReceiptInterpreter interpreter;
        interpreter.feed("A\n");
        interpreter.setPaperWidth(Paper::kNarrowWidthDots);
        interpreter.feed(GS + "V" + n(0));
        QCOMPARE(interpreter.finished().front().widthDots, Paper::kWidthDots);
        QCOMPARE(interpreter.openReceipt().widthDots, Paper::kNarrowWidthDots);
    }
};

QTEST_GUILESS_MAIN(TestPaperWidth)
#include "tst_paper_width.moc"
