// The receipt interpreter: bytes in, receipts out, as the printer prints them.
#include "support/ReceiptText.h"

#include "printer/device/MacroStore.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptTextDump.h"

#include <QRandomGenerator>
#include <QtTest>

using Lines = QStringList;
using Sizes = QList<int>;

using namespace PrinterBytes;

namespace {
QByteArray raster(int mode, int bytesPerRow, int rows, const QByteArray &data)
{
    return GS + "v0" + n(mode) + word(bytesPerRow) + word(rows) + data;
}

QStringList interpret(const QByteArray &stream, const Sizes &chunks = {})
{
    ReceiptInterpreter interpreter;
    feedInChunks(interpreter, stream, chunks);
    return describeAll(interpreter);
}

// A stream with something of everything, for the chunking tests.
QByteArray everything()
{
    QByteArray s = ESC + "@" + ESC + "a" + n(1) + ESC + "!" + n(0x38) + "MARLIX" + ESC + "!" + n(0) + "\n";
    s += ESC + "a" + n(0) + "Plain\tTab" + ESC + "E" + n(1) + "Bold" + ESC + "E" + n(0) + ESC + "-" + n(2) + "Under\n";
    s += ESC + "M" + n(1) + QByteArray(70, 'b') + ESC + "M" + n(0) + GS + "B" + n(1) + "Rev" + GS + "B" + n(0) + "\n";
    s += GS + "!" + n(0x32) + "Big" + GS + "!" + n(0) + ESC + " " + n(4) + "Sp" + ESC + " " + n(0) + "\r\n";
    s += ESC + "t" + n(16) + "\x80\xC4" + ESC + "t" + n(0) + "\xC4\xDB\n" + ESC + "{" + n(1) + ESC + "3" + n(40) + "x\n" + ESC + "2";
    s += raster(3, 2, 3, QByteArray::fromHex("F00F8001FFFF")) + ESC + "*" + n(0x21) + word(2) + QByteArray::fromHex("800001FFFFFF") + "c\n";
    s += GS + "H" + n(3) + GS + "w" + n(2) + GS + "h" + n(40) + GS + "k" + n(2) + "400638133393" + n(0);
    s += GS + "k" + n(0x49) + n(7) + "{BHello" + GS + "k" + n(2) + "12AB" + n(0);
    s += qrFunction("1C" + n(2)) + qrFunction("1P0https://marlix.example") + qrFunction("1Q0");
    s += GS + "(L" + word(2) + "01" + DLE + "\x04" + n(1) + ESC + "J" + n(20) + ESC + "d" + n(2) + "end" + GS + "V" + n(0x41) + n(8);
    s += GS + "L" + word(16) + "margin\n" + GS + "V" + n(1) + "open";
    return s;
}
} // namespace

class TestReceiptInterpreter : public QObject
{
    Q_OBJECT
private slots:
    void text_data();
    void text();
    void cuts_data();
    void cuts();
    void images_data();
    void images();
    void symbols_data();
    void symbols();
    void symbolMessages_data();
    void symbolMessages();
    void unknownCommands_data();
    void unknownCommands();
    void lengthCap_data();
    void lengthCap();
    void sameReceiptsHoweverSplit_data();
    void sameReceiptsHoweverSplit();
    void columnImageDots();
    void drawingBudgetCutsOverprinting();
    void sourceRanges();
    void liveView();
    void retainedReceipts();
    void macrosPrint_data();
    void macrosPrint();
    void clearPaperKeepsThePrinter_data();
    void clearPaperKeepsThePrinter();
    void waitingCommandAndReset_data();
    void waitingCommandAndReset();
    void symbolCutAtTheEdgeIsSaid();
    void imageCutAtTheEdgeOrShortIsSaid();
};

void TestReceiptInterpreter::text_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");

    const Lines ab{"receipt 1 open 30", "line 0 30", "text 0 0 AB"};
    QTest::newRow("plain") << QByteArray("AB\n") << ab;
    QTest::newRow("CR and stray control bytes print nothing") << QByteArray("A\rB\x01\x7F\n")
                                                               << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A", "text 12 0 B"};
    QTest::newRow("font B") << ESC + "M" + n(1) + "AB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB B"};
    QTest::newRow("font digit") << ESC + "M1AB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB B"};
    QTest::newRow("font 2 ignored") << ESC + "M" + n(2) + "AB\n" << ab;
    QTest::newRow("sizes share the bottom") << "A" + GS + "!" + n(0x01) + "B\n"
                                            << Lines{"receipt 1 open 48", "line 0 48", "text 0 24 A", "text 12 0 B 1x2"};
    QTest::newRow("double width") << ESC + "!" + n(0x20) + "AB" + ESC + "!" + n(0) + "C\n"
                                  << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB 2x1", "text 48 0 C"};
    QTest::newRow("print mode, every bit") << ESC + "!" + n(0xB9) + "A\n" << Lines{"receipt 1 open 34", "line 0 34", "text 0 0 A B E U1 2x2"};
    QTest::newRow("emphasized") << ESC + "E" + n(1) + "A" + ESC + "E" + n(0) + "B\n"
                                << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A E", "text 12 0 B"};
    QTest::newRow("emphasized, bit 0 only") << ESC + "E" + n(0xFE) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("double strike draws emphasized") << ESC + "G" + n(1) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A E"};
    QTest::newRow("underline 2") << ESC + "-" + n(2) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A U2"};
    QTest::newRow("underline digit 1") << ESC + "-1A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A U1"};
    QTest::newRow("underline 3 ignored") << ESC + "-" + n(1) + ESC + "-" + n(3) + "A\n"
                                         << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A U1"};
    QTest::newRow("reverse") << GS + "B" + n(1) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A R"};
    QTest::newRow("character spacing") << ESC + " " + n(3) + "AB" + ESC + " " + n(0) + "C\n"
                                       << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB sp3", "text 30 0 C"};
    QTest::newRow("spacing doubles with the width") << ESC + " " + n(3) + GS + "!" + n(0x10) + "AB" + GS + "!" + n(0) + "C\n"
                                                    << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB 2x1 sp3", "text 60 0 C sp3"};
    QTest::newRow("8 x 8") << GS + "!" + n(0x77) + "A\n" << Lines{"receipt 1 open 192", "line 0 192", "text 0 0 A 8x8"};
    QTest::newRow("width 9 ignored") << GS + "!" + n(0x80) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("height 9 ignored") << GS + "!" + n(0x08) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("centred") << ESC + "a" + n(1) + "AB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 276 0 AB"};
    QTest::newRow("right, digit") << ESC + "a2AB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 552 0 AB"};
    QTest::newRow("justification 3 ignored") << ESC + "a" + n(3) + "AB\n" << ab;
    QTest::newRow("justification takes the next line") << "A" + ESC + "a" + n(1) + "B\nC\n"
                                                        << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 A", "text 12 0 B",
                                                                 "line 30 30", "text 282 30 C"};
    QTest::newRow("wraps at 48") << QByteArray(49, 'X') + "\n"
                                 << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 " + QString(48, 'X'), "line 30 30", "text 0 30 X"};
    QTest::newRow("font B wraps at 64") << ESC + "M" + n(1) + QByteArray(65, 'X') + "\n"
                                        << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 " + QString(64, 'X') + " B", "line 30 30",
                                                 "text 0 30 X B"};
    QTest::newRow("tab") << QByteArray("A\tB\n") << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A", "text 96 0 B"};
    QTest::newRow("tab, font B") << ESC + "M" + n(1) + "A\tB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A B", "text 72 0 B B"};
    QTest::newRow("tab past the edge wraps") << QByteArray("A\t\t\t\t\t\tB\n")
                                             << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 A", "line 30 30", "text 0 30 B"};
    QTest::newRow("left margin") << GS + "L" + word(64) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 64 0 A"};
    QTest::newRow("printable width") << GS + "W" + word(120) + QByteArray(11, 'A') + "\n"
                                     << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 AAAAAAAAAA", "line 30 30", "text 0 30 A"};
    // Never narrower than 96 dots: random bytes must not leave lines one character wide.
    QTest::newRow("width below 96 dots: widened") << GS + "W" + word(24) + "ABCDEFGHI\n"
                                                  << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 ABCDEFGH", "line 30 30", "text 0 30 I"};
    QTest::newRow("margin and width within the paper") << GS + "L" + word(400) + GS + "W" + word(576) + "ABCDEFGHIJKLMNOP\n"
                                                       << Lines{"receipt 1 open 60", "line 0 30", "text 400 0 ABCDEFGHIJKLMN", "line 30 30",
                                                                "text 400 30 OP"};
    QTest::newRow("margin past the paper: clamped") << GS + "L" + word(35539) + "ABCDEFGHI\n"
                                                    << Lines{"receipt 1 open 60", "line 0 30", "text 480 0 ABCDEFGH", "line 30 30",
                                                             "text 480 30 I"};
    QTest::newRow("margin takes the next line") << "A" + GS + "L" + word(24) + "B\nC\n"
                                                << Lines{"receipt 1 open 60", "line 0 30", "text 0 0 A", "text 12 0 B", "line 30 30",
                                                         "text 24 30 C"};
    QTest::newRow("line spacing") << ESC + "3" + n(60) + "A\nB\n"
                                  << Lines{"receipt 1 open 120", "line 0 60", "text 0 0 A", "line 60 60", "text 0 60 B"};
    QTest::newRow("line spacing 0: the character's height") << ESC + "3" + n(0) + "A\nB\n"
                                                            << Lines{"receipt 1 open 48", "line 0 24", "text 0 0 A", "line 24 24",
                                                                     "text 0 24 B"};
    QTest::newRow("ESC 2 back to 30") << ESC + "3" + n(60) + ESC + "2A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("ESC d 3") << "A" + ESC + "d" + n(3) + "B\n"
                             << Lines{"receipt 1 open 120", "line 0 30", "text 0 0 A", "line 90 30", "text 0 90 B"};
    QTest::newRow("ESC d 0 prints in place") << "A" + ESC + "d" + n(0) + "B\n"
                                             << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A", "line 0 30", "text 0 0 B"};
    QTest::newRow("ESC J") << "A" + ESC + "J" + n(100) + "B\n"
                           << Lines{"receipt 1 open 130", "line 0 30", "text 0 0 A", "line 100 30", "text 0 100 B"};
    QTest::newRow("empty lines feed") << QByteArray("\n\nA\n")
                                      << Lines{"receipt 1 open 90", "feed 0 30", "feed 30 30", "line 60 30", "text 0 60 A"};
    QTest::newRow("ESC J, nothing printed") << ESC + "J" + n(7) + "A\n" << Lines{"receipt 1 open 37", "feed 0 7", "line 7 30", "text 0 7 A"};
    QTest::newRow("ESC d, nothing printed") << ESC + "3" + n(20) + ESC + "d" + n(2) << Lines{"receipt 1 open 40", "feed 0 40"};
    QTest::newRow("ESC @ empties the line") << "AB" + ESC + "@C\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 C"};
    QTest::newRow("ESC @ resets the modes") << ESC + "E" + n(1) + ESC + "a" + n(1) + GS + "!" + n(0x11) + ESC + "M" + n(1) + ESC + "@C\n"
                                            << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 C"};
    QTest::newRow("code page 437") << QByteArray("\x80\xFF\n") << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 \\x80\\xff"};
    QTest::newRow("code page 1252") << ESC + "t" + n(16) + "\x80\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 \\x80 cp16"};
    QTest::newRow("another page draws 437") << ESC + "t" + n(99) + "\x80\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 \\x80"};
    QTest::newRow("nothing at all") << QByteArray("\r\x01") << Lines{};
}

void TestReceiptInterpreter::text()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(interpret(stream), expected);
}

void TestReceiptInterpreter::cuts_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");

    const Lines aFull{"receipt 1 full 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("full, then partial") << "A\n" + GS + "V" + n(0) + "B\n" + GS + "V" + n(1)
                                        << aFull + Lines{"receipt 2 partial 30", "line 0 30", "text 0 0 B"};
    QTest::newRow("digits") << "A\n" + GS + "V0B\n" + GS + "V1" << aFull + Lines{"receipt 2 partial 30", "line 0 30", "text 0 0 B"};
    QTest::newRow("feed, then full cut") << "A\n" + GS + "VA" + n(16)
                                         << Lines{"receipt 1 full 46", "line 0 30", "text 0 0 A", "feed 30 16"};
    QTest::newRow("feed, then partial cut") << "A\n" + GS + "VB" + n(0) << Lines{"receipt 1 partial 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("ESC i") << "A\n" + ESC + "i" << Lines{"receipt 1 partial 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("ESC m") << "A\n" + ESC + "m" << Lines{"receipt 1 partial 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("the line in progress is printed first") << "A" + GS + "V" + n(0) << aFull;
    QTest::newRow("blank paper is not cut") << GS + "V" + n(0) + GS + "V" + n(0) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("two cuts, one receipt") << "A\n" + GS + "V" + n(0) + GS + "V" + n(1) << aFull;
    QTest::newRow("fed paper alone is a receipt") << "\n" + GS + "V" + n(0) << Lines{"receipt 1 full 30", "feed 0 30"};
    QTest::newRow("modes survive a cut") << ESC + "E" + n(1) + "A\n" + GS + "V" + n(0) + "B\n"
                                         << Lines{"receipt 1 full 30", "line 0 30", "text 0 0 A E", "receipt 2 open 30", "line 0 30",
                                                  "text 0 0 B E"};
}

void TestReceiptInterpreter::cuts()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(interpret(stream), expected);
}

void TestReceiptInterpreter::images_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");

    const QByteArray rows = QByteArray::fromHex("F00F8001FFFF");
    QTest::newRow("raster") << raster(0, 2, 3, rows) << Lines{"receipt 1 open 3", "line 0 3", "raster 0 0 16x3 F00F 8001 FFFF"};
    QTest::newRow("raster, mode digit") << raster('0', 2, 3, rows) << Lines{"receipt 1 open 3", "line 0 3", "raster 0 0 16x3 F00F 8001 FFFF"};
    QTest::newRow("raster, double width") << raster(1, 1, 1, n(0xA0)) << Lines{"receipt 1 open 1", "line 0 1", "raster 0 0 16x1 CC00"};
    QTest::newRow("raster, double height") << raster(2, 1, 2, QByteArray::fromHex("8001"))
                                           << Lines{"receipt 1 open 4", "line 0 4", "raster 0 0 8x4 80 80 01 01"};
    QTest::newRow("raster, both") << raster('3', 1, 1, n(0x81)) << Lines{"receipt 1 open 2", "line 0 2", "raster 0 0 16x2 C003 C003"};
    QTest::newRow("raster, centred") << ESC + "a" + n(1) + raster(0, 1, 1, n(0xFF)) << Lines{"receipt 1 open 1", "line 0 1", "raster 284 0 8x1 FF"};
    QTest::newRow("raster, right") << ESC + "a" + n(2) + raster(0, 1, 1, n(0xFF)) << Lines{"receipt 1 open 1", "line 0 1", "raster 568 0 8x1 FF"};
    QTest::newRow("raster, left margin") << GS + "L" + word(100) + raster(0, 1, 1, n(0xFF))
                                         << Lines{"receipt 1 open 1", "line 0 1", "raster 100 0 8x1 FF"};
    QTest::newRow("raster on a line of its own") << "A" + raster(0, 1, 1, n(0xFF)) + "B\n"
                                                 << Lines{"receipt 1 open 61", "line 0 30", "text 0 0 A", "line 30 1", "raster 0 30 8x1 FF",
                                                          "line 31 30", "text 0 31 B"};
    QTest::newRow("raster wider than the paper is cut") << raster(0, 100, 1, QByteArray(100, '\xFF')) + "A\n"
                                                        << Lines{"receipt 1 open 31", "line 0 1", "raster 0 0 576x1", "line 1 30",
                                                                 "text 0 1 A"};
    QTest::newRow("raster cut at the margin's width") << GS + "L" + word(460) + raster(0, 16, 1, QByteArray(16, '\xFF'))
                                                      << Lines{"receipt 1 open 1", "line 0 1", "raster 460 0 116x1"};
    QTest::newRow("the largest raster row keeps the stream in step") << raster(0, 0xFFFF, 1, QByteArray(0xFFFF, '\0')) + "A\n"
                                                                     << Lines{"receipt 1 open 31", "line 0 1", "raster 0 0 576x1",
                                                                              "line 1 30", "text 0 1 A"};
    QTest::newRow("raster without width prints nothing") << raster(0, 0, 5, {}) + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("raster mode 4 is skipped whole") << raster(4, 1, 1, n(0xFF)) + "A\n"
                                                    << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("column, 8 dots, double width") << ESC + "*" + n(0) + word(2) + QByteArray::fromHex("817E") + "\n"
                                                  << Lines{"receipt 1 open 30", "line 0 30", "column 0 0 4x8 C0 30 30 30 30 30 30 C0"};
    QTest::newRow("column, 8 dots") << ESC + "*" + n(1) + word(2) + QByteArray::fromHex("817E") + "\n"
                                    << Lines{"receipt 1 open 30", "line 0 30", "column 0 0 2x8 80 40 40 40 40 40 40 80"};
    QTest::newRow("column on a text line") << "AB" + ESC + "*" + n(1) + word(2) + QByteArray::fromHex("FFFF") + "C\n"
                                           << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB", "text 26 0 C",
                                                    "column 24 16 2x8 C0 C0 C0 C0 C0 C0 C0 C0"};
    QTest::newRow("column cut at the right edge") << QByteArray(47, 'X') + ESC + "*" + n(1) + word(20) + QByteArray(20, '\xFF') + "\n"
                                                  << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 " + QString(47, 'X'),
                                                           "column 564 16 12x8 FFF0 FFF0 FFF0 FFF0 FFF0 FFF0 FFF0 FFF0"};
    QTest::newRow("column, 24 dots") << ESC + "*" + n(0x21) + word(1) + QByteArray::fromHex("800001") + "\n"
                                     << Lines{"receipt 1 open 30", "line 0 30", "column 0 0 1x24"};
    // The printer has fed the band it printed: a logo of 24-dot bands, each
    // fed by ESC J 0 at a line spacing of 16, stacks (as bands ended by LF do).
    const QByteArray band = ESC + "*" + n(0x21) + word(1) + QByteArray::fromHex("800001");
    const Lines stacked{"receipt 1 open 72", "line 0 24", "column 0 0 1x24", "line 24 24", "column 0 24 1x24", "line 48 24", "text 0 48 A"};
    QTest::newRow("bands fed by ESC J 0 stack") << ESC + "3" + n(16) + band + ESC + "J" + n(0) + band + ESC + "J" + n(0) + "A\n" << stacked;
    QTest::newRow("bands ended by LF at spacing 0") << ESC + "3" + n(0) + band + "\n" + band + "\n" + ESC + "3" + n(16) + "A\n" << stacked;
    QTest::newRow("ESC J less than the text's height") << "A" + ESC + "J" + n(10) + "B\n"
                                                       << Lines{"receipt 1 open 54", "line 0 30", "text 0 0 A", "line 24 30", "text 0 24 B"};
    QTest::newRow("column mode 2 is unknown") << ESC + "*" + n(2) + "AB\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 AB"};
}

void TestReceiptInterpreter::images()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(interpret(stream), expected);
}

void TestReceiptInterpreter::symbols_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");

    const QByteArray small = GS + "w" + n(2) + GS + "h" + n(50);
    const QByteArray ean = GS + "k" + n(2) + "400638133393" + n(0);
    QTest::newRow("EAN-13") << small + ean << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 190x50"};
    QTest::newRow("EAN-13, counted") << small + GS + "k" + n(0x43) + n(13) + "4006381333931"
                                     << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 190x50"};
    QTest::newRow("text below") << small + GS + "H" + n(2) + ean
                                << Lines{"receipt 1 open 74", "line 0 74", "text 17 50 4006381333931 cp16", "barcode 0 0 190x50"};
    QTest::newRow("text above and below") << small + GS + "H3" + ean
                                          << Lines{"receipt 1 open 98", "line 0 98", "text 17 0 4006381333931 cp16",
                                                   "text 17 74 4006381333931 cp16", "barcode 0 24 190x50"};
    QTest::newRow("centred") << small + ESC + "a" + n(1) + ean << Lines{"receipt 1 open 50", "line 0 50", "barcode 193 0 190x50"};
    QTest::newRow("defaults: module 3, 162 high") << ean << Lines{"receipt 1 open 162", "line 0 162", "barcode 0 0 285x162"};
    QTest::newRow("module 6") << GS + "w" + n(6) + ean << Lines{"receipt 1 open 162", "line 0 162", "barcode 0 0 570x162"};
    QTest::newRow("module 7 ignored") << GS + "w" + n(7) + ean << Lines{"receipt 1 open 162", "line 0 162", "barcode 0 0 285x162"};
    QTest::newRow("module 1 ignored") << GS + "w" + n(1) + ean << Lines{"receipt 1 open 162", "line 0 162", "barcode 0 0 285x162"};
    QTest::newRow("height 0 ignored") << GS + "h" + n(0) + ean << Lines{"receipt 1 open 162", "line 0 162", "barcode 0 0 285x162"};
    QTest::newRow("too wide: cut at the edge") << GS + "w" + n(6) + GS + "L" + word(100) + ean
                                               << Lines{"receipt 1 open 162", "line 0 162", "barcode 100 0 476x162"};
    QTest::newRow("EAN-8") << small + GS + "k" + n(3) + "9638507" + n(0) << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 134x50"};
    QTest::newRow("UPC-A") << small + GS + "k" + n(0) + "01234567890" + n(0) << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 190x50"};
    QTest::newRow("CODE39, start and stop given") << small + GS + "k" + n(4) + "*AB*" + n(0)
                                                  << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 102x50"};
    QTest::newRow("CODE39") << small + GS + "k" + n(0x45) + n(2) + "AB" << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 102x50"};
    QTest::newRow("CODE128") << small + GS + "k" + n(0x49) + n(7) + "{BHello" << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 180x50"};
    QTest::newRow("ITF") << small + GS + "k" + n(5) + "1234" + n(0) << Lines{"receipt 1 open 50", "line 0 50", "barcode 0 0 90x50"};
    QTest::newRow("QR, module 4") << qrFunction("1C" + n(4)) + qrFunction("1P0Hi") + qrFunction("1Q0")
                                  << Lines{"receipt 1 open 84", "line 0 84", "qr 0 0 84x84"};
    QTest::newRow("QR, default module 3, centred") << ESC + "a" + n(1) + qrFunction("1P0Hi") + qrFunction("1Q0")
                                                   << Lines{"receipt 1 open 63", "line 0 63", "qr 256 0 63x63"};
    QTest::newRow("QR, module 17 ignored") << qrFunction("1C" + n(17)) + qrFunction("1P0Hi") + qrFunction("1Q0")
                                           << Lines{"receipt 1 open 63", "line 0 63", "qr 0 0 63x63"};
    QTest::newRow("QR, printed twice") << qrFunction("1P0Hi") + qrFunction("1Q0") + qrFunction("1Q0")
                                       << Lines{"receipt 1 open 126", "line 0 63", "qr 0 0 63x63", "line 63 63", "qr 0 63 63x63"};
    QTest::newRow("QR, model and unknown functions change nothing")
        << qrFunction("1A2" + n(0)) + qrFunction("1R0") + qrFunction("1P0Hi") + qrFunction("1Q0")
        << Lines{"receipt 1 open 63", "line 0 63", "qr 0 0 63x63"};
    QTest::newRow("QR without data prints nothing") << qrFunction("1Q0") + "A\n" << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("ESC @ forgets the QR data") << qrFunction("1P0Hi") + ESC + "@" + qrFunction("1Q0") << Lines{};
}

void TestReceiptInterpreter::symbols()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(interpret(stream), expected);
}

// Data the symbology refuses prints libzint's reason as text instead.
void TestReceiptInterpreter::symbolMessages_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("after"); // the text printed after the message

    QTest::newRow("EAN-13 with letters") << GS + "k" + n(2) + "12AB" + n(0) + "A\n" << "text 0 0 Error 284: Invalid character in data"
                                         << "A";
    QTest::newRow("CODE128 without a code set") << GS + "k" + n(0x49) + n(5) + "HelloA\n"
                                                << "text 0 0 Error: CODE128 data must begin with {A, {B or {C" << "A";
    QTest::newRow("EAN-8 too long") << GS + "k" + n(3) + "123456789" + n(0) + "A\n" << "text 0 0 Error: EAN-8 takes 7 or 8 digits" << "A";
    QTest::newRow("data ended by 00 ends at 255 bytes") << GS + "k" + n(4) + QByteArray(300, 'A') + "\n" << "text 0 0 Error" << QString(45, 'A');
    QTest::newRow("QR code with too much data")
        << qrFunction("1E3") + qrFunction("1P0" + QByteArray(4000, 'x')) + qrFunction("1Q0") + "A\n" << "text 0 0 Error" << "A";
}

void TestReceiptInterpreter::symbolMessages()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, message);
    QFETCH(QString, after);
    const Lines lines = interpret(stream);
    QVERIFY2(lines.size() >= 4, qPrintable(lines.join('|')));
    QVERIFY2(lines[2].startsWith(message), qPrintable(lines[2]));
    QVERIFY2(lines.last().endsWith(QLatin1Char(' ') + after), qPrintable(lines.last()));
    QVERIFY(lines.filter(QStringLiteral("barcode")).isEmpty());
    QVERIFY(lines.filter(QStringLiteral("qr ")).isEmpty());
}

void TestReceiptInterpreter::unknownCommands_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("text");        // what prints
    QTest::addColumn<QStringList>("unknown"); // "bytes xcount" of each unknown command

    QTest::newRow("known length, skipped whole") << ESC + "U" + n(1) + "A\n" << "A" << QStringList{"1B 55 x1"};
    QTest::newRow("noted once, counted") << ESC + "U" + n(1) + "A" + ESC + "U" + n(0) + "\n" << "A" << QStringList{"1B 55 x2"};
    QTest::newRow("unknown length: introducer and next byte go") << ESC + "ZAB\n" << "AB" << QStringList{"1B 5A x1"};
    QTest::newRow("unknown after ESC eats the letter") << ESC + "AB\n" << "B" << QStringList{"1B 41 x1"};
    QTest::newRow("ESC c, four bytes") << ESC + "c" + n(4) + n(1) + "A\n" << "A" << QStringList{"1B 63 x1"};
    QTest::newRow("ESC ( Y, by its length") << ESC + "(Y" + word(2) + "01A\n" << "A" << QStringList{"1B 28 59 x1"};
    QTest::newRow("GS ( E, by its length") << GS + "(E" + word(4) + "0123A\n" << "A" << QStringList{"1D 28 45 x1"};
    QTest::newRow("GS 8 L, a function not drawn") << GS + "8L" + word(2) + word(0) + "0RA\n" << "A" << QStringList{"1D 38 4C 30 52 x1"};
    QTest::newRow("GS ( k, another symbol") << GS + "(k" + word(3) + "9A1A\n" << "A" << QStringList{"1D 28 6B 39 x1"};
    QTest::newRow("FS S two-byte spacing") << FS + "S" + n(1) + n(2) + "A\n" << "A" << QStringList{"1C 53 x1"};
    QTest::newRow("GS * image definition") << GS + "*" + n(1) + n(1) + QByteArray(8, 'z') + "A\n" << "A" << QStringList{"1D 2A x1"};
    QTest::newRow("GS V 7") << GS + "V" + n(7) + "A\n" << "A" << QStringList{"1D 56 x1"};
    QTest::newRow("GS v 1") << GS + "v1A\n" << "1A" << QStringList{"1D 76 x1"};
    QTest::newRow("GS k 30") << GS + "k0A\n" << "0A" << QStringList{"1D 6B x1"};
    QTest::newRow("GS T") << GS + "T" + n(1) + "A\n" << "A" << QStringList{"1D 54 x1"};
    QTest::newRow("FS ?") << FS + "?" + n(1) + n(0) + "A\n" << "A" << QStringList{"1C 3F x1"};
    QTest::newRow("FS -") << FS + "-" + n(1) + "A\n" << "A" << QStringList{"1C 2D x1"};
    QTest::newRow("ESC US z") << ESC + "\x1Fz" + "A\n" << "zA" << QStringList{"1B 1F x1"};
    QTest::newRow("DLE A") << DLE + "AB\n" << "B" << QStringList{"10 41 x1"};
    QTest::newRow("a stray introducer before a command") << ESC + ESC + "E" + n(1) + "A\n" << "A E" << QStringList{"1B 1B x1"}; // emphasized
    QTest::newRow("real-time requests") << DLE + "\x04" + n(1) + DLE + "\x05" + n(2) + DLE + "\x14" + n(1) + n(0) + n(1) + "A\n" << "A"
                                        << QStringList{};
    QTest::newRow("real-time, fn 8") << DLE + "\x14" + n(8) + "1234567A\n" << "A" << QStringList{};
    QTest::newRow("drawer kick") << ESC + "p" + n(0) + n(25) + n(250) + "A\n" << "A" << QStringList{};
    QTest::newRow("Kanji off") << FS + ".A\n" << "A" << QStringList{};
    QTest::newRow("macro commands") << ESC + "g" + n(1) + "A" + ESC + "g" + n(2) + ESC + "\x1Fm" + "Demo" + n(0) + ESC + "\x1Fr" + "Demo" + n(0) + "\n"
                                    << "A" << QStringList{};
    QTest::newRow("macro name of 256 bytes ends the command") << ESC + "\x1Fm" + QByteArray(300, 'n') + "\n" << QString(44, 'n')
                                                             << QStringList{};
    QTest::newRow("all four") << ESC + "U" + n(0) + GS + "T" + n(0) + FS + "-" + n(0) + DLE + "zA\n" << "A"
                              << QStringList{"1B 55 x1", "1D 54 x1", "1C 2D x1", "10 7A x1"};
}

void TestReceiptInterpreter::unknownCommands()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, text);
    QFETCH(QStringList, unknown);

    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    QStringList found;
    for (const UnknownCommand &command : interpreter.unknownCommands())
        found.append(QString::fromLatin1(command.bytes.toHex(' ').toUpper()) + QStringLiteral(" x%1").arg(command.count));
    QCOMPARE(found, unknown);
    QStringList expectedNotes;
    for (const QString &command : unknown)
        expectedNotes.append(QStringLiteral("unknown command ") + command.section(QStringLiteral(" x"), 0, 0));
    QCOMPARE(interpreter.takeNotes(), expectedNotes);
    QCOMPARE(interpreter.takeNotes(), QStringList()); // said once

    QString printed;
    for (const QString &line : describeAll(interpreter)) {
        if (line.startsWith(QLatin1String("text ")))
            printed += line.section(QLatin1Char(' '), 3);
    }
    QCOMPARE(printed, text);
}

void TestReceiptInterpreter::lengthCap_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("receipts");

    QByteArray lines;
    for (int i = 0; i < 300; ++i)
        lines += "A\n";
    QTest::newRow("lines that do not fit go on") << lines << Lines{"receipt 1 auto 7980", "receipt 2 open 1020"};
    QTest::newRow("a feed past the cap ends there") << QByteArray(300, '\n') << Lines{"receipt 1 auto 8000", "receipt 2 open 990"};
    QTest::newRow("ESC d 255 x 255 dots") << ESC + "3" + n(255) + "A" + ESC + "d" + n(255) + "B\n"
                                          << Lines{"receipt 1 auto 8000", "receipt 2 open 255"};
    QTest::newRow("a raster image goes on over the cut") << raster(0, 1, 10000, QByteArray(10000, '\x80'))
                                                         << Lines{"receipt 1 auto 8000", "receipt 2 open 2000"};
    QTest::newRow("double height raster after text") << "A\n" + raster(2, 1, 4000, QByteArray(4000, '\x80'))
                                                     << Lines{"receipt 1 auto 8000", "receipt 2 open 30"};
    QTest::newRow("cut exactly at the cap") << QByteArray(266, '\n') + ESC + "J" + n(20) + GS + "V" + n(0) << Lines{"receipt 1 full 8000"};
}

void TestReceiptInterpreter::lengthCap()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, receipts);

    ReceiptInterpreter interpreter;
    interpreter.feed(stream);
    const QStringList notes = interpreter.takeNotes();
    const Lines all = describeAll(interpreter);
    QCOMPARE(receiptHeaders(all), receipts);
    // Every dot of the stream is on paper: the raster rows add up.
    int rasterRows = 0;
    for (const QString &line : all) {
        if (line.startsWith(QLatin1String("raster ")))
            rasterRows += line.section(QLatin1Char(' '), 3, 3).section(QLatin1Char('x'), 1).toInt();
    }
    if (stream.contains(GS + "v0"))
        QCOMPARE(rasterRows, stream.contains(GS + "v0" + n(2)) ? 8000 : 10000);
    QCOMPARE(notes.contains(QStringLiteral("a receipt reached 1 m (8000 dots): the printer cut it there")),
             receipts.first().contains(QLatin1String(" auto 8000")));
}

void TestReceiptInterpreter::sameReceiptsHoweverSplit_data()
{
    QTest::addColumn<Sizes>("chunks");
    QTest::newRow("bytes") << Sizes{1};
    QTest::newRow("pairs") << Sizes{2};
    QTest::newRow("threes") << Sizes{3};
    QTest::newRow("sevens") << Sizes{7};
    QTest::newRow("64") << Sizes{64};
    QTest::newRow("1, 2, 5") << Sizes{1, 2, 5};
    QRandomGenerator random(20240309);
    for (int i = 0; i < 6; ++i) {
        Sizes sizes;
        for (int j = 0; j < 40; ++j)
            sizes.append(random.bounded(1, 30));
        QTest::newRow(qPrintable(QStringLiteral("random %1").arg(i))) << sizes;
    }
}

void TestReceiptInterpreter::sameReceiptsHoweverSplit()
{
    QFETCH(Sizes, chunks);
    const QByteArray stream = everything();
    ReceiptInterpreter whole;
    whole.feed(stream);
    ReceiptInterpreter split;
    feedInChunks(split, stream, chunks);
    QCOMPARE(split.takeNotes(), whole.takeNotes());
    QCOMPARE(split.unknownCommands().size(), whole.unknownCommands().size());
    QCOMPARE(split.offset(), qint64(stream.size()));
    const Lines expected = describeAll(whole);
    QVERIFY(expected.size() > 40);
    QCOMPARE(receiptHeaders(expected), (Lines{"receipt 1 full 720", "receipt 2 partial 30", "receipt 3 open 30"}));
    QCOMPARE(describeAll(split), expected);
}

void TestReceiptInterpreter::columnImageDots()
{
    // Three bytes a column, the first byte's high bit at the top.
    ReceiptInterpreter interpreter;
    interpreter.feed(ESC + "*" + n(0x20) + word(2) + QByteArray::fromHex("800001" "00FF00") + "\n");
    const Receipt receipt = interpreter.finish();
    QCOMPARE(receipt.lines.size(), 1);
    QCOMPARE(receipt.lines[0].images.size(), 1);
    const QImage &dots = receipt.lines[0].images[0].dots;
    QCOMPARE(dots.size(), QSize(4, 24)); // m 20: double width
    for (int y = 0; y < 24; ++y) {
        const bool first = y == 0 || y == 23;
        const bool second = y >= 8 && y < 16;
        QCOMPARE(dots.pixelIndex(0, y) == 1, first);
        QCOMPARE(dots.pixelIndex(1, y) == 1, first);
        QCOMPARE(dots.pixelIndex(2, y) == 1, second);
        QCOMPARE(dots.pixelIndex(3, y) == 1, second);
    }
}

void TestReceiptInterpreter::drawingBudgetCutsOverprinting()
{
    // Printing on the same spot over and over never moves the paper; the
    // budget still ends the receipt, so memory stays bounded.
    ReceiptInterpreter interpreter;
    const QByteArray overprint = "A" + ESC + "d" + n(0); // ESC J 0 feeds the line's height
    QByteArray stream;
    for (int i = 0; i < 40000; ++i)
        stream += overprint;
    interpreter.feed(stream);
    QVERIFY(interpreter.finishedTotal() >= 1);
    for (const Receipt &receipt : interpreter.finished()) {
        QCOMPARE(receipt.cut, CutKind::Automatic);
        QCOMPARE(receipt.lengthDots, 24);
        QVERIFY(receipt.lines.size() < 40000);
    }
    QVERIFY(interpreter.takeNotes().join('|').contains(QLatin1String("the printer cut it")));
}

void TestReceiptInterpreter::sourceRanges()
{
    ReceiptInterpreter interpreter;
    // 0:'A' 1:'B' 2-4:ESC E 1 5:'C' 6:LF 7-9:GS V 0 10:LF
    interpreter.feed("AB" + ESC + "E" + n(1) + "C\n" + GS + "V" + n(0) + "\n");
    QCOMPARE(interpreter.finishedTotal(), 1);
    const Receipt &first = interpreter.finished().front();
    QCOMPARE(first.source, (ByteRange{0, 10}));
    QCOMPARE(first.lines.size(), 1);
    QCOMPARE(first.lines[0].source, (ByteRange{0, 7}));
    QCOMPARE(first.lines[0].runs.size(), 2);
    QCOMPARE(first.lines[0].runs[0].source, (ByteRange{0, 2}));
    QCOMPARE(first.lines[0].runs[1].source, (ByteRange{5, 6}));
    const Receipt second = interpreter.finish();
    QCOMPARE(second.source, (ByteRange{10, 11}));
    QCOMPARE(second.feeds.size(), 1);
    QCOMPARE(second.feeds[0].source, (ByteRange{10, 11}));
}

void TestReceiptInterpreter::liveView()
{
    ReceiptInterpreter interpreter;
    const quint64 start = interpreter.revision();
    interpreter.feed("AB");
    QVERIFY(interpreter.revision() > start);
    QVERIFY(interpreter.openReceipt().isBlank());
    const Receipt pending = interpreter.withPendingLine();
    QCOMPARE(pending.lines.size(), 1);
    QCOMPARE(pending.lines[0].runs[0].text, QByteArray("AB"));
    QCOMPARE(pending.lengthDots, 30);

    const quint64 before = interpreter.revision();
    interpreter.feed("\r");
    QCOMPARE(interpreter.revision(), before); // nothing changed on paper
    interpreter.feed("\n");
    QVERIFY(interpreter.revision() > before);
    QCOMPARE(interpreter.openReceipt().lines.size(), 1);
    QCOMPARE(interpreter.openReceipt().number, 1);
    interpreter.feed(GS + "V" + n(0));
    QCOMPARE(interpreter.finishedTotal(), 1);
    QCOMPARE(interpreter.openReceipt().number, 2);
    QVERIFY(interpreter.openReceipt().isBlank());

    interpreter.reset();
    QCOMPARE(interpreter.finishedTotal(), 0);
    QCOMPARE(interpreter.offset(), 0);
    QVERIFY(interpreter.finished().empty());
}

void TestReceiptInterpreter::retainedReceipts()
{
    ReceiptInterpreter interpreter;
    QList<int> handled;
    interpreter.setReceiptHandler([&handled](const Receipt &receipt) { handled.append(receipt.number); });
    for (int i = 0; i < 60; ++i)
        interpreter.feed("A\n" + GS + "V" + n(0));
    QCOMPARE(handled.size(), 60);
    QCOMPARE(handled.last(), 60);
    QCOMPARE(interpreter.finishedTotal(), 60);
    QCOMPARE(int(interpreter.finished().size()), ReceiptInterpreter::kDefaultRetain);
    QCOMPARE(interpreter.finished().front().number, 11);
    interpreter.setRetainLimit(3);
    QCOMPARE(int(interpreter.finished().size()), 3);
    QCOMPARE(interpreter.finished().front().number, 58);
}

// What reaches the paper through the macro store: a normal recording
// prints as it records, a silent one does not, a played macro prints.
void TestReceiptInterpreter::macrosPrint_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("printed");

    const QByteArray us = ESC + "\x1F";
    QTest::newRow("normal recording, played") << ESC + "g" + n(1) + "AB\n" + ESC + "g" + n(2) + us + "mM" + n(0) + us + "rM" + n(0) << "AB|AB";
    QTest::newRow("silent recording, played") << us + "bS" + n(0) + "CD\n" + us + "eS" + n(0) + "x\n" + us + "rS" + n(0) << "x|CD";
    QTest::newRow("playing an unknown macro") << us + "rNone" + n(0) + "z\n" << "z";
    QTest::newRow("a silent recording's header in image data")
        << QByteArray::fromHex("1B401D76300005000100 1B1F627800 61667465720A 1D5600") << "after";
}

void TestReceiptInterpreter::macrosPrint()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, printed);

    MacroStore model;
    ReceiptInterpreter interpreter;
    for (const char byte : stream) {
        model.receive(QByteArray(1, byte));
        interpreter.feed(model.takePaper());
    }
    QStringList texts;
    for (const QString &line : describeAll(interpreter)) {
        if (line.startsWith(QLatin1String("text ")))
            texts.append(line.section(QLatin1Char(' '), 3));
    }
    QCOMPARE(texts.join(QLatin1Char('|')), printed);
    QVERIFY(interpreter.unknownCommands().isEmpty());
}

// A view's Clear drops the paper, never the printer's state: what follows
// prints as it would have, whatever the stream was in the middle of.
void TestReceiptInterpreter::clearPaperKeepsThePrinter_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<Lines>("expected");

    QTest::newRow("nothing before") << QByteArray() << QByteArray("A\n") << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
    QTest::newRow("printed lines go") << QByteArray("A\nB\n") << QByteArray("C\n")
                                      << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 C"};
    QTest::newRow("cut receipts go, numbering starts again")
        << "A\n" + GS + "V" + n(0) + "B\n" + GS + "V" + n(1) + "C\n" << "D\n" + GS + "V" + n(0)
        << Lines{"receipt 1 full 30", "line 0 30", "text 0 0 D"};
    QTest::newRow("modes stay") << ESC + "E" + n(1) + ESC + "a" + n(2) + "X\n" << QByteArray("Y\n")
                                << Lines{"receipt 1 open 30", "line 0 30", "text 564 0 Y E"};
    QTest::newRow("the line in progress stays") << QByteArray("A\nBC") << QByteArray("D\n")
                                                << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 BCD"};
    QTest::newRow("a command split by the clear") << QByteArray("A\n") + ESC + "!" << n(0x20) + "W\n"
                                                  << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 W 2x1"};
    QTest::newRow("an image split by the clear") << raster(0, 2, 2, "\xF0") << QByteArray("\x0F\x80\x01")
                                                 << Lines{"receipt 1 open 2", "line 0 2", "raster 0 0 16x2 F00F 8001"};
    QTest::newRow("paper fed goes") << QByteArray("\n\n\n") << QByteArray("A\n")
                                    << Lines{"receipt 1 open 30", "line 0 30", "text 0 0 A"};
}

void TestReceiptInterpreter::clearPaperKeepsThePrinter()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(Lines, expected);

    ReceiptInterpreter interpreter;
    interpreter.feed(ESC + "U" + n(1) + before); // an unknown command, met before the clear
    const quint64 revision = interpreter.revision();
    interpreter.clearPaper();
    QVERIFY(interpreter.revision() > revision);
    QCOMPARE(interpreter.finishedTotal(), 0);
    QVERIFY(interpreter.finished().empty());
    QVERIFY(interpreter.openReceipt().isBlank());
    QVERIFY(interpreter.unknownCommands().isEmpty());
    QCOMPARE(interpreter.offset(), qint64(before.size() + 3)); // offsets go on

    interpreter.feed(after);
    QCOMPARE(describeAll(interpreter), expected);
}

// A command that waits for its data says so; a printer reset drops it and
// every mode, but not the paper.
void TestReceiptInterpreter::waitingCommandAndReset_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("waiting");

    QTest::newRow("nothing waits") << ESC + "E" + n(1) << QString();
    QTest::newRow("skipped graphics") << GS + "*" + n(130) + n(224) + "xy" << "GS * waiting for 232,958 more bytes";
    QTest::newRow("raster image") << ESC + "!" + n(0x30) + raster(0, 2, 2, "\xF0") << "GS v 0 waiting for 3 more bytes";
    QTest::newRow("barcode ended by 00") << GS + "k" + n(4) + "ABC" << "GS k waiting for its 00 (at most 252 more bytes)";
    QTest::newRow("a command's header") << ESC + "*" + n(0) << "ESC * waiting for the rest of the command";
    QTest::newRow("one byte to go") << GS + "k" + n(0x49) + n(3) + "{B" << "GS k waiting for 1 more byte";
}

void TestReceiptInterpreter::waitingCommandAndReset()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, waiting);

    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.feed("A\n" + GS + "V" + n(0) + ESC + "a" + n(2) + GS + "L" + word(64) + "BC" + before);
    QCOMPARE(interpreter.waitingWords(), waiting);
    interpreter.resetPrinter();
    QCOMPARE(interpreter.waitingWords(), QString());
    interpreter.feed("D\n");
    QCOMPARE(interpreter.finishedTotal(), 1); // the paper stays
    const Lines open = describeReceipt(interpreter.withPendingLine());
    QVERIFY2(open.last().startsWith("text 0 ") && open.last().endsWith(" D"), qPrintable(open.join('|'))); // modes at default
    // Every byte still belongs to one trace entry, the dropped ones too.
    qint64 at = interpreter.trace()->entries().front().range.begin;
    for (const TraceEntry &entry : interpreter.trace()->entries()) {
        QCOMPARE(entry.range.begin, at);
        at = entry.range.end;
    }
    QCOMPARE(at, interpreter.offset());
}

void TestReceiptInterpreter::symbolCutAtTheEdgeIsSaid()
{
    ReceiptInterpreter interpreter;
    interpreter.feed(qrFunction("1C" + n(8)) + qrFunction("1P0" + QByteArray(3000, '7')) + qrFunction("1Q0") + qrFunction("1Q0"));
    QCOMPARE(interpreter.cutAtEdge(), QStringList{"QR code 936 dots wide, cut at 576: it will not scan"});
    QCOMPARE(interpreter.takeNotes().count(interpreter.cutAtEdge().first()), 1);
    interpreter.clearPaper();
    QVERIFY(interpreter.cutAtEdge().isEmpty());
}

// Images wider than the paper say their size as sent and the cut; one the
// stream ends in prints nothing and says so.
void TestReceiptInterpreter::imageCutAtTheEdgeOrShortIsSaid()
{
    ReceiptInterpreter interpreter;
    interpreter.setPaperWidth(Paper::kNarrowWidthDots);
    const QByteArray raster = GS + "v0" + n(0) + word(72) + word(2) + QByteArray(144, '\xFF');
    interpreter.feed(raster + ESC + "*" + n(33) + word(576) + QByteArray(576 * 3, '\x01') + "\n" + raster.left(90));
    QCOMPARE(ReceiptTextDump::lines(interpreter.finish()),
             QStringList({"[image 576 x 2, cut at 384]", "[image 576 x 24, cut at 384]", "[not cut]"}));
    const QString words = "image 576 dots wide, cut at 384: its right 192 dots are not printed";
    QCOMPARE(interpreter.cutAtEdge(), QStringList{words});
    QCOMPARE(interpreter.takeNotes(), QStringList({words, "the stream ended inside GS v 0 after 1 of its 2 rows: nothing of the image is printed"}));
}

QTEST_GUILESS_MAIN(TestReceiptInterpreter)
#include "tst_receipt_interpreter.moc"
