// Positions and page mode: ESC $ and ESC \ along the line, ESC D tab stops,
// GS P; ESC L to ESC S, ESC W, ESC T, GS $, GS \, ESC FF, FF and CAN. In page
// mode lines are laid out in the print direction's own axes, then turned
// into the print area; the page goes onto the paper, whole, when printed.
#include "printer/interpreter/PaperLayout.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/ReceiptParts.h"

namespace {
using namespace ControlBytes;
constexpr qsizetype kReceiptBudget = ReceiptInterpreter::kReceiptBudget;

using PrinterCommands::smallChoice;

// The run's direction for each print direction: 1, bottom to top, reads
// with the characters' tops to the left (three quarter turns).
constexpr quint8 kTurn[4] = {0, 3, 2, 1};

// A rectangle of the direction's axes (x along the print direction, y
// across it) in the print area of the given size.
QRect intoArea(const QRect &r, int direction, const QSize &area)
{
    switch (direction) {
    case 1: return QRect(r.y(), area.height() - r.x() - r.width(), r.height(), r.width());
    case 2: return QRect(area.width() - r.x() - r.width(), area.height() - r.y() - r.height(), r.width(), r.height());
    case 3: return QRect(area.width() - r.y() - r.height(), r.x(), r.height(), r.width());
    default: return r;
    }
}
} // namespace

bool PaperLayout::runPositionCommand(quint8 introducer, quint8 c)
{
    const quint8 n = m_context.parameter(2);
    const auto word = [this](int at) { return m_context.word(at); };
    if (introducer == GS) {
        switch (c) {
        case 'P': // motion units: the printer keeps its 203 dpi dots
            return true;
        case '$':
            if (m_page.active)
                pageSetVertical(word(2));
            return true;
        case '\\':
            if (m_page.active)
                pageSetVertical(m_page.y + qint16(word(2)));
            return true;
        default:
            return false;
        }
    }
    if (introducer != ESC)
        return false;
    switch (c) {
    case '$':
        setHorizontal(word(2));
        return true;
    case '\\':
        setHorizontal((m_line.started ? m_line.x : 0) + qint16(word(2)));
        return true;
    case 'L':
        enterPageMode();
        return true;
    case 'S':
        if (m_page.active)
            leavePageMode();
        return true;
    case 0x0C:
        if (m_page.active)
            printPage(true);
        return true;
    case 'T':
        if (const int value = smallChoice(n, 4); value >= 0) {
            pageSetVertical(-1); // the line so far stays where it was laid out
            m_context.modes.pageDirection = value;
            m_page.y = 0;
        } else {
            m_context.ignoredParameter();
        }
        return true;
    case 'W': {
        const int x = word(2), y = word(4), width = word(6), height = word(8);
        if (width == 0 || height == 0 || x >= paperDots() || y >= Paper::kMaxReceiptDots) {
            m_context.ignoredParameter();
            return true;
        }
        pageSetVertical(-1);
        m_context.modes.pageArea = QRect(x, y, std::min(width, paperDots() - x), std::min(height, Paper::kMaxReceiptDots - y));
        m_page.y = 0;
        return true;
    }
    default:
        return false;
    }
}

// ESC D: stops in characters of the current width, ascending; the first
// that is not ends the list.
void PaperLayout::finishTabStops()
{
    m_context.modes.tabsSet = true;
    m_context.modes.tabStops.clear();
    const int width = currentStyle().advance();
    int last = 0;
    for (const char byte : std::as_const(m_context.data)) {
        const int stop = quint8(byte);
        if (stop <= last) {
            m_context.ignoredParameter();
            break;
        }
        m_context.modes.tabStops.append(stop * width);
        last = stop;
    }
}

void PaperLayout::setHorizontal(int position)
{
    if (!m_line.started)
        startLine();
    if (position < 0 || position >= m_line.width) {
        m_context.ignoredParameter();
        return;
    }
    m_line.x = position;
    m_context.touch();
}

QRect PaperLayout::pageArea() const
{
    const QRect &area = m_context.modes.pageArea;
    const int x = area.x() < paperDots() ? area.x() : 0;
    return QRect(x, area.y(), std::min(area.width(), paperDots() - x), area.height());
}

int PaperLayout::pageWidth() const
{
    const QRect area = pageArea();
    return m_context.modes.pageDirection & 1 ? area.height() : area.width();
}

int PaperLayout::pageHeight() const
{
    const QRect area = pageArea();
    return m_context.modes.pageDirection & 1 ? area.width() : area.height();
}

void PaperLayout::enterPageMode()
{
    if (m_page.active)
        return;
    if (m_line.hasContent()) {
        m_context.note(QStringLiteral("ESC L after text on the line: page mode starts only at the beginning of a line, ignored"));
        return;
    }
    m_page = Page();
    m_page.active = true;
    m_page.begin = m_context.cmdStart;
    m_line = Pending();
    swapModeSpacing();
}

// ESC S: back to standard mode, the page dropped unprinted.
void PaperLayout::leavePageMode()
{
    m_page = Page();
    m_line = Pending();
    swapModeSpacing();
}

// ESC 2, ESC 3 and ESC SP keep a value for each mode.
void PaperLayout::swapModeSpacing()
{
    std::swap(m_context.modes.lineSpacing, m_context.modes.otherLineSpacing);
    std::swap(m_context.modes.style.spacing, m_context.modes.otherCharSpacing);
}

// GS $, GS \ (and a change of area or direction, with -1): what the line
// holds so far stays where it was laid out, the rest of it comes at the new
// vertical position. A position past the page is ignored.
void PaperLayout::pageSetVertical(int position)
{
    if (!m_page.active)
        return;
    if (position >= pageHeight() || position < -1) {
        m_context.ignoredParameter();
        return;
    }
    if (m_line.hasContent()) {
        const int x = m_line.x;
        pageLine(layOut(m_line, 0, m_context.modes.lineSpacing), 0);
        m_line = Pending();
        startLine();
        m_line.x = x;
    }
    if (position >= 0)
        m_page.y = position;
}

void PaperLayout::pageFeed(int dots)
{
    m_page.y = std::min(m_page.y + dots, Paper::kMaxReceiptDots);
}

// A laid-out line (y from 0) into the page at the vertical position, turned
// into the print area; then the position moves by feed.
void PaperLayout::pageLine(ReceiptLine line, int feed)
{
    const QRect area = pageArea();
    const int direction = m_context.modes.pageDirection;
    bool outside = false;
    bool full = false;
    for (TextRun &run : line.runs) {
        run.y += m_page.y;
        const QRect at = intoArea(run.rect(), direction, area.size());
        const qsizetype price = ReceiptParts::kElementCost + run.text.size();
        if (!QRect(QPoint(), area.size()).contains(at)) {
            outside = true;
            continue;
        }
        if (m_page.cost + price > kReceiptBudget) {
            full = true;
            continue;
        }
        run.turn = kTurn[direction];
        run.x = area.x() + at.x();
        run.y = area.y() + at.y();
        m_page.runs.append(run);
        m_page.cost += price;
    }
    for (DotImage &image : line.images) {
        image.y += m_page.y;
        const QRect at = intoArea(image.rect(), direction, area.size());
        const QRect kept = at & QRect(QPoint(), area.size());
        if (kept.isEmpty()) {
            outside = true;
            continue;
        }
        QImage dots = ReceiptParts::turned(image.dots, kTurn[direction]);
        if (kept != at) {
            outside = true;
            dots = dots.copy(kept.translated(-at.topLeft()));
        }
        const qsizetype price = ReceiptParts::kElementCost + dots.sizeInBytes();
        if (m_page.cost + price > kReceiptBudget) {
            full = true;
            continue;
        }
        m_page.images.append({image.kind, area.x() + kept.x(), area.y() + kept.y(), dots, image.source});
        m_page.cost += price;
    }
    if (outside)
        m_context.note(QStringLiteral("page mode: what falls outside the print area is not printed"));
    if (full)
        m_context.note(QStringLiteral("page mode: a page holds at most %1 MiB of drawing; the rest is not printed").arg(kReceiptBudget >> 20));
    m_page.bottom = std::max(m_page.bottom, area.y() + area.height());
    pageFeed(feed);
    m_context.touch();
}

// FF (stay false) and ESC FF: the page onto the paper, as tall as the lowest
// print area it used; ESC FF keeps the page to print it again.
void PaperLayout::printPage(bool stay)
{
    if (m_line.hasContent()) {
        pageLine(layOut(m_line, 0, m_context.modes.lineSpacing), 0);
        m_line = Pending();
    }
    const int height = std::max(m_page.bottom, pageArea().bottom() + 1);
    ReceiptLine band;
    band.height = height;
    band.runs = m_page.runs;
    band.images = m_page.images;
    band.source = {m_page.begin, m_context.at + 1};
    const Page page = m_page;
    m_page = Page(); // on the paper, not in the page
    putBand(band, ReceiptParts::cost(band));
    if (m_context.trace.on())
        m_context.trace.line(m_open, m_open.lines.isEmpty() ? band : m_open.lines.last());
    if (stay) {
        m_page = page;
        m_page.begin = m_context.at + 1;
    } else {
        swapModeSpacing();
    }
}

void PaperLayout::cancelPage(qint64 end)
{
    if (m_page.active) {
        m_page = Page{true, 0, 0, {}, {}, 0, end};
        m_line = Pending();
    }
}
