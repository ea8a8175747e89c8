#pragma once

#include "printer/Receipt.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

class QPainter;

// Draws receipts at one pixel per printer dot: white paper, black ink, no
// margins or marks. Characters are drawn into their cells from a monospaced
// face (DejaVu Sans Mono where it is installed), emphasized heavier but not
// wider, and scaled by whole dots for the size multipliers; images, barcodes
// and QR codes are drawn dot for dot.
//
// Needs a QGuiApplication (fonts); any platform will do, offscreen too.
class ReceiptRenderer
{
public:
    ReceiptRenderer();

    // The whole receipt, Paper::kWidthDots wide and lengthDots (at least 1)
    // tall, Format_Mono: index 0 white, index 1 black.
    QImage render(const Receipt &receipt) const;
    // The dots from y0 to y1 (y1 - y0 rows, at least 1), as render() draws them.
    QImage renderBand(const Receipt &receipt, int y0, int y1) const;
    // The ink of the elements that reach into [y0, y1), in receipt dots (the
    // painter's transform places and scales them; the paper is not filled).
    void paint(QPainter &painter, const Receipt &receipt, int y0, int y1) const;

    bool savePng(const Receipt &receipt, const QString &path, QString *error) const;
    // One page per receipt, at the paper's real size: the 80 mm roll as wide
    // as the page, the 72 mm printable part centred, the receipt's length tall.
    bool writePdf(const QList<Receipt> &receipts, const QString &path, QString *error) const;

    QString fontFamily() const { return m_fonts[0][0].family(); }

private:
    void drawRun(QPainter &painter, const TextRun &run) const;
    void drawTurnedRun(QPainter &painter, const TextRun &run) const;
    const QImage &glyph(const TextStyle &style, bool white, char16_t character) const;

    QFont m_fonts[2][2]; // [font A/B][emphasized]
    int m_baseline[2] = {0, 0};
    mutable QHash<quint32, QImage> m_glyphs;
};
