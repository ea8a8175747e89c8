// 58 mm paper: receipts laid out on its 384 dots, and a receipt printed on
// the paper it began on.
#include "support/ReceiptText.h"

#include "printer/ReceiptInterpreter.h"

#include <QtTest>

using Lines = QStringList;

using namespace PrinterBytes;

class TestPaperWidth : public QObject
{
    Q_OBJECT
private slots:
    void narrowPaper_data();
    void narrowPaper();
    void receiptKeepsItsPaper();
};

void TestPaperWidth::narrowPaper_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");
    QTest::addColumn<QStringList>("cut"); // symbols said to be cut at the edge

    const QString x32(32, 'X');
    const Lines wrapped{"receipt 1 open 60", "line 0 30", "text 0 0 " + x32, "line 30 30", "text 0 30 X"};
    QTest::newRow("48 characters: two lines") << QByteArray(48, 'X') + "\n"
                                              << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 " + x32, "line 30 30",
                                                       "text 0 30 " + QString(16, 'X')}
                                              << QStringList();
    QTest::newRow("font B: 42 a line") << ESC + "M" + n(1) + QByteArray(43, 'b') + "\n"
                                       << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 " + QString(42, 'b') + " B",
                                                "line 30 30", "text 0 30 b B"}
                                       << QStringList();
    QTest::newRow("centred") << ESC + "a" + n(1) + "ABCD\n" << Lines{"receipt 1 open 30", "line 0 30", "text 168 0 ABCD"}
                             << QStringList();
    QTest::newRow("right") << ESC + "a" + n(2) + "AB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 360 0 AB"} << QStringList();
    QTest::newRow("GS W wider than the paper: clamped") << GS + "W" + word(500) + QByteArray(33, 'X') + "\n" << wrapped
                                                        << QStringList();
    QTest::newRow("GS L past the paper: clamped") << GS + "L" + word(400) + "ABCDEFGHI\n"
                                                  << Lines{"receipt 1 open 60", "line 0 30", "text 288 0 ABCDEFGH", "line 30 30",
                                                           "text 288 30 I"}
                                                  << QStringList();
    QTest::newRow("image wider than the paper: cut") << GS + "v0" + n(0) + word(64) + word(1) + QByteArray(64, '\xFF')
                                                     << Lines{"receipt 1 open 1", "line 0 1", "raster 0 0 384x1"} << QStringList();
    QTest::newRow("page mode: the area as wide as the paper") << ESC + "L" + QByteArray(33, 'X') + "\x0C"
                                                              << Lines{"receipt 1 open 1662", "line 0 1662", "text 0 0 " + x32,
                                                                       "text 0 30 X"}
                                                              << QStringList();
    QTest::newRow("QR code wider than the paper: cut and said")
        << qrFunction("1C" + n(8)) + qrFunction("1P0" + QByteArray(3000, '7')) + qrFunction("1Q0")
        << Lines{"receipt 1 open 936", "line 0 936", "qr 0 0 384x936"}
        << QStringList{"QR code 936 dots wide, cut at 384: it will not scan"};
}

void TestPaperWidth::narrowPaper()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QFETCH(QStringList, cut);
    ReceiptInterpreter interpreter;
    interpreter.setPaperWidth(Paper::kNarrowWidthDots);
    interpreter.feed(stream);
    QCOMPARE(describeAll(interpreter), expected);
    QCOMPARE(interpreter.cutSymbols(), cut);
}

// The width changes at once on blank paper, else with the next receipt.
void TestPaperWidth::receiptKeepsItsPaper()
{
    ReceiptInterpreter interpreter;
    interpreter.setPaperWidth(Paper::kNarrowWidthDots);
    interpreter.feed("A\n");
    interpreter.setPaperWidth(Paper::kWidthDots);
    interpreter.feed(QByteArray(40, 'X') + "\n" + GS + "V" + n(0) + QByteArray(40, 'X') + "\n");
    const Receipt &first = interpreter.finished().front();
    QCOMPARE(first.widthDots, Paper::kNarrowWidthDots);
    QCOMPARE(first.lines.size(), 3); // A, then the 40 characters on two lines
    QCOMPARE(interpreter.openReceipt().widthDots, Paper::kWidthDots);
    QCOMPARE(interpreter.openReceipt().lines.size(), 1);
}

QTEST_GUILESS_MAIN(TestPaperWidth)
#include "tst_paper_width.moc"
