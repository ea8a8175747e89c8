// The interpreter's state between commands: the modes ESC @ resets, the
// data stored for symbols, a graphic on its way in and the page being laid
// out in page mode; how a character's bytes are read. Not part of its interface.
#pragma once

#include "printer/paper/Receipt.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>

#include <array>

struct Pdf417Modes
{
    int columns = 0;  // 0: as the data needs
    int rows = 0;     // 0: as the data needs
    int module = 3;   // dots, 2 to 8
    int rowHeight = 3; // times the module, 2 to 8
    int eccLevel = 1;  // 0 to 8; -1: by eccRatio
    int eccRatio = 0;  // tenths of the data, 1 to 40
    bool truncated = false;
};

struct Symbol2DModes
{
    Pdf417Modes pdf417;
    int maxiMode = 2;         // 2 to 6
    int databarModule = 2;    // dots, 2 to 8
    int databarWidth = 0;     // Expanded Stacked: most dots a row; 0 as wide as it likes
    int compositeModule = 2;
    int compositeWidth = 0;
    bool aztecCompact = false;
    int aztecLayers = 0;      // 0: as the data needs
    int aztecModule = 3;
    int aztecEcc = 23;        // per cent
    bool matrixRectangle = false;
    int matrixColumns = 0;    // 0: as the data needs
    int matrixRows = 0;
    int matrixModule = 3;
};

struct PrinterModes
{
    TextStyle style;
    bool emphasized = false;
    bool doubleStrike = false;
    int lineSpacing = 30;
    int justify = 0;
    int leftMargin = 0;
    int printWidth = Paper::kWidthDots; // GS W; kept within the paper in use where it is used
    int codePage = 0;
    int international = 0;  // ESC R
    bool twoByte = false;   // FS & on, FS . off
    int japaneseCode = -1;  // FS C: 0 JIS, 1 Shift JIS, -1 none chosen (Shift JIS with FS &)
    quint8 twoByteMode = 0; // FS !: bit 2 double width, 3 double height, 7 underline
    int barcodeHeight = 162;
    int barcodeModule = 3;
    int barcodeText = 0;
    int barcodeFont = 0; // GS f: 0 font A, 1 font B
    int qrModule = 3;
    int qrEcc = 1; // 1 L, 2 M, 3 Q, 4 H
    bool rotated = false;    // ESC V
    bool upsideDown = false; // ESC {
    bool tabsSet = false;    // ESC D: the stops below, else every 8 characters
    QList<int> tabStops;     // dots from the line's left
    QRect pageArea{0, 0, Paper::kWidthDots, 1662}; // ESC W, dots of the page; within the paper in use: pageArea()
    // Line and character spacing are set apart for each mode: these are the
    // other mode's, swapped in when the mode changes.
    int otherLineSpacing = 30;
    quint8 otherCharSpacing = 0;
    int pageDirection = 0;   // ESC T: 0 left to right, 1 bottom to top, 2 right to left, 3 top to bottom
    Symbol2DModes symbols;
};

// GS ( k data of the symbols other than the QR code: PDF417, MaxiCode,
// DataBar, Composite (linear and 2D part), Aztec, Data Matrix.
struct SymbolStore
{
    std::array<QByteArray, 8> data; // by symbol byte - 0x30; [7] the composite's 2D part
    int databarType = 0;   // GS1 DataBar: 72 stacked, 73 stacked omnidirectional, 76 expanded stacked
    int compositeType = 0; // the composite's linear part: 65 EAN-8 ... 77 GS1-128
};

// GS ( L or GS 8 L on its way in: its parameters, then its image.
struct GraphicsInput
{
    int headerSize = 0;   // bytes of parameters before the image
    int function = 0;
    int width = 0;        // dots of the image as sent
    int height = 0;
    bool column = false;  // column format: top to bottom, then left to right
    qint64 planeBytes = 0; // one colour's data
    bool imaging = false; // the parameters are in
    qint64 received = 0;  // image bytes so far
    bool keep = false;    // false: read past
    QImage image;         // what is kept: at most the paper's width
    uchar *bits = nullptr; // its dots, written as they come
    QByteArray key;       // NV graphics: the key code
};

// Page mode: the page laid out so far, in dots of the page, and the
// position across the print direction (the line's own x is along it).
struct Page
{
    bool active = false;
    int y = 0;
    int bottom = 0; // the lowest print area used: the page's length
    QList<TextRun> runs; // in dots of the page
    QList<DotImage> images;
    qsizetype cost = 0;
    qint64 begin = 0; // the first byte laid out
};

// How a character's bytes are read: the run it joins must read them alike.
struct Reading
{
    quint8 codePage = 0;
    quint8 international = 0;
    TwoByteCode twoByte = TwoByteCode::None;
};
