// 58 mm paper: receipts laid out on its 384 dots, each on the paper it began on.
#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptTextDump.h"

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

    // Each kind of image 576 dots wide on 384 dots of paper: the log, the
    // preview's list and the receipt's text say its size as sent and the cut.
    void imageCutIsSaid_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("text");
        QTest::newRow("GS v 0") << GS + "v0" + n(0) + word(72) + word(2) + QByteArray(144, '\xFF') << "[image 576 x 2, cut at 384]";
        QTest::newRow("GS v 0, double width") << GS + "v0" + n(1) + word(36) + word(1) + QByteArray(36, '\x0F')
                                              << "[image 576 x 1, cut at 384]";
        QTest::newRow("ESC *") << ESC + "*" + n(33) + word(576) + QByteArray(576 * 3, '\x01') + "\n" << "[image 576 x 24, cut at 384]";
        QTest::newRow("GS ( L, printed from the buffer")
            << GS + "(L" + word(82) + "0p0" + n(1) + n(1) + "1" + word(576) + word(1) + QByteArray(72, '\xFF') + GS + "(L" + word(2) + "02"
            << "[image 576 x 1, cut at 384]";
    }

    void imageCutIsSaid()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, text);
        ReceiptInterpreter interpreter;
        interpreter.setPaperWidth(Paper::kNarrowWidthDots);
        interpreter.feed(stream);
        const QString words = "image 576 dots wide, cut at 384: its right 192 dots are not printed";
        QCOMPARE(interpreter.cutAtEdge(), QStringList{words});
        QCOMPARE(interpreter.takeNotes().count(words), 1);
        QCOMPARE(ReceiptTextDump::lines(interpreter.finish()), QStringList({text, "[not cut]"}));
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
