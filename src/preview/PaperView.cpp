#include "preview/PaperView.h"

#include "preview/EventMark.h"
#include "printer/render/ReceiptRenderer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
const QColor kDesk(0x5f, 0x66, 0x70);
const QColor kCaption(0xe6, 0xe8, 0xeb);
const QColor kShadow(0, 0, 0, 70);
const QColor kMarkFill(255, 196, 0, 80);
const QColor kMarkEdge(230, 120, 0);
constexpr int kTooth = 8;  // a torn edge's teeth: width and depth in pixels
constexpr int kToothDepth = 4;
constexpr int kTileCacheKiB = 64 * 1024;

QString cutText(CutKind cut)
{
    switch (cut) {
    case CutKind::Full: return QStringLiteral("full cut");
    case CutKind::Partial: return QStringLiteral("partial cut");
    case CutKind::Automatic: return QStringLiteral("cut by the printer");
    case CutKind::None: break;
    }
    return QStringLiteral("printing, not cut yet");
}

// The edge of a cut: teeth of paper hanging below y (down) or rising above it.
void drawTornEdge(QPainter &painter, int left, int right, int y, bool down)
{
    QPolygon teeth;
    teeth << QPoint(left, y);
    for (int x = left; x < right; x += kTooth) {
        teeth << QPoint(std::min(x + kTooth / 2, right), down ? y + kToothDepth : y - kToothDepth);
        teeth << QPoint(std::min(x + kTooth, right), y);
    }
    painter.drawPolygon(teeth);
}

// What a tile shows: the lines that reach into it (a line never changes once
// printed; the line in progress changes its end with every byte), its rows
// and the zoom.
quint64 signature(const Receipt &receipt, int y0, int y1, double scale)
{
    quint64 h = qHashMulti(0, y1 - y0, scale, receipt.widthDots);
    for (const ReceiptLine *line : receipt.linesIn(y0, y1))
        h = qHashMulti(h, line->y, line->source.begin, line->source.end, line->runs.size(), line->images.size());
    return h;
}
} // namespace

PaperView::PaperView(const ReceiptRenderer &renderer, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_renderer(renderer)
    , m_tiles(kTileCacheKiB)
{
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    // Always there, so that fitting the width never makes it come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(30);
    horizontalScrollBar()->setSingleStep(30);
    m_settled.setSingleShot(true);
    m_settled.setInterval(kSettleMs);
    connect(&m_settled, &QTimer::timeout, this, [this] {
        m_streaming = false;
        viewport()->update();
    });
    relayout();
}

void PaperView::setPaper(const QList<Receipt> &cut, const Receipt &open)
{
    // Paper that comes again soon after the last is streaming in: its new
    // tiles are drawn quickly now and smoothly once it has settled.
    m_streaming = m_lastPaper.isValid() && m_lastPaper.elapsed() < kStreamingMs;
    m_lastPaper.start();
    if (m_streaming)
        m_settled.start();
    m_receipts = cut;
    m_lastIsOpen = !open.isBlank();
    if (m_lastIsOpen)
        m_receipts.append(open);
    relayout();
}

void PaperView::clear()
{
    m_receipts.clear();
    m_lastIsOpen = false;
    m_tiles.clear();
    m_following = true;
    relayout();
}

void PaperView::setZoom(Zoom zoom)
{
    if (zoom == m_zoom)
        return;
    const Anchor anchor = centre();
    m_zoom = zoom;
    relayout();
    if (!m_following)
        centreOn(anchor);
    // A roll wider than the view shows its middle, where most receipts print.
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum() / 2);
}

QRect PaperView::receiptRect(int index) const
{
    // Each roll, and its printable part, centred where the widest roll goes.
    const int width = m_receipts.at(index).widthDots;
    return QRect(rollLeft() + toPixels((kRollDots - width) / 2.0), m_tops.at(index), toPixels(width), m_heights.at(index));
}

int PaperView::rollLeft() const
{
    return std::max(kMargin, (viewport()->width() - m_rollWidth) / 2);
}

void PaperView::relayout()
{
    switch (m_zoom) {
    case Zoom::FitWidth:
        m_scale = std::max(0.2, (viewport()->width() - 2 * kMargin) / double(kRollDots));
        break;
    case Zoom::Actual:
        m_scale = 1.0;
        break;
    case Zoom::Double:
        m_scale = 2.0;
        break;
    }
    m_rollWidth = toPixels(kRollDots);
    m_tops.clear();
    m_heights.clear();
    int y = kMargin;
    for (const Receipt &receipt : std::as_const(m_receipts)) {
        if (!m_tops.isEmpty())
            y += kGap;
        m_tops.append(y);
        m_heights.append(std::max(1, toPixels(std::max(1, receipt.lengthDots))));
        y += m_heights.last();
    }
    m_contentHeight = y + kBottom;

    m_adjusting = true;
    QScrollBar *v = verticalScrollBar();
    v->setPageStep(viewport()->height());
    v->setRange(0, std::max(0, m_contentHeight - viewport()->height()));
    if (m_following)
        v->setValue(v->maximum());
    QScrollBar *h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setRange(0, std::max(0, m_rollWidth + 2 * kMargin - viewport()->width()));
    m_adjusting = false;
    viewport()->update();
    updateShown();
    updateMarks();
}

void PaperView::updateMarks()
{
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    int used = 0;
    int below = INT_MIN; // marks of one spot go one under the other
    for (int i = 0; i < m_receipts.size() && used < kMaxMarks; ++i) {
        if (m_tops[i] + m_heights[i] + EventMark::kSize < top || m_tops[i] - EventMark::kSize > bottom)
            continue;
        // Right of the receipt's own roll.
        const int rollDots = Paper::rollWidthMm(m_receipts[i].widthDots) * Paper::kDotsPerMm;
        const int x = rollLeft() + toPixels((kRollDots + rollDots) / 2.0) + 1 - horizontalScrollBar()->value();
        for (const ReceiptEvent &event : m_receipts[i].events) {
            const int y = std::max(m_tops[i] + toPixels(event.y) - top - EventMark::kSize / 2, below);
            if (y + EventMark::kSize < 0 || y > viewport()->height())
                continue;
            if (used == m_eventMarks.size())
                m_eventMarks.append(new EventMark(viewport()));
            EventMark *mark = m_eventMarks[used++];
            mark->move(x, y);
            mark->setEvent(event, m_receipts[i].number);
            below = y + EventMark::kSize;
            if (used == kMaxMarks)
                break;
        }
    }
    for (qsizetype i = used; i < m_eventMarks.size(); ++i)
        m_eventMarks[i]->hide();
}

QList<const EventMark *> PaperView::visibleMarks() const
{
    QList<const EventMark *> marks;
    for (const EventMark *mark : m_eventMarks) {
        if (mark->isVisibleTo(viewport()))
            marks.append(mark);
    }
    return marks;
}

void PaperView::updateShown()
{
    // The receipt at the middle of the view. The line moves with the scroll
    // bar, to the view's top edge at the top of the roll and to its bottom
    // edge at the end, so that the first and the last receipt are the ones
    // there, however short. A line between two receipts takes the nearer.
    const QScrollBar *v = verticalScrollBar();
    // A roll the view holds whole: its end while following, its top after Home.
    const double along = v->maximum() > 0 ? double(v->value()) / v->maximum() : (m_following ? 1.0 : 0.0);
    const int line = v->value() + qRound(viewport()->height() * along);
    int best = -1;
    int bestDistance = INT_MAX;
    for (int i = 0; i < m_tops.size(); ++i) {
        const int distance = std::max({0, m_tops[i] - line, line - (m_tops[i] + m_heights[i] - 1)});
        if (distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best != m_shown) {
        m_shown = best;
        emit shownChanged();
    }
}

PaperView::Anchor PaperView::centre() const
{
    const int middle = verticalScrollBar()->value() + viewport()->height() / 2;
    Anchor anchor;
    for (int i = 0; i < m_tops.size(); ++i) {
        if (middle < m_tops[i] + m_heights[i] + kGap / 2 || i + 1 == m_tops.size()) {
            anchor.index = i;
            anchor.dot = (middle - m_tops[i]) / m_scale;
            break;
        }
    }
    return anchor;
}

void PaperView::centreOn(const Anchor &anchor)
{
    if (anchor.index < 0 || anchor.index >= m_tops.size())
        return;
    const int middle = m_tops[anchor.index] + toPixels(anchor.dot);
    verticalScrollBar()->setValue(middle - viewport()->height() / 2);
}

void PaperView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const Anchor anchor = centre();
    relayout();
    if (!m_following)
        centreOn(anchor);
}

void PaperView::scrollContentsBy(int, int)
{
    if (!m_adjusting)
        m_following = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    viewport()->update();
    updateShown();
    updateMarks();
}

void PaperView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        const bool end = event->key() == Qt::Key_End;
        verticalScrollBar()->setValue(end ? verticalScrollBar()->maximum() : 0);
        // Also where the view holds the whole roll and nothing scrolls.
        m_following = end;
        updateShown();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void PaperView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int step = event->angleDelta().y() > 0 ? 1 : event->angleDelta().y() < 0 ? -1 : 0;
    const int next = std::clamp(int(m_zoom) + step, int(Zoom::FitWidth), int(Zoom::Double));
    if (next != int(m_zoom)) {
        setZoom(Zoom(next));
        emit zoomChanged(m_zoom);
    }
    event->accept();
}

QImage PaperView::tile(int index, int number)
{
    const Receipt &receipt = m_receipts.at(index);
    const int y0 = number * kTileDots;
    const int y1 = std::min(std::max(1, receipt.lengthDots), y0 + kTileDots);
    const quint64 key = (quint64(quint32(receipt.number)) << 32) | quint32(number);
    const quint64 sig = signature(receipt, y0, y1, m_scale);
    if (Tile *cached = m_tiles.object(key); cached && cached->signature == sig && (!cached->draft || m_streaming))
        return cached->image;

    // The renderer's own dots, white paper and black ink, as a saved receipt has them.
    QImage dots(receipt.widthDots, y1 - y0, QImage::Format_RGB32);
    dots.fill(Qt::white);
    QPainter painter(&dots);
    painter.translate(0, -y0);
    m_renderer.paint(painter, receipt, y0, y1);
    painter.end();

    auto *made = new Tile;
    made->signature = sig;
    const QSize size(toPixels(receipt.widthDots), std::max(1, toPixels(y1) - toPixels(y0)));
    if (size == dots.size()) {
        made->image = dots;
    } else {
        // Whole multiples keep every dot square and sharp; anything else is smoothed.
        const bool whole = m_scale >= 1 && std::floor(m_scale) == m_scale;
        made->draft = m_streaming && !whole;
        made->image = dots.scaled(size, Qt::IgnoreAspectRatio,
                                  whole || m_streaming ? Qt::FastTransformation : Qt::SmoothTransformation);
    }
    const QImage image = made->image;
    m_tiles.insert(key, made, int(std::max<qsizetype>(1, image.sizeInBytes() / 1024)));
    return image;
}

void PaperView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, kDesk);
    if (m_receipts.isEmpty()) {
        painter.setPen(kCaption);
        painter.drawText(viewport()->rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                         Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("Nothing printed yet.\nWhat the terminal sends to the printer is drawn here "
                                        "as the printer prints it."));
    }
    const QPoint offset(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    for (int i = 0; i < m_receipts.size(); ++i) {
        // With its torn edges and its caption below.
        const QRect area = QRect(0, m_tops[i] - kGap / 2, 1, m_heights[i] + kGap).translated(offset);
        if (area.bottom() < exposed.top() || area.top() > exposed.bottom())
            continue;
        drawReceipt(painter, i, exposed, offset);
    }
    if (const QRect mark = markRect(); !mark.isEmpty()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(mark, kMarkFill);
        painter.setPen(QPen(kMarkEdge, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(mark.adjusted(-1, -1, 0, 0));
        painter.restore();
    }
    if (hasFocus()) {
        // The keys scroll the paper: show that they go here.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
    }
}

void PaperView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void PaperView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void PaperView::drawReceipt(QPainter &painter, int index, const QRect &exposed, const QPoint &offset)
{
    const Receipt &receipt = m_receipts.at(index);
    const QRect printed = receiptRect(index).translated(offset);
    const int rollDots = Paper::rollWidthMm(receipt.widthDots) * Paper::kDotsPerMm;
    const int rollX = rollLeft() + toPixels((kRollDots - rollDots) / 2.0) + offset.x();
    const QRect paper(rollX, printed.top(), toPixels(rollDots), printed.height());
    const bool cut = !(m_lastIsOpen && index + 1 == m_receipts.size());

    painter.fillRect(paper.translated(3, 3), kShadow);
    painter.fillRect(paper, Qt::white);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    if (index > 0)
        drawTornEdge(painter, paper.left(), paper.right() + 1, paper.top(), false);
    if (cut)
        drawTornEdge(painter, paper.left(), paper.right() + 1, paper.bottom() + 1, true);
    painter.restore();

    // Only the tiles in view.
    const QRect visible = exposed.intersected(printed);
    if (!visible.isEmpty()) {
        const int firstDot = int((visible.top() - printed.top()) / m_scale);
        const int lastDot = int((visible.bottom() + 1 - printed.top()) / m_scale);
        const int lastTile = std::min(lastDot, std::max(1, receipt.lengthDots) - 1) / kTileDots;
        for (int number = firstDot / kTileDots; number <= lastTile; ++number)
            painter.drawImage(printed.left(), printed.top() + toPixels(number * kTileDots), tile(index, number));
    }
    drawCaption(painter, index, QRect(paper.left(), paper.bottom() + 1 + kToothDepth, paper.width(),
                                      kGap / 2 + 6));
}

void PaperView::drawCaption(QPainter &painter, int index, const QRect &below)
{
    const Receipt &receipt = m_receipts.at(index);
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    painter.save();
    painter.setFont(font);
    painter.setPen(kCaption);
    painter.drawText(below, Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Receipt %1 \u00B7 %2 mm \u00B7 %3")
                         .arg(receipt.number)
                         .arg(QString::number(receipt.lengthMm(), 'f', 1), cutText(receipt.cut)));
    painter.restore();
}

void PaperView::setMark(int receiptNumber, const QRect &dots)
{
    if (receiptNumber == m_markReceipt && dots == m_markDots)
        return;
    m_markReceipt = receiptNumber;
    m_markDots = dots;
    viewport()->update();
}

QRect PaperView::markRect() const
{
    if (m_markDots.isEmpty())
        return {};
    for (int i = 0; i < m_receipts.size(); ++i) {
        if (m_receipts[i].number != m_markReceipt)
            continue;
        const QRect printed = receiptRect(i);
        // At least a pixel each way, so that a thin rule still shows.
        const QRect mark(printed.left() + toPixels(m_markDots.left()), printed.top() + toPixels(m_markDots.top()),
                         std::max(1, toPixels(m_markDots.width())), std::max(1, toPixels(m_markDots.height())));
        return mark.adjusted(-2, -2, 2, 2).translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    }
    return {};
}

void PaperView::revealMark()
{
    const QRect mark = markRect();
    if (mark.isEmpty())
        return;
    const QRect view = viewport()->rect();
    QScrollBar *v = verticalScrollBar();
    if (mark.top() < 0 || mark.bottom() > view.bottom()) {
        // Centred, or its top in view when it is taller than the view.
        const int centre = mark.height() < view.height() ? mark.center().y() - view.height() / 2 : mark.top() - kMargin;
        v->setValue(v->value() + centre);
    }
    QScrollBar *h = horizontalScrollBar();
    if (mark.left() < 0 || mark.right() > view.right())
        h->setValue(h->value() + mark.left() - kMargin);
}

std::pair<int, QPoint> PaperView::dotAt(const QPoint &viewportPoint) const
{
    const QPoint content = viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (int i = 0; i < m_receipts.size(); ++i) {
        const QRect printed = receiptRect(i);
        if (printed.contains(content)) {
            const QPoint dot(int((content.x() - printed.left()) / m_scale), int((content.y() - printed.top()) / m_scale));
            return {i, dot};
        }
    }
    return {-1, QPoint()};
}

void PaperView::mousePressEvent(QMouseEvent *event)
{
    QAbstractScrollArea::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const auto [index, dot] = dotAt(event->position().toPoint());
    if (index >= 0)
        emit dotClicked(index, dot);
}
