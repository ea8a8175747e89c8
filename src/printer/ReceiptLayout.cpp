// The paper side of the interpreter: lines filled and printed, feeds, images,
// symbols and cuts, within the printable width and the length cap.
#include "printer/ReceiptInterpreter.h"

#include "printer/Symbols.h"

#include <cstring>

namespace {
constexpr qsizetype kElementCost = 64; // what an element costs beyond its data

QImage monoImage(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0)});
    image.fill(0);
    return image;
}

int justifiedOffset(int justify, int contentWidth, int width)
{
    const int free = std::max(0, width - contentWidth);
    return justify == 1 ? free / 2 : justify == 2 ? free : 0;
}

qsizetype cost(const ReceiptLine &line)
{
    qsizetype total = kElementCost;
    for (const TextRun &run : line.runs)
        total += kElementCost + run.text.size();
    for (const DotImage &image : line.images)
        total += kElementCost + image.dots.sizeInBytes();
    return total;
}

void moveDown(ReceiptLine &line, int dy)
{
    line.y += dy;
    for (TextRun &run : line.runs)
        run.y += dy;
    for (DotImage &image : line.images)
        image.y += dy;
}
} // namespace

int ReceiptLine::inkBottom() const
{
    int bottom = y;
    for (const TextRun &run : runs)
        bottom = std::max(bottom, run.y + run.height());
    for (const DotImage &image : images)
        bottom = std::max(bottom, image.y + image.height());
    return bottom;
}

QList<const ReceiptLine *> Receipt::linesIn(int y0, int y1) const
{
    QList<const ReceiptLine *> found;
    const auto first = std::lower_bound(lines.cbegin(), lines.cend(), y0 - tallestLineInk,
                                        [](const ReceiptLine &line, int y) { return line.y < y; });
    for (auto it = first; it != lines.cend() && it->y < y1; ++it) {
        if (it->inkBottom() > y0)
            found.append(&*it);
    }
    return found;
}

void ReceiptInterpreter::startLine()
{
    m_line.started = true;
    m_line.left = printableLeft();
    m_line.width = printableWidth();
    m_line.justify = m_modes.justify;
    m_line.x = 0;
    m_line.begin = m_parse == Parse::Text ? m_at : m_cmdStart;
}

void ReceiptInterpreter::putCharacter(quint8 byte, const TextStyle &style, int codePage, const ByteRange &source)
{
    if (!m_line.started)
        startLine();
    if (m_line.x > 0 && m_line.x + style.charWidth() > m_line.width) {
        // Wraps as the printer does: the line so far is printed first.
        printLine(true, 1, source.begin, false);
        startLine();
        m_line.begin = source.begin;
    }
    touch();
    if (!m_line.runs.isEmpty()) {
        TextRun &last = m_line.runs.last();
        if (last.style == style && last.codePage == codePage && last.x + last.width() == m_line.x
            && (last.source.end == source.begin || last.source == source)) {
            last.text.append(char(byte));
            last.source.end = source.end;
            m_line.x += style.advance();
            return;
        }
    }
    TextRun run;
    run.x = m_line.x;
    run.text = QByteArray(1, char(byte));
    run.codePage = quint8(codePage);
    run.style = style;
    run.source = source;
    m_line.runs.append(run);
    m_line.x += style.advance();
}

void ReceiptInterpreter::tab()
{
    if (!m_line.started)
        startLine();
    const int stop = 8 * currentStyle().cellWidth();
    m_line.x = std::min((m_line.x / stop + 1) * stop, m_line.width);
    touch();
}

ReceiptLine ReceiptInterpreter::layOut(const Pending &pending, int y, int spacing) const
{
    ReceiptLine line;
    int tallest = 0;
    int right = 0;
    for (const TextRun &run : pending.runs) {
        tallest = std::max(tallest, run.height());
        right = std::max(right, run.x + run.width());
    }
    for (const DotImage &image : pending.images) {
        tallest = std::max(tallest, image.height());
        right = std::max(right, image.x + image.width());
    }
    const int x0 = pending.left + justifiedOffset(pending.justify, right, pending.width);
    line.y = y;
    line.height = std::max(spacing, tallest);
    line.runs = pending.runs;
    line.images = pending.images;
    for (TextRun &run : line.runs) {
        run.x += x0;
        run.y = y + tallest - run.height();
    }
    for (DotImage &image : line.images) {
        image.x += x0;
        image.y = y + tallest - image.height();
    }
    line.source = {pending.begin, pending.begin};
    return line;
}

// LF, ESC d n (byLines) and ESC J n: the line in progress is printed and the
// paper fed n lines (the first as tall as the printed line) or n dots.
void ReceiptInterpreter::printLine(bool byLines, int amount, qint64 end, bool byCommand)
{
    const int spacing = m_modes.lineSpacing;
    if (!m_line.hasContent()) {
        const qint64 begin = m_line.started ? m_line.begin : (m_parse == Parse::Text ? m_at : m_cmdStart);
        m_line = Pending();
        feedPaper(byLines ? amount * spacing : amount, {begin, end});
        return;
    }
    ReceiptLine line = layOut(m_line, 0, spacing);
    line.source.end = end;
    m_line = Pending();
    const int feed = byLines ? (amount == 0 ? 0 : line.height + (amount - 1) * spacing) : amount;
    const qsizetype price = cost(line);
    makeRoom(line.height, price);
    moveDown(line, m_y);
    m_open.lines.append(line);
    m_open.tallestLineInk = std::max(m_open.tallestLineInk, line.inkBottom() - line.y);
    m_open.lengthDots = std::max(m_open.lengthDots, line.inkBottom());
    m_open.source.end = end;
    m_spent += price;
    touch();
    if (m_trace) {
        traceLine(line);
        if (byCommand) {
            const int bottom = std::max(line.inkBottom(), int(std::min<qint64>(qint64(line.y) + feed, Paper::kMaxReceiptDots)));
            traceRegion(QRect(0, line.y, Paper::kWidthDots, bottom - line.y));
        }
    }
    advance(feed);
}

void ReceiptInterpreter::printPendingContent()
{
    if (m_line.hasContent())
        printLine(true, 1, m_cmdStart, false);
    else
        m_line = Pending();
}

void ReceiptInterpreter::feedPaper(int dots, const ByteRange &source)
{
    if (dots <= 0)
        return;
    const int room = Paper::kMaxReceiptDots - m_y;
    const int fed = std::min(dots, room);
    if (fed > 0) {
        if (m_trace)
            traceRegion(QRect(0, m_y, Paper::kWidthDots, fed));
        m_open.feeds.append({m_y, fed, source});
        m_y += fed;
        m_open.lengthDots = std::max(m_open.lengthDots, m_y);
        m_open.source.end = source.end;
        touch();
    }
    if (dots > room)
        closeReceipt(CutKind::Automatic, source.end);
}

void ReceiptInterpreter::advance(int dots)
{
    if (m_y + qint64(dots) > Paper::kMaxReceiptDots) {
        m_y = Paper::kMaxReceiptDots;
        m_open.lengthDots = m_y;
        closeReceipt(CutKind::Automatic, m_open.source.end);
        return;
    }
    m_y += dots;
    m_open.lengthDots = std::max(m_open.lengthDots, m_y);
}

// Before something of the given height and memory goes on paper: a receipt
// that cannot take it any more is cut first.
void ReceiptInterpreter::makeRoom(int dots, qsizetype price)
{
    if (m_open.isBlank() && m_y == 0)
        return;
    if (m_y + dots > Paper::kMaxReceiptDots || m_spent + price > kReceiptBudget)
        closeReceipt(CutKind::Automatic, m_open.source.end);
}

Receipt ReceiptInterpreter::closeReceipt(CutKind kind, qint64 end)
{
    if (m_open.isBlank() && m_y == 0)
        return Receipt(); // nothing on the paper: nothing to cut off
    if (kind == CutKind::Automatic) {
        if (m_y >= Paper::kMaxReceiptDots)
            note(QStringLiteral("a receipt reached 1 m (8000 dots): the printer cut it there"));
        else
            note(QStringLiteral("a receipt held more than %1 MiB of drawing: the printer cut it").arg(kReceiptBudget >> 20));
    }
    Receipt receipt = std::move(m_open);
    receipt.cut = kind;
    receipt.source.end = end;
    receipt.lengthDots = std::max(receipt.lengthDots, m_y);
    receipt.number = ++m_finishedTotal;
    m_open = Receipt();
    m_open.number = m_finishedTotal + 1;
    m_open.source = {end, end};
    m_y = 0;
    m_spent = 0;
    touch();
    if (m_handler)
        m_handler(receipt);
    if (m_retain > 0) {
        m_finished.push_back(receipt);
        while (int(m_finished.size()) > m_retain)
            m_finished.pop_front();
    }
    if (m_trace)
        traceRetained();
    return receipt;
}

void ReceiptInterpreter::cut(CutKind kind, int feedDots)
{
    printPendingContent();
    feedPaper(feedDots, commandRange());
    closeReceipt(kind, m_at + 1);
}

Receipt ReceiptInterpreter::finish()
{
    if (m_trace && m_making == Making::Text)
        traceEnd(m_offset);
    if (m_parse == Parse::Payload && m_payload == Payload::Raster)
        commitRasterPiece();
    if (m_line.hasContent())
        printLine(true, 1, m_offset, false);
    return closeReceipt(CutKind::None, m_offset);
}

Receipt ReceiptInterpreter::withPendingLine() const
{
    Receipt receipt = m_open;
    if (m_line.hasContent()) {
        ReceiptLine line = layOut(m_line, m_y, m_modes.lineSpacing);
        line.source.end = m_offset;
        receipt.lines.append(line);
        receipt.tallestLineInk = std::max(receipt.tallestLineInk, line.inkBottom() - line.y);
        receipt.lengthDots = std::max(receipt.lengthDots, line.y + line.height);
    }
    return receipt;
}

int ReceiptInterpreter::bandLeft(int dotWidth) const
{
    return printableLeft() + justifiedOffset(m_modes.justify, dotWidth, printableWidth());
}

// A band of its own (raster piece, barcode, QR code) at the print position.
void ReceiptInterpreter::placeBand(ReceiptLine line, qsizetype price)
{
    makeRoom(line.height, price);
    moveDown(line, m_y);
    m_open.lines.append(line);
    m_open.tallestLineInk = std::max(m_open.tallestLineInk, line.inkBottom() - line.y);
    m_open.lengthDots = std::max(m_open.lengthDots, line.inkBottom());
    m_open.source.end = line.source.end;
    m_spent += price;
    touch();
    if (m_trace)
        traceBand(m_open.lines.last());
    advance(line.height);
}

// A message in place of a symbol: plain font A text on lines of its own.
void ReceiptInterpreter::printTextLine(const QByteArray &latin1, const ByteRange &source)
{
    for (const char c : latin1)
        putCharacter(quint8(c) < 0x20 ? ' ' : quint8(c), TextStyle(), 16, source);
    if (m_line.hasContent())
        printLine(true, 1, source.end, true);
}

void ReceiptInterpreter::printBarcode(int type, const QByteArray &data)
{
    printPendingContent();
    const Symbol symbol = m_symbols->barcode(type, data);
    if (!symbol.isValid()) {
        printTextLine(symbol.error.toLatin1(), commandRange());
        return;
    }
    const int module = m_modes.barcodeModule;
    const int dotWidth = std::min(int(symbol.modules.width()) * module, printableWidth());
    const int x = bandLeft(dotWidth);
    QImage bars = monoImage(dotWidth, m_modes.barcodeHeight);
    for (int dot = 0; dot < dotWidth; ++dot) {
        if (symbol.modules.pixelIndex(dot / module, 0))
            bars.setPixel(dot, 0, 1);
    }
    for (int row = 1; row < bars.height(); ++row)
        std::memcpy(bars.scanLine(row), bars.constScanLine(0), size_t(bars.bytesPerLine()));

    ReceiptLine line;
    line.source = commandRange();
    const bool above = m_modes.barcodeText & 1;
    const bool below = m_modes.barcodeText & 2;
    TextRun text;
    text.text = symbol.text;
    text.codePage = 16;
    text.source = line.source;
    text.x = std::max(0, x + (dotWidth - text.width()) / 2);
    int y = 0;
    if (above && !text.text.isEmpty()) {
        text.y = y;
        line.runs.append(text);
        y += text.height();
    }
    line.images.append({DotImage::Kind::Barcode, x, y, bars, line.source});
    y += bars.height();
    if (below && !text.text.isEmpty()) {
        text.y = y;
        line.runs.append(text);
        y += text.height();
    }
    line.height = y;
    placeBand(line, cost(line));
}

void ReceiptInterpreter::printQr()
{
    printPendingContent();
    if (m_qrData.isEmpty()) {
        note(QStringLiteral("QR code printed with no data stored: nothing printed"));
        return;
    }
    if (m_trace && m_making == Making::Command)
        m_entry.data = m_qrData.left(TraceEntry::kKeptText);
    const Symbol symbol = m_symbols->qrCode(m_qrData, m_modes.qrEcc);
    if (!symbol.isValid()) {
        printTextLine(symbol.error.toLatin1(), commandRange());
        return;
    }
    const int module = m_modes.qrModule;
    const int dotWidth = std::min(int(symbol.modules.width()) * module, printableWidth());
    const int x = bandLeft(dotWidth);
    QImage dots = monoImage(dotWidth, int(symbol.modules.height()) * module);
    for (int row = 0; row < dots.height(); ++row) {
        if (row % module != 0) {
            std::memcpy(dots.scanLine(row), dots.constScanLine(row - 1), size_t(dots.bytesPerLine()));
            continue;
        }
        for (int dot = 0; dot < dotWidth; ++dot) {
            if (symbol.modules.pixelIndex(dot / module, row / module))
                dots.setPixel(dot, row, 1);
        }
    }
    ReceiptLine line;
    line.source = commandRange();
    line.images.append({DotImage::Kind::QrCode, x, 0, dots, line.source});
    line.height = dots.height();
    placeBand(line, cost(line));
}

void ReceiptInterpreter::beginRaster(int mode, int bytesPerRow, int rows)
{
    printPendingContent();
    m_image = Image();
    m_image.bytesPerUnit = bytesPerRow;
    m_image.units = rows;
    m_image.scaleX = (mode & 1) ? 2 : 1;
    m_image.scaleY = (mode & 2) ? 2 : 1;
    m_image.dotWidth = int(std::min<qint64>(qint64(bytesPerRow) * 8 * m_image.scaleX, printableWidth()));
    m_image.x = bandLeft(m_image.dotWidth);
    // Only the bytes that reach the paper are kept.
    const int keptDots = (m_image.dotWidth + m_image.scaleX - 1) / m_image.scaleX;
    m_image.row = QByteArray((keptDots + 7) / 8, '\0');
    beginPayload(Payload::Raster, qint64(bytesPerRow) * rows);
}

void ReceiptInterpreter::rasterByte(quint8 byte)
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
        const qsizetype rowCost = qsizetype((image.dotWidth + 31) / 32) * 4 * image.scaleY;
        if (m_y + image.scaleY > Paper::kMaxReceiptDots || m_spent + rowCost + kElementCost > kReceiptBudget)
            makeRoom(Paper::kMaxReceiptDots + 1, 0);
        const int rowsLeft = image.units - image.unit + 1;
        const qsizetype byBudget = std::max<qsizetype>(1, (kReceiptBudget - m_spent - kElementCost) / rowCost);
        image.pieceRows = int(std::min<qsizetype>({rowsLeft, (Paper::kMaxReceiptDots - m_y) / image.scaleY, byBudget}));
        image.pieceRows = std::max(1, image.pieceRows);
        image.pieceRow = 0;
        image.dots = monoImage(image.dotWidth, image.pieceRows * image.scaleY);
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

void ReceiptInterpreter::commitRasterPiece()
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
    line.source = commandRange();
    line.images.append({DotImage::Kind::Raster, m_image.x, 0, dots, line.source});
    line.height = dots.height();
    placeBand(line, cost(line));
}

void ReceiptInterpreter::beginColumnImage(int mode, int columns)
{
    if (!m_line.started)
        startLine();
    m_image = Image();
    m_image.bytesPerUnit = mode >= 0x20 ? 3 : 1;
    m_image.units = columns;
    m_image.scaleX = (mode == 0 || mode == 0x20) ? 2 : 1;
    const int room = std::max(0, m_line.width - m_line.x);
    m_image.dotWidth = std::min(columns * m_image.scaleX, room);
    m_image.x = m_line.x;
    if (m_image.dotWidth > 0)
        m_image.dots = monoImage(m_image.dotWidth, 8 * m_image.bytesPerUnit);
    m_line.x += columns * m_image.scaleX;
    beginPayload(Payload::Column, qint64(columns) * m_image.bytesPerUnit);
}

void ReceiptInterpreter::columnByte(quint8 byte)
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

void ReceiptInterpreter::finishColumnImage()
{
    if (m_image.dots.isNull())
        return;
    m_line.images.append({DotImage::Kind::Column, m_image.x, 0, m_image.dots, commandRange()});
    m_image.dots = QImage();
    touch();
}
