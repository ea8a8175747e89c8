// The receipt renderer, probed pixel by pixel where a fault would show: dots
// of images exactly in place, text in its cells, sizes, symbols a scanner reads.
#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/MonoPng.h"
#include "printer/render/ReceiptRenderer.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace PrinterBytes;

namespace {
Receipt receiptOf(const QByteArray &stream)
{
    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    return interpreter.finish();
}

bool ink(const QImage &image, int x, int y)
{
    return image.pixelIndex(x, y) == 1;
}

// The smallest rectangle holding every black dot of the area.
QRect inkBox(const QImage &image, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (ink(image, x, y))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int inkCount(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += ink(image, x, y);
    }
    return count;
}

// What a scanner reads from the receipt: the image with a quiet zone around it.
QString scan(const QImage &receipt, QString *skip)
{
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty()) {
        *skip = QStringLiteral("zbarimg (zbar-tools) is not installed");
        return {};
    }
    QImage padded(receipt.width() + 80, receipt.height() + 80, QImage::Format_RGB32);
    padded.fill(Qt::white);
    QPainter painter(&padded);
    painter.drawImage(40, 40, receipt.convertToFormat(QImage::Format_RGB32));
    painter.end();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("receipt.png"));
    padded.save(file);
    QProcess process;
    process.start(zbarimg, {QStringLiteral("--quiet"), QStringLiteral("--raw"), file});
    if (!process.waitForFinished(30000))
        return QStringLiteral("zbarimg did not finish");
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}
} // namespace

class TestReceiptRenderer : public QObject
{
    Q_OBJECT
private slots:
    void paperIsBlackAndWhite();
    void rasterDotsInPlace_data();
    void rasterDotsInPlace();
    void justifiedTextInkInItsCell_data();
    void justifiedTextInkInItsCell();
    void sizesScaleTheInk_data();
    void sizesScaleTheInk();
    void emphasizedIsHeavierNotWider();
    void underlineAndReverse_data();
    void underlineAndReverse();
    void codePagesDrawDifferentCharacters();
    void cutSplitsTwoReceipts();
    void barcodeWidthAndScan_data();
    void barcodeWidthAndScan();
    void qrCodeScans();
    void turnedTextIsTheUprightTextTurned_data();
    void turnedTextIsTheUprightTextTurned();
    void bandMatchesTheWholeReceipt();
    void renderedAsPainted_data();
    void renderedAsPainted();
    void pngKeepsEveryDot_data();
    void pngKeepsEveryDot();
    void pdfPagesAtPaperSize();

private:
    ReceiptRenderer m_renderer;
};

void TestReceiptRenderer::paperIsBlackAndWhite()
{
    const Receipt receipt = receiptOf(ESC + "!" + n(0x38) + "Receipt" + ESC + "!" + n(0) + GS + "B" + n(1) + "rev\n" + GS + "k" + n(2) + "400638133393" + n(0));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.png"));
    QString error;
    QVERIFY2(m_renderer.savePng(receipt, file, &error), qPrintable(error));
    const QImage saved(file);
    QCOMPARE(saved.width(), 576);
    QCOMPARE(saved.height(), receipt.lengthDots);
    const QImage rgb = saved.convertToFormat(QImage::Format_RGB32);
    int black = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, y);
            QVERIFY2(pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255), qPrintable(QStringLiteral("grey at %1,%2").arg(x).arg(y)));
            black += pixel == qRgb(0, 0, 0);
        }
    }
    QVERIFY(black > 1000);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing/r.png"))));
    QVERIFY(!m_renderer.savePng(receipt, dir.filePath(QStringLiteral("missing/r.png")), &error));
    QVERIFY(!error.isEmpty());
}

void TestReceiptRenderer::rasterDotsInPlace_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("justify");
    QTest::addColumn<int>("left"); // where the first dot must be
    QTest::newRow("normal, left") << 0 << 0 << 0;
    QTest::newRow("double width, centred") << 1 << 1 << (576 - 48) / 2;
    QTest::newRow("double height, right") << 2 << 2 << 576 - 24;
    QTest::newRow("both, left") << 3 << 0 << 0;
}

void TestReceiptRenderer::rasterDotsInPlace()
{
    QFETCH(int, mode);
    QFETCH(int, justify);
    QFETCH(int, left);
    // 24 x 5 dots of a pattern where every row and column differs.
    QByteArray data;
    for (int row = 0; row < 5; ++row)
        data += n(0x80 >> row) + n(0x5A ^ row) + n(row * 37 + 1);
    const Receipt receipt = receiptOf("Top\n" + ESC + "a" + n(justify) + GS + "v0" + n(mode) + word(3) + word(5) + data + "End\n");
    const QImage image = m_renderer.render(receipt);
    const int sx = (mode & 1) ? 2 : 1;
    const int sy = (mode & 2) ? 2 : 1;
    const int top = 30; // below the first line
    for (int y = 0; y < 5 * sy; ++y) {
        for (int x = 0; x < 576; ++x) {
            const int dx = x - left;
            bool expected = false;
            if (dx >= 0 && dx < 24 * sx) {
                const int bit = dx / sx;
                expected = quint8(data[(y / sy) * 3 + bit / 8]) & (0x80 >> (bit % 8));
            }
            QVERIFY2(ink(image, x, top + y) == expected, qPrintable(QStringLiteral("dot %1,%2").arg(x).arg(y)));
        }
    }
    // The text after the image starts right below it.
    QVERIFY(inkCount(image, QRect(0, top + 5 * sy, 576, 24)) > 20);
}

void TestReceiptRenderer::justifiedTextInkInItsCell_data()
{
    QTest::addColumn<int>("justify");
    QTest::addColumn<int>("cellLeft");
    QTest::newRow("left") << 0 << 0;
    QTest::newRow("centre") << 1 << 282;
    QTest::newRow("right") << 2 << 564;
}

void TestReceiptRenderer::justifiedTextInkInItsCell()
{
    QFETCH(int, justify);
    QFETCH(int, cellLeft);
    const QImage image = m_renderer.render(receiptOf(ESC + "a" + n(justify) + "H\n"));
    const QRect box = inkBox(image, image.rect());
    QVERIFY(!box.isEmpty());
    QVERIFY2(box.left() >= cellLeft && box.right() < cellLeft + 12, qPrintable(QStringLiteral("ink %1..%2").arg(box.left()).arg(box.right())));
    QVERIFY(box.top() >= 0 && box.bottom() < 24);
    // H is symmetric: its ink is centred in the cell within a dot.
    const double centre = (box.left() + box.right() + 1) / 2.0;
    QVERIFY2(qAbs(centre - (cellLeft + 6)) <= 1.0, qPrintable(QString::number(centre)));
}

void TestReceiptRenderer::sizesScaleTheInk_data()
{
    QTest::addColumn<int>("size"); // GS ! n
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("double width") << 0x10 << 2 << 1;
    QTest::newRow("double height") << 0x01 << 1 << 2;
    QTest::newRow("3 x 4") << 0x23 << 3 << 4;
    QTest::newRow("8 x 8") << 0x77 << 8 << 8;
}

void TestReceiptRenderer::sizesScaleTheInk()
{
    QFETCH(int, size);
    QFETCH(int, width);
    QFETCH(int, height);
    const QImage plain = m_renderer.render(receiptOf("W\n"));
    const QImage scaled = m_renderer.render(receiptOf(GS + "!" + n(size) + "W\n"));
    const QRect one = inkBox(plain, plain.rect());
    const QRect big = inkBox(scaled, scaled.rect());
    QCOMPARE(big.width(), one.width() * width);
    QCOMPARE(big.height(), one.height() * height);
    QCOMPARE(big.left(), one.left() * width);
    QCOMPARE(inkCount(scaled, scaled.rect()), inkCount(plain, plain.rect()) * width * height);
}

void TestReceiptRenderer::emphasizedIsHeavierNotWider()
{
    const QImage plain = m_renderer.render(receiptOf("MMMM\n"));
    const QImage bold = m_renderer.render(receiptOf(ESC + "E" + n(1) + "MMMM\n"));
    QVERIFY(inkCount(bold, bold.rect()) > inkCount(plain, plain.rect()) * 11 / 10);
    for (int cell = 0; cell < 4; ++cell) {
        const QRect box = inkBox(bold, QRect(cell * 12, 0, 12, 30));
        QVERIFY(box.left() >= cell * 12 && box.right() < cell * 12 + 12);
    }
    QVERIFY(inkBox(bold, bold.rect()).right() < 48);
}

void TestReceiptRenderer::underlineAndReverse_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("fullRows"); // rows of the cells' area that are all ink, counted from the bottom
    QTest::newRow("underline 1") << ESC + "-" + n(1) << 1;
    QTest::newRow("underline 2") << ESC + "-" + n(2) << 2;
    QTest::newRow("no underline") << QByteArray() << 0;
    QTest::newRow("reverse") << GS + "B" + n(1) << -1;
}

void TestReceiptRenderer::underlineAndReverse()
{
    QFETCH(QByteArray, mode);
    QFETCH(int, fullRows);
    const QImage image = m_renderer.render(receiptOf(mode + "a b\n"));
    const QRect cells(0, 0, 36, 24);
    if (fullRows < 0) {
        // White on black: most of the cells are ink, the letters are holes.
        const int count = inkCount(image, cells);
        QVERIFY(count > 36 * 24 * 3 / 4 && count < 36 * 24);
        QVERIFY(ink(image, 12, 0) && ink(image, 23, 23)); // the blank is black too
        QCOMPARE(inkCount(image, QRect(36, 0, 540, 30)), 0);
        return;
    }
    for (int row = 0; row < 24; ++row) {
        const bool underline = row >= 24 - fullRows;
        QCOMPARE(inkCount(image, QRect(0, row, 36, 1)) == 36, underline);
    }
    QCOMPARE(inkCount(image, QRect(36, 0, 540, 30)), 0); // not past the run
}

void TestReceiptRenderer::codePagesDrawDifferentCharacters()
{
    // DB is a full block in PC437 and a capital U with a circumflex in Windows-1252.
    const QImage block = m_renderer.render(receiptOf(QByteArray("\xDB\n")));
    const QImage letter = m_renderer.render(receiptOf(ESC + "t" + n(16) + "\xDB\n"));
    const QImage fallback = m_renderer.render(receiptOf(ESC + "t" + n(3) + "\xDB\n"));
    const QRect cell(0, 0, 12, 24);
    QVERIFY(inkCount(block, cell) > 12 * 20);
    QVERIFY(inkCount(letter, cell) < 12 * 12);
    QVERIFY(inkCount(letter, cell) > 10);
    QCOMPARE(inkCount(fallback, cell), inkCount(block, cell));
}

void TestReceiptRenderer::cutSplitsTwoReceipts()
{
    ReceiptInterpreter interpreter;
    interpreter.feed("First\n" + GS + "V" + n(0) + "\n\nSecond\n" + GS + "V" + n(1));
    QCOMPARE(interpreter.finishedTotal(), 2);
    const QImage first = m_renderer.render(interpreter.finished()[0]);
    const QImage second = m_renderer.render(interpreter.finished()[1]);
    QCOMPARE(first.size(), QSize(576, 30));
    QCOMPARE(second.size(), QSize(576, 90));
    QVERIFY(inkCount(first, QRect(0, 0, 60, 24)) > 30);
    QCOMPARE(inkCount(second, QRect(0, 0, 576, 60)), 0); // two empty lines first
    QVERIFY(inkCount(second, QRect(0, 60, 72, 24)) > 30);
}

void TestReceiptRenderer::barcodeWidthAndScan_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("modules"); // the symbol's width in modules
    QTest::addColumn<QString>("data"); // as the scanner reads it
    QTest::newRow("EAN-13") << GS + "k" + n(2) + "400638133393" + n(0) << 2 << 95 << "4006381333931";
    QTest::newRow("EAN-13, module 3") << GS + "k" + n(2) + "400638133393" + n(0) << 3 << 95 << "4006381333931";
    // zbar reads UPC-A as the EAN-13 it is part of.
    QTest::newRow("UPC-A") << GS + "k" + n(0x41) + n(11) + "03600029145" << 2 << 95 << "0036000291452";
    QTest::newRow("CODE39") << GS + "k" + n(4) + "MARLIX-1" + n(0) << 2 << 129 << "MARLIX-1";
    QTest::newRow("CODE128") << GS + "k" + n(0x49) + n(9) + "{BMX-2600" << 2 << 101 << "MX-2600";
    QTest::newRow("CODE128, code sets, a brace, FNC1") << GS + "k" + n(0x49) + n(17) + "{AORD{B{{{1ER{C12" << 2 << 123 << "ORD{ER12";
}

void TestReceiptRenderer::barcodeWidthAndScan()
{
    QFETCH(QByteArray, command);
    QFETCH(int, module);
    QFETCH(int, modules);
    QFETCH(QString, data);
    const Receipt receipt = receiptOf(ESC + "a" + n(1) + GS + "h" + n(80) + GS + "w" + n(module) + GS + "H" + n(2) + command);
    const QImage image = m_renderer.render(receipt);
    QCOMPARE(image.height(), 80 + 24);
    // The bars: first and last bar where the module size puts them, full height.
    const QRect bars = inkBox(image, QRect(0, 0, 576, 80));
    QCOMPARE(bars.width(), modules * module);
    QCOMPARE(bars.left(), (576 - modules * module) / 2);
    QCOMPARE(bars.height(), 80);
    for (int y = 0; y < 80; ++y)
        QVERIFY(ink(image, bars.left(), y) && ink(image, bars.right(), y));
    // The human-readable text under them.
    QVERIFY(inkCount(image, QRect(0, 80, 576, 24)) > 50);
    QString skip;
    const QString read = scan(image, &skip);
    if (!skip.isEmpty())
        QSKIP(qPrintable(skip));
    QCOMPARE(read, data);
}

void TestReceiptRenderer::qrCodeScans()
{
    const QByteArray url("https://marlix.example/receipt/42");
    const Receipt receipt = receiptOf(qrFunction("1C" + n(5)) + qrFunction("1E2") + qrFunction("1P0" + url) + qrFunction("1Q0"));
    const QImage image = m_renderer.render(receipt);
    const QRect box = inkBox(image, image.rect());
    // A square of 5 dots a module, as many modules as a QR version has
    // (21, 25, 29, ...); the finder patterns put ink in three corners only.
    QCOMPARE(box.topLeft(), QPoint(0, 0));
    QCOMPARE(box.width(), box.height());
    QCOMPARE(box.width() % 5, 0);
    const int modules = box.width() / 5;
    QVERIFY2(modules >= 21 && (modules - 17) % 4 == 0, qPrintable(QString::number(modules)));
    QCOMPARE(image.height(), box.height());
    QVERIFY(ink(image, 0, 0) && ink(image, box.right(), 0) && ink(image, 0, box.bottom()));
    QString skip;
    const QString read = scan(image, &skip);
    if (!skip.isEmpty())
        QSKIP(qPrintable(skip));
    QCOMPARE(read, QString::fromLatin1(url));
}

void TestReceiptRenderer::bandMatchesTheWholeReceipt()
{
    const Receipt receipt = receiptOf(GS + "!" + n(0x11) + "Tall text\n" + GS + "!" + n(0) + "small\n" + GS + "k" + n(2) + "400638133393" + n(0) + "after\n");
    const QImage whole = m_renderer.render(receipt);
    for (const auto &[y0, y1] : QList<QPair<int, int>>{{0, 20}, {10, 70}, {47, 200}, {0, whole.height()}}) {
        const QImage band = m_renderer.renderBand(receipt, y0, y1);
        QCOMPARE(band.size(), QSize(576, y1 - y0));
        QVERIFY2(band == whole.copy(0, y0, 576, y1 - y0), qPrintable(QStringLiteral("band %1..%2").arg(y0).arg(y1)));
    }
}

void TestReceiptRenderer::renderedAsPainted_data()
{
    QTest::addColumn<QByteArray>("stream"); // printed from row 240, across the rows drawn at a time
    const QByteArray raster = GS + "v0" + n(0) + n(2) + n(0) + n(40) + n(0) + QByteArray(80, char(0xA5));
    QTest::newRow("tall and wide text") << GS + "!" + n(0x23) + "Tall W\n" + GS + "!" + n(0) + "small\n";
    QTest::newRow("reverse and underline") << GS + "B" + n(1) + "rev" + GS + "B" + n(0) + ESC + "-" + n(2) + " under\n";
    QTest::newRow("image and barcode") << raster + GS + "k" + n(2) + "400638133393" + n(0);
    QTest::newRow("upside down and turned") << ESC + "{" + n(1) + "down\n" + ESC + "{" + n(0) + ESC + "V" + n(1) + "turned\n";
}

// render() draws a strip of rows at a time and packs its ink itself: the
// dots must be those of the receipt painted whole and thresholded by Qt.
void TestReceiptRenderer::renderedAsPainted()
{
    QFETCH(QByteArray, stream);
    const Receipt receipt = receiptOf(ESC + "J" + n(240) + stream);
    QVERIFY(receipt.lengthDots > 256);
    QImage painted(576, receipt.lengthDots, QImage::Format_RGB32);
    painted.fill(Qt::white);
    QPainter painter(&painted);
    m_renderer.paint(painter, receipt, 0, receipt.lengthDots);
    painter.end();
    const QImage expected = painted.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
    const QImage rendered = m_renderer.render(receipt);
    QCOMPARE(rendered.size(), expected.size());
    QVERIFY(inkCount(rendered, rendered.rect()) > 100);
    QString differs;
    for (int y = 0; y < rendered.height() && differs.isEmpty(); ++y) {
        for (int x = 0; x < rendered.width() && differs.isEmpty(); ++x) {
            if (ink(rendered, x, y) != (qGray(expected.pixel(x, y)) < 128))
                differs = QStringLiteral("dot %1,%2").arg(x).arg(y);
        }
    }
    QVERIFY2(differs.isEmpty(), qPrintable(differs));
}

void TestReceiptRenderer::pngKeepsEveryDot_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("the paper") << 576;
    QTest::newRow("a width not whole bytes") << 13;
    QTest::newRow("one dot") << 1;
}

// The saved file holds one bit a dot, and exactly the dots drawn: none
// lost, none added from the unused bits at a row's end.
void TestReceiptRenderer::pngKeepsEveryDot()
{
    QFETCH(int, width);
    QImage dots(width, 7, QImage::Format_Mono);
    dots.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < dots.height(); ++y) {
        std::fill_n(dots.scanLine(y), dots.bytesPerLine(), uchar(0xFF)); // ink, and set bits past the width
        for (int x = 0; x < width; ++x) {
            if ((x * 7 + y * 3) % 5 < 2)
                dots.setPixel(x, y, 0);
        }
    }
    const QByteArray png = MonoPng::encode(dots);
    QCOMPARE(png.mid(24, 2), QByteArray("\x01\x03", 2)); // bit depth 1, a palette
    const QImage read = QImage::fromData(png, "png");
    QCOMPARE(read.size(), dots.size());
    QCOMPARE(read.depth(), 1);
    for (int y = 0; y < dots.height(); ++y) {
        for (int x = 0; x < width; ++x)
            QCOMPARE(qGray(read.pixel(x, y)) < 128, dots.pixelIndex(x, y) == 1);
    }
}

void TestReceiptRenderer::pdfPagesAtPaperSize()
{
    ReceiptInterpreter interpreter;
    interpreter.feed("One\n" + GS + "V" + n(0) + QByteArray(10, '\n') + "Two\n" + GS + "V" + n(0));
    const QList<Receipt> receipts(interpreter.finished().begin(), interpreter.finished().end());
    QCOMPARE(receipts.size(), 2);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("receipts.pdf"));
    QString error;
    QVERIFY2(m_renderer.writePdf(receipts, file, &error), qPrintable(error));
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray content = pdf.readAll();
    QVERIFY(content.startsWith("%PDF"));
    // One page per receipt: 80 mm wide (226.77 pt), as long as the receipt.
    static const QRegularExpression mediaBox(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    QList<QSizeF> pages;
    for (auto it = mediaBox.globalMatch(QString::fromLatin1(content)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pages.append(QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()));
    }
    QCOMPARE(pages.size(), 2);
    const double pointsPerMm = 72 / 25.4;
    for (int i = 0; i < 2; ++i) {
        QVERIFY2(qAbs(pages[i].width() - 80 * pointsPerMm) < 1, qPrintable(QString::number(pages[i].width())));
        QVERIFY2(qAbs(pages[i].height() - receipts[i].lengthMm() * pointsPerMm) < 1, qPrintable(QString::number(pages[i].height())));
    }
}

// Upside-down lines, page directions and ESC V draw the very glyphs of
// upright text, turned: the same dots, in the same place once turned back.
void TestReceiptRenderer::turnedTextIsTheUprightTextTurned_data()
{
    QTest::addColumn<QByteArray>("turned");
    QTest::addColumn<int>("quarters"); // turning the turned ink back by this many quarters clockwise
    QTest::addColumn<QByteArray>("upright");

    const QByteArray text = "Ag" + ESC + "E" + n(1) + "Q" + GS + "B" + n(1) + "r";
    QTest::newRow("ESC {") << ESC + "{" + n(1) + text + "\n" << 2 << text + "\n";
    const QByteArray area = ESC + "W" + word(0) + word(0) + word(120) + word(120);
    for (int direction = 1; direction < 4; ++direction) {
        QTest::newRow(qPrintable(QStringLiteral("page direction %1").arg(direction)))
            << ESC + "L" + area + ESC + "T" + n(direction) + text + "\x0C" << direction << ESC + "L" + area + text + "\x0C";
    }
    QTest::newRow("ESC V, a character on its side") << ESC + "V" + n(1) + "A\n" << 3 << QByteArray("A\n");
}

void TestReceiptRenderer::turnedTextIsTheUprightTextTurned()
{
    QFETCH(QByteArray, turned);
    QFETCH(int, quarters);
    QFETCH(QByteArray, upright);
    const ReceiptRenderer renderer;
    const QImage a = renderer.render(receiptOf(turned));
    const QImage b = renderer.render(receiptOf(upright));
    const QRect turnedBox = inkBox(a, a.rect());
    const QRect uprightBox = inkBox(b, b.rect());
    QVERIFY(!uprightBox.isEmpty());
    const QImage back = a.copy(turnedBox).transformed(QTransform().rotate(90 * quarters));
    const QImage expected = b.copy(uprightBox);
    QCOMPARE(back.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x)
            QCOMPARE(qGray(back.pixel(x, y)) < 128, ink(expected, x, y));
    }
}

QTEST_MAIN(TestReceiptRenderer)
#include "tst_receipt_renderer.moc"
