#pragma once

#include "printer/paper/Receipt.h"
#include "printer/render/ReceiptFaces.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class QPainter;

// Draws receipts at one pixel per printer dot: white paper, black ink, no
// margins or marks. Characters are drawn into their cells from a monospaced
// face (DejaVu Sans Mono where it is installed, other named faces for what it
// lacks: ReceiptFaces), emphasized heavier but not wider, and scaled by whole
// dots for the size multipliers; images, barcodes and QR codes are drawn dot
// for dot.
//
// Needs a QGuiApplication (fonts); any platform will do, offscreen too.
class ReceiptRenderer
{
public:
    ReceiptRenderer();
    ~ReceiptRenderer();

    // The whole receipt, its paper's widthDots wide and lengthDots (at least 1)
    // tall, Format_Mono: index 0 white, index 1 black.
    QImage render(const Receipt &receipt) const;
    // The dots from y0 to y1 (y1 - y0 rows, at least 1), as render() draws them.
    QImage renderBand(const Receipt &receipt, int y0, int y1) const;
    // The ink of the elements that reach into [y0, y1), in receipt dots (the
    // painter's transform places and scales them; the paper is not filled).
    void paint(QPainter &painter, const Receipt &receipt, int y0, int y1) const;

    // render() as a PNG of one bit a dot (MonoPng).
    bool savePng(const Receipt &receipt, const QString &path, QString *error) const;
    // One page per receipt, at the paper's real size: the roll (80 or 58 mm)
    // as wide as the page, its printable part centred, the receipt's length tall.
    bool writePdf(const QList<Receipt> &receipts, const QString &path, QString *error) const;

    // Made at the first character drawn: a run that prints none (an empty
    // file in CI) does not wait for the font set.
    const ReceiptFaces &faces() const;

    // What drawing noted once: a character that no face has, printed as a
    // replacement mark ("character U+0E3F: no glyph in the receipt faces").
    QStringList takeNotes() const;

    // Glyphs kept for reuse; past it the cache starts again (a receipt of
    // thousands of different CJK characters must not hold them all).
    static constexpr int kMaxGlyphs = 4096;

private:
    void drawRun(QPainter &painter, const TextRun &run) const;
    void drawTurnedRun(QPainter &painter, const TextRun &run) const;
    // The lines' dots in rows [from, from + rows) of the receipt, set into
    // mono from row top without painting (ReceiptRendererDots.cpp); false,
    // with nothing drawn, when one of them needs the painter.
    bool drawDots(QImage &mono, const QList<const ReceiptLine *> &lines, int from, int top, int rows) const;
    struct GlyphBits;
    const GlyphBits &glyphBits(const QImage &cell) const;
    const QImage &glyph(const TextStyle &style, bool white, char16_t character) const;

    mutable std::unique_ptr<ReceiptFaces> m_faces;
    mutable QImage m_strip; // render()'s full-colour rows, kept from one receipt to the next
    // A glyph's dots as bits, for drawDots(): row y's dot x is bit 31 - x of
    // rows[y]; they are ink, or paper where the glyph is white on black.
    struct GlyphBits
    {
        quint32 rows[24] = {};
        bool ink = true;
    };
    mutable QHash<qint64, GlyphBits> m_glyphBits; // by the glyph image's cacheKey()
    mutable QHash<quint32, QImage> m_glyphs;
    mutable QStringList m_notes;
    mutable QSet<char16_t> m_missing;
};
