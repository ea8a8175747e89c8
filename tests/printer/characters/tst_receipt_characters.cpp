// International text on the virtual printer: code pages, international
// character sets and two-byte characters, from bytes to the characters on
// paper, and the ink they leave.
#include "support/ReceiptText.h"

#include "printer/characters/Characters.h"
#include "printer/characters/CodePages.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptRenderer.h"

#include <QGuiApplication>
#include <QMap>
#include <QSet>
#include <QtTest>

using namespace PrinterBytes;

Q_DECLARE_METATYPE(TwoByteCode)

namespace {
// Each printed line's characters as the paper shows them, runs in order.
QStringList printed(ReceiptInterpreter &interpreter)
{
    QList<Receipt> receipts(interpreter.finished().begin(), interpreter.finished().end());
    receipts.append(interpreter.finish());
    QStringList lines;
    for (const Receipt &receipt : receipts) {
        for (const ReceiptLine &line : receipt.lines) {
            QString text;
            for (const TextRun &run : line.runs) {
                for (int i = 0; i < run.count(); ++i)
                    text += QChar(Characters::cell(run, i));
            }
            lines << text;
        }
    }
    return lines;
}

QStringList printed(const QByteArray &stream, TwoByteCode encoding = TwoByteCode::Gb18030)
{
    ReceiptInterpreter interpreter;
    interpreter.setTwoByteEncoding(encoding);
    interpreter.feed(stream);
    return printed(interpreter);
}

QByteArray page(int n) { return ESC + "t" + PrinterBytes::n(n); }
QByteArray set(int n) { return ESC + "R" + PrinterBytes::n(n); }
const QByteArray kTwoByteOn = FS + "&";

int inkCount(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += image.pixelIndex(x, y) == 1;
    }
    return count;
}
} // namespace

class TestReceiptCharacters : public QObject
{
    Q_OBJECT
private slots:
    void characters_data();
    void characters();
    void notedOnce_data();
    void notedOnce();
    void twoByteCells();
    void inkInTheirCells_data();
    void inkInTheirCells();
    void everyPageLeavesInk_data();
    void everyPageLeavesInk();
    void drawnInByteOrder_data();
    void drawnInByteOrder();
    void libraryStreams_data();
    void libraryStreams();
};

// The expected characters come from the code pages' published tables.
void TestReceiptCharacters::characters_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<TwoByteCode>("encoding");
    QTest::addColumn<QString>("expected");
    const TwoByteCode gb = TwoByteCode::Gb18030;

    // The pages libraries use most, and one of each family.
    QTest::newRow("437 by default") << QByteArray("\x80\x9B\xE1\xC9\xCD\xBB") << gb << QStringLiteral("Ç¢ß╔═╗");
    QTest::newRow("850") << page(2) + "\x9B\xC6\xD1" << gb << QStringLiteral("øãÐ");
    QTest::newRow("852") << page(18) + "\x9F\xE7\xA7\xAC" << gb << QStringLiteral("čšžČ");
    QTest::newRow("858 euro") << page(19) + "Caf\x82 4,50 \xD5" << gb << QStringLiteral("Café 4,50 €");
    QTest::newRow("866") << page(17) + "\x8A\xA2\xA8\xE2" << gb << QStringLiteral("Квит");
    QTest::newRow("1252") << page(16) + "\x80\xE9\x81" << gb << QStringLiteral("€é ");
    QTest::newRow("1251") << page(46) + "\xC0\xE1\xE2\xA8" << gb << QStringLiteral("АбвЁ");
    QTest::newRow("857") << page(13) + "\x9E\xA7\x8D" << gb << QStringLiteral("Şğı");
    QTest::newRow("851") << page(11) + "\xA4\xA5\xD6" << gb << QStringLiteral("ΑΒα");
    QTest::newRow("737") << page(14) + "\x80\x81\x91\xE0" << gb << QStringLiteral("ΑΒΣω");
    QTest::newRow("ISO 8859-7") << page(15) + "\xC1\xE1" << gb << QStringLiteral("Αα");
    QTest::newRow("ISO 8859-2") << page(39) + "\xA3\xB1" << gb << QStringLiteral("Łą");
    QTest::newRow("Thai") << page(20) + "\xA1\xD2" << gb << QStringLiteral("กา");
    QTest::newRow("Hebrew 862") << page(36) + "\x80\x9A" << gb << QStringLiteral("את");
    QTest::newRow("Arabic 864") << page(37) + "\xB0\xC1" << gb << QStringLiteral("٠ﺀ");
    QTest::newRow("Arabic 720, our table") << page(32) + "\x98\x9F" << gb << QStringLiteral("ءا");
    QTest::newRow("Turkish 853, our table") << page(12) + "\x86\xA6" << gb << QStringLiteral("ĉĞ");
    QTest::newRow("Farsi 1098, our table") << page(41) + "\xF4\xFD" << gb << QStringLiteral("۰۹");
    QTest::newRow("Lithuanian 1118") << page(42) + "\xB5\xD0" << gb << QStringLiteral("Ąą");
    QTest::newRow("1125 Ukrainian") << page(44) + "\xF4\xF5" << gb << QStringLiteral("Єє");
    QTest::newRow("KZ-1048") << page(53) + "\xAA\xBA" << gb << QStringLiteral("Ғғ");
    QTest::newRow("Katakana") << page(1) + "\xB1\xB2\x9C\x95\x9D\xF1" << gb << QStringLiteral("ｱｲ╭─╮円");
    QTest::newRow("page 99 prints 437") << page(99) + "\x80" << gb << QStringLiteral("Ç");
    QTest::newRow("ESC @ back to 437") << page(17) + "\x80\n" + ESC + "@" + "\x80" << gb << QStringLiteral("АÇ");
    QTest::newRow("857 with the euro sign") << page(13) + "\xD5" << gb << QStringLiteral("€");

    // International character sets replace 12 of the ASCII characters.
    QTest::newRow("Germany") << set(2) + "@[\\]{|}~#" << gb << QStringLiteral("§ÄÖÜäöüß#");
    QTest::newRow("Japan") << set(8) + "\\100" << gb << QStringLiteral("¥100");
    QTest::newRow("UK") << set(3) + "#5" << gb << QStringLiteral("£5");
    QTest::newRow("Slovenia/Croatia") << set(14) + "@[\\]^`{|}~" << gb << QStringLiteral("ŽŠĐĆČžšđćč");
    QTest::newRow("Spain I") << set(7) + "#" << gb << QStringLiteral("₧");
    QTest::newRow("set 18 ignored") << set(2) + set(18) + "@" << gb << QStringLiteral("§");
    QTest::newRow("set and page together") << set(2) + page(19) + "[\xD5" << gb << QStringLiteral("Ä€");

    // Two-byte characters: a line per encoding.
    QTest::newRow("GB 18030") << kTwoByteOn + "\xC4\xE3\xBA\xC3 A" << gb << QStringLiteral("你好 A");
    QTest::newRow("Shift JIS") << kTwoByteOn + "\x93\xFA\x96\x7B\x82\xA0" << TwoByteCode::ShiftJis << QStringLiteral("日本あ");
    QTest::newRow("JIS by FS C 0") << kTwoByteOn + FS + "C" + n(0) + "\x30\x21" << TwoByteCode::ShiftJis << QStringLiteral("亜");
    QTest::newRow("FS C on a Chinese model") << kTwoByteOn + FS + "C0" + "\xC4\xE3" << gb << QStringLiteral("你");
    QTest::newRow("Big5") << kTwoByteOn + "\xA4\xA4\xA4\xE5" << TwoByteCode::Big5 << QStringLiteral("中文");
    QTest::newRow("EUC-KR") << kTwoByteOn + "\xC7\xD1\xB1\xDB" << TwoByteCode::EucKr << QStringLiteral("한글");
    QTest::newRow("not a pair: a replacement mark") << kTwoByteOn + "\x81\x20" + "A" << gb << QStringLiteral("\uFFFDA");
    QTest::newRow("a lead cut by a line feed") << kTwoByteOn + "\xC4\nB" << gb << QStringLiteral("\uFFFDB");
    QTest::newRow("FS . back to the page") << kTwoByteOn + "\xC4\xE3" + FS + "." + page(16) + "\xC4" << gb << QStringLiteral("你Ä");
    QTest::newRow("off by default") << QByteArray("\xC4\xE3") << gb << QStringLiteral("─π");
}

void TestReceiptCharacters::characters()
{
    QFETCH(QByteArray, stream);
    QFETCH(TwoByteCode, encoding);
    QFETCH(QString, expected);
    QCOMPARE(printed(stream + "\n", encoding).join(QString()), expected);
    // The same, a byte at a time: a pair split between two writes is one character.
    ReceiptInterpreter split;
    split.setTwoByteEncoding(encoding);
    for (const char byte : stream + "\n")
        split.feed(QByteArray(1, byte));
    QCOMPARE(printed(split).join(QString()), expected);
}

// What the printer cannot print as asked is said once, not per byte.
void TestReceiptCharacters::notedOnce_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("unknown page") << page(99) + "a" + page(99) + page(98)
                                  << QStringList{"code page 99 not known: printed as PC437", "code page 98 not known: printed as PC437"};
    QTest::newRow("pairs that are no character") << kTwoByteOn + "\x81\x20\x81\x21\xC4\n"
                                                 << QStringList{"bytes 81 20: not a GB 18030 character, printed as a replacement mark"};
    QTest::newRow("a lone lead") << kTwoByteOn + "\xC4\n\xC4\n"
                                 << QStringList{"byte C4 without its second byte: not a GB 18030 character, printed as a replacement mark"};
}

void TestReceiptCharacters::notedOnce()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, notes);
    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    QCOMPARE(interpreter.takeNotes(), notes);
}

// A two-byte character is a 24 x 24 cell (16 x 16 in font B), FS ! doubles it.
void TestReceiptCharacters::twoByteCells()
{
    ReceiptInterpreter interpreter;
    interpreter.feed(kTwoByteOn + "A\xC4\xE3" + "B" + FS + "!" + n(0x04) + "\xC4\xE3" + "\n" + ESC + "M1" + FS + "!" + n(0x88)
                     + "\xC4\xE3\n");
    const Receipt receipt = interpreter.finish();
    QCOMPARE(receipt.lines.size(), 2);
    const QList<TextRun> &first = receipt.lines[0].runs;
    QCOMPARE(first.size(), 4);
    QCOMPARE(first[1].x, 12);
    QCOMPARE(first[1].rect().size(), QSize(24, 24));
    QCOMPARE(first[2].x, 36);
    QCOMPARE(first[3].rect().size(), QSize(48, 24));
    const TextRun &small = receipt.lines[1].runs[0];
    QCOMPARE(small.rect().size(), QSize(16, 32));
    QCOMPARE(small.style.underline, quint8(1));
}

void TestReceiptCharacters::inkInTheirCells_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("cellWidth");
    QTest::newRow("Cyrillic") << page(17) + "\x8F" << 12;           // П
    QTest::newRow("Greek") << page(14) + "\x93" << 12;              // Δ
    QTest::newRow("box drawing") << page(0) + "\xC5" << 12;         // ┼
    QTest::newRow("Hebrew, from the fallback face") << page(36) + "\x80" << 12;
    QTest::newRow("Arabic presentation form") << page(37) + "\xC1" << 12;
    QTest::newRow("Thai") << page(20) + "\xA1" << 12;
    QTest::newRow("half-width katakana") << page(1) + "\xB1" << 12;
    QTest::newRow("a full-width sign in a cell of one") << page(1) + "\xF1" << 12; // 円
    QTest::newRow("CJK") << kTwoByteOn + "\xC4\xE3" << 24;
}

void TestReceiptCharacters::inkInTheirCells()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, cellWidth);
    ReceiptInterpreter interpreter;
    interpreter.feed(stream + "\n");
    const ReceiptRenderer renderer;
    const QImage image = renderer.render(interpreter.finish());
    const int inside = inkCount(image, QRect(0, 0, cellWidth, 24));
    QVERIFY2(inside > 12, qPrintable(QString::number(inside)));
    QCOMPARE(inkCount(image, QRect(cellWidth, 0, Paper::kWidthDots - cellWidth, 24)), 0);
    if (cellWidth > 12) // a wide character fills both halves of its cell
        QVERIFY(inkCount(image, QRect(0, 0, 12, 24)) > 4 && inkCount(image, QRect(12, 0, 12, 24)) > 4);
    QCOMPARE(renderer.takeNotes(), QStringList()); // every face had its glyph
}

// Every byte 80-FF of every page leaves ink, but for the gaps named here
// from the pages' published tables: undefined bytes, controls, the
// no-break space and the soft hyphen.
void TestReceiptCharacters::everyPageLeavesInk_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("gaps");
    const QString iso = QStringLiteral("80-A0 AD");
    const QString thai = QStringLiteral("80-A0 DB-DE FC-FF");
    const QMap<int, QString> gaps{
        {0, "FF"}, {1, "A0 FF"}, {2, "F0 FF"}, {3, "FF"}, {4, "FF"}, {5, "FF"}, {11, "91 F0 FF"},
        {12, "AA D0 D1 DD EE F0 F1 FB FF"}, {13, "E7 F0 F2 FF"}, {14, "FF"}, {15, iso + " AE D2 FF"},
        {16, "81 8D 8F 90 9D A0 AD"}, {17, "FF"}, {18, "F0 FF"}, {19, "F0 FF"}, {20, thai}, {21, thai}, {22, thai},
        {23, thai}, {24, thai}, {25, thai}, {26, thai}, {32, "80 81 84 86 8D-90 FF"}, {33, "F0 FF"}, {34, "F0 FF"},
        {35, "FF"}, {36, "FF"}, {37, "9B 9C 9F A0 A1 A6 A7 FF"}, {38, "80-85 87 93 94 F0 FF"}, {39, iso}, {40, iso},
        {41, "80 81 88 8B 8F CF F0 FF"}, {42, "FF"}, {43, "FF"}, {44, "FF"}, {45, "81 83 88 90 98 A0 AD"},
        {46, "98 A0 AD"}, {47, "81 88 8A 8C-90 98 9A 9C-9F A0 AA AD D2 FF"}, {48, "81 8D-90 9D 9E A0 AD"},
        {49, "81 8A 8C-90 9A 9C-9F A0 AD CA D9-DF FB-FF"}, {50, "9D 9E A0 AD FD FE"},
        {51, "81 83 88 8A 8C 90 98 9A 9C 9F A0 A1 A5 AD"}, {52, "81 8A 8D-90 9A 9D 9E A0 AD"}, {53, "98 A0 AD"}};
    // A page missing here has no gaps.
    for (int page = 0; page < 256; ++page) {
        if (CodePages::isKnown(page))
            QTest::addRow("%d %s", page, qPrintable(CodePages::name(page))) << page << gaps.value(page);
    }
}

void TestReceiptCharacters::everyPageLeavesInk()
{
    QFETCH(int, page);
    QFETCH(QString, gaps);
    QSet<int> gap;
    for (const QString &item : gaps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ends = item.split(QLatin1Char('-'));
        for (int byte = ends.first().toInt(nullptr, 16); byte <= ends.last().toInt(nullptr, 16); ++byte)
            gap.insert(byte);
    }
    const ReceiptFaces faces;
    QImage blank(12, 24, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    QStringList wrong;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        QImage cell = blank;
        faces.draw(cell, CodePages::character(page, quint8(byte)), TextStyle());
        const bool ink = cell != blank;
        if (ink == gap.contains(byte))
            wrong << QStringLiteral("%1 %2").arg(byte, 2, 16).arg(ink ? QStringLiteral("inks") : QStringLiteral("blank"));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
}

// Each cell of a line is what its bytes print alone (a combining mark over
// the character before it, no cell of its own), left to right in byte
// order: no page is reordered right to left.
void TestReceiptCharacters::drawnInByteOrder_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QByteArrayList>("cells");
    QTest::newRow("Hebrew, PC862") << 36 << QByteArrayList{"\x99", "\x8C", "\x85", "\x8D", " ", "\x92", "\x85", "\x8C", "\x8D"};
    QTest::newRow("Arabic, Windows-1256") << 50 << QByteArrayList{"\xE3", "\xD1", "\xCD", "\xC8", "\xC7"};
    QTest::newRow("Hebrew, Windows-1255") << 49 << QByteArrayList{"\xF9", "\xEC", "\xE5", "\xED"};
    QTest::newRow("Thai marks on their consonants") << 20 << QByteArrayList{"\xB7\xD5\xE8", "\xE0", "\xA1\xE7", "\xA1", "\xD2"};
    QTest::newRow("Katakana sound marks") << 1 << QByteArrayList{"\xB6", "\xDE", "\xCA", "\xDF", "\xDE"};
}

void TestReceiptCharacters::drawnInByteOrder()
{
    QFETCH(int, page);
    QFETCH(QByteArrayList, cells);
    const ReceiptRenderer renderer;
    const auto draw = [&](const QByteArray &bytes) {
        ReceiptInterpreter interpreter;
        interpreter.feed(ESC + "t" + n(page) + bytes + "\n");
        return renderer.render(interpreter.finish()).copy(0, 0, Paper::kWidthDots, 24);
    };
    const QImage line = draw(cells.join());
    for (int i = 0; i < cells.size(); ++i) {
        const QRect cell(12 * i, 0, 12, 24);
        QCOMPARE(line.copy(cell), draw(cells[i]).copy(0, 0, 12, 24));
        QVERIFY2(cells[i] == " " || inkCount(line, cell) > 0, qPrintable(QString::number(i)));
    }
    QCOMPARE(inkCount(line, QRect(12 * cells.size(), 0, Paper::kWidthDots - 12 * cells.size(), 24)), 0);
}

// Receipts made by receipt libraries that others wrote
// (tools/library-streams/characters/generate.mjs): what the paper says.
void TestReceiptCharacters::libraryStreams_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TwoByteCode>("encoding");
    QTest::addColumn<QStringList>("lines"); // each printed, in this order, among others
    const TwoByteCode gb = TwoByteCode::Gb18030;
    QTest::newRow("PC858") << "encoder-cafe-pc858.bin" << gb << QStringList{"Café Müller", "Crème brûlée   4,50 €"};
    QTest::newRow("PC866") << "encoder-russian-pc866.bin" << gb << QStringList{"Квитанция", "Итого: 150 руб."};
    QTest::newRow("PC852") << "encoder-czech-pc852.bin" << gb << QStringList{"Účtenka", "Příliš žluťoučký kůň"};
    QTest::newRow("a page per character") << "encoder-auto.bin" << gb
                                          << QStringList{"Grüße aus München", "Ελληνικά: καλημέρα", "Русский: спасибо",
                                                         "Česky: děkuji", "Dansk: Ærø Øst Åby", "Euro: 12,50 €"};
    QTest::newRow("GB 18030") << "receiptline-gb18030.bin" << gb << QStringList{"收据"};
    QTest::newRow("Shift JIS") << "receiptline-shiftjis.bin" << TwoByteCode::ShiftJis << QStringList{"領収書"};
    QTest::newRow("EUC-KR") << "receiptline-ksc5601.bin" << TwoByteCode::EucKr << QStringList{"영수증"};
    QTest::newRow("Big5") << "receiptline-big5.bin" << TwoByteCode::Big5 << QStringList{"收據"};
}

void TestReceiptCharacters::libraryStreams()
{
    QFETCH(QString, file);
    QFETCH(TwoByteCode, encoding);
    QFETCH(QStringList, lines);
    QFile stream(QStringLiteral(MARLIX_SOURCE_DIR "/tests/data/library-streams/characters/") + file);
    QVERIFY(stream.open(QIODevice::ReadOnly));
    ReceiptInterpreter interpreter;
    interpreter.setTwoByteEncoding(encoding);
    interpreter.feed(stream.readAll());
    // Commands that only set the look of two-byte characters may be noted as
    // unknown; a character the printer could not read may not.
    const QStringList notes = interpreter.takeNotes();
    QVERIFY2(notes.filter(QStringLiteral("character")).isEmpty() && notes.filter(QStringLiteral("code page")).isEmpty(),
             qPrintable(notes.join(QStringLiteral("; "))));
    const QStringList shown = printed(interpreter);
    qsizetype at = 0;
    for (const QString &line : lines) {
        const qsizetype found = shown.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable(line + QStringLiteral(" not in: ") + shown.join(QLatin1Char('|'))));
        at = found + 1;
    }
}

QTEST_MAIN(TestReceiptCharacters)
#include "tst_receipt_characters.moc"
