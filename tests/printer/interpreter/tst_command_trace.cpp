// The command trace: every command and text run of PRINTER.md named, worded
// and tied to the paper it drew, however the stream is split; kept as the
// receipts are; and the help page's table generated from the same words.
#include "support/ReceiptText.h"
#include "support/TraceCases.h"

#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/ReceiptInterpreter.h"

#include <QFile>
#include <QtTest>

using Lines = QStringList;
using namespace PrinterBytes;

namespace {
// "2-5 ESC a | justification: centre", then " @R:x,y WxH" for each region.
QString describe(const TraceEntry &entry)
{
    QString text = QStringLiteral("%1-%2 %3 | %4")
                       .arg(entry.range.begin)
                       .arg(entry.range.end)
                       .arg(PrinterCommands::name(entry), PrinterCommands::meaning(entry));
    for (const PaperRegion &region : entry.regions) {
        const QRect &r = region.dots;
        text += QStringLiteral(" @%1:%2,%3 %4x%5").arg(region.receipt).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    return text;
}

Lines describeTrace(const CommandTrace &trace)
{
    Lines lines;
    for (const TraceEntry &entry : trace.entries())
        lines.append(describe(entry));
    return lines;
}

// The stream fed in chunks of the given size (0: whole), then its end.
Lines traceOf(const QByteArray &stream, int chunk)
{
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    feedInChunks(interpreter, stream, chunk ? QList<int>{chunk} : QList<int>{});
    interpreter.finish();
    return describeTrace(*interpreter.trace());
}

QByteArray raster(int mode, int bytesPerRow, int rows, const QByteArray &data)
{
    return GS + "v0" + n(mode) + word(bytesPerRow) + word(rows) + data;
}

using Case = TraceCase;

const QString kLf = QStringLiteral("LF | print the line and feed one line");

// Every command of PRINTER.md, with its parameters' edge values.
QList<Case> cases()
{
    const QByteArray ean = GS + "w" + n(2) + GS + "h" + n(50) + GS + "k" + n(2) + "400638133393" + n(0);
    const QList<Case> list{
        {"text and line feed", "AB\n", {"0-2 text | 'AB', font A @1:0,0 24x24", "2-3 " + kLf + " @1:0,0 576x30"}},
        {"CR", "A\r\n", {"0-1 text | 'A', font A @1:0,0 12x24", "1-2 CR | ignored", "2-3 " + kLf + " @1:0,0 576x30"}},
        {"HT", "A\tB\n",
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-2 HT | move to the next tab stop", "2-3 text | 'B', font A @1:96,0 12x24",
          "3-4 " + kLf + " @1:0,0 576x30"}},
        {"other control bytes", "\x01\x7F\x1F", {"0-1 SOH | ignored", "1-2 DEL | ignored", "2-3 US | ignored"}},
        {"line feed on an empty line feeds", "\n\n", {"0-1 " + kLf + " @1:0,0 576x30", "1-2 " + kLf + " @1:0,30 576x30"}},
        {"text wraps: one region over both lines", QByteArray(50, 'X') + "\n",
         {"0-50 text | '" + QString(50, 'X') + "', font A @1:0,0 576x54", "50-51 " + kLf + " @1:0,30 576x30"}},
        {"ESC @", ESC + "@", {"0-2 ESC @ | initialize: line emptied, every mode back to its default"}},
        {"ESC !", ESC + "!" + n(0x38) + "A\n",
         {"0-3 ESC ! | print mode: font A, emphasized, double width and height",
          "3-4 text | 'A', font A, emphasized, double width and height @1:0,0 24x48", "4-5 " + kLf + " @1:0,0 576x48"}},
        {"ESC !, every bit", ESC + "!" + n(0xB9), {"0-3 ESC ! | print mode: font B, emphasized, double width and height, underline 1 dot"}},
        {"ESC ! 0", ESC + "!" + n(0), {"0-3 ESC ! | print mode: font A"}},
        {"ESC E", ESC + "E" + n(1) + ESC + "E" + n(0xFE), {"0-3 ESC E | emphasized: on", "3-6 ESC E | emphasized: off"}},
        {"ESC G", ESC + "G" + n(1) + ESC + "G" + n(0),
         {"0-3 ESC G | double strike: on (drawn as emphasized)", "3-6 ESC G | double strike: off"}},
        {"ESC -", ESC + "-" + n(2) + ESC + "-1" + ESC + "-" + n(0) + ESC + "-" + n(3),
         {"0-3 ESC - | underline: 2 dots", "3-6 ESC - | underline: 1 dot", "6-9 ESC - | underline: off",
          "9-12 ESC - | underline: 3 is out of range, ignored"}},
        {"ESC M", ESC + "M" + n(1) + ESC + "M0" + ESC + "M" + n(2),
         {"0-3 ESC M | font: B (9 x 17 dots)", "3-6 ESC M | font: A (12 x 24 dots)", "6-9 ESC M | font: 2 is out of range, ignored"}},
        {"ESC a", ESC + "a" + n(1) + ESC + "a2" + ESC + "a" + n(0) + ESC + "a" + n(3),
         {"0-3 ESC a | justification: centre", "3-6 ESC a | justification: right", "6-9 ESC a | justification: left",
          "9-12 ESC a | justification: 3 is out of range, ignored"}},
        {"GS !", GS + "!" + n(0x10) + GS + "!" + n(0x77) + GS + "!" + n(0x80),
         {"0-3 GS ! | character size: width 2, height 1", "3-6 GS ! | character size: width 8, height 8",
          "6-9 GS ! | character size: width 9, height 1 is out of range, ignored"}},
        {"GS B", GS + "B" + n(1) + "A" + GS + "B" + n(0),
         {"0-3 GS B | reverse: on", "3-4 text | 'A', font A, reverse @1:0,0 12x24", "4-7 GS B | reverse: off"}},
        {"ESC SP: the spacing after the last character is not drawn", ESC + " " + n(4) + "AB\n",
         {"0-3 ESC SP | character spacing: 4 dots", "3-5 text | 'AB', font A, spacing 4 dots @1:0,0 28x24",
          "5-6 " + kLf + " @1:0,0 576x30"}},
        {"ESC 2", ESC + "2", {"0-2 ESC 2 | line spacing: 30 dots (the default)"}},
        {"ESC 3", ESC + "3" + n(60) + "A\n",
         {"0-3 ESC 3 | line spacing: 60 dots", "3-4 text | 'A', font A @1:0,0 12x24", "4-5 " + kLf + " @1:0,0 576x60"}},
        {"ESC d", "A" + ESC + "d" + n(3),
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-4 ESC d | print the line and feed 3 lines @1:0,0 576x90"}},
        {"ESC d, nothing printed", ESC + "d" + n(1), {"0-3 ESC d | print the line and feed 1 line @1:0,0 576x30"}},
        {"ESC d 0: the line alone", "A" + ESC + "d" + n(0),
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-4 ESC d | print the line and feed 0 lines @1:0,0 576x24"}},
        {"ESC J, less than the line", "A" + ESC + "J" + n(20),
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-4 ESC J | print the line and feed 20 dots @1:0,0 576x24"}},
        {"ESC J, nothing printed", ESC + "J" + n(7), {"0-3 ESC J | print the line and feed 7 dots @1:0,0 576x7"}},
        {"GS L", GS + "L" + word(64) + "A\n",
         {"0-4 GS L | left margin: 64 dots", "4-5 text | 'A', font A @1:64,0 12x24", "5-6 " + kLf + " @1:0,0 576x30"}},
        {"GS W", GS + "W" + word(300), {"0-4 GS W | printable width: 300 dots"}},
        {"GS L and GS W past the paper", GS + "L" + word(35539) + GS + "W" + word(24),
         {"0-4 GS L | left margin: 35539 dots, clamped to 480 (at least 96 dots stay printable)",
          "4-8 GS W | printable width: 24 dots, widened to 96"}},
        {"QR code: the size stored, not the size kept", qrFunction("1P0" + QByteArray(300, '7')) + qrFunction("1Q0"),
         {"0-308 GS ( k | QR code: store '" + QString(56, '7') + "...' (300 bytes)",
          "308-316 GS ( k | QR code: print '" + QString(64, '7') + "...' (300 bytes), module 3, error correction L @1:0,0 123x123"}},
        {"ESC t", ESC + "t" + n(16) + "\x80" + ESC + "t" + n(0) + "\x80" + ESC + "t" + n(99),
         {"0-3 ESC t | code page: 16 (Windows-1252)", "3-4 text | '\u20AC', font A, code page 16 @1:0,0 12x24",
          "4-7 ESC t | code page: 0 (PC437)", "7-8 text | '\u00C7', font A @1:12,0 12x24",
          "8-11 ESC t | code page: 99 (not known: printed as PC437)"}},
        {"text as printed", ESC + "t" + n(19) + "Caf\x82 M\x81ller 4,50 \xD5",
         {"0-3 ESC t | code page: 19 (PC858)", "3-21 text | 'Caf\u00E9 M\u00FCller 4,50 \u20AC', font A, code page 19 @1:0,0 216x24"}},
        {"ESC R", ESC + "R" + n(2) + "[" + ESC + "R" + n(18),
         {"0-3 ESC R | international character set: 2 (Germany)", "3-4 text | '\u00C4', font A, character set Germany @1:0,0 12x24",
          "4-7 ESC R | international character set: 18 is out of range, ignored"}},
        {"two-byte characters", FS + "&" + FS + "!" + n(0x8C) + "\xC4\xE3" + "A" + FS + "C1" + FS + "." + FS + "!" + n(0),
         {"0-2 FS & | two-byte characters: on (GB 18030)", "2-5 FS ! | two-byte print mode: double width and height, underline",
          "5-8 text | '\u4F60A', font A, two-byte GB 18030 @1:0,0 60x48",
          "8-11 FS C | Japanese two-byte code: Shift JIS (not used: this printer's two-byte characters are GB 18030)",
          "11-13 FS . | two-byte characters: off", "13-16 FS ! | two-byte print mode: normal"}},
        {"GS V", "A\n" + GS + "V" + n(0) + "B\n" + GS + "V1",
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-2 " + kLf + " @1:0,0 576x30", "2-5 GS V | cut: full",
          "5-6 text | 'B', font A @2:0,0 12x24", "6-7 " + kLf + " @2:0,0 576x30", "7-10 GS V | cut: partial"}},
        {"GS V, feed first", "A\n" + GS + "V" + n(0x41) + n(16) + GS + "VB" + n(0),
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-2 " + kLf + " @1:0,0 576x30",
          "2-6 GS V | feed 16 dots, then cut: full @1:0,30 576x16", "6-10 GS V | feed 0 dots, then cut: partial"}},
        {"ESC i, ESC m", ESC + "i" + ESC + "m", {"0-2 ESC i | cut: partial", "2-4 ESC m | cut: partial"}},
        {"GS v 0", raster(1, 1, 2, QByteArray::fromHex("8001")),
         {"0-10 GS v 0 | raster image 8 x 2 dots, double width @1:0,0 16x2"}},
        {"GS v 0, both, centred", ESC + "a" + n(1) + raster('3', 2, 1, QByteArray::fromHex("FFFF")),
         {"0-3 ESC a | justification: centre", "3-13 GS v 0 | raster image 16 x 1 dots, double width and height @1:272,0 32x2"}},
        {"GS v 0, mode 4", raster(4, 1, 1, n(0xFF)), {"0-9 GS v 0 | raster image 8 x 1 dots: mode 4 is out of range, skipped"}},
        {"GS v 0 over the length cap: a region on each receipt", raster(0, 1, 8010, QByteArray(8010, '\x80')),
         {"0-8018 GS v 0 | raster image 8 x 8010 dots @1:0,0 8x8000 @2:0,0 8x10"}},
        {"ESC *, on a text line", "AB" + ESC + "*" + n(1) + word(2) + QByteArray::fromHex("FFFF") + "\n",
         {"0-2 text | 'AB', font A @1:0,0 24x24", "2-9 ESC * | column image 2 x 8 dots @1:24,16 2x8",
          "9-10 " + kLf + " @1:0,0 576x30"}},
        {"ESC *, 24 dots, double width", ESC + "*" + n(0x20) + word(1) + QByteArray::fromHex("800001") + "\n",
         {"0-8 ESC * | column image 1 x 24 dots, double width @1:0,0 2x24", "8-9 " + kLf + " @1:0,0 576x30"}},
        {"GS h", GS + "h" + n(50) + GS + "h" + n(0),
         {"0-3 GS h | barcode height: 50 dots", "3-6 GS h | barcode height: 0 is out of range, ignored"}},
        {"GS w", GS + "w" + n(2) + GS + "w" + n(7),
         {"0-3 GS w | barcode module: 2 dots", "3-6 GS w | barcode module: 7 is out of range, ignored"}},
        {"GS H", GS + "H" + n(2) + GS + "H3" + GS + "H" + n(4),
         {"0-3 GS H | barcode text: below", "3-6 GS H | barcode text: above and below",
          "6-9 GS H | barcode text: 4 is out of range, ignored"}},
        {"GS k, ended by 00", ean,
         {"0-3 GS w | barcode module: 2 dots", "3-6 GS h | barcode height: 50 dots",
          "6-22 GS k | barcode EAN-13 '400638133393', module 2, height 50 @1:0,0 190x50"}},
        {"GS k, its text below", GS + "H" + n(2) + ean,
         {"0-3 GS H | barcode text: below", "3-6 GS w | barcode module: 2 dots", "6-9 GS h | barcode height: 50 dots",
          "9-25 GS k | barcode EAN-13 '400638133393', module 2, height 50, text below @1:0,0 190x74"}},
        {"GS k, counted", GS + "w" + n(2) + GS + "h" + n(50) + GS + "k" + n(0x49) + n(7) + "{BHello",
         {"0-3 GS w | barcode module: 2 dots", "3-6 GS h | barcode height: 50 dots",
          "6-17 GS k | barcode CODE128 '{BHello', module 2, height 50 @1:0,0 180x50"}},
        {"GS k, refused: the reason printed", GS + "k" + n(2) + "12AB" + n(0),
         {"0-8 GS k | barcode EAN-13 '12AB', module 3, height 162 @1:0,0 576x60"}}, // two lines of words
        {"GS ( k", qrFunction("1A2" + n(0)) + qrFunction("1C" + n(4)) + qrFunction("1E1") + qrFunction("1P0Hi") + qrFunction("1Q0"),
         {"0-9 GS ( k | QR code: model 2", "9-17 GS ( k | QR code: module 4 dots", "17-25 GS ( k | QR code: error correction M",
          "25-35 GS ( k | QR code: store 'Hi'", "35-43 GS ( k | QR code: print 'Hi', module 4, error correction M @1:0,0 84x84"}},
        {"GS ( k, edge values", qrFunction("1C" + n(17)) + qrFunction("1R0") + qrFunction("1Q0") + GS + "(k" + word(1) + "1",
         {"0-8 GS ( k | QR code module: 17 is out of range, ignored", "8-16 GS ( k | QR code: function 52 skipped",
          "16-24 GS ( k | QR code: print, but no data is stored: nothing printed",
          "24-30 GS ( k | QR code: function without data, nothing done"}},
        {"DLE", DLE + "\x04" + n(1) + DLE + "\x05" + n(2) + DLE + "\x14" + n(1) + n(0) + n(1),
         {"0-3 DLE EOT | real-time status request 1: nothing printed", "3-6 DLE ENQ | real-time request 2: nothing printed",
          "6-11 DLE DC4 | real-time command, function 1: nothing printed"}},
        {"FS .", FS + ".", {"0-2 FS . | two-byte characters: off"}},
        {"requests", FS + "\x05" + n(8) + FS + "\x05" + n(5) + GS + "r1" + GS + "I" + n(0x43) + GS + "a" + n(9) + GS + "a" + n(0),
         {"0-3 FS ENQ | condition request 8 (cover open): answered ACK or NAK, nothing printed",
          "3-6 FS ENQ | condition request 5: not a condition, no answer", "6-9 GS r | status request: paper sensor; nothing printed",
          "9-12 GS I | printer ID request: model name; nothing printed", "12-15 GS a | automatic status back: on for drawer, paper",
          "15-18 GS a | automatic status back: off"}},

        {"ESC p", ESC + "p" + n(0) + n(25) + n(250) + ESC + "p1" + n(1) + n(2),
         {"0-5 ESC p | drawer kick: pin 2, 50 ms on, 500 ms off; nothing printed",
          "5-10 ESC p | drawer kick: pin 5, 2 ms on, 4 ms off; nothing printed"}},
        {"ESC g", ESC + "g" + n(1) + ESC + "g" + n(2), {"0-3 ESC g | macro: start recording", "3-6 ESC g | macro: end recording"}},
        {"ESC US", ESC + "\x1Fm" + "Demo" + n(0) + ESC + "\x1Fr" + "Demo" + n(0) + ESC + "\x1Ft" + n(0) + ESC + "\x1F" "fEXT" + n(0),
         {"0-8 ESC US | macro: store the recording as 'Demo'", "8-16 ESC US | macro: play 'Demo'",
          "16-20 ESC US | macro: transfer the user store to the extended store",
          "20-27 ESC US | macro: clear the extended store ('EXT')"}},
        {"unknown, of known length", ESC + "U" + n(1) + "A", {"0-3 ESC U | unknown command 1B 55", "3-4 text | 'A', font A @1:0,0 12x24"}},
        {"unknown: the bytes after the pair are read again", ESC + "ZAB",
         {"0-2 ESC Z | unknown command 1B 5A", "2-4 text | 'AB', font A @1:0,0 24x24"}},
        {"unknown after three bytes", ESC + "*" + n(2) + "A",
         {"0-2 ESC * | unknown command 1B 2A", "2-3 STX | ignored", "3-4 text | 'A', font A @1:0,0 12x24"}},
        {"unknown, skipped by its length", GS + "(E" + word(4) + "0123" + GS + "(k" + word(3) + "9A1",
         {"0-9 GS ( E | unknown command 1D 28 45", "9-17 GS ( k 9 | unknown command 1D 28 6B 39"}},
        {"unknown real-time and FS", DLE + "A" + FS + "-" + n(1), {"0-2 DLE A | unknown command 10 41", "2-5 FS - | unknown command 1C 2D"}},
    };
    return list + familyTraceCases();
}
} // namespace

class TestCommandTrace : public QObject
{
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
    void everyCommandHasACase();
    void wholeStreamExplained();
    void entryAt_data();
    void entryAt();
    void regionIn_data();
    void regionIn();
    void keptAsTheReceipts();
    void clearPaperStartsAFreshTrace();
    void budget();
    void liveRows();
    void handlerSeesEveryEntry();
    void hex_data();
    void hex();
    void helpPageTable();
};

void TestCommandTrace::entries_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Lines>("expected");
    for (const Case &c : cases())
        QTest::newRow(c.name) << c.stream << c.expected;
}

void TestCommandTrace::entries()
{
    QFETCH(QByteArray, stream);
    QFETCH(Lines, expected);
    QCOMPARE(traceOf(stream, 0), expected);
    for (const int chunk : {1, 2, 3, 7})
        QCOMPARE(traceOf(stream, chunk), expected);
}

// A command added to the table without a case above fails here.
void TestCommandTrace::everyCommandHasACase()
{
    QSet<const PrinterCommands::Command *> seen;
    for (const Case &c : cases()) {
        ReceiptInterpreter interpreter;
        interpreter.setTraceEnabled(true);
        interpreter.feed(c.stream);
        interpreter.finish();
        for (const TraceEntry &entry : interpreter.trace()->entries())
            seen.insert(PrinterCommands::find(entry));
    }
    for (const PrinterCommands::Command &command : PrinterCommands::table())
        QVERIFY2(seen.contains(&command), qPrintable(command.name + QLatin1Char(' ') + command.syntax));
}

// Every byte belongs to one entry, in order; the trace changes nothing on
// paper; the regions lie on the paper of their receipts.
void TestCommandTrace::wholeStreamExplained()
{
    QByteArray stream;
    for (const Case &c : cases())
        stream += c.stream + ESC + "@" + GS + "V" + n(0);
    ReceiptInterpreter traced;
    traced.setTraceEnabled(true);
    traced.setRetainLimit(1000);
    traced.feed(stream);
    ReceiptInterpreter plain;
    plain.setRetainLimit(1000);
    plain.feed(stream);
    QCOMPARE(describeAll(traced), describeAll(plain));

    const CommandTrace &trace = *traced.trace();
    QCOMPARE(trace.firstSequence(), quint64(0));
    qint64 next = 0;
    QHash<int, const Receipt *> receipts;
    for (const Receipt &receipt : traced.finished())
        receipts.insert(receipt.number, &receipt);
    for (const TraceEntry &entry : trace.entries()) {
        QCOMPARE(entry.range.begin, next);
        QVERIFY(entry.range.end > entry.range.begin);
        next = entry.range.end;
        for (const PaperRegion &region : entry.regions) {
            QVERIFY2(receipts.contains(region.receipt), qPrintable(describe(entry)));
            const Receipt &receipt = *receipts[region.receipt];
            QVERIFY2(QRect(0, 0, Paper::kWidthDots, receipt.lengthDots).contains(region.dots), qPrintable(describe(entry)));
            QVERIFY(entry.range.begin < receipt.source.end && entry.range.end > receipt.source.begin);
        }
    }
    QCOMPARE(next, qint64(stream.size()));
    QVERIFY(traced.finishedTotal() > 10);
}

void TestCommandTrace::entryAt_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("pending"); // the receipt as the live view shows it, line in progress included
    QTest::addColumn<QPoint>("dot");
    QTest::addColumn<QString>("entry"); // its range and name; empty: none

    const QByteArray lines = "AB " + ESC + "E" + n(1) + "CD\n\n" + ESC + "a" + n(1) + raster(0, 1, 4, QByteArray(4, '\xFF'));
    QTest::newRow("a character") << lines << false << QPoint(5, 5) << "0-3 text";
    QTest::newRow("after a mode") << lines << false << QPoint(40, 23) << "6-8 text";
    QTest::newRow("between runs: the line's feed") << lines << false << QPoint(30, 28) << "8-9 LF";
    QTest::newRow("blank end of the line") << lines << false << QPoint(575, 0) << "8-9 LF";
    QTest::newRow("an empty line") << lines << false << QPoint(100, 45) << "9-10 LF";
    QTest::newRow("an image") << lines << false << QPoint(290, 62) << "13-25 GS v 0";
    QTest::newRow("beside the image") << lines << false << QPoint(100, 62) << QString();
    QTest::newRow("below the paper") << lines << false << QPoint(10, 500) << QString();
    QTest::newRow("the line in progress") << "A\nBC" + ESC + "E" + n(1) << true << QPoint(14, 32) << "2-4 text";
}

void TestCommandTrace::entryAt()
{
    QFETCH(QByteArray, stream);
    QFETCH(bool, pending);
    QFETCH(QPoint, dot);
    QFETCH(QString, entry);

    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.feed(stream);
    const Receipt shown = pending ? interpreter.withPendingLine() : interpreter.finish();
    const TraceEntry *found = interpreter.trace()->entryAt(shown, dot);
    const QString text = found ? describe(*found).section(QLatin1String(" |"), 0, 0) : QString();
    QCOMPARE(text, entry);
}

void TestCommandTrace::regionIn_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QRect>("expected"); // on the open receipt with its line in progress

    const QByteArray stream = "A\nBC" + ESC + "E" + n(1) + ESC + "*" + n(1) + word(1) + n(0xFF);
    QTest::newRow("printed") << stream << 0 << QRect(0, 0, 12, 24);
    QTest::newRow("the line feed") << stream << 1 << QRect(0, 0, 576, 30);
    QTest::newRow("text in progress") << stream << 2 << QRect(0, 30, 24, 24);
    QTest::newRow("a mode") << stream << 3 << QRect();
    QTest::newRow("an image in progress") << stream << 4 << QRect(24, 46, 1, 8);
    QTest::newRow("on an earlier receipt") << "A\n" + GS + "V" + n(0) + "B" + ESC + "@" << 0 << QRect();
}

void TestCommandTrace::regionIn()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, sequence);
    QFETCH(QRect, expected);
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.feed(stream);
    const TraceEntry *entry = interpreter.trace()->entry(quint64(sequence));
    QVERIFY(entry);
    QCOMPARE(CommandTrace::regionIn(*entry, interpreter.withPendingLine()), expected);
}

// The entries of the receipts the interpreter retains, and the open one's.
void TestCommandTrace::keptAsTheReceipts()
{
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.setRetainLimit(2);
    const QByteArray receipt = "AB\n" + GS + "V" + n(0); // 6 bytes: text, LF, GS V
    for (int i = 0; i < 5; ++i)
        interpreter.feed(receipt);
    interpreter.feed("open\n");
    const CommandTrace &trace = *interpreter.trace();
    QCOMPARE(interpreter.finished().front().number, 4);
    QCOMPARE(trace.firstSequence(), quint64(9)); // receipts 1 to 3 gone
    QCOMPARE(trace.endSequence(), quint64(17));
    QVERIFY(!trace.entry(8));
    QCOMPARE(trace.entry(9)->range, (ByteRange{18, 20}));
    QCOMPARE(trace.entry(9)->receipt, 4);
    QCOMPARE(trace.entry(11)->receipt, 4); // the cut belongs to the receipt it ended
    QCOMPARE(trace.entry(12)->receipt, 5);
    QVERIFY(!trace.entry(17));
    QCOMPARE(trace.entryAtOffset(19)->sequence, quint64(9));
    QVERIFY(!trace.entryAtOffset(17));
    QVERIFY(!trace.entryAtOffset(35));

    QCOMPARE(trace.sequencesOf(interpreter.finished().front()), (std::pair<quint64, quint64>{9, 12}));
    QCOMPARE(trace.sequencesOf(interpreter.finished().back()), (std::pair<quint64, quint64>{12, 15}));
    QCOMPARE(trace.sequencesOf(interpreter.withPendingLine()), (std::pair<quint64, quint64>{15, 17}));

    interpreter.setRetainLimit(0);
    QCOMPARE(trace.firstSequence(), quint64(15));
    interpreter.reset();
    QCOMPARE(trace.firstSequence(), trace.endSequence()); // numbers go on after a reset
    QCOMPARE(trace.endSequence(), quint64(17));
    QCOMPARE(trace.memoryUse(), 0);
}

// A view's Clear: the rows go with the paper; a command cut in two by the
// Clear is the fresh roll's first entry, on receipt 1, and draws there.
void TestCommandTrace::clearPaperStartsAFreshTrace()
{
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.feed("One\n" + GS + "V" + n(0) + "Two\n" + GS + "v0" + n(0) + word(1));
    const CommandTrace &trace = *interpreter.trace();
    QCOMPARE(trace.endSequence(), quint64(5));
    interpreter.clearPaper();
    QCOMPARE(trace.firstSequence(), trace.endSequence());
    QCOMPARE(trace.memoryUse(), 0);
    QVERIFY(!trace.entryAtOffset(0));

    interpreter.feed(word(1) + QByteArray::fromHex("80") + "Three\n");
    QCOMPARE(describeTrace(trace), (Lines{"11-20 GS v 0 | raster image 8 x 1 dots @1:0,0 8x1",
                                          "20-25 text | 'Three', font A @1:0,1 60x24", "25-26 LF | print the line and feed one line @1:0,1 576x30"}));
    QCOMPARE(trace.entryAt(interpreter.withPendingLine(), QPoint(0, 0))->sequence, trace.firstSequence());
}

void TestCommandTrace::budget()
{
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    QByteArray modes;
    for (int i = 0; i < 20000; ++i)
        modes += ESC + "E" + n(i & 1); // never cut: only the budget bounds it
    interpreter.feed(modes);
    const CommandTrace &trace = *interpreter.trace();
    QCOMPARE(trace.endSequence(), quint64(20000));
    const qsizetype all = trace.memoryUse();
    QVERIFY(all > 20000 * 64);

    interpreter.setTraceBudget(all / 4);
    QVERIFY(trace.memoryUse() <= all / 4);
    QVERIFY(trace.firstSequence() > 14000 && trace.firstSequence() < 16000);
    QCOMPARE(trace.entries().back().range.end, qint64(modes.size())); // the newest stay
    interpreter.feed(ESC + "E" + n(1));
    QVERIFY(trace.memoryUse() <= all / 4);
    QCOMPARE(trace.endSequence(), quint64(20001));

    interpreter.setTraceEnabled(false);
    QVERIFY(!interpreter.trace());
    interpreter.feed("A\n");
    QCOMPARE(interpreter.withPendingLine().lines.size(), 1);
}

// A view appends the entries since the last it has; regions come as lines print.
void TestCommandTrace::liveRows()
{
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    const CommandTrace &trace = *interpreter.trace();
    interpreter.feed("AB");
    QCOMPARE(trace.endSequence(), quint64(0)); // the text may go on
    const quint64 revision = trace.revision();
    interpreter.feed(ESC + "E");
    QCOMPARE(trace.endSequence(), quint64(1)); // the command is not complete
    QVERIFY(trace.revision() > revision);
    QVERIFY(trace.entry(0)->regions.isEmpty()); // its line is not printed yet
    interpreter.feed(n(1) + "C");
    QCOMPARE(trace.endSequence(), quint64(2));
    const quint64 before = trace.revision();
    interpreter.feed("\n");
    QVERIFY(trace.revision() > before);
    QCOMPARE(trace.endSequence(), quint64(4));
    QCOMPARE(describe(*trace.entry(0)), QStringLiteral("0-2 text | 'AB', font A @1:0,0 24x24"));
    QCOMPARE(describe(*trace.entry(2)), QStringLiteral("5-6 text | 'C', font A, emphasized @1:24,0 12x24"));
}

void TestCommandTrace::handlerSeesEveryEntry()
{
    ReceiptInterpreter interpreter;
    Lines handled;
    interpreter.setTraceHandler([&handled](const TraceEntry &entry) { handled.append(describe(entry).section(QLatin1String(" @"), 0, 0)); });
    interpreter.setTraceBudget(0); // nothing kept: the handler alone sees them
    for (const Case &c : cases().mid(0, 10))
        interpreter.feed(c.stream);
    interpreter.finish();
    QVERIFY(interpreter.trace()->entries().empty());

    ReceiptInterpreter kept;
    kept.setTraceEnabled(true);
    for (const Case &c : cases().mid(0, 10))
        kept.feed(c.stream);
    kept.finish();
    Lines expected;
    for (const TraceEntry &entry : kept.trace()->entries())
        expected.append(describe(entry).section(QLatin1String(" @"), 0, 0));
    QCOMPARE(handled, expected);
}

void TestCommandTrace::hex_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("short") << ESC + "a" + n(1) << qint64(0) << "1B 61 01"
                           << "000000  1B 61 01                          ESC a     justification: centre";
    QTest::newRow("long payload")
        << raster(0, 2, 16, QByteArray(32, '\x81')) << qint64(0) << "1D 76 30 00 02 00 10 00 ... (40 bytes)"
        << "000000  1D 76 30 00 02 00 ... (40 bytes)  GS v 0    raster image 16 x 16 dots";
    QTest::newRow("long text") << QByteArray(300, 'x') << qint64(0) << "78 78 78 78 78 78 78 78 ... (300 bytes)"
                               << "000000  78 78 78 78 78 78 ... (300 bytes)  text      '" + QString(64, 'x') + "...' (300 bytes), font A";
    QTest::newRow("unknown") << GS + "(E" + word(1) + "0" << qint64(0) << "1D 28 45 01 00 30"
                             << "000000  1D 28 45 01 00 30                 GS ( E    unknown command 1D 28 45";
    // Long streams: the bytes, the name and the meaning stay in their columns.
    QTest::newRow("offset 1,000,000") << ESC + "a" + n(1) << qint64(1000000) << "1B 61 01"
                                      << "1000000 1B 61 01                          ESC a     justification: centre";
    QTest::newRow("offset 25,000,000") << ESC + "a" + n(1) << qint64(25000000) << "1B 61 01"
                                       << "25000000 1B 61 01                         ESC a     justification: centre";
}

void TestCommandTrace::hex()
{
    QFETCH(QByteArray, stream);
    QFETCH(qint64, at);
    QFETCH(QString, hex);
    QFETCH(QString, logLine);
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(true);
    interpreter.feed(stream);
    interpreter.finish();
    QCOMPARE(interpreter.trace()->entries().size(), size_t(1));
    TraceEntry entry = interpreter.trace()->entries().front();
    entry.range = {entry.range.begin + at, entry.range.end + at};
    QCOMPARE(PrinterCommands::hex(entry), hex);
    QCOMPARE(PrinterCommands::logLine(entry), logLine);
}

// The help page shows the table as the code words it; regenerate it with
// "cmake --build build --target update-command-table".
void TestCommandTrace::helpPageTable()
{
    QFile file(QStringLiteral(MARLIX_SOURCE_DIR "/docs/MXCmd.htm"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    const qsizetype begin = page.indexOf(QLatin1String(PrinterCommands::kHtmlBegin));
    const qsizetype end = page.indexOf(QLatin1String(PrinterCommands::kHtmlEnd));
    QVERIFY2(begin >= 0 && end > begin, "MXCmd.htm lacks the markers of the generated table");
    const QString shown = page.mid(begin + qsizetype(qstrlen(PrinterCommands::kHtmlBegin)),
                                   end - begin - qsizetype(qstrlen(PrinterCommands::kHtmlBegin)));
    QCOMPARE(shown, QLatin1Char('\n') + PrinterCommands::htmlTable());
    for (const PrinterCommands::Command &command : PrinterCommands::table())
        QVERIFY2(shown.contains(QStringLiteral("<td>%1</td>").arg(command.name.toHtmlEscaped())), qPrintable(command.name));
}

QTEST_GUILESS_MAIN(TestCommandTrace)
#include "tst_command_trace.moc"
