#include "printer/render/ReceiptRenderer.h"

#include "printer/characters/Characters.h"
#include "printer/render/MonoPng.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cerrno>
#include <cstring>

#include <fcntl.h>

namespace {
// Rows drawn at a time: a full-colour strip this tall stays in the cache,
// where a whole receipt of it would not.
constexpr int kStripRows = 256;

// Up to eight dots as a byte of Format_Mono, the first the highest bit: ink
// where the drawing is darker than mid-grey, as Qt's threshold conversion to
// Format_Mono decides.
uchar inkBits(const QRgb *dots, int count)
{
    uchar bits = 0;
    for (int i = 0; i < count; ++i)
        bits |= uchar(qGray(dots[i]) < 128) << (7 - i);
    return bits;
}

// The strip's ink into rows [top, top + rows) of mono (index 1 black), at a
// fraction of the cost of Qt's conversion.
void packInk(const QImage &strip, int rows, QImage &mono, int top)
{
    const int width = strip.width();
    const int whole = width / 8 * 8;
    for (int y = 0; y < rows; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(strip.constScanLine(y));
        uchar *out = mono.scanLine(top + y);
        for (int x0 = 0; x0 < whole; x0 += 8) {
            QRgb all = 0xFFFFFFFF;
            for (int i = 0; i < 8; ++i)
                all &= in[x0 + i];
            if (all != 0xFFFFFFFF) // paper, the most of it, told eight dots at once
                out[x0 >> 3] = inkBits(in + x0, 8);
        }
        if (whole < width)
            out[whole >> 3] = inkBits(in + whole, width - whole);
    }
}
} // namespace

ReceiptRenderer::ReceiptRenderer() = default;
ReceiptRenderer::~ReceiptRenderer() = default;

const ReceiptFaces &ReceiptRenderer::faces() const
{
    if (!m_faces) {
        m_faces = std::make_unique<ReceiptFaces>();
        if (!m_faces->note().isEmpty())
            m_notes.append(m_faces->note());
    }
    return *m_faces;
}

QStringList ReceiptRenderer::takeNotes() const
{
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}

const QImage &ReceiptRenderer::glyph(const TextStyle &style, bool white, char16_t character) const
{
    const quint32 key = quint32(character) | (quint32(style.font == PrinterFont::B) << 16) | (quint32(style.emphasized) << 17)
        | (quint32(white) << 18) | (quint32(style.wide) << 19);
    auto it = m_glyphs.constFind(key);
    if (it != m_glyphs.cend())
        return *it;
    if (m_glyphs.size() >= kMaxGlyphs)
        m_glyphs.clear();
    if (white) {
        // The same dots as the black glyph, so reverse text has the very same shapes.
        QImage cell = glyph(style, false, character);
        for (int y = 0; y < cell.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(cell.scanLine(y));
            for (int x = 0; x < cell.width(); ++x)
                line[x] = line[x] ? qRgb(255, 255, 255) : 0;
        }
        return *m_glyphs.insert(key, cell);
    }

    QImage cell(style.cellWidth(), style.cellHeight(), QImage::Format_ARGB32_Premultiplied);
    cell.fill(Qt::transparent);
    if (!faces().draw(cell, character, style) && !m_missing.contains(character)) {
        m_missing.insert(character);
        m_notes.append(QStringLiteral("character U+%1: no glyph in the receipt faces, printed as a replacement mark")
                           .arg(QString::number(character, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
    }
    // Ink or paper, nothing between: the printer has no grey.
    for (int y = 0; y < cell.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(cell.scanLine(y));
        for (int x = 0; x < cell.width(); ++x)
            line[x] = qAlpha(line[x]) >= 128 ? qRgb(0, 0, 0) : 0;
    }
    return *m_glyphs.insert(key, cell);
}

// A run laid out upright in a frame of its own (each character on its side
// for ESC V), then the frame turned onto the paper.
void ReceiptRenderer::drawTurnedRun(QPainter &painter, const TextRun &run) const
{
    const TextStyle &style = run.style;
    const int along = run.turn & 1 ? run.rect().height() : run.rect().width();
    QImage frame(along, run.height(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    // Marks only (combining): the cell they go on has its background already.
    if (style.reverse && !run.combining)
        p.fillRect(frame.rect(), Qt::black);
    else if (style.underline > 0 && !style.rotated && !run.combining) // turned characters are not underlined
        p.fillRect(0, frame.height() - style.underline, frame.width(), style.underline, Qt::black);
    int x = 0;
    const int count = run.count();
    for (int i = 0; i < count; ++i) {
        const char16_t character = Characters::cell(run, i);
        if (character != u' ') {
            const QImage &image = glyph(style, style.reverse, character);
            if (style.rotated)
                p.drawImage(QRect(x, 0, style.charHeight(), style.charWidth()), image.transformed(QTransform().rotate(90)));
            else
                p.drawImage(QRect(x, 0, style.charWidth(), style.charHeight()), image);
        }
        if (!run.combining)
            x += style.lineAdvance();
    }
    p.end();
    painter.drawImage(run.x, run.y, run.turn ? frame.transformed(QTransform().rotate(90 * run.turn)) : frame);
}

void ReceiptRenderer::drawRun(QPainter &painter, const TextRun &run) const
{
    if (run.turn != 0 || run.style.rotated) {
        drawTurnedRun(painter, run);
        return;
    }
    const TextStyle &style = run.style;
    const int height = style.charHeight();
    // Marks only (combining): the cell they go on has its background already.
    if (style.reverse && !run.combining)
        painter.fillRect(run.x, run.y, run.width(), height, Qt::black);
    else if (style.underline > 0 && !run.combining)
        painter.fillRect(run.x, run.y + height - style.underline, run.width(), style.underline, Qt::black);
    int x = run.x;
    const int count = run.count();
    for (int i = 0; i < count; ++i) {
        const char16_t character = Characters::cell(run, i);
        if (character != u' ') {
            const QImage &image = glyph(style, style.reverse, character);
            if (style.width == 1 && style.height == 1)
                painter.drawImage(x, run.y, image);
            else
                painter.drawImage(QRect(x, run.y, style.charWidth(), height), image);
        }
        if (!run.combining)
            x += style.advance();
        if (x >= Paper::kWidthDots)
            break;
    }
}

void ReceiptRenderer::paint(QPainter &painter, const Receipt &receipt, int y0, int y1) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    for (const ReceiptLine *line : receipt.linesIn(y0, y1)) {
        for (const DotImage &image : line->images)
            painter.drawImage(image.x, image.y, image.dots);
        for (const TextRun &run : line->runs)
            drawRun(painter, run);
    }
    painter.restore();
}

QImage ReceiptRenderer::renderBand(const Receipt &receipt, int y0, int y1) const
{
    const int height = std::max(1, y1 - y0);
    QImage mono(receipt.widthDots, height, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    for (int top = 0; top < height; top += kStripRows) {
        const int rows = std::min(kStripRows, height - top);
        const int from = y0 + top;
        const QList<const ReceiptLine *> lines = receipt.linesIn(from, from + rows);
        if (lines.isEmpty())
            continue; // paper fed, nothing on it
        if (drawDots(mono, lines, from, top, rows))
            continue;
        // Kept: a fresh one of this size would be new pages from the system each time.
        if (m_strip.height() < rows || m_strip.width() != receipt.widthDots)
            m_strip = QImage(receipt.widthDots, rows, QImage::Format_RGB32);
        for (int y = 0; y < rows; ++y) // paper; the rows below are not read
            std::fill_n(reinterpret_cast<QRgb *>(m_strip.scanLine(y)), m_strip.width(), qRgb(255, 255, 255));
        QPainter painter(&m_strip);
        painter.translate(0, -from);
        paint(painter, receipt, from, from + rows);
        painter.end();
        packInk(m_strip, rows, mono, top);
    }
    return mono;
}

QImage ReceiptRenderer::render(const Receipt &receipt) const
{
    return renderBand(receipt, 0, std::max(1, receipt.lengthDots));
}

bool ReceiptRenderer::savePng(const Receipt &receipt, const QString &path, QString *error) const
{
    // Opened here so that a failure reads as the system words it ("Permission
    // denied", "No space left on device"), not "Cannot open device for writing".
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QFile file;
    file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    const QByteArray png = MonoPng::encode(render(receipt));
    if (png.isEmpty()) {
        if (error)
            *error = QStringLiteral("the picture could not be compressed");
        return false;
    }
    if (file.write(png) == png.size() && file.flush())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool ReceiptRenderer::writePdf(const QList<Receipt> &receipts, const QString &path, QString *error) const
{
    QPdfWriter pdf(path);
    pdf.setCreator(QStringLiteral("Marlix virtual printer"));
    pdf.setPageMargins(QMarginsF());
    QPainter painter;
    for (qsizetype i = 0; i < receipts.size(); ++i) {
        const Receipt &receipt = receipts[i];
        const double lengthMm = std::max(1, receipt.lengthDots) / double(Paper::kDotsPerMm);
        const int rollMm = Paper::rollWidthMm(receipt.widthDots);
        const double marginMm = (rollMm - double(receipt.widthDots) / Paper::kDotsPerMm) / 2;
        const QPageSize size(QSizeF(rollMm, lengthMm), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
        if (!pdf.setPageSize(size)) {
            if (error)
                *error = QStringLiteral("%1: the PDF writer refused a page of %2 mm").arg(path).arg(lengthMm);
            return false;
        }
        if (i == 0) {
            if (!painter.begin(&pdf)) {
                if (error)
                    *error = QStringLiteral("%1: cannot write the file").arg(path);
                return false;
            }
        } else {
            pdf.newPage();
        }
        const double dotsPerMm = pdf.resolution() / 25.4;
        const QRectF target(marginMm * dotsPerMm, 0, receipt.widthDots / double(Paper::kDotsPerMm) * dotsPerMm,
                            lengthMm * dotsPerMm);
        painter.drawImage(target, render(receipt));
    }
    if (painter.isActive())
        painter.end();
    return true;
}
