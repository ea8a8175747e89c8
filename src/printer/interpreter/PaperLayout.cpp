// The paper layout: lines filled and printed, feeds, bands and cuts, within
// the printable width, the length cap and the receipts' memory budget.
#include "printer/interpreter/PaperLayout.h"

#include "printer/characters/CodePages.h"
#include "printer/interpreter/ReceiptParts.h"

QImage ReceiptParts::monoImage(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0)});
    image.fill(0);
    return image;
}

qsizetype ReceiptParts::cost(const ReceiptLine &line)
{
    qsizetype total = kElementCost;
    for (const TextRun &run : line.runs)
        total += kElementCost + run.text.size();
    for (const DotImage &image : line.images)
        total += kElementCost + image.dots.sizeInBytes();
    return total;
}

namespace {
using ReceiptParts::cost;
constexpr int kMaxEvents = 1024; // marked on one receipt; a stream of beeps stays bounded
constexpr qsizetype kReceiptBudget = ReceiptInterpreter::kReceiptBudget;

int justifiedOffset(int justify, int contentWidth, int width)
{
    const int free = std::max(0, width - contentWidth);
    return justify == 1 ? free / 2 : justify == 2 ? free : 0;
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
        bottom = std::max(bottom, run.y + (run.turn & 1 ? run.rect().height() : run.height()));
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

void PaperLayout::startLine()
{
    m_line.started = true;
    m_line.left = printableLeft();
    m_line.width = printableWidth();
    m_line.justify = m_page.active ? 0 : m_context.modes.justify;
    m_line.upsideDown = m_context.modes.upsideDown && !m_page.active;
    m_line.x = 0;
    m_line.begin = m_context.lineBegin();
}

void PaperLayout::putCharacter(const char *bytes, int size, const TextStyle &style, const Reading &reading,
                                      const ByteRange &source)
{
    if (!m_line.started)
        startLine();
    if (size == 1 && reading.twoByte == TwoByteCode::None && putMark(quint8(bytes[0]), style, reading, source))
        return;
    if (m_line.x > 0 && m_line.x + style.lineWidth() > m_line.width) {
        // Wraps as the printer does: the line so far is printed first.
        printLine(true, 1, source.begin, false);
        startLine();
        m_line.begin = source.begin;
    }
    m_context.touch();
    if (!m_line.runs.isEmpty()) {
        TextRun &last = m_line.runs.last();
        if (last.style == style && last.codePage == reading.codePage && last.international == reading.international
            && last.twoByte == reading.twoByte && last.x + last.width() == m_line.x
            && (last.source.end == source.begin || last.source == source)) {
            last.text.append(bytes, size);
            last.source.end = source.end;
            m_line.x += style.lineAdvance();
            return;
        }
    }
    TextRun run;
    run.x = m_line.x;
    run.text = QByteArray(bytes, size);
    run.codePage = reading.codePage;
    run.international = reading.international;
    run.twoByte = reading.twoByte;
    run.style = style;
    run.source = source;
    m_line.runs.append(run);
    m_line.x += style.lineAdvance();
}

// A combining mark goes on the character before it, as the printer's Thai
// pages print it: no cell of its own. At the start of a line (or after a
// tab) there is none, and it takes a cell like any character.
bool PaperLayout::putMark(quint8 byte, const TextStyle &style, const Reading &reading, const ByteRange &source)
{
    if (byte < 0x80 || m_line.runs.isEmpty())
        return false;
    const QChar::Category category = QChar::category(char32_t(CodePages::character(reading.codePage, byte)));
    if (category != QChar::Mark_NonSpacing && category != QChar::Mark_Enclosing)
        return false;
    // The character before ends where the next one would go.
    TextRun &last = m_line.runs.last();
    if ((last.combining ? last.x + last.style.lineAdvance() : last.x + last.width()) != m_line.x)
        return false;
    m_context.touch();
    if (last.combining && last.style == style && last.codePage == reading.codePage && last.source.end == source.begin) {
        last.text.append(char(byte));
        last.source.end = source.end;
        return true;
    }
    TextRun run;
    run.x = last.combining ? last.x : m_line.x - last.style.lineAdvance();
    run.text = QByteArray(1, char(byte));
    run.codePage = reading.codePage;
    run.international = reading.international;
    run.style = style;
    run.source = source;
    run.combining = true;
    m_line.runs.append(run);
    return true;
}

void PaperLayout::tab()
{
    if (!m_line.started)
        startLine();
    if (!m_context.modes.tabsSet) {
        const int stop = 8 * currentStyle().cellWidth();
        m_line.x = std::min((m_line.x / stop + 1) * stop, m_line.width);
    } else {
        // The next stop set by ESC D; past the last one, HT does nothing.
        for (const int stop : std::as_const(m_context.modes.tabStops)) {
            if (stop > m_line.x) {
                m_line.x = std::min(stop, m_line.width);
                break;
            }
        }
    }
    m_context.touch();
}

ReceiptLine PaperLayout::layOut(const Pending &pending, int y, int spacing) const
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
    if (pending.upsideDown) {
        // Turned by 180 degrees within the printable area and the line's ink.
        const int mirror = 2 * pending.left + pending.width;
        for (TextRun &run : line.runs) {
            run.x = mirror - run.x - run.rect().width();
            run.y = 2 * y + tallest - run.y - run.height();
            run.turn = 2;
        }
        for (DotImage &image : line.images) {
            image.x = mirror - image.x - image.width();
            image.y = 2 * y + tallest - image.y - image.height();
            image.dots = image.dots.mirrored(true, true);
        }
    }
    return line;
}

// LF, ESC d n (byLines) and ESC J n: the line in progress is printed and the
// paper fed n lines (the first as tall as the printed line) or n dots (at
// least the line's own height).
void PaperLayout::printLine(bool byLines, int amount, qint64 end, bool byCommand)
{
    const int spacing = m_context.modes.lineSpacing;
    if (m_page.active) {
        ReceiptLine line = layOut(m_line, 0, spacing);
        const int feed = !m_line.hasContent() ? (byLines ? amount * spacing : amount)
                         : byLines              ? (amount == 0 ? 0 : line.height + (amount - 1) * spacing)
                                                : amount;
        m_line = Pending();
        pageLine(line, feed);
        return;
    }
    if (!m_line.hasContent()) {
        const qint64 begin = m_line.started ? m_line.begin : (m_context.lineBegin());
        m_line = Pending();
        feedPaper(byLines ? amount * spacing : amount, {begin, end});
        return;
    }
    ReceiptLine line = layOut(m_line, 0, spacing);
    line.source.end = end;
    m_line = Pending();
    // ESC J feeds at least what the line printed: the printer has moved the
    // paper past its dots, so bands fed by ESC J 0 stack (ESC d 0 prints in place).
    const int feed = byLines ? (amount == 0 ? 0 : line.height + (amount - 1) * spacing) : std::max(amount, line.inkBottom());
    const qsizetype price = cost(line);
    makeRoom(line.height, price);
    moveDown(line, m_y);
    m_open.lines.append(line);
    m_open.tallestLineInk = std::max(m_open.tallestLineInk, line.inkBottom() - line.y);
    m_open.lengthDots = std::max(m_open.lengthDots, line.inkBottom());
    m_open.source.end = end;
    m_spent += price;
    m_context.touch();
    if (m_context.trace.on()) {
        m_context.trace.line(m_open, line);
        if (byCommand) {
            const int bottom = std::max(line.inkBottom(), int(std::min<qint64>(qint64(line.y) + feed, Paper::kMaxReceiptDots)));
            m_context.trace.region(m_open, QRect(0, line.y, paperDots(), bottom - line.y));
        }
    }
    advance(feed);
}

void PaperLayout::printPendingContent()
{
    if (m_line.hasContent())
        printLine(true, 1, m_context.cmdStart, false);
    else
        m_line = Pending();
}

void PaperLayout::feedPaper(int dots, const ByteRange &source)
{
    if (dots <= 0)
        return;
    if (m_page.active) {
        pageFeed(dots);
        return;
    }
    const int room = Paper::kMaxReceiptDots - m_y;
    const int fed = std::min(dots, room);
    if (fed > 0) {
        if (m_context.trace.on())
            m_context.trace.region(m_open, QRect(0, m_y, paperDots(), fed));
        m_open.feeds.append({m_y, fed, source});
        m_y += fed;
        m_open.lengthDots = std::max(m_open.lengthDots, m_y);
        m_open.source.end = source.end;
        m_context.touch();
    }
    if (dots > room)
        closeReceipt(CutKind::Automatic, source.end);
}

void PaperLayout::feedByButton(int dots, qint64 offset)
{
    if (!m_page.active)
        feedPaper(dots, ByteRange{offset, offset});
}

void PaperLayout::advance(int dots)
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
void PaperLayout::makeRoom(int dots, qsizetype price)
{
    if (m_open.isBlank() && m_y == 0)
        return;
    if (m_y + dots > Paper::kMaxReceiptDots || m_spent + price > kReceiptBudget)
        closeReceipt(CutKind::Automatic, m_open.source.end);
}

Receipt PaperLayout::closeReceipt(CutKind kind, qint64 end)
{
    if (m_open.isBlank() && m_y == 0)
        return Receipt(); // nothing on the paper: nothing to cut off
    if (kind == CutKind::Automatic) {
        if (m_y >= Paper::kMaxReceiptDots)
            m_context.note(QStringLiteral("a receipt reached 1 m (8000 dots): the printer cut it there"));
        else
            m_context.note(QStringLiteral("a receipt held more than %1 MiB of drawing: the printer cut it").arg(kReceiptBudget >> 20));
    }
    Receipt receipt = std::move(m_open);
    receipt.cut = kind;
    receipt.source.end = end;
    receipt.lengthDots = std::max(receipt.lengthDots, m_y);
    receipt.number = ++m_finishedTotal;
    m_fedBefore += receipt.lengthDots;
    m_open = Receipt();
    m_open.widthDots = m_paperWidth;
    m_open.number = m_finishedTotal + 1;
    m_open.source = {end, end};
    m_y = 0;
    m_spent = 0;
    m_context.touch();
    if (m_handler)
        m_handler(receipt);
    if (m_retain > 0) {
        m_finished.push_back(receipt);
        while (int(m_finished.size()) > m_retain)
            m_finished.pop_front();
    }
    if (m_context.trace.on())
        retained();
    return receipt;
}

void PaperLayout::cut(CutKind kind, int feedDots)
{
    if (m_page.active) {
        m_context.note(QStringLiteral("a cut in page mode: ignored (FF prints the page)"));
        return;
    }
    printPendingContent();
    feedPaper(feedDots, m_context.commandRange());
    closeReceipt(kind, m_context.at + 1);
}

Receipt PaperLayout::withPendingLine(qint64 offset) const
{
    Receipt receipt = m_open;
    if (m_line.hasContent() && !m_page.active) {
        ReceiptLine line = layOut(m_line, m_y, m_context.modes.lineSpacing);
        line.source.end = offset;
        receipt.lines.append(line);
        receipt.tallestLineInk = std::max(receipt.tallestLineInk, line.inkBottom() - line.y);
        receipt.lengthDots = std::max(receipt.lengthDots, line.y + line.height);
    }
    return receipt;
}

int PaperLayout::bandLeft(int dotWidth) const
{
    return printableLeft() + justifiedOffset(m_page.active ? 0 : m_context.modes.justify, dotWidth, printableWidth());
}

void PaperLayout::placeBand(ReceiptLine line, qsizetype price)
{
    if (m_page.active) {
        const int height = line.height;
        pageLine(std::move(line), height);
    } else {
        putBand(std::move(line), price);
    }
}

// A band of its own (raster piece, barcode, QR code, a page) on the paper.
void PaperLayout::putBand(ReceiptLine line, qsizetype price)
{
    makeRoom(line.height, price);
    moveDown(line, m_y);
    m_open.lines.append(line);
    m_open.tallestLineInk = std::max(m_open.tallestLineInk, line.inkBottom() - line.y);
    m_open.lengthDots = std::max(m_open.lengthDots, line.inkBottom());
    m_open.source.end = line.source.end;
    m_spent += price;
    m_context.touch();
    if (m_context.trace.on())
        m_context.trace.band(m_open, m_open.lines.last());
    advance(line.height);
}


PaperLayout::PaperLayout(InterpreterContext &context)
    : m_context(context)
{
    m_open.number = 1;
}

void PaperLayout::clearPaper(qint64 offset)
{
    m_open = Receipt();
    m_open.widthDots = m_paperWidth;
    m_open.number = 1;
    m_open.source = {offset, offset};
    m_y = 0;
    m_spent = 0;
    m_finished.clear();
    m_finishedTotal = 0;
}

void PaperLayout::setPaperWidth(int dots)
{
    m_paperWidth = std::clamp(dots, Paper::kMinPrintableDots, Paper::kWidthDots);
    // A receipt is printed on one paper: a begun one keeps its own.
    if (m_open.isBlank() && m_y == 0 && !m_line.started)
        m_open.widthDots = m_paperWidth;
    m_context.touch();
}

void PaperLayout::setRetainLimit(int receipts)
{
    m_retain = std::max(0, receipts);
    while (int(m_finished.size()) > m_retain)
        m_finished.pop_front();
    if (m_context.trace.on())
        retained();
}

void PaperLayout::retained()
{
    m_context.trace.retained(m_open.number, m_finished.empty() ? m_open.source.begin : m_finished.front().source.begin);
}

void PaperLayout::event(ReceiptEvent::Kind kind, int drawer, bool realTime)
{
    const ReceiptEvent event{kind, drawer, realTime, m_y, m_context.commandRange()};
    if (m_open.events.size() < kMaxEvents) {
        m_open.events.append(event);
        m_context.touch();
    } else {
        m_context.note(QStringLiteral("more than %1 beeps and drawer pulses on one receipt: the rest are not marked").arg(kMaxEvents));
    }
    if (m_eventHandler)
        m_eventHandler(event, m_open.number);
}
