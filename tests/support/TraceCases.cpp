#include "support/TraceCases.h"

#include "support/ReceiptText.h"

using namespace PrinterBytes;

namespace {
const QString kLf = QStringLiteral("LF | print the line and feed one line");

// GS ( L with its length: m 30, then the function and its parameters.
QByteArray graphics(const QByteArray &function)
{
    return GS + "(L" + word(int(function.size()) + 1) + "0" + function;
}
} // namespace

QList<TraceCase> familyTraceCases()
{
    const QByteArray ean = GS + "w" + n(2) + GS + "h" + n(50) + GS + "k" + n(2) + "400638133393" + n(0);
    return {
        {"BEL", "A\x07\n",
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-2 BEL | beeper: one beep; nothing printed", "2-3 " + kLf + " @1:0,0 576x30"}},
        {"ESC B", ESC + "B" + n(2) + n(3) + ESC + "B" + n(0) + n(1),
         {"0-4 ESC B | beeper: 2 times, 150 ms each; nothing printed", "4-8 ESC B | beeper: 0 times, no beep"}},
        {"ESC ( A", ESC + "(A" + word(4) + "0" + n(0x31) + n(1) + n(2), {"0-9 ESC ( A | beeper: function 30 (3 parameters); nothing printed"}},
        {"ESC {: the line turned within the printable width", ESC + "{" + n(1) + "AB\n" + ESC + "{" + n(0),
         {"0-3 ESC { | upside-down printing: on from the line being started", "3-5 text | 'AB', font A @1:552,0 24x24",
          "5-6 " + kLf + " @1:0,0 576x30", "6-9 ESC { | upside-down printing: off"}},
        {"ESC V: characters on their side", ESC + "V" + n(1) + "AB\n" + ESC + "V0" + ESC + "V" + n(3),
         {"0-3 ESC V | 90 degree rotation: on", "3-5 text | 'AB', font A @1:0,0 48x12", "5-6 " + kLf + " @1:0,0 576x30",
          "6-9 ESC V | 90 degree rotation: off", "9-12 ESC V | 90 degree rotation: 3 is out of range, ignored"}},
        {"ESC $ and ESC \\", "A" + ESC + "$" + word(100) + "B" + ESC + "\\" + word(0xFFF4) + "C" + ESC + "$" + word(600) + "\n",
         {"0-1 text | 'A', font A @1:0,0 12x24", "1-5 ESC $ | print position: 100 dots from the start of the line",
          "5-6 text | 'B', font A @1:100,0 12x24", "6-10 ESC \\ | print position: back 12 dots", "10-11 text | 'C', font A @1:100,0 12x24",
          "11-15 ESC $ | print position: 600 dots from the start of the line", "15-16 " + kLf + " @1:0,0 576x30"}},
        {"ESC D", ESC + "D" + n(2) + n(5) + n(0) + "A\tB\tC\tD\n" + ESC + "D" + n(0),
         {"0-5 ESC D | tab stops at characters 2, 5", "5-6 text | 'A', font A @1:0,0 12x24", "6-7 HT | move to the next tab stop",
          "7-8 text | 'B', font A @1:24,0 12x24", "8-9 HT | move to the next tab stop", "9-10 text | 'C', font A @1:60,0 12x24",
          "10-11 HT | move to the next tab stop", "11-12 text | 'D', font A @1:72,0 12x24", "12-13 " + kLf + " @1:0,0 576x30",
          "13-16 ESC D | tab stops: none (HT moves nowhere)"}},
        {"GS P", GS + "P" + n(203) + n(203), {"0-4 GS P | motion units: 203, 203 (positions stay in the printer's 203 dpi dots)"}},
        {"GS f", GS + "f" + n(1) + GS + "H" + n(2) + ean + GS + "f" + n(2),
         {"0-3 GS f | barcode text font: B", "3-6 GS H | barcode text: below", "6-9 GS w | barcode module: 2 dots",
          "9-12 GS h | barcode height: 50 dots", "12-28 GS k | barcode EAN-13 '400638133393', module 2, height 50, text below @1:0,0 190x67",
          "28-31 GS f | barcode text font: 2 is out of range, ignored"}},
        {"page mode, bottom to top", ESC + "L" + ESC + "W" + word(10) + word(0) + word(100) + word(60) + ESC + "T" + n(1) + GS + "$" + word(4)
                                         + "AB" + GS + "\\" + word(40) + "C\x0C",
         {"0-2 ESC L | page mode: on, a page laid out until FF prints it", "2-12 ESC W | page area: 100 x 60 dots at 10, 0",
          "12-15 ESC T | page direction: bottom to top, from the lower left", "15-19 GS $ | page mode: vertical position 4 dots",
          "19-21 text | 'AB', font A @1:14,36 24x24", "21-25 GS \\ | page mode: vertical position down 40 dots",
          "25-26 text | 'C', font A @1:54,24 24x12", "26-27 FF | page mode: print the page, back to standard mode @1:14,24 64x36"}},
        {"page mode: printed and kept, emptied, dropped",
         ESC + "L" + ESC + "W" + word(0) + word(0) + word(48) + word(30) + "X" + ESC + "\x0C\x18Y" + ESC + "\x0C" + ESC + "S",
         {"0-2 ESC L | page mode: on, a page laid out until FF prints it", "2-12 ESC W | page area: 48 x 30 dots at 0, 0",
          "12-13 text | 'X', font A @1:0,0 12x24", "13-15 ESC FF | page mode: print the page and keep it @1:0,0 12x24",
          "15-16 CAN | page mode: the page emptied", "16-17 text | 'Y', font A @1:0,30 12x24",
          "17-19 ESC FF | page mode: print the page and keep it @1:0,30 12x24", "19-21 ESC S | standard mode: the page dropped unprinted"}},
        {"PDF417",
         qrFunction("0A" + n(2)) + qrFunction("0B" + n(0)) + qrFunction("0C" + n(2)) + qrFunction("0D" + n(2)) + qrFunction("0E01")
             + qrFunction("0E1" + n(5)) + qrFunction("0F" + n(1)) + qrFunction("0P0Hi") + qrFunction("0Q0"),
         {"0-8 GS ( k | PDF417: 2 columns", "8-16 GS ( k | PDF417: rows as the data needs", "16-24 GS ( k | PDF417: module 2 dots",
          "24-32 GS ( k | PDF417: row height 2 modules", "32-41 GS ( k | PDF417: error correction level 1",
          "41-50 GS ( k | PDF417: error correction 50 % of the data", "50-58 GS ( k | PDF417: truncated",
          "58-68 GS ( k | PDF417: store 'Hi'", "68-76 GS ( k | PDF417: print 'Hi' @1:0,0 138x12"}},
        {"PDF417 error correction out of range", qrFunction("0E0" + n(1)) + qrFunction("0E1" + n(41)) + qrFunction("0E2" + n(1)),
         {"0-9 GS ( k | PDF417 error correction level: 01 is out of range (30 to 38 for levels 0 to 8), ignored",
          "9-18 GS ( k | PDF417 error correction: 41 tenths of the data is out of range (1 to 40), ignored",
          "18-27 GS ( k | PDF417 error correction: 50 is out of range, ignored"}},
        {"MaxiCode", qrFunction("2A4") + qrFunction("2P0Hi") + qrFunction("2Q0"),
         {"0-8 GS ( k | MaxiCode: mode 4", "8-18 GS ( k | MaxiCode: store 'Hi'", "18-26 GS ( k | MaxiCode: print 'Hi' @1:0,0 239x232"}},
        {"GS1 DataBar", qrFunction("3C" + n(2)) + qrFunction("3G" + word(300)) + qrFunction("3P0H0123456789012") + qrFunction("3Q0"),
         {"0-8 GS ( k | GS1 DataBar: module 2 dots", "8-17 GS ( k | GS1 DataBar: rows at most 300 dots wide",
          "17-39 GS ( k | GS1 DataBar: store '0123456789012'", "39-47 GS ( k | GS1 DataBar: print '0123456789012' @1:0,0 100x26"}},
        {"Composite", qrFunction("4C" + n(2)) + qrFunction("4P00B331234567890") + qrFunction("4P01A(99)1234") + qrFunction("4Q0"),
         {"0-8 GS ( k | Composite: module 2 dots", "8-30 GS ( k | Composite: store '331234567890'",
          "30-48 GS ( k | Composite: store '(99)1234'", "48-56 GS ( k | Composite: print '331234567890|(99)1234' @1:0,0 198x100"}},
        {"Aztec Code", qrFunction("5B" + n(1) + n(0)) + qrFunction("5C" + n(3)) + qrFunction("5E" + n(23)) + qrFunction("5P0Hi") + qrFunction("5Q0"),
         {"0-9 GS ( k | Aztec Code: compact, layers as the data needs", "9-17 GS ( k | Aztec Code: module 3 dots",
          "17-25 GS ( k | Aztec Code: error correction 23 %", "25-35 GS ( k | Aztec Code: store 'Hi'",
          "35-43 GS ( k | Aztec Code: print 'Hi' @1:0,0 45x45"}},
        {"Data Matrix", qrFunction("6B" + n(0) + n(0) + n(0)) + qrFunction("6C" + n(3)) + qrFunction("6P0Hi") + qrFunction("6Q0") + qrFunction("6C" + n(17)),
         {"0-10 GS ( k | Data Matrix: square, as the data needs", "10-18 GS ( k | Data Matrix: module 3 dots",
          "18-28 GS ( k | Data Matrix: store 'Hi'", "28-36 GS ( k | Data Matrix: print 'Hi' @1:0,0 30x30",
          "36-44 GS ( k | Data Matrix: module 17 dots"}},
        {"GS ( L", graphics("1" + n(0x32) + n(0x32)) + graphics("p0" + n(1) + n(1) + "1" + word(8) + word(2) + "\xF0\x0F") + graphics("2")
                       + graphics("C0AB" + n(1) + word(8) + word(1) + "1\xFF") + graphics("EAB" + n(1) + n(2)) + graphics("BAB")
                       + graphics("ACLR") + graphics("0") + graphics("3") + graphics("@KC")
                       + graphics("q0" + n(1) + n(1) + "1" + word(1) + word(8) + "\x81") + graphics(n(2)),
         {"0-9 GS ( L | graphics: reference dot density 50 x 50 (the printer keeps 203 dpi)",
          "9-26 GS ( L | graphics: store a 8 x 2 dot image in the print buffer",
          "26-33 GS ( L | graphics: print the image in the print buffer @1:0,0 8x2",
          "33-50 GS ( L | graphics: define NV graphic 'AB', 8 x 1 dots",
          "50-61 GS ( L | graphics: print NV graphic 'AB', double height @1:0,2 8x2", "61-70 GS ( L | graphics: delete NV graphic 'AB'",
          "70-80 GS ( L | graphics: delete every NV graphic", "80-87 GS ( L | graphics: NV memory capacity requested; nothing printed",
          "87-94 GS ( L | graphics: NV memory left requested; nothing printed",
          "94-103 GS ( L | graphics: NV graphics key codes requested; nothing printed",
          "103-119 GS ( L | graphics: store a 1 x 8 dot image in the print buffer, column format",
          "119-126 GS ( L | graphics: print the image in the print buffer @1:0,4 1x8"}},
        {"GS 8 L", GS + "8L" + word(12) + word(0) + "0p0" + n(2) + n(1) + "1" + word(8) + word(2) + "\xFF\x01",
         {"0-19 GS 8 L | graphics: store a 8 x 2 dot image in the print buffer, double width"}},
        {"FS q, FS p", FS + "q" + n(1) + word(1) + word(1) + QByteArray(8, '\x80') + FS + "p" + n(1) + "1" + FS + "p" + n(2) + n(0) + FS + "q" + n(0),
         {"0-15 FS q | NV bit images: define 1, the first 8 x 8 dots", "15-19 FS p | print NV bit image 1, double width @1:0,0 16x8",
          "19-23 FS p | print NV bit image 2", "23-26 FS q | NV bit images: every one deleted"}},
    };
}
