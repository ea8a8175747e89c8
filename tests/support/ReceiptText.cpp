#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include <map>

namespace {
QString bytesText(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto u = quint8(c);
        text += (u >= 0x20 && u < 0x7F) ? QString(QLatin1Char(c)) : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return text;
}

QString styleText(const TextRun &run)
{
    const TextStyle &s = run.style;
    QString text;
    if (s.font == PrinterFont::B)
        text += QStringLiteral(" B");
    if (s.emphasized)
        text += QStringLiteral(" E");
    if (s.underline)
        text += QStringLiteral(" U%1").arg(s.underline);
    if (s.reverse)
        text += QStringLiteral(" R");
    if (s.width != 1 || s.height != 1)
        text += QStringLiteral(" %1x%2").arg(s.width).arg(s.height);
    if (s.spacing)
        text += QStringLiteral(" sp%1").arg(s.spacing);
    if (run.codePage)
        text += QStringLiteral(" cp%1").arg(run.codePage);
    if (s.rotated)
        text += QStringLiteral(" V");
    if (run.turn)
        text += QStringLiteral(" turn%1").arg(run.turn);
    return text;
}

QString imageText(const DotImage &image)
{
    static const char *const kinds[] = {"raster", "column", "barcode", "qr", "symbol"};
    QString text = QStringLiteral("%1 %2 %3 %4x%5")
                       .arg(QLatin1String(kinds[int(image.kind)]))
                       .arg(image.x)
                       .arg(image.y)
                       .arg(image.width())
                       .arg(image.height());
    if (image.width() <= 32 && image.height() <= 8) {
        for (int y = 0; y < image.height(); ++y) {
            QByteArray row((image.width() + 7) / 8, '\0');
            for (int x = 0; x < image.width(); ++x) {
                if (image.dots.pixelIndex(x, y))
                    row[x / 8] = char(quint8(row[x / 8]) | (0x80 >> (x % 8)));
            }
            text += QLatin1Char(' ') + QString::fromLatin1(row.toHex().toUpper());
        }
    }
    return text;
}

QString cutText(CutKind cut)
{
    switch (cut) {
    case CutKind::Full: return QStringLiteral("full");
    case CutKind::Partial: return QStringLiteral("partial");
    case CutKind::Automatic: return QStringLiteral("auto");
    default: return QStringLiteral("open");
    }
}
} // namespace

QByteArray PrinterBytes::n(int value)
{
    return QByteArray(1, char(value));
}

QByteArray PrinterBytes::word(int value)
{
    return n(value & 0xFF) + n((value >> 8) & 0xFF);
}

QByteArray PrinterBytes::qrFunction(const QByteArray &function)
{
    return GS + "(k" + word(int(function.size())) + function;
}

QStringList describeReceipt(const Receipt &receipt)
{
    QStringList text{QStringLiteral("receipt %1 %2 %3").arg(receipt.number).arg(cutText(receipt.cut)).arg(receipt.lengthDots)};
    // Lines and feeds in paper order (a feed before a line at the same y).
    std::multimap<std::pair<int, int>, QStringList> elements;
    for (const Feed &feed : receipt.feeds)
        elements.insert({{feed.y, 0}, {QStringLiteral("feed %1 %2").arg(feed.y).arg(feed.dots)}});
    for (const ReceiptLine &line : receipt.lines) {
        QStringList lines{QStringLiteral("line %1 %2").arg(line.y).arg(line.height)};
        for (const TextRun &run : line.runs)
            lines.append(QStringLiteral("text %1 %2 %3%4").arg(run.x).arg(run.y).arg(bytesText(run.text), styleText(run)));
        for (const DotImage &image : line.images)
            lines.append(imageText(image));
        elements.insert({{line.y, 1}, lines});
    }
    for (const auto &element : elements)
        text += element.second;
    return text;
}

QStringList describeAll(ReceiptInterpreter &interpreter)
{
    QStringList text;
    for (const Receipt &receipt : interpreter.finished())
        text += describeReceipt(receipt);
    const Receipt last = interpreter.finish();
    if (!last.isBlank())
        text += describeReceipt(last);
    return text;
}

QStringList receiptHeaders(const QStringList &description)
{
    QStringList headers;
    for (const QString &line : description) {
        if (line.startsWith(QLatin1String("receipt ")))
            headers.append(line);
    }
    return headers;
}

void feedInChunks(ReceiptInterpreter &interpreter, const QByteArray &stream, const QList<int> &sizes)
{
    if (sizes.isEmpty()) {
        interpreter.feed(stream);
        return;
    }
    qsizetype at = 0;
    for (int i = 0; at < stream.size(); ++i) {
        const int size = std::max(1, sizes[i % sizes.size()]);
        interpreter.feed(stream.mid(at, size));
        at += size;
    }
}
