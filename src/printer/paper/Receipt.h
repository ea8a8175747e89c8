#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>

// What the virtual printer put on paper: the receipt model that the
// interpreter builds from the byte stream and the renderer draws.
//
// Coordinates are printer dots (8 per mm): x from the paper's left edge
// (0 to 575 on 80 mm paper, 0 to 383 on 58 mm), y from the top of the
// receipt. Every element keeps the range of stream bytes that made it, as
// absolute offsets into everything fed to the interpreter, so an inspector
// can tie paper and bytes together.

namespace Paper {
constexpr int kWidthDots = 576;       // 80 mm paper, 72 mm printable at 8 dots per mm: the default and the widest
constexpr int kNarrowWidthDots = 384; // 58 mm paper, 48 mm printable
constexpr int kDotsPerMm = 8;
constexpr int kRollWidthMm = 80;
constexpr int kNarrowRollWidthMm = 58;
// The roll whose printable width it is (80 or 58 mm), and the printable
// width of a roll of that many millimetres (0 for one we do not have).
constexpr int rollWidthMm(int widthDots) { return widthDots == kNarrowWidthDots ? kNarrowRollWidthMm : kRollWidthMm; }
constexpr int widthForRoll(int rollMm)
{
    return rollMm == kRollWidthMm ? kWidthDots : rollMm == kNarrowRollWidthMm ? kNarrowWidthDots : 0;
}
constexpr int kMaxReceiptDots = 8000; // 1 m: the printer cuts by itself there
constexpr int kMinPrintableDots = 96; // 12 mm: GS L and GS W leave at least this
}

// Bytes [begin, end) of the stream, as absolute offsets.
struct ByteRange
{
    qint64 begin = 0;
    qint64 end = 0;
    bool isEmpty() const { return end <= begin; }
    bool operator==(const ByteRange &) const = default;
};

enum class PrinterFont : quint8 { A, B };

// How the printer reads pairs of bytes in two-byte mode (FS &): its model's
// encoding, and JIS where FS C picks it on a Japanese model. None: one byte
// a character.
enum class TwoByteCode : quint8 { None, Gb18030, ShiftJis, Big5, EucKr, Jis };

struct TextStyle
{
    PrinterFont font = PrinterFont::A;
    bool emphasized = false; // ESC E, ESC G or ESC ! bit 3: drawn heavier
    quint8 underline = 0;    // 0 none, 1 or 2 dots
    quint8 width = 1;        // 1 to 8
    quint8 height = 1;       // 1 to 8
    bool reverse = false;    // white on black
    quint8 spacing = 0;      // ESC SP: dots right of each character, before the width multiplier
    bool wide = false;       // two-byte characters: 24 x 24 cells (font B 16 x 16)
    bool rotated = false;    // ESC V: each character turned 90 degrees clockwise in its cell

    int cellWidth() const { return wide ? (font == PrinterFont::A ? 24 : 16) : (font == PrinterFont::A ? 12 : 9); }
    int cellHeight() const { return wide ? (font == PrinterFont::A ? 24 : 16) : (font == PrinterFont::A ? 24 : 17); }
    // Dots from one character to the next, and the drawn character's size.
    int advance() const { return (cellWidth() + spacing) * width; }
    int charWidth() const { return cellWidth() * width; }
    int charHeight() const { return cellHeight() * height; }
    // The same along the line, a turned character lying on its side.
    int lineAdvance() const { return rotated ? charHeight() + spacing : advance(); }
    int lineWidth() const { return rotated ? charHeight() : charWidth(); }
    int lineHeight() const { return rotated ? charWidth() : charHeight(); }
    bool operator==(const TextStyle &) const = default;
};

// Characters of one style printed side by side, one cell each.
struct TextRun
{
    int x = 0; // left edge of the first cell
    int y = 0; // top of the cells; runs of a line share their bottom edge
    QByteArray text; // the printer's bytes: one per character, two per two-byte character
    quint8 codePage = 0;      // ESC t: the page its bytes 80-FF are drawn with
    quint8 international = 0; // ESC R: the set that replaces some of 23-7E
    TwoByteCode twoByte = TwoByteCode::None; // a run of two-byte characters: their encoding
    TextStyle style;
    ByteRange source;
    // The whole run turned clockwise by quarter turns (upside-down lines and
    // page mode's directions): x and y are then the top left of rect(), and
    // width() and height() are measured along the run as it reads.
    quint8 turn = 0;
    // Combining marks (Thai vowels and tones, Vietnamese tones, Hebrew
    // points): all drawn over the cell at x, the character before them, with
    // no advance and no background of their own.
    bool combining = false;

    // Characters, one cell each.
    int count() const { return int(text.size()) / (twoByte == TwoByteCode::None ? 1 : 2); }
    int width() const { return combining ? 0 : count() * style.lineAdvance(); }
    int height() const { return style.lineHeight(); }
    // The dots its characters cover: the spacing after the last one is not drawn.
    QRect rect() const
    {
        if (text.isEmpty())
            return QRect();
        const int along = (combining ? 0 : (count() - 1) * style.lineAdvance()) + style.lineWidth();
        return turn & 1 ? QRect(x, y, height(), along) : QRect(x, y, along, height());
    }
};

// Dots as printed: a raster or column image, a barcode's bars, a QR code.
struct DotImage
{
    enum class Kind : quint8 { Raster, Column, Barcode, QrCode, Symbol }; // Symbol: the other 2D symbols
    Kind kind = Kind::Raster;
    int x = 0;
    int y = 0;
    QImage dots; // Format_Mono, one pixel per dot, index 1 is ink (colour table: transparent, black)
    ByteRange source;
    QByteArray data = {};             // a barcode's or symbol's data, as stored: what a scanner reads
    const char *symbolName = nullptr; // Symbol: which one ("PDF417", "Data Matrix", ...)
    int sentWidth = 0; // an image cut at the paper's edge: its width as sent, in dots (0: drawn whole)

    int width() const { return dots.width(); }
    int height() const { return dots.height(); }
    QRect rect() const { return QRect(x, y, width(), height()); }
};

// One printed line: the text and images printed together, bottom-aligned.
// height is the paper the line takes by itself: the larger of the line
// spacing and its tallest element. A command that prints a line may feed
// more or less than that (ESC J, ESC d), so the next line's y says where it
// really went.
struct ReceiptLine
{
    int y = 0;
    int height = 0;
    QList<TextRun> runs;
    QList<DotImage> images;
    ByteRange source; // from its first element to the command that printed it

    // The lowest dot it inks (y + tallest element).
    int inkBottom() const;
};

// Paper fed with nothing printed (LF on an empty line, ESC J, ESC d, the
// feed of GS V 41/42).
struct Feed
{
    int y = 0;
    int dots = 0;
    ByteRange source;
};

// Something the printer did that puts nothing on paper, and where on the
// receipt it came: a beep, a drawer pulse.
struct ReceiptEvent
{
    enum class Kind : quint8 { Beep, DrawerPulse };
    Kind kind = Kind::Beep;
    int drawer = 0;        // DrawerPulse: 1 or 2
    bool realTime = false; // DLE DC4: done as it arrived, not when printed
    int y = 0;             // the print position when it came
    ByteRange source;
};

enum class CutKind : quint8 {
    None,      // still open
    Full,      // GS V 0/30
    Partial,   // GS V 1/31, ESC i, ESC m
    Automatic, // the printer cut at the length cap or its drawing budget
};

struct Receipt
{
    int number = 0;            // 1 for the first receipt of the stream
    QList<ReceiptLine> lines;  // in stream order; y never decreases
    QList<Feed> feeds;         // in stream order
    QList<ReceiptEvent> events; // in stream order
    int lengthDots = 0;        // paper length: the feed position or the lowest ink, whichever is lower on the paper
    CutKind cut = CutKind::None;
    ByteRange source;          // every byte from the end of the previous receipt to the cut
    int tallestLineInk = 0;    // the largest inkBottom() - y of its lines, for linesIn()
    int widthDots = Paper::kWidthDots; // the printable width of the paper it is on

    double lengthMm() const { return double(lengthDots) / Paper::kDotsPerMm; }
    bool isBlank() const { return lines.isEmpty() && feeds.isEmpty(); } // events print nothing
    // Lines that ink some of [y0, y1); lines are sorted by y.
    QList<const ReceiptLine *> linesIn(int y0, int y1) const;
};
