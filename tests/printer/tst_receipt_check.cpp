// Receipts as regression tests: the text beside each picture, the dots two
// pictures differ in and the diff image that shows them, the first text line
// that changed.
#include "support/ReceiptText.h"

#include "printer/ReceiptCheck.h"
#include "printer/ReceiptInterpreter.h"
#include "printer/ReceiptTextDump.h"

#include <QtTest>

using namespace PrinterBytes;

class tst_ReceiptCheck : public QObject {
    Q_OBJECT
private slots:
    void textLines_data();
    void textLines();
    void difference_data();
    void difference();
    void textChange_data();
    void textChange();
};

void tst_ReceiptCheck::textLines_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("lines"); // of the first receipt

    const QByteArray url("https://example.com/r/42");
    QTest::newRow("runs of two styles, the gap between them as spaces")
        << QByteArray("Tea") + ESC + "$" + word(120) + ESC + "E\x01" + "4.30\n" + GS + "V" + n(0)
        << QStringList{"Tea" + QString(7, ' ') + "4.30", "[full cut]"};
    QTest::newRow("tall and small characters on one row, indent dropped")
        << ESC + "a\x01" + GS + "!\x11" + "BIG" + GS + "!" + n(0) + "small\nnext\n" + GS + "V\x01"
        << QStringList{"BIGsmall", "next", "[partial cut]"};
    QTest::newRow("characters as the code page prints them")
        << ESC + "t\x10" + "Caf\xE9 \x80 5\n" << QStringList{"Caf\u00E9 \u20AC 5", "[not cut]"};
    QTest::newRow("a QR code says its data")
        << qrFunction("1P0" + url) + qrFunction("1Q0") << QStringList{"[QR code: " + QString::fromLatin1(url) + "]", "[not cut]"};
    QTest::newRow("an image says its size, between text lines")
        << QByteArray("above\n") + GS + "v0" + n(0) + word(2) + word(3) + QByteArray(6, '\xFF') + "below\n"
        << QStringList{"above", "[image 16 x 3]", "below", "[not cut]"};
}

void tst_ReceiptCheck::textLines()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, lines);
    ReceiptInterpreter interpreter;
    QList<Receipt> receipts;
    interpreter.setReceiptHandler([&](const Receipt &receipt) { receipts.append(receipt); });
    interpreter.feed(stream);
    const Receipt open = interpreter.finish();
    QCOMPARE(ReceiptTextDump::lines(receipts.isEmpty() ? open : receipts.first()), lines);
}

namespace {
// A white picture with ink in the given rectangles, as a saved receipt reads back.
QImage picture(const QSize &size, const QList<QRect> &inked)
{
    QImage image(size, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (const QRect &rect : inked)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                image.setPixel(x, y, 1);
    return image;
}
} // namespace

void tst_ReceiptCheck::difference_data()
{
    QTest::addColumn<QImage>("now");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("dots");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("lastRow");

    const QRect common(2, 2, 30, 4);
    QTest::newRow("the same dots") << picture({40, 30}, {common}) << picture({40, 30}, {common}) << 0 << -1 << -1;
    QTest::newRow("ink moved within rows 10-14")
        << picture({40, 30}, {common, QRect(10, 10, 4, 5)}) << picture({40, 30}, {common, QRect(20, 12, 4, 3)})
        << 20 + 12 << 10 << 14;
    QTest::newRow("a longer receipt: its new ink below the old end")
        << picture({40, 36}, {common, QRect(0, 33, 2, 2)}) << picture({40, 30}, {common}) << 4 << 33 << 34;
}

// The coloured ink of the diff image lies in the rows that differ, and the
// margin marks just those rows.
void tst_ReceiptCheck::difference()
{
    QFETCH(QImage, now);
    QFETCH(QImage, expected);
    QFETCH(int, dots);
    QFETCH(int, firstRow);
    QFETCH(int, lastRow);
    const ReceiptCheck::Difference difference = ReceiptCheck::difference(now, expected);
    QCOMPARE(difference.dots, dots);
    QCOMPARE(difference.firstRow, firstRow);
    QCOMPARE(difference.lastRow, lastRow);
    QCOMPARE(difference.image.isNull(), dots == 0);
    if (dots == 0)
        return;
    const int m = ReceiptCheck::kMargin;
    QCOMPARE(difference.image.width(), m + std::max(now.width(), expected.width()));
    int added = 0;
    int removed = 0;
    for (int y = 0; y < difference.image.height(); ++y) {
        bool rowDiffers = false;
        for (int x = 0; x < difference.image.width() - m; ++x) {
            const QRgb dot = difference.image.pixel(m + x, y);
            const bool inNow = x < now.width() && y < now.height() && now.pixelIndex(x, y) == 1;
            const bool inBase = x < expected.width() && y < expected.height() && expected.pixelIndex(x, y) == 1;
            QCOMPARE(dot, inNow && inBase ? ReceiptCheck::kFaint
                          : inNow         ? ReceiptCheck::kAdded
                          : inBase        ? ReceiptCheck::kRemoved
                                          : qRgb(255, 255, 255));
            added += dot == ReceiptCheck::kAdded;
            removed += dot == ReceiptCheck::kRemoved;
            rowDiffers |= inNow != inBase;
        }
        QCOMPARE(difference.image.pixel(0, y) == ReceiptCheck::kMark, rowDiffers);
        if (rowDiffers)
            QVERIFY(y >= firstRow && y <= lastRow);
    }
    QCOMPARE(added + removed, dots);
}

void tst_ReceiptCheck::textChange_data()
{
    QTest::addColumn<QStringList>("now");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("change");

    const QStringList receipt{"Shop", "TOTAL 4.30", "[full cut]"};
    QTest::newRow("the same") << receipt << receipt << "";
    QTest::newRow("a price changed") << QStringList{"Shop", "TOTAL 4.40", "[full cut]"} << receipt
                                     << "text: 'TOTAL 4.30' -> 'TOTAL 4.40'";
    QTest::newRow("a line more") << receipt + QStringList{"thanks"} << receipt << "text: (none) -> 'thanks'";
    QTest::newRow("the cut gone") << receipt.first(2) << receipt << "text: '[full cut]' -> (none)";
}

void tst_ReceiptCheck::textChange()
{
    QFETCH(QStringList, now);
    QFETCH(QStringList, expected);
    QFETCH(QString, change);
    QCOMPARE(ReceiptCheck::textChange(now, expected), change);
}

QTEST_MAIN(tst_ReceiptCheck)
#include "tst_receipt_check.moc"
