// The 2D symbols other than the QR code, through libzint: PDF417, MaxiCode,
// GS1 DataBar (stacked), Composite, Aztec Code, Data Matrix.
#include "printer/symbols/Symbols.h"

#include <zint.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};
using ZintSymbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

constexpr float kMaxiCodeScale = 0.75f; // about 28 mm across at 8 dots a millimetre

// GS1 DataBar Expanded Stacked: the segment pairs a row holds within a width
// in modules (each pair 49 modules, the guards 4); libzint takes 1 to 11.
int segmentColumns(int widest)
{
    return widest <= 0 ? 0 : std::clamp((widest - 4) / 49, 1, 11);
}

struct Request
{
    Request(int symbology, const QByteArray &data, bool gs1 = false)
        : symbology(symbology)
        , data(data)
        , gs1(gs1)
    {
    }
    int symbology = 0;
    QByteArray data;
    QByteArray primary;
    int option1 = -1;
    int option2 = 0;
    int option3 = 0;
    bool gs1 = false;
};

Symbol refused(const zint_symbol *symbol)
{
    Symbol result;
    result.error = symbol ? QString::fromLatin1(symbol->errtxt) : QString();
    if (result.error.isEmpty())
        result.error = QStringLiteral("Error: the data cannot be encoded");
    return result;
}

ZintSymbol make(const Request &request)
{
    ZintSymbol symbol(ZBarcode_Create());
    if (!symbol)
        return symbol;
    symbol->symbology = request.symbology;
    symbol->input_mode = request.gs1 ? GS1_MODE | GS1PARENS_MODE : DATA_MODE;
    symbol->option_1 = request.option1;
    symbol->option_2 = request.option2;
    symbol->option_3 = request.option3;
    symbol->show_hrt = 0;
    symbol->output_options = BARCODE_NO_QUIET_ZONES;
    const QByteArray primary = request.primary.left(int(sizeof symbol->primary) - 1);
    std::memcpy(symbol->primary, primary.constData(), size_t(primary.size()));
    symbol->primary[primary.size()] = '\0';
    return symbol;
}

// One pixel per module from libzint's matrix, and each row's height in
// modules: rows libzint leaves at 0 share what the symbol's height leaves.
Symbol encode(const Request &request)
{
    ZintSymbol symbol = make(request);
    if (!symbol)
        return refused(nullptr);
    const int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(request.data.constData()),
                                       int(request.data.size()));
    if (status >= ZINT_ERROR || symbol->rows <= 0 || symbol->width <= 0)
        return refused(symbol.get());
    Symbol result;
    result.modules = QImage(symbol->width, symbol->rows, QImage::Format_Mono);
    result.modules.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0)});
    result.modules.fill(0);
    float fixed = 0;
    int shared = 0;
    for (int row = 0; row < symbol->rows; ++row) {
        uchar *line = result.modules.scanLine(row);
        for (int x = 0; x < symbol->width; ++x) {
            if ((symbol->encoded_data[row][x >> 3] >> (x & 7)) & 1)
                line[x >> 3] |= uchar(0x80 >> (x & 7));
        }
        fixed += symbol->row_height[row];
        shared += symbol->row_height[row] <= 0 ? 1 : 0;
    }
    const int share = shared ? std::max(1, int((symbol->height - fixed) / shared + 0.5f)) : 1;
    for (int row = 0; row < symbol->rows; ++row) {
        const float height = symbol->row_height[row];
        result.rowHeights.append(height > 0 ? std::max(1, int(height + 0.5f)) : share);
    }
    return result;
}
} // namespace

Symbol SymbolEncoder::pdf417(const QByteArray &data, int columns, int rows, int eccLevel, bool truncated)
{
    Request request(truncated ? BARCODE_PDF417COMP : BARCODE_PDF417, data);
    request.option1 = eccLevel;
    request.option2 = columns;
    request.option3 = rows;
    Symbol symbol = encode(request);
    symbol.rowHeights.clear(); // the printer's row height applies
    return symbol;
}

// Modes 2 and 3 carry a postal code, country and class of service: given
// as the data's first fields, "[)>" RS "01" GS "yy" postal GS country GS
// service GS..., or without that header.
Symbol SymbolEncoder::maxiCode(const QByteArray &data, int mode)
{
    Request request(BARCODE_MAXICODE, data);
    request.option1 = mode;
    if (mode == 2 || mode == 3) {
        const QByteArray header = QByteArray("[)>\x1E" "01\x1D", 7);
        const bool structured = data.startsWith(header) && data.size() >= header.size() + 2;
        const qsizetype start = structured ? header.size() + 2 : 0;
        const QList<QByteArray> fields = data.mid(start).split('\x1D');
        if (fields.size() >= 4) {
            request.primary = fields[0] + fields[1].rightJustified(3, '0') + fields[2].rightJustified(3, '0');
            request.data = data.left(start) + fields.mid(3).join('\x1D');
        }
    }
    ZintSymbol symbol = make(request);
    if (!symbol)
        return refused(nullptr);
    symbol->scale = kMaxiCodeScale;
    const int status = ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char *>(request.data.constData()),
                                                  int(request.data.size()), 0);
    if (status >= ZINT_ERROR || !symbol->bitmap || symbol->bitmap_width <= 0 || symbol->bitmap_height <= 0)
        return refused(symbol.get());
    Symbol result;
    result.inDots = true;
    result.modules = QImage(symbol->bitmap_width, symbol->bitmap_height, QImage::Format_Mono);
    result.modules.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0)});
    result.modules.fill(0);
    for (int y = 0; y < symbol->bitmap_height; ++y) {
        const unsigned char *row = symbol->bitmap + qsizetype(y) * symbol->bitmap_width * 3;
        for (int x = 0; x < symbol->bitmap_width; ++x) {
            if (row[x * 3] < 128)
                result.modules.setPixel(x, y, 1);
        }
    }
    return result;
}

Symbol SymbolEncoder::dataBar(int type, const QByteArray &data, int widest)
{
    Request expanded(BARCODE_DBAR_EXPSTK, data, true);
    expanded.option2 = segmentColumns(widest);
    switch (type) {
    case 72: return encode(Request(BARCODE_DBAR_STK, data));
    case 73: return encode(Request(BARCODE_DBAR_OMNSTK, data));
    case 76: return encode(expanded);
    default: {
        Symbol symbol;
        symbol.error = QStringLiteral("Error: GS1 DataBar type %1 is not one of 72, 73, 76").arg(type);
        return symbol;
    }
    }
}

Symbol SymbolEncoder::composite(int linearType, const QByteArray &linear, const QByteArray &twoD, int widest)
{
    static const int kinds[] = {BARCODE_EANX_CC,    BARCODE_EANX_CC,     BARCODE_UPCA_CC,    BARCODE_UPCE_CC,
                                BARCODE_UPCE_CC,    BARCODE_DBAR_OMN_CC, BARCODE_DBAR_OMN_CC, BARCODE_DBAR_STK_CC,
                                BARCODE_DBAR_OMNSTK_CC, BARCODE_DBAR_LTD_CC, BARCODE_DBAR_EXP_CC, BARCODE_DBAR_EXPSTK_CC,
                                BARCODE_GS1_128_CC};
    if (linearType < 65 || linearType > 77) {
        Symbol symbol;
        symbol.error = QStringLiteral("Error: composite linear type %1 is not one of 65 to 77").arg(linearType);
        return symbol;
    }
    // UPC-E given with its number system and 11 digits: libzint takes 7 or 8.
    QByteArray primary = linear;
    if (linearType == 69 && primary.size() == 11)
        primary = primary.left(1) + primary.mid(1).right(6);
    Request request(kinds[linearType - 65], twoD, true);
    request.primary = primary; // libzint picks CC-A, B or C as the data needs
    if (linearType == 76)
        request.option2 = segmentColumns(widest);
    return encode(request);
}

Symbol SymbolEncoder::aztec(const QByteArray &data, bool compact, int layers, int eccPercent)
{
    Request request(BARCODE_AZTEC, data);
    // libzint: option 1 the error correction level (1 10 %, 2 23 %, 3 36 %,
    // 4 50 %); option 2 the size, 1-4 compact and 5-36 full-range layers.
    request.option1 = eccPercent <= 10 ? 1 : eccPercent <= 23 ? 2 : eccPercent <= 36 ? 3 : 4;
    if (layers > 0) {
        request.option2 = compact ? std::min(layers, 4) : std::min(layers, 32) + 4;
        request.option1 = -1; // a fixed size takes what error correction it can
    }
    return encode(request);
}

Symbol SymbolEncoder::dataMatrix(const QByteArray &data, bool rectangle, int columns, int rows)
{
    // libzint's sizes 1-24 are the squares (10 x 10 to 144 x 144), 25-30 the rectangles.
    static const int squares[] = {10, 12, 14, 16, 18, 20, 22, 24, 26, 32, 36, 40, 44, 48, 52, 64, 72, 80, 88, 96, 104, 120, 132, 144};
    static const QSize rectangles[] = {{18, 8}, {32, 8}, {26, 12}, {36, 12}, {36, 16}, {48, 16}};
    Request request(BARCODE_DATAMATRIX, data);
    request.option3 = rectangle ? 0 : DM_SQUARE;
    for (int i = 0; columns > 0 && i < int(std::size(squares)) && !rectangle; ++i) {
        if (squares[i] == columns)
            request.option2 = i + 1;
    }
    for (int i = 0; columns > 0 && i < int(std::size(rectangles)) && rectangle; ++i) {
        if (rectangles[i] == QSize(columns, rows))
            request.option2 = 25 + i;
    }
    return encode(request);
}
