#include "printer/render/ReceiptTextDump.h"

#include "printer/characters/Characters.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// An element of the paper in reading order: by its bottom edge, then from the left.
struct Piece {
    int bottom = 0;
    int x = 0;
    const TextRun *run = nullptr;
    const DotImage *image = nullptr;
};

// Symbol data as the scanner reads it: UTF-8 where the bytes are, else one
// character a byte; control bytes as \xHH so that the line stays one line.
QString readable(const QByteArray &data)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);
    QString line;
    for (const QChar c : std::as_const(text)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            line += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

QString cutLine(CutKind cut)
{
    switch (cut) {
    case CutKind::Full: return QStringLiteral("[full cut]");
    case CutKind::Partial: return QStringLiteral("[partial cut]");
    case CutKind::Automatic: return QStringLiteral("[cut by the printer]");
    case CutKind::None: break;
    }
    return QStringLiteral("[not cut]");
}

// Runs of one row, left to right: the gap between two as the spaces of the
// next run's cells that fit in it.
QString textRow(const QList<const TextRun *> &runs)
{
    QString row;
    int end = -1;
    for (const TextRun *run : runs) {
        if (!run->combining && end >= 0 && run->x > end) {
            const int advance = std::max(1, run->style.lineAdvance());
            row += QString((run->x - end + advance / 2) / advance, QLatin1Char(' '));
        }
        row += Characters::text(run->text, run->codePage, run->international, run->twoByte);
        if (!run->combining)
            end = std::max(end, run->x + run->width());
    }
    return row.trimmed();
}

} // namespace

QString ReceiptTextDump::imageLine(const DotImage &image)
{
    const QString data = readable(image.data);
    switch (image.kind) {
    case DotImage::Kind::QrCode:
        return QStringLiteral("[QR code: %1]").arg(data);
    case DotImage::Kind::Barcode:
        return QStringLiteral("[barcode: %1]").arg(data);
    case DotImage::Kind::Symbol:
        return QStringLiteral("[%1: %2]").arg(image.symbolName ? QString::fromLatin1(image.symbolName) : QStringLiteral("symbol"), data);
    case DotImage::Kind::Raster:
    case DotImage::Kind::Column:
        break;
    }
    if (image.sentWidth > image.width()) // as sent, and where the paper's edge cut it
        return QStringLiteral("[image %1 x %2, cut at %3]").arg(image.sentWidth).arg(image.height()).arg(image.width());
    return QStringLiteral("[image %1 x %2]").arg(image.width()).arg(image.height());
}

QStringList ReceiptTextDump::lines(const Receipt &receipt)
{
    QList<Piece> pieces;
    for (const ReceiptLine &line : receipt.lines) {
        for (const TextRun &run : line.runs) {
            const QRect rect = run.rect();
            if (!rect.isEmpty())
                pieces.append({rect.bottom(), rect.left(), &run, nullptr});
        }
        for (const DotImage &image : line.images)
            pieces.append({image.y + image.height() - 1, image.x, nullptr, &image});
    }
    // Stable: combining marks stay after the character they sit on.
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece &a, const Piece &b) {
        return a.bottom != b.bottom ? a.bottom < b.bottom : a.x < b.x;
    });

    QStringList out;
    QList<const TextRun *> row;
    int rowBottom = 0;
    const auto endRow = [&] {
        if (row.isEmpty())
            return;
        const QString text = textRow(row);
        if (!text.isEmpty())
            out.append(text);
        row.clear();
    };
    for (const Piece &piece : std::as_const(pieces)) {
        if (piece.bottom != rowBottom)
            endRow();
        rowBottom = piece.bottom;
        if (piece.run) {
            row.append(piece.run);
        } else {
            endRow();
            out.append(imageLine(*piece.image));
        }
    }
    endRow();
    out.append(cutLine(receipt.cut));
    return out;
}

QByteArray ReceiptTextDump::file(const Receipt &receipt)
{
    return (lines(receipt).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}
