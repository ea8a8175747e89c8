// render()'s own way to the dots: what paint() draws with QPainter, set
// straight into the Format_Mono receipt where every dot is ink or paper
// (images of two colours, filled backgrounds, characters unturned, sized
// by whole dots). A strip holding anything else is painted.
#include "printer/render/ReceiptRenderer.h"

#include "printer/characters/Characters.h"

namespace {
// Rows [from, from + rows) of the receipt are rows [top, ...) of mono.
struct Dots
{
    uchar *bits; // row top of mono
    qsizetype bytesPerLine;
    int width;
    int from;
    int rows;

    // Dots [x0, x1) of receipt row y, clipped to the paper and the strip.
    // Receipt row y, null outside the strip.
    uchar *line(int y) const { return y < from || y >= from + rows ? nullptr : bits + (y - from) * bytesPerLine; }
    void span(int y, int x0, int x1, bool ink)
    {
        if (uchar *row = line(y))
            spanIn(row, x0, x1, ink);
    }
    void spanIn(uchar *row, int x0, int x1, bool ink) const
    {
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width);
        for (int x = x0; x < x1; ++x) {
            if (ink)
                row[x >> 3] |= uchar(0x80 >> (x & 7));
            else
                row[x >> 3] &= uchar(~(0x80 >> (x & 7)));
        }
    }
    void rect(int x, int y, int width, int height, bool ink)
    {
        for (int row = std::max(y, from); row < std::min(y + height, from + rows); ++row)
            span(row, x, x + width, ink);
    }
};

// An image whose index 0 is see-through and index 1 black: its ink alone.
bool twoColour(const QImage &image)
{
    return image.format() == QImage::Format_Mono && image.colorCount() == 2 && qAlpha(image.color(0)) == 0
        && image.color(1) == qRgb(0, 0, 0);
}
} // namespace

const ReceiptRenderer::GlyphBits &ReceiptRenderer::glyphBits(const QImage &cell) const
{
    auto it = m_glyphBits.constFind(cell.cacheKey());
    if (it != m_glyphBits.cend())
        return *it;
    if (m_glyphBits.size() >= kMaxGlyphs)
        m_glyphBits.clear();
    GlyphBits bits;
    for (int y = 0; y < std::min(cell.height(), 24); ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(cell.constScanLine(y));
        for (int x = 0; x < std::min(cell.width(), 32); ++x) {
            if (qAlpha(pixels[x]) == 0)
                continue;
            bits.rows[y] |= 0x80000000u >> x;
            bits.ink = qGray(pixels[x]) < 128; // the same for every dot of a glyph
        }
    }
    return *m_glyphBits.insert(cell.cacheKey(), bits);
}

bool ReceiptRenderer::drawDots(QImage &mono, const QList<const ReceiptLine *> &lines, int from, int top, int rows) const
{
    for (const ReceiptLine *line : lines) {
        for (const DotImage &image : line->images) {
            if (!twoColour(image.dots))
                return false;
        }
        for (const TextRun &run : line->runs) {
            if (run.turn != 0 || run.style.rotated)
                return false;
        }
    }
    Dots dots{mono.bits() + top * mono.bytesPerLine(), mono.bytesPerLine(), mono.width(), from, rows};
    for (const ReceiptLine *line : lines) {
        for (const DotImage &image : line->images) {
            const int width = image.width();
            const int height = image.height();
            for (int y = std::max(0, from - image.y); y < height && image.y + y < from + rows; ++y) {
                const uchar *bits = image.dots.constScanLine(y);
                uchar *row = dots.line(image.y + y);
                for (int x = 0; x < width; ++x) {
                    if (!bits[x >> 3])
                        x |= 7; // eight dots of no ink
                    else if (bits[x >> 3] & (0x80 >> (x & 7)))
                        dots.spanIn(row, image.x + x, image.x + x + 1, true);
                }
            }
        }
        for (const TextRun &run : line->runs) {
            const TextStyle &style = run.style;
            const int height = style.charHeight();
            if (style.reverse && !run.combining)
                dots.rect(run.x, run.y, run.width(), height, true);
            else if (style.underline > 0 && !run.combining)
                dots.rect(run.x, run.y + height - style.underline, run.width(), style.underline, true);
            if (run.y >= from + rows || run.y + height <= from)
                continue;
            int x = run.x;
            const int count = run.count();
            for (int i = 0; i < count; ++i) {
                const char16_t character = Characters::cell(run, i);
                if (character != u' ' && style.width == 1 && x >= 0 && x + style.cellWidth() <= dots.width) {
                    // The usual character: its bits, or'd or cleared a row at a time.
                    const GlyphBits &bits = glyphBits(glyph(style, style.reverse, character));
                    for (int cy = 0; cy < style.cellHeight(); ++cy) {
                        const quint64 shifted = quint64(bits.rows[cy]) << (32 - (x & 7));
                        for (int sy = 0; shifted && sy < style.height; ++sy) {
                            uchar *row = dots.line(run.y + cy * style.height + sy);
                            if (!row)
                                continue;
                            for (int b = 0; b < 5 && (x >> 3) + b < int(dots.bytesPerLine); ++b) {
                                const uchar part = uchar(shifted >> (56 - 8 * b));
                                if (bits.ink)
                                    row[(x >> 3) + b] |= part;
                                else
                                    row[(x >> 3) + b] &= uchar(~part);
                            }
                        }
                    }
                } else if (character != u' ') {
                    // Each dot of the cell as a block of the size multipliers.
                    const QImage &cell = glyph(style, style.reverse, character);
                    const int cellWidth = cell.width();
                    const int cellHeight = cell.height();
                    for (int cy = 0; cy < cellHeight; ++cy) {
                        const auto *pixels = reinterpret_cast<const QRgb *>(cell.constScanLine(cy));
                        for (int sy = 0; sy < style.height; ++sy) {
                            uchar *row = dots.line(run.y + cy * style.height + sy);
                            for (int cx = 0; row && cx < cellWidth; ++cx) {
                                if (qAlpha(pixels[cx]) != 0)
                                    dots.spanIn(row, x + cx * style.width, x + (cx + 1) * style.width, qGray(pixels[cx]) < 128);
                            }
                        }
                    }
                }
                if (!run.combining)
                    x += style.advance();
                if (x >= Paper::kWidthDots)
                    break;
            }
        }
    }
    return true;
}
