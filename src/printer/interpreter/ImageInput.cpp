// Images and graphics: raster images (GS v 0) on lines of their own, column
// images (ESC *) on the line being filled.
#include "printer/interpreter/ImageInput.h"

#include "printer/commands/ControlBytes.h"
#include "printer/interpreter/ReceiptParts.h"

#include <climits>
#include <cstring>

namespace {
using namespace ControlBytes;
constexpr qsizetype kReceiptBudget = ReceiptInterpreter::kReceiptBudget;
} // namespace

bool ImageInput::begin(quint8 introducer, quint8 c)
{
    const auto word = [this](int at) { return m_context.word(at); };
    if (introducer == ESC && c == '*') {
        beginColumnImage(m_context.parameter(2), word(3));
        return true;
    }
    if (introducer == GS && c == 'v') {
        if (m_layout.pageMode()) {
            m_context.note(QStringLiteral("GS v 0 is not printed in page mode: its data is read past"));
            return false;
        }
        const quint8 mode = m_context.parameter(3);
        if (((mode & 0xF0) != 0 && (mode & 0xF0) != 0x30) || (mode & 0x0F) > 3) {
            m_context.ignoredParameter();
            return false; // its data is read past
        }
        beginRaster(mode & 3, word(4), word(6));
        return true;
    }
    return false;
}

void ImageInput::beginRaster(int mode, int bytesPerRow, int rows)
{
    m_layout.printPendingContent();
    m_image = Image();
    m_image.bytesPerUnit = bytesPerRow;
    m_image.units = rows;
    m_image.scaleX = (mode & 1) ? 2 : 1;
    m_image.scaleY = (mode & 2) ? 2 : 1;
    m_image.dotWidth = int(std::min<qint64>(qint64(bytesPerRow) * 8 * m_image.scaleX, m_layout.printableWidth()));
    m_image.x = m_layout.bandLeft(m_image.dotWidth);
    noteCut(qint64(bytesPerRow) * 8 * m_image.scaleX);
    // Only the bytes that reach the paper are kept.
    const int keptDots = (m_image.dotWidth + m_image.scaleX - 1) / m_image.scaleX;
    m_image.row = QByteArray((keptDots + 7) / 8, '\0');
    m_context.beginPayload(InterpreterContext::Payload::Raster);
}

void ImageInput::rasterByte(quint8 byte)
{
    Image &image = m_image;
    if (image.byteInUnit < image.row.size())
        image.row[image.byteInUnit] = char(byte);
    if (++image.byteInUnit < image.bytesPerUnit)
        return;
    image.byteInUnit = 0;
    ++image.unit;
    if (image.dotWidth == 0)
        return;
    if (image.dots.isNull()) {
        // A piece as tall as the receipt can still take; the rest of the
        // image goes on the next receipt.
        // In page mode the page's area bounds it.
        const qsizetype rowCost = qsizetype((image.dotWidth + 31) / 32) * 4 * image.scaleY;
        if (!m_layout.pageMode()
            && (m_layout.y() + image.scaleY > Paper::kMaxReceiptDots
                || m_layout.spent() + rowCost + ReceiptParts::kElementCost > kReceiptBudget))
            m_layout.makeRoom(Paper::kMaxReceiptDots + 1, 0);
        const int y = m_layout.pageMode() ? 0 : m_layout.y();
        const qsizetype spent = m_layout.pageMode() ? m_layout.page().cost : m_layout.spent();
        const int rowsLeft = image.units - image.unit + 1;
        const qsizetype byBudget = std::max<qsizetype>(1, (kReceiptBudget - spent - ReceiptParts::kElementCost) / rowCost);
        image.pieceRows = int(std::min<qsizetype>({rowsLeft, (Paper::kMaxReceiptDots - y) / image.scaleY, byBudget}));
        image.pieceRows = std::max(1, image.pieceRows);
        image.pieceRow = 0;
        image.dots = ReceiptParts::monoImage(image.dotWidth, image.pieceRows * image.scaleY);
    }
    const auto *source = reinterpret_cast<const uchar *>(image.row.constData());
    uchar *target = image.dots.scanLine(image.pieceRow * image.scaleY);
    if (image.scaleX == 1) {
        std::memcpy(target, source, size_t(std::min<qsizetype>(image.row.size(), image.dots.bytesPerLine())));
    } else {
        for (int dot = 0; dot < image.dotWidth; ++dot) {
            const int bit = dot / 2;
            if (source[bit >> 3] & (0x80 >> (bit & 7)))
                target[dot >> 3] |= uchar(0x80 >> (dot & 7));
        }
    }
    if (image.scaleY == 2)
        std::memcpy(image.dots.scanLine(image.pieceRow * 2 + 1), target, size_t(image.dots.bytesPerLine()));
    image.row.fill('\0');
    if (++image.pieceRow == image.pieceRows)
        commitRasterPiece();
}

void ImageInput::commitRasterPiece()
{
    if (m_image.dots.isNull())
        return;
    QImage dots = m_image.dots;
    if (m_image.pieceRow < m_image.pieceRows)
        dots = dots.copy(0, 0, dots.width(), m_image.pieceRow * m_image.scaleY);
    m_image.dots = QImage();
    if (dots.height() == 0)
        return;
    ReceiptLine line;
    line.source = m_context.commandRange();
    line.images.append({DotImage::Kind::Raster, m_image.x, 0, dots, line.source, {}, nullptr, m_image.sentWidth});
    line.height = dots.height();
    m_layout.placeBand(line, ReceiptParts::cost(line));
}

QString ImageInput::rasterCutShort() const
{
    const QString words = QStringLiteral("the stream ended inside GS v 0 after %1 of its %2 rows: ").arg(m_image.unit).arg(m_image.units);
    // Only an image taller than what a receipt takes went on paper a piece at a time.
    const int printed = m_image.unit - (m_image.dots.isNull() ? 0 : m_image.pieceRow);
    if (printed == 0)
        return words + QStringLiteral("nothing of the image is printed");
    return words + QStringLiteral("only its first %1 rows, on the receipts before, are printed").arg(printed);
}

void ImageInput::beginColumnImage(int mode, int columns)
{
    if (!m_layout.line().started)
        m_layout.startLine();
    m_image = Image();
    m_image.bytesPerUnit = mode >= 0x20 ? 3 : 1;
    m_image.units = columns;
    m_image.scaleX = (mode == 0 || mode == 0x20) ? 2 : 1;
    const int room = std::max(0, m_layout.line().width - m_layout.line().x);
    m_image.dotWidth = std::min(columns * m_image.scaleX, room);
    m_image.x = m_layout.line().x;
    noteCut(qint64(columns) * m_image.scaleX);
    if (m_image.dotWidth > 0)
        m_image.dots = ReceiptParts::monoImage(m_image.dotWidth, 8 * m_image.bytesPerUnit);
    m_layout.line().x += columns * m_image.scaleX;
    m_context.beginPayload(InterpreterContext::Payload::Column);
}

void ImageInput::columnByte(quint8 byte)
{
    Image &image = m_image;
    const int firstDot = image.unit * image.scaleX;
    if (firstDot < image.dotWidth && byte != 0) {
        for (int bit = 0; bit < 8; ++bit) {
            if (!(byte & (0x80 >> bit)))
                continue;
            const int row = image.byteInUnit * 8 + bit;
            for (int dot = firstDot; dot < firstDot + image.scaleX && dot < image.dotWidth; ++dot)
                image.dots.setPixel(dot, row, 1);
        }
    }
    if (++image.byteInUnit == image.bytesPerUnit) {
        image.byteInUnit = 0;
        ++image.unit;
    }
}

void ImageInput::finishColumnImage()
{
    if (m_image.dots.isNull())
        return;
    m_layout.line().images.append({DotImage::Kind::Column, m_image.x, 0, m_image.dots, m_context.commandRange(), {}, nullptr,
                                   m_image.sentWidth});
    m_image.dots = QImage();
    m_context.touch();
}

void ImageInput::noteCut(qint64 sentWidth)
{
    if (sentWidth <= m_image.dotWidth)
        return;
    m_image.sentWidth = int(std::min<qint64>(sentWidth, INT_MAX));
    m_context.noteCut(ReceiptParts::cutImageWords(m_image.sentWidth, m_image.dotWidth));
}
