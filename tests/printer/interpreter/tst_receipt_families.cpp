// The command families client libraries send: positions and turned text,
// page mode, graphics and the NV memory, 2D symbols (read back with a
// decoder), and the events that print nothing.
#include "support/ReceiptText.h"
#include "support/SymbolReader.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include <QtTest>

using Lines = QStringList;
using namespace PrinterBytes;

namespace {
QStringList interpret(const QByteArray &stream)
{
    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    return describeAll(interpreter);
}

// GS ( L with its length: m 30, then the function and its parameters.
QByteArray gsL(const QByteArray &function)
{
    return GS + "(L" + word(int(function.size()) + 1) + "0" + function;
}

QByteArray symbol(const QByteArray &function)
{
    return qrFunction(function);
}

// A page of 200 x 100 dots in the given direction: "AB", a line feed, "C".
QByteArray page(int direction)
{
    return ESC + "L" + ESC + "W" + word(0) + word(0) + word(200) + word(100) + ESC + "T" + n(direction) + "AB\nC\x0C";
}

} // namespace

class TestReceiptFamilies : public QObject
{
    Q_OBJECT
private slots:
    void positions_data();
    void positions();
    void pageMode_data();
    void pageMode();
    void graphics_data();
    void graphics();
    void nvMemory();
    void nvRepliesAndCapacity();
    void symbols2D_data();
    void symbols2D();
    void events_data();
    void events();
};

void TestReceiptFamilies::positions_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");

    const Lines head{"receipt 1 open 30", "line 0 30"};
    QTest::newRow("ESC $, then ESC \\ back") << "A" + ESC + "$" + word(100) + "B" + ESC + "\\" + word(0xFFF4) + "C\n"
                                            << head + Lines{"text 0 0 A", "text 100 0 B", "text 100 0 C"};
    QTest::newRow("ESC $ past the width: ignored") << "A" + ESC + "$" + word(576) + "B\n" << head + Lines{"text 0 0 A", "text 12 0 B"};
    QTest::newRow("ESC $ from the left margin") << GS + "L" + word(20) + ESC + "$" + word(10) + "A\n" << head + Lines{"text 30 0 A"};
    QTest::newRow("ESC D stops, then none left") << ESC + "D" + n(2) + n(5) + n(0) + "A\tB\tC\tD\n"
                                                 << head + Lines{"text 0 0 A", "text 24 0 B", "text 60 0 C", "text 72 0 D"};
    QTest::newRow("ESC D counts the spacing") << ESC + " " + n(4) + ESC + "D" + n(2) + n(0) + "\tA\n" << head + Lines{"text 32 0 A sp4"};
    QTest::newRow("ESC D, not ascending: the rest ignored") << ESC + "D" + n(3) + n(2) + n(0) + "\t\tA\n" << head + Lines{"text 36 0 A"};
    QTest::newRow("ESC @ brings back every 8 characters") << ESC + "D" + n(2) + n(0) + ESC + "@\tA\n" << head + Lines{"text 96 0 A"};
    QTest::newRow("ESC {: right-justified, turned") << ESC + "{" + n(1) + "AB\n" << head + Lines{"text 552 0 AB turn2"};
    QTest::newRow("ESC {: taller characters at the top")
        << ESC + "{" + n(1) + "A" + GS + "!" + n(1) + "B\n" << Lines{"receipt 1 open 48", "line 0 48", "text 564 0 A turn2", "text 552 0 B 1x2 turn2"};
    QTest::newRow("ESC {: within the printable area") << GS + "L" + word(100) + GS + "W" + word(200) + ESC + "{" + n(1) + "A\n"
                                                     << head + Lines{"text 288 0 A turn2"};
    QTest::newRow("ESC {: a column image turned too")
        << ESC + "{" + n(1) + ESC + "*" + n(1) + word(2) + QByteArray::fromHex("80C0") + "\n"
        << Lines{"receipt 1 open 30", "line 0 30", "column 574 0 2x8 00 00 00 00 00 00 80 C0"};
    QTest::newRow("ESC { takes the next line") << "A" + ESC + "{" + n(1) + "B\nC\n"
                                               << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 A", "text 12 0 B", "line 30 30",
                                                        "text 564 30 C turn2"};
    QTest::newRow("ESC V: on their side, 24 dots apart") << ESC + "V" + n(1) + "AB\n" << head + Lines{"text 0 0 AB V"};
    QTest::newRow("ESC V wraps at 24 characters") << ESC + "V1" + QByteArray(25, 'x') + "\n"
                                                  << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 " + QString(24, 'x') + " V",
                                                           "line 30 30", "text 0 30 x V"};
    QTest::newRow("GS P changes nothing") << GS + "P" + n(180) + n(180) + ESC + "$" + word(100) + "A\n" << head + Lines{"text 100 0 A"};
}

void TestReceiptFamilies::positions()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(interpret(stream), expected);
}

// The same stream in each direction, and what page mode does with the rest.
void TestReceiptFamilies::pageMode_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");
    QTest::addColumn<QString>("note");

    const Lines head{"receipt 1 open 100", "line 0 100"};
    QTest::newRow("0 left to right") << page(0) << head + Lines{"text 0 0 AB", "text 0 30 C"} << QString();
    QTest::newRow("1 bottom to top") << page(1) << head + Lines{"text 0 76 AB turn3", "text 30 88 C turn3"} << QString();
    QTest::newRow("2 right to left") << page(2) << head + Lines{"text 176 76 AB turn2", "text 188 46 C turn2"} << QString();
    QTest::newRow("3 top to bottom") << page(3) << head + Lines{"text 176 0 AB turn1", "text 146 0 C turn1"} << QString();
    QTest::newRow("digit 3") << ESC + "L" + ESC + "W" + word(0) + word(0) + word(200) + word(100) + ESC + "T3AB\x0C"
                             << head + Lines{"text 176 0 AB turn1"} << QString();
    QTest::newRow("the area's place on the page")
        << ESC + "L" + ESC + "W" + word(40) + word(20) + word(100) + word(50) + "A\x0C"
        << Lines{"receipt 1 open 70", "line 0 70", "text 40 20 A"} << QString();
    QTest::newRow("GS $ and GS \\") << ESC + "L" + ESC + "W" + word(0) + word(0) + word(100) + word(100) + GS + "$" + word(50) + "A" + GS + "\\"
                                           + word(0xFFEC) + "B\x0C"
                                    << head + Lines{"text 0 50 A", "text 12 30 B"} << QString();
    QTest::newRow("a graphic turned") << ESC + "L" + ESC + "W" + word(0) + word(0) + word(16) + word(16) + ESC + "T" + n(1)
                                             + gsL("p0" + n(1) + n(1) + "1" + word(8) + word(2) + QByteArray::fromHex("FF80")) + gsL("2") + "\x0C"
                                      << Lines{"receipt 1 open 16", "line 0 16", "raster 0 8 2x8 80 80 80 80 80 80 80 C0"} << QString();
    QTest::newRow("GS v 0 and NV bit images: not in page mode")
        << ESC + "L" + GS + "v0" + n(0) + word(1) + word(1) + "\xFF" + FS + "q" + n(1) + word(1) + word(1) + QByteArray(8, '\xFF') + "A\x0C"
        << Lines{"receipt 1 open 1662", "line 0 1662", "text 0 0 A"}
        << "GS v 0 is not printed in page mode: its data is read past|NV bit images are neither defined nor printed in page mode";
    QTest::newRow("outside the area: not printed")
        << ESC + "L" + ESC + "W" + word(0) + word(0) + word(24) + word(30) + "ABC\x0C" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB"}
        << "page mode: what falls outside the print area is not printed";
    QTest::newRow("ESC FF prints and keeps") << ESC + "L" + ESC + "W" + word(0) + word(0) + word(100) + word(30) + "A" + ESC + "\x0C" + ESC + "\x0C"
                                             << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 A", "line 30 30", "text 0 30 A"}
                                             << "the stream ended in page mode: the page was never printed (FF), so it is not on the paper";
    QTest::newRow("CAN empties the page") << ESC + "L" + ESC + "W" + word(0) + word(0) + word(100) + word(30) + "A\x18" + "B\x0C"
                                          << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 B"} << QString();
    QTest::newRow("line spacing kept for each mode")
        << ESC + "3" + n(40) + ESC + "L" + ESC + "W" + word(0) + word(0) + word(100) + word(60) + ESC + "3" + n(20) + "A\nB\x0C" + "C\nD\n"
        << Lines{"receipt 1 open 140", "line 0 60", "text 0 0 A", "text 0 24 B", "line 60 40", "text 0 60 C", "line 100 40", "text 0 100 D"}
        << QString();
    QTest::newRow("ESC S drops it") << ESC + "L" + "A" + ESC + "S" + "B\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 B"} << QString();
    QTest::newRow("ESC @ drops it") << ESC + "L" + "A" + ESC + "@" + "B\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 B"} << QString();
    QTest::newRow("ESC L after text: ignored") << "A" + ESC + "L" + "B\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A", "text 12 0 B"}
                                               << "ESC L after text on the line: page mode starts only at the beginning of a line, ignored";
    QTest::newRow("never printed: noted") << ESC + "L" + "A\n" << Lines{}
                                          << "the stream ended in page mode: the page was never printed (FF), so it is not on the paper";
    QTest::newRow("ESC { and ESC V wait for standard mode")
        << ESC + "{" + n(1) + ESC + "V" + n(1) + ESC + "L" + ESC + "W" + word(0) + word(0) + word(100) + word(30) + "A\x0C" + "B\n"
        << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 A", "line 30 30", "text 552 30 B V turn2"} << QString();
}

void TestReceiptFamilies::pageMode()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QFETCH(QString, note);
    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    QCOMPARE(describeAll(interpreter), expected);
    const QStringList notes = interpreter.takeNotes();
    QCOMPARE(notes.join(QLatin1Char('|')), note);
}

void TestReceiptFamilies::graphics_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");

    const QByteArray rows = QByteArray::fromHex("F00F8001");
    const QByteArray store = gsL("p0" + n(1) + n(1) + "1" + word(16) + word(2) + rows);
    QTest::newRow("print buffer: stored, printed once") << store + gsL(n(2)) + gsL(n(2))
                                                         << Lines{"receipt 1 open 2", "line 0 2", "raster 0 0 16x2 F00F 8001"};
    QTest::newRow("print buffer, digit function, scaled")
        << gsL("p0" + n(2) + n(2) + "1" + word(4) + word(1) + "\xA0") + gsL("2")
        << Lines{"receipt 1 open 2", "line 0 2", "raster 0 0 8x2 CC CC"};
    QTest::newRow("print buffer, column format") << gsL("q0" + n(1) + n(1) + "1" + word(2) + word(8) + "\x81\x00") + gsL("2")
                                                 << Lines{"receipt 1 open 8", "line 0 8", "raster 0 0 2x8 80 00 00 00 00 00 00 80"};
    QTest::newRow("GS 8 L, justified") << ESC + "a" + n(1) + GS + "8L" + word(14) + word(0) + "0p0" + n(1) + n(1) + "1" + word(16) + word(2)
                                              + rows + gsL("2")
                                       << Lines{"receipt 1 open 2", "line 0 2", "raster 280 0 16x2 F00F 8001"};
    QTest::newRow("the padding bits of a row are not ink") << gsL("p0" + n(1) + n(1) + "1" + word(4) + word(1) + "\xFF") + gsL("2")
                                                           << Lines{"receipt 1 open 1", "line 0 1", "raster 0 0 4x1 F0"};
    QTest::newRow("wider than the paper: cut at its edge")
        << gsL("p0" + n(1) + n(1) + "1" + word(600) + word(1) + QByteArray(75, '\xFF')) + gsL("2")
        << Lines{"receipt 1 open 1", "line 0 1", "raster 0 0 576x1"};
    QTest::newRow("NV graphic: defined, printed twice, double size")
        << gsL("C0AB" + n(1) + word(8) + word(1) + "1\x81") + gsL("EAB" + n(1) + n(1)) + ESC + "@" + gsL("EAB" + n(2) + n(2))
        << Lines{"receipt 1 open 3", "line 0 1", "raster 0 0 8x1 81", "line 1 2", "raster 0 1 16x2 C003 C003"};
    QTest::newRow("NV graphic, column format") << gsL("D0AB" + n(1) + word(1) + word(8) + "1\xC0") + gsL("EAB" + n(1) + n(1))
                                               << Lines{"receipt 1 open 8", "line 0 8", "raster 0 0 1x8 80 80 00 00 00 00 00 00"};
    QTest::newRow("NV graphic deleted, then all") << gsL("C0AB" + n(1) + word(8) + word(1) + "1\xFF") + gsL("C0CD" + n(1) + word(8) + word(1) + "1\x0F")
                                                         + gsL("BAB") + gsL("EAB" + n(1) + n(1)) + gsL("ECD" + n(1) + n(1))
                                                         + gsL("ACLR") + gsL("ECD" + n(1) + n(1))
                                                  << Lines{"receipt 1 open 1", "line 0 1", "raster 0 0 8x1 0F"};
    QTest::newRow("FS q, FS p") << FS + "q" + n(2) + word(1) + word(1) + QByteArray(8, '\x80') + word(1) + word(1) + QByteArray(8, '\x01')
                                       + FS + "p" + n(2) + n(0) + FS + "p" + n(1) + "3"
                                << Lines{"receipt 1 open 24", "line 0 8", "raster 0 0 8x8 00 00 00 00 00 00 00 FF", "line 8 16",
                                         "raster 0 8 16x16"};
    QTest::newRow("FS q replaces the images before") << FS + "q" + n(1) + word(1) + word(1) + QByteArray(8, '\x80') + FS + "q" + n(1) + word(1)
                                                            + word(1) + QByteArray(8, '\x01') + FS + "p" + n(1) + n(0) + FS + "p" + n(2) + n(0)
                                                     << Lines{"receipt 1 open 8", "line 0 8", "raster 0 0 8x8 00 00 00 00 00 00 00 FF"};
    QTest::newRow("a huge declared length: read past, bounded")
        << GS + "8L" + word(0xFFFF) + word(0xFFFF) + "0p0" + n(1) + n(1) + "1" + word(8) + word(1) + "\xFF" + QByteArray(5000, 'x')
        << Lines{};
}

void TestReceiptFamilies::graphics()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(interpret(stream), expected);
}

// NV graphics and bit images belong to the printer: they stay through ESC @,
// a view's Clear and power off, and never pass the capacity.
void TestReceiptFamilies::nvMemory()
{
    ReceiptInterpreter interpreter;
    interpreter.setNvCapacity(100);
    interpreter.feed(gsL("C0AB" + n(1) + word(8) + word(8) + "1" + QByteArray(8, '\xFF')));
    interpreter.feed(FS + "q" + n(1) + word(1) + word(1) + QByteArray(8, '\x80'));
    QCOMPARE(interpreter.nvGraphics().used(), qsizetype(16));
    // 96 x 8 dots take 96 bytes: with 16 taken, past 100.
    interpreter.feed(gsL("C0CD" + n(1) + word(96) + word(8) + "1" + QByteArray(96, '\xFF')));
    QCOMPARE(interpreter.takeNotes(),
             QStringList{"NV graphic 'CD' (96 bytes) does not fit the NV memory (84 of 100 bytes free): not defined"});
    QCOMPARE(interpreter.nvGraphics().keys(), QList<QByteArray>{"AB"});
    interpreter.reset();
    interpreter.clearPaper();
    interpreter.feed(ESC + "@" + gsL("EAB" + n(1) + n(1)) + FS + "p" + n(1) + n(0));
    const QStringList printed = describeAll(interpreter);
    QCOMPARE(printed.size(), 5);
    QVERIFY(printed[2].startsWith(QLatin1String("raster 0 0 8x8")));
    QVERIFY(printed[4].startsWith(QLatin1String("raster 0 8 8x8")));
}

void TestReceiptFamilies::nvRepliesAndCapacity()
{
    ReceiptInterpreter interpreter;
    QList<QByteArray> requests;
    interpreter.setRequestHandler([&requests](const QByteArray &command) { requests.append(command); });
    interpreter.feed(gsL("0") + gsL("3") + gsL("@KC") + gsL("@XX"));
    QCOMPARE(requests.size(), 3); // the last is not a request of the list
    QCOMPARE(interpreter.graphicsReply(requests[0]), QByteArray("70393216", 8) + '\0');
    QCOMPARE(interpreter.graphicsReply(requests[1]), QByteArray("71393216", 8) + '\0');
    QCOMPARE(interpreter.graphicsReply(requests[2]), QByteArray("7r\x40", 3) + '\0');
    QCOMPARE(interpreter.graphicsReply(GS + "8L" + word(2) + word(0) + "0" + n(0)), QByteArray("70393216", 8) + '\0');
    QCOMPARE(interpreter.graphicsReply(ESC + "@"), QByteArray());

    // 45 key codes: a block of 40, marked as followed by another, then 5.
    for (int i = 0; i < 45; ++i)
        interpreter.feed(gsL("C0" + n('A' + i / 10) + n('0' + i % 10) + n(1) + word(8) + word(1) + "1\xFF"));
    const QByteArray list = interpreter.graphicsReply(requests[2]);
    QCOMPARE(list.size(), 3 + 80 + 1 + 3 + 10 + 1);
    QCOMPARE(list.left(5), QByteArray("7r\x41" "A0", 5));
    QCOMPARE(list.mid(84, 5), QByteArray("7r\x40" "E0", 5));
    QVERIFY(list.endsWith(QByteArray("E4\0", 3)));
    QCOMPARE(interpreter.graphicsReply(requests[1]), QByteArray("7") + "1" + QByteArray::number(393216 - 45) + '\0');
}

void TestReceiptFamilies::symbols2D_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("read"); // format and text as the decoder reads them back; empty: not decoded
    QTest::addColumn<QSize>("size");   // the symbol's dots

    QTest::newRow("PDF417") << symbol("0C" + n(2)) + symbol("0P0Marlix PDF417") + symbol("0Q0") << "PDF417 Marlix PDF417" << QSize(206, 42);
    QTest::newRow("PDF417, columns, level by ratio")
        << symbol("0A" + n(4)) + symbol("0E1" + n(20)) + symbol("0P0Receipt 123") + symbol("0Q0") << "PDF417 Receipt 123" << QSize(411, 54);
    QTest::newRow("PDF417, truncated") << symbol("0F" + n(1)) + symbol("0P0Short") + symbol("0Q0") << "PDF417 Short" << QSize(207, 36);
    QTest::newRow("Aztec Code") << symbol("5C" + n(4)) + symbol("5P0Aztec on paper") + symbol("5Q0") << "Aztec Aztec on paper" << QSize(76, 76);
    QTest::newRow("Aztec Code, full-range, 5 layers") << symbol("5B" + n(0) + n(5)) + symbol("5P0Big") + symbol("5Q0") << "Aztec Big"
                                                      << QSize(111, 111);
    QTest::newRow("Data Matrix") << symbol("6C" + n(4)) + symbol("6P0Data Matrix") + symbol("6Q0") << "DataMatrix Data Matrix"
                                 << QSize(64, 64);
    QTest::newRow("Data Matrix, 32 x 8 rectangle") << symbol("6B" + n(1) + n(32) + n(8)) + symbol("6P0Rect") + symbol("6Q0")
                                                   << "DataMatrix Rect" << QSize(96, 24);
    QTest::newRow("MaxiCode, mode 4") << symbol("2A4") + symbol("2P0MaxiCode 4") + symbol("2Q0") << "MaxiCode MaxiCode 4" << QSize(239, 232);
    QTest::newRow("GS1 DataBar, stacked omnidirectional") << symbol("3P0I0950110153000") + symbol("3Q0") << "DataBar 09501101530003"
                                                          << QSize(100, 138);
    QTest::newRow("GS1 DataBar, expanded stacked") << symbol("3P0L(01)09501101530003(17)250101") + symbol("3Q0") << QString() << QSize(204, 142);
    QTest::newRow("GS1 DataBar, expanded stacked, rows at most 110 dots")
        << symbol("3G" + word(110)) + symbol("3P0L(01)09501101530003(17)250101") + symbol("3Q0") << QString() << QSize(106, 290);
    QTest::newRow("Composite, EAN-13 and CC-A") << symbol("4P00B331234567890") + symbol("4P01A(99)1234-abcd") + symbol("4Q0") << QString()
                                                << QSize(198, 100);
}

void TestReceiptFamilies::symbols2D()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, read);
    QFETCH(QSize, size);

    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    const Receipt receipt = interpreter.finish();
    QCOMPARE(receipt.lines.size(), 1);
    QCOMPARE(receipt.lines[0].images.size(), 1);
    const DotImage &dots = receipt.lines[0].images[0];
    QCOMPARE(dots.kind, DotImage::Kind::Symbol);
    QCOMPARE(dots.dots.size(), size);
    QVERIFY(interpreter.takeNotes().isEmpty());
    if (read.isEmpty())
        return;
    if (!haveSymbolReader())
        QSKIP("python3-zxing-cpp is not installed (tools/setup-deps.sh installs it)");
    QCOMPARE(readSymbol(dots.dots), read);
}

void TestReceiptFamilies::events_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("events"); // kind, drawer, y

    QTest::newRow("BEL") << QByteArray("A\n\x07") << QStringList{"beep 30"};
    QTest::newRow("ESC B, not 0 times") << ESC + "B" + n(3) + n(2) + ESC + "B" + n(0) + n(2) + "A\n" << QStringList{"beep 0"};
    QTest::newRow("ESC ( A") << "A\nB\n" + ESC + "(A" + word(4) + "0" + n(0x31) + n(1) + n(2) << QStringList{"beep 60"};
    QTest::newRow("drawers") << ESC + "p" + n(0) + n(25) + n(250) + "A\n" + ESC + "p1" + n(1) + n(1) + DLE + "\x14" + n(1) + n(1) + n(1)
                             << QStringList{"drawer 1 0", "drawer 2 30", "drawer 2 30 at once"};
    QTest::newRow("in page mode: where the paper is") << "A\n" + ESC + "L\x07" + "B\x0C" << QStringList{"beep 30"};
}

void TestReceiptFamilies::events()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, events);
    ReceiptInterpreter interpreter;
    QStringList handled;
    interpreter.setEventHandler([&handled](const ReceiptEvent &event, int) { handled << QString::number(event.y); });
    interpreter.feed(stream);
    QStringList seen;
    for (const ReceiptEvent &event : interpreter.finish().events) {
        seen << (event.kind == ReceiptEvent::Kind::Beep ? QStringLiteral("beep %1").arg(event.y)
                                                        : QStringLiteral("drawer %1 %2%3").arg(event.drawer).arg(event.y).arg(event.realTime ? " at once" : ""));
    }
    QCOMPARE(seen, events);
    QCOMPARE(handled.size(), events.size());
}

QTEST_GUILESS_MAIN(TestReceiptFamilies)
#include "tst_receipt_families.moc"
