// receipt-NNN.txt: the text beside each picture, in reading order, as printed.
#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptTextDump.h"

#include <QtTest>

using namespace PrinterBytes;

class tst_ReceiptTextDump : public QObject {
    Q_OBJECT
private slots:
    void textLines_data();
    void textLines();
};

void tst_ReceiptTextDump::textLines_data()
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
    QTest::newRow("a CODE128 barcode as its bars read") // as tst_receipt_renderer scans them
        << GS + "k" + n(73) + n(17) + "{AORD{B{{{1ER{C12" << QStringList{"[barcode: ORD{ER12]", "[not cut]"};
    QTest::newRow("an image says its size, between text lines")
        << QByteArray("above\n") + GS + "v0" + n(0) + word(2) + word(3) + QByteArray(6, '\xFF') + "below\n"
        << QStringList{"above", "[image 16 x 3]", "below", "[not cut]"};
}

void tst_ReceiptTextDump::textLines()
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

QTEST_MAIN(tst_ReceiptTextDump)
#include "tst_receipt_text_dump.moc"
