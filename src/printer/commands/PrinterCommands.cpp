// The table of the commands the virtual printer understands, and the words
// for a trace entry built from it (each command's words: CommandWords.cpp).
#include "printer/commands/PrinterCommands.h"

#include "printer/commands/CommandLengths.h"
#include "printer/commands/CommandWords.h"

#include <algorithm>

namespace PrinterCommands {
namespace {
using namespace Words;
using namespace CommandLength;

Command row(const char *key, const char *name, const char *syntax, const char *description,
            QString (*words)(const TraceEntry &), int from = -1, int to = -1, int at = -1)
{
    Command command;
    command.key = QByteArray::fromHex(key);
    command.from = from;
    command.to = to;
    command.at = at;
    command.name = QString::fromUtf8(name);
    command.syntax = QString::fromUtf8(syntax);
    command.description = QString::fromUtf8(description);
    command.words = words;
    return command;
}

// A command drawn and worded nowhere, known by its length only.
Command skipped(const char *key, Frame (*length)(const QByteArray &), const char *example)
{
    Command command;
    command.key = QByteArray::fromHex(key);
    command.listed = false;
    return std::move(command).reads(length, Family::Skipped, example);
}

Command special(Command::Match match, const char *name, const char *syntax, const char *description,
                QString (*words)(const TraceEntry &))
{
    Command command = row("", name, syntax, description, words);
    command.match = match;
    return command;
}

QList<Command> makeTable()
{
    using M = Command::Match;
    return {
        special(M::Text, "text", "20-7E, 80-FF",
                "characters: 20-7E as ASCII (some replaced by the international character set), 80-FF through the code "
                "page, and in two-byte mode a lead byte and the byte after it as one character in a 24 x 24 cell "
                "(16 x 16 in font B); text that would pass the right edge wraps",
                wText),
        row("0A", "LF", "0A", "print the line and feed one line", wLineFeed)
            .reads(nullptr, Family::None, "0A"),
        row("0D", "CR", "0D", "ignored", wIgnored)
            .reads(nullptr, Family::None, "0D"),
        row("09", "HT", "09", "move to the next tab stop (every 8 characters of the current font, or those ESC D set)", wTab)
            .reads(nullptr, Family::None, "09"),
        row("07", "BEL", "07", "beeper: one beep; nothing printed (the preview marks it beside the paper)", wBell)
            .reads(nullptr, Family::None, "07"),
        row("0C", "FF", "0C", "page mode: print the page and go back to standard mode; ignored in standard mode", wFormFeed)
            .reads(nullptr, Family::None, "0C"),
        row("18", "CAN", "18", "page mode: empty the page; ignored in standard mode", wCancel)
            .reads(nullptr, Family::None, "18"),
        special(M::Control, "NUL … US, DEL", "00-1F, 7F", "the other control bytes: ignored", wIgnored),
        row("1B40", "ESC @", "1B 40", "initialize: empty the line, every mode back to its default (the paper stays)", wInitialize)
            .reads(fixed<2>, Family::Modes, "1B40"),
        row("1B21", "ESC !", "1B 21 n",
            "print mode: bit 0 font B, bit 3 emphasized, bit 4 double height, bit 5 double width, bit 7 underline", wPrintMode)
            .reads(fixed<3>, Family::Modes, "1B2108"),
        row("1B45", "ESC E", "1B 45 n", "emphasized on when bit 0 of n is set", wEmphasized)
            .reads(fixed<3>, Family::Modes, "1B4501"),
        row("1B47", "ESC G", "1B 47 n", "double strike: drawn as emphasized", wDoubleStrike)
            .reads(fixed<3>, Family::Modes, "1B4701"),
        row("1B2D", "ESC -", "1B 2D n", "underline: 0/30 off, 1/31 one dot, 2/32 two dots", wUnderline)
            .reads(fixed<3>, Family::Modes, "1B2D01"),
        row("1B4D", "ESC M", "1B 4D n", "font: 0/30 font A (12 x 24 dots, 48 a line), 1/31 font B (9 x 17 dots, 64 a line)", wFont)
            .reads(fixed<3>, Family::Modes, "1B4D01"),
        row("1B61", "ESC a", "1B 61 n", "justification: 0/30 left, 1/31 centre, 2/32 right; takes effect for the line being started",
            wJustification)
            .reads(fixed<3>, Family::Modes, "1B6101"),
        row("1D21", "GS !", "1D 21 n", "character size: width (n >> 4) + 1, height (n & 0F) + 1, each 1 to 8", wCharacterSize)
            .reads(fixed<3>, Family::Modes, "1D2111"),
        row("1D42", "GS B", "1D 42 n", "reverse (white on black) when bit 0 of n is set", wReverse)
            .reads(fixed<3>, Family::Modes, "1D4201"),
        row("1B20", "ESC SP", "1B 20 n", "n dots of space to the right of each character", wSpacing)
            .reads(fixed<3>, Family::Modes, "1B2002"),
        row("1B32", "ESC 2", "1B 32", "line spacing back to 30 dots", wDefaultSpacing)
            .reads(fixed<2>, Family::Modes, "1B32"),
        row("1B33", "ESC 3", "1B 33 n", "line spacing n dots", wLineSpacing)
            .reads(fixed<3>, Family::Modes, "1B3340"),
        row("1B64", "ESC d", "1B 64 n", "print the line and feed n lines", wFeedLines)
            .reads(fixed<3>, Family::Modes, "1B6402"),
        row("1B4A", "ESC J", "1B 4A n", "print the line and feed n dots, at least the line's height", wFeedDots)
            .reads(fixed<3>, Family::Modes, "1B4A30"),
        row("1D4C", "GS L", "1D 4C nL nH", "left margin, nL + 256 nH dots", wLeftMargin)
            .reads(fixed<4>, Family::Modes, "1D4C2000"),
        row("1D57", "GS W", "1D 57 nL nH", "printable width, nL + 256 nH dots (at most the paper's width less the left margin)", wPrintWidth)
            .reads(fixed<4>, Family::Modes, "1D570002"),
        row("1B74", "ESC t", "1B 74 n",
            "code page n: 0 PC437, 1 Katakana, 2 PC850, 3 PC860, 4 PC863, 5 PC865, 11 PC851, 12 PC853, 13 PC857, "
            "14 PC737, 15 ISO 8859-7, 16 Windows-1252, 17 PC866, 18 PC852, 19 PC858, 20-26 Thai (TIS-620), 32 PC720, "
            "33 Windows-775, 34 PC855, 35 PC861, 36 PC862, 37 PC864, 38 PC869, 39 ISO 8859-2, 40 ISO 8859-15, "
            "41 PC1098, 42 PC1118, 43 PC1119, 44 PC1125, 45-52 Windows-1250 to 1258, 53 KZ-1048; another page prints "
            "as PC437",
            wCodePage)
            .reads(fixed<3>, Family::Characters, "1B7410"),
        row("1B52", "ESC R", "1B 52 n",
            "international character set, replacing the characters of 23 24 40 5B 5C 5D 5E 60 7B 7C 7D 7E: 0 USA, "
            "1 France, 2 Germany, 3 UK, 4 Denmark I, 5 Sweden, 6 Italy, 7 Spain I, 8 Japan, 9 Norway, 10 Denmark II, "
            "11 Spain II, 12 Latin America, 13 Korea, 14 Slovenia/Croatia, 15 China, 16 Vietnam, 17 Arabia",
            wInternational)
            .reads(fixed<3>, Family::Characters, "1B5202"),
        row("1D56", "GS V", "1D 56 m; 1D 56 41 n, 1D 56 42 n",
            "cut: m 0/30 full, 1/31 partial; 41 and 42 feed n dots first, then cut full or partial", wCut)
            .reads(cut, Family::Printer, "1D564110"),
        row("1B69", "ESC i", "1B 69", "partial cut", wPartialCut)
            .reads(fixed<2>, Family::Printer, "1B69"),
        row("1B6D", "ESC m", "1B 6D", "partial cut", wPartialCut)
            .reads(fixed<2>, Family::Printer, "1B6D"),
        row("1D7630", "GS v 0", "1D 76 30 m xL xH yL yH d…",
            "raster image: xL + 256 xH bytes a row (8 dots each, high bit leftmost), yL + 256 yH rows; m 0 normal, "
            "1 double width, 2 double height, 3 both; printed at the left margin (or justified) on lines of its own",
            wRaster)
            .reads(raster, Family::Images, "1D76300001000200FF81"),
        row("1B2A", "ESC *", "1B 2A m nL nH d…",
            "column image on the current line: m 0/1 8-dot columns (one byte each, high bit at the top; m 0 double "
            "width), m 20/21 24-dot columns (three bytes each; m 20 double width); nL + 256 nH columns",
            wColumnImage)
            .reads(columnImage, Family::Images, "1B2A000300FF81FF"),
        row("1D68", "GS h", "1D 68 n", "barcode height n dots (default 162)", wBarcodeHeight)
            .reads(fixed<3>, Family::Symbols, "1D6840"),
        row("1D77", "GS w", "1D 77 n", "barcode module width n dots, 2 to 6 (default 3)", wBarcodeModule)
            .reads(fixed<3>, Family::Symbols, "1D7702"),
        row("1D48", "GS H", "1D 48 n", "barcode text: 0 none, 1 above, 2 below, 3 both", wBarcodeText)
            .reads(fixed<3>, Family::Symbols, "1D4802"),
        row("1D6B", "GS k", "1D 6B m d… 00",
            "barcode, m 0-6, data ended by 00: 0 UPC-A, 1 UPC-E, 2 EAN-13, 3 EAN-8, 4 CODE39, 5 ITF, 6 CODABAR",
            wBarcodeEnded, 0x00, 0x06)
            .reads(barcode, Family::Symbols, "1D6B044142433100"),
        row("1D6B", "GS k", "1D 6B m n d…",
            "barcode, m 41-49, with n data bytes: 41 UPC-A, 42 UPC-E, 43 EAN-13, 44 EAN-8, 45 CODE39, 46 ITF, "
            "47 CODABAR, 48 CODE93, 49 CODE128 (data starts with the code set, \"{A\", \"{B\" or \"{C\")",
            wBarcodeCounted, 0x41, 0x49)
            .reads(barcode, Family::Symbols, "1D6B450441424331"),
        row("1D66", "GS f", "1D 66 n", "font of the barcode text: 0/30 font A, 1/31 font B", wBarcodeFont)
            .reads(fixed<3>, Family::Symbols, "1D6601"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 30 fn …",
            "PDF417: fn 41 columns (0-30, 0 as the data needs), 42 rows (0, 3-90), 43 module width (2-8 dots), 44 row "
            "height (2-8 modules), 45 error correction (30 and level 30-38, or 31 and n tenths of the data), 46 options "
            "(0 standard, 1 truncated), 50 30 d… store data, 51 30 print it",
            wSymbol2D, 0x30, 0x30, 5)
            .reads(block, Family::Symbols, "1D286B0300304100"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 31 fn …",
            "QR code, pL + 256 pH bytes follow: 31 41 n1 n2 model (model 2 drawn), 31 43 n module size (1-16 dots), "
            "31 45 n error correction (30-33 for L, M, Q, H), 31 50 30 d… store data, 31 51 30 print it; "
            "other functions are skipped by their length",
            wQrCode)
            .reads(block, Family::Symbols, "1D286B0300314304"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 32 fn …", "MaxiCode: fn 41 mode (32-36 for 2-6), 50 30 d… store data, 51 30 print it",
            wSymbol2D, 0x32, 0x32, 5)
            .reads(block, Family::Symbols, "1D286B0300324132"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 33 fn …",
            "GS1 DataBar: fn 43 module width (2-8 dots), 47 the widest row, 50 30 n d… store data (n 48 stacked, 49 "
            "stacked omnidirectional, 4C expanded stacked), 51 30 print it",
            wSymbol2D, 0x33, 0x33, 5)
            .reads(block, Family::Symbols, "1D286B0300334303"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 34 fn …",
            "Composite: fn 43 module width (2-8 dots), 47 the widest row, 50 30 30 n d… store the linear part (n 41 "
            "EAN-8 to 4D GS1-128), 50 30 31 n d… store the 2D part, 51 30 print them",
            wSymbol2D, 0x34, 0x34, 5)
            .reads(block, Family::Symbols, "1D286B0300344303"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 35 fn …",
            "Aztec Code: fn 42 size (0 full-range or 1 compact, and its layers), 43 module size (2-16 dots), 45 error "
            "correction (5-95 %), 50 30 d… store data, 51 30 print it",
            wSymbol2D, 0x35, 0x35, 5)
            .reads(block, Family::Symbols, "1D286B0300354304"),
        row("1D286B", "GS ( k", "1D 28 6B pL pH 36 fn …",
            "Data Matrix: fn 42 size (0 square or 1 rectangle, columns, rows; 0 as the data needs), 43 module size "
            "(2-16 dots), 50 30 d… store data, 51 30 print it",
            wSymbol2D, 0x36, 0x36, 5)
            .reads(block, Family::Symbols, "1D286B0300364304"),
        row("1D284C", "GS ( L", "1D 28 4C pL pH 30 fn …",
            "graphics: fn 30 (0) NV memory capacity and 33 (3) what is left, answered; 31 (1) reference dot density "
            "(203 dpi kept); 70 30 bx by 31 xL xH yL yH d… stores a raster image in the print buffer (71: column "
            "format) and 32 (2) prints it; 43 30 kc1 kc2 b xL xH yL yH 31 d… defines an NV graphic (44: column "
            "format), 45 kc1 kc2 x y prints it (x, y 1 or 2), 42 kc1 kc2 deletes it, 41 43 4C 52 deletes them all, "
            "40 4B 43 lists their key codes (answered); NV graphics stay through ESC @ while the printer runs",
            wGraphics)
            .reads(block, Family::Graphics, "1D284C02003030"),
        row("1D384C", "GS 8 L", "1D 38 4C p1 p2 p3 p4 30 fn …",
            "graphics as GS ( L, with a four-byte length for large images", wGraphicsLong)
            .reads(longBlock, Family::Graphics, "1D384C020000003030"),
        row("1C71", "FS q", "1C 71 n [xL xH yL yH d…]…",
            "NV bit images: define n images (each xL + 256 xH by yL + 256 yH times 8 dots, in columns), deleting "
            "those defined before; they stay through ESC @ while the printer runs",
            wBitImages)
            .reads(bitImages, Family::Graphics, "1C710101000100FFFFFFFFFFFFFFFF"),
        row("1C70", "FS p", "1C 70 n m", "print NV bit image n: m 0/30 normal, 1/31 double width, 2/32 double height, 3/33 both",
            wBitImagePrint)
            .reads(fixed<4>, Family::Graphics, "1C700100"),
        row("1B7B", "ESC {", "1B 7B n", "upside-down printing on (bit 0): each line from the next one drawn turned by 180 degrees",
            wUpsideDown)
            .reads(fixed<3>, Family::Modes, "1B7B01"),
        row("1B56", "ESC V", "1B 56 n", "90 degree clockwise rotation of characters: 0/30 off, 1/31 and 2/32 on", wRotation)
            .reads(fixed<3>, Family::Modes, "1B5601"),
        row("1B24", "ESC $", "1B 24 nL nH", "print position nL + 256 nH dots from the start of the line", wAbsolutePosition)
            .reads(fixed<4>, Family::Positions, "1B244000"),
        row("1B5C", "ESC \\", "1B 5C nL nH", "print position moved by nL + 256 nH dots (a negative number, two's complement, moves back)",
            wRelativePosition)
            .reads(fixed<4>, Family::Positions, "1B5C1000"),
        row("1B44", "ESC D", "1B 44 n… 00", "tab stops at the given characters, ascending, ended by 00 (none: HT moves nowhere)",
            wTabStops)
            .reads(tabStops, Family::Positions, "1B44081000"),
        row("1D50", "GS P", "1D 50 x y", "motion units: accepted, positions stay in the printer's 203 dpi dots", wMotionUnits)
            .reads(fixed<4>, Family::Positions, "1D50B4B4"),
        row("1B42", "ESC B", "1B 42 n t", "beeper: n times, t x 50 ms; nothing printed (the preview marks it beside the paper)", wBeeper)
            .reads(fixed<4>, Family::Printer, "1B420201"),
        row("1B2841", "ESC ( A", "1B 28 41 pL pH fn …", "beeper: nothing printed (the preview marks it beside the paper)",
            wBeeperPattern)
            .reads(beeper, Family::Printer, "1B28410300610101"),
        row("1B4C", "ESC L", "1B 4C",
            "page mode on, at the beginning of a line: lines are laid out in a page until it is printed, with their own "
            "line and character spacing; GS v 0, FS q and FS p do nothing there",
            wPageMode)
            .reads(fixed<2>, Family::Positions, "1B4C"),
        row("1B53", "ESC S", "1B 53", "standard mode: the page is dropped unprinted", wStandardMode)
            .reads(fixed<2>, Family::Positions, "1B53"),
        row("1B57", "ESC W", "1B 57 xL xH yL yH dxL dxH dyL dyH",
            "page mode's print area: from x, y, dx by dy dots (within the paper's width)", wPageArea)
            .reads(fixed<10>, Family::Positions, "1B570000000000020001"),
        row("1B54", "ESC T", "1B 54 n",
            "page mode's print direction: 0/30 left to right, 1/31 bottom to top, 2/32 right to left, 3/33 top to bottom",
            wPageDirection)
            .reads(fixed<3>, Family::Positions, "1B5401"),
        row("1D24", "GS $", "1D 24 nL nH", "page mode: vertical position nL + 256 nH dots in the print direction's terms",
            wVerticalAbsolute)
            .reads(fixed<4>, Family::Positions, "1D244000"),
        row("1D5C", "GS \\", "1D 5C nL nH", "page mode: vertical position moved by nL + 256 nH dots (two's complement)",
            wVerticalRelative)
            .reads(fixed<4>, Family::Positions, "1D5C1000"),
        row("1B0C", "ESC FF", "1B 0C", "page mode: print the page and keep it (to print it again)", wPagePrint)
            .reads(fixed<2>, Family::Positions, "1B0C"),
        row("1004", "DLE EOT", "10 04 n", "real-time status request: nothing printed", wStatusRequest)
            .reads(fixed<3>, Family::Printer, "100401"),
        row("1005", "DLE ENQ", "10 05 n", "real-time request: nothing printed", wRealTimeRequest)
            .reads(fixed<3>, Family::Printer, "100501"),
        row("1014", "DLE DC4", "10 14 fn …", "real-time command: nothing printed", wRealTimeCommand)
            .reads(realTimeCommand, Family::Printer, "1014010001"),
        row("1C26", "FS &", "1C 26",
            "two-byte characters on, in the printer's encoding (GB 18030, Shift JIS, Big5 or EUC-KR: a simulator "
            "option and a preview setting); a pair that is no character prints a replacement mark",
            wTwoByteOn)
            .reads(fixed<2>, Family::Characters, "1C26"),
        row("1C2E", "FS .", "1C 2E", "two-byte characters off", wTwoByteOff)
            .reads(fixed<2>, Family::Characters, "1C2E"),
        row("1C43", "FS C", "1C 43 n", "Japanese two-byte code: 0/30 JIS, 1/31 Shift JIS (where the encoding is Shift JIS)",
            wJapaneseCode)
            .reads(fixed<3>, Family::Characters, "1C4301"),
        row("1C21", "FS !", "1C 21 n", "two-byte print mode: bit 2 double width, bit 3 double height, bit 7 underline",
            wTwoByteMode)
            .reads(fixed<3>, Family::Characters, "1C2104"),
        row("1C05", "FS ENQ", "1C 05 n",
            "condition request: answered at once, NAK n when the condition holds, ACK n when not (1 drawer 1 open, "
            "2 drawer 2 open, 3 paper near end, 4 paper out, 8 cover open, 9 receive buffer not empty, 10 reset "
            "rejected, 11 not power cycled): nothing printed",
            wCondition)
            .reads(fixed<3>, Family::Printer, "1C0501"),
        row("1D72", "GS r", "1D 72 n", "status request, answered when printed: 1/31 paper sensor, 2/32 drawer: nothing printed",
            wTransmitStatus)
            .reads(fixed<3>, Family::Printer, "1D7201"),
        row("1D49", "GS I", "1D 49 n",
            "printer ID request: 1/31 model, 2/32 type, 3/33 firmware ID (one byte each); 41 firmware version, 42 maker, "
            "43 model name, 44 serial number (5F, the text, 00): nothing printed",
            wPrinterId)
            .reads(fixed<3>, Family::Printer, "1D4901"),
        row("1D61", "GS a", "1D 61 n",
            "automatic status back: with n not 0, 4 status bytes at once and at every change of what n selects "
            "(bit 0 drawer, 1 online, 2 error, 3 paper): nothing printed",
            wAutomaticStatus)
            .reads(fixed<3>, Family::Printer, "1D610F"),

        row("1B70", "ESC p", "1B 70 m t1 t2", "drawer kick pulse on pin 2 (m 0) or 5 (m 1), t1 x 2 ms on, t2 x 2 ms off: nothing printed",
            wDrawerKick)
            .reads(fixed<5>, Family::Printer, "1B700019FA"),
        row("1B67", "ESC g", "1B 67 n", "macro recording: 01 start, 02 end (the macro manager's commands): nothing printed",
            wMacroRecord)
            .reads(fixed<3>, Family::Printer, "1B6701"),
        row("1B1F", "ESC US", "1B 1F c name 00",
            "macro commands: m store the recording, b and e start and end a silent recording, r play, d remove, "
            "q query, t transfer to the extended store, f clear it; a played macro prints its bytes",
            wMacroNamed)
            .reads(macroName, Family::Printer, "1B1F724D00"),
        // Commands known only by their length: read past whole, noted as unknown.
        skipped("1B28", skippedBlock, "1B2842 0100 00"),
        skipped("1B76", CommandLength::skipped<2>, "1B76"),
        skipped("1B25", CommandLength::skipped<3>, "1B2501"),
        skipped("1B3D", CommandLength::skipped<3>, "1B3D01"),
        skipped("1B3F", CommandLength::skipped<3>, "1B3F41"),
        skipped("1B55", CommandLength::skipped<3>, "1B5501"),
        skipped("1B65", CommandLength::skipped<3>, "1B6502"),
        skipped("1B72", CommandLength::skipped<3>, "1B7201"),
        skipped("1B75", CommandLength::skipped<3>, "1B7500"),
        skipped("1B63", CommandLength::skipped<4>, "1B633001"),
        skipped("1D28", skippedBlock, "1D2841 0200 0000"),
        skipped("1D2A", skippedGraphics, "1D2A0101 0000000000000000"),
        skipped("1D3A", CommandLength::skipped<2>, "1D3A"),
        skipped("1D2F", CommandLength::skipped<3>, "1D2F00"),
        skipped("1D54", CommandLength::skipped<3>, "1D5401"),
        skipped("1D62", CommandLength::skipped<3>, "1D6201"),
        skipped("1D5E", CommandLength::skipped<5>, "1D5E010000"),
        skipped("1C28", skippedBlock, "1C2841 0200 3002"),
        skipped("1C2D", CommandLength::skipped<3>, "1C2D01"),
        skipped("1C57", CommandLength::skipped<3>, "1C5701"),
        skipped("1C53", CommandLength::skipped<4>, "1C530102"),
        skipped("1C3F", CommandLength::skipped<4>, "1C3F4101"),
    };
}

bool matches(const Command &command, const QByteArray &bytes)
{
    if (!bytes.startsWith(command.key))
        return false;
    if (command.from < 0)
        return true;
    const qsizetype at = command.at < 0 ? command.key.size() : command.at;
    if (bytes.size() <= at)
        return false;
    const int selector = quint8(bytes[at]);
    return selector >= command.from && selector <= command.to;
}

const char *const kControlNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF",
                                     "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                     "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
} // namespace

int smallChoice(quint8 n, int count)
{
    const int value = n >= '0' ? n - '0' : n;
    return value >= 0 && value < count ? value : -1;
}

namespace {
// The one table, parted: the rows the help page shows, and the commands
// known by their length only.
struct Tables
{
    QList<Command> listed;
    QList<Command> skipped;
    Tables()
    {
        for (Command &command : makeTable())
            (command.listed ? listed : skipped).append(std::move(command));
    }
};

const Tables &tables()
{
    static const Tables parts;
    return parts;
}
} // namespace

const QList<Command> &table()
{
    return tables().listed;
}

const QList<Command> &skippedCommands()
{
    return tables().skipped;
}

const Command *find(const TraceEntry &entry)
{
    if (entry.kind == TraceEntry::Kind::Unknown)
        return nullptr;
    const Command *best = nullptr;
    for (const Command &command : table()) {
        switch (command.match) {
        case Command::Match::Text:
            if (entry.kind == TraceEntry::Kind::Text)
                return &command;
            break;
        case Command::Match::Key:
            // The longest key wins, and one that names a selector over one that does not.
            if (entry.kind == TraceEntry::Kind::Command && matches(command, entry.bytes)
                && (!best || command.key.size() * 2 + (command.from >= 0) > best->key.size() * 2 + (best->from >= 0)))
                best = &command;
            break;
        case Command::Match::Control:
            break;
        }
    }
    if (best || entry.kind != TraceEntry::Kind::Command || entry.bytes.size() != 1)
        return best;
    for (const Command &command : table()) {
        if (command.match == Command::Match::Control)
            return &command;
    }
    return nullptr;
}

QString byteName(quint8 byte)
{
    if (byte < 0x20)
        return QLatin1String(kControlNames[byte]);
    if (byte == 0x20)
        return QStringLiteral("SP");
    if (byte < 0x7F)
        return QString(QLatin1Char(char(byte)));
    if (byte == 0x7F)
        return QStringLiteral("DEL");
    return QString::number(byte, 16).toUpper();
}

QString unknownWords(const QByteArray &key)
{
    return QStringLiteral("unknown command ") + QString::fromLatin1(key.toHex(' ').toUpper());
}

QString name(const TraceEntry &entry)
{
    const Command *command = find(entry);
    if (command && command->match != Command::Match::Control)
        return command->name;
    QStringList names;
    for (const char byte : entry.kind == TraceEntry::Kind::Unknown ? entry.key : entry.bytes.left(1))
        names << byteName(quint8(byte));
    return names.join(QLatin1Char(' '));
}

QString meaning(const TraceEntry &entry)
{
    if (entry.kind == TraceEntry::Kind::Unknown)
        return unknownWords(entry.key);
    const Command *command = find(entry);
    return command ? command->words(entry) : QString();
}

QString hex(const TraceEntry &entry, int maxBytes)
{
    const QByteArray shown = entry.bytes.left(maxBytes);
    QString text = QString::fromLatin1(shown.toHex(' ').toUpper());
    if (entry.length() > shown.size())
        text += QStringLiteral(" ... (%1 bytes)").arg(entry.length());
    return text;
}

QString logLine(const TraceEntry &entry)
{
    // Offsets past 999,999 take the second blank before the bytes, and the
    // name stays in its column while the bytes leave room: a long log lines up.
    const QString offset = QStringLiteral("%1").arg(entry.range.begin, 6, 10, QLatin1Char('0'));
    const QString head = offset + QString(std::max<qsizetype>(1, 8 - offset.size()), QLatin1Char(' ')) + hex(entry, 6);
    return QStringLiteral("%1  %2  %3").arg(head.leftJustified(40), name(entry).leftJustified(8), meaning(entry));
}

QString htmlTable()
{
    QString html = QStringLiteral("<table>\n  <tr><th>Bytes</th><th>Name</th><th>What the virtual printer does</th></tr>\n");
    for (const Command &command : table()) {
        html += QStringLiteral("  <tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                    .arg(command.syntax.toHtmlEscaped(), command.name.toHtmlEscaped(), command.description.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>\n");
}

bool replaceHtmlTable(QString *html)
{
    const qsizetype begin = html->indexOf(QLatin1String(kHtmlBegin));
    const qsizetype end = html->indexOf(QLatin1String(kHtmlEnd));
    if (begin < 0 || end < begin)
        return false;
    const qsizetype from = begin + qsizetype(qstrlen(kHtmlBegin));
    html->replace(from, end - from, QLatin1Char('\n') + htmlTable());
    return true;
}

} // namespace PrinterCommands
