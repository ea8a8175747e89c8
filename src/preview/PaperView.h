#pragma once
// The paper roll as the printer puts it out: the receipts one under the
// other, a torn edge at each cut, the newest at the bottom.
#include "printer/paper/Receipt.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QList>

#include <utility>

class EventMark;
class ReceiptRenderer;

// Receipts are drawn by the virtual printer's renderer, in tiles of kTileDots
// rows: a paint draws only the tiles in view, and a tile is drawn again only
// when the lines it shows have changed (or the zoom has). At 100 % one printer
// dot is one pixel, exactly as the printer prints it; other sizes are
// smoothed, except while paper streams in: smoothing is most of a tile's
// cost, so new tiles are scaled quickly then and smoothed kSettleMs after the
// stream has paused.
class PaperView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { FitWidth, Actual, Double };

    // The 80 mm roll, its 576 printable dots centred; a 58 mm roll (464 dots,
    // 384 printable) is drawn as narrow, centred in the same place.
    static constexpr int kRollDots = 640;
    static constexpr int kTileDots = 256;
    static constexpr int kMargin = 16;     // desk around the roll, in pixels
    static constexpr int kGap = 40;        // between two receipts: torn edges and the cut's caption
    static constexpr int kBottom = 36;     // below the last receipt: its caption
    static constexpr int kStreamingMs = 150; // paper again within this: streaming
    static constexpr int kSettleMs = 200;
    static constexpr int kMaxMarks = 64; // beeps and drawer pulses marked in view at once

    explicit PaperView(const ReceiptRenderer &renderer, QWidget *parent = nullptr);

    // The paper to show: the kept cut receipts, oldest first, then the open
    // one, which is left out while it is blank.
    void setPaper(const QList<Receipt> &cut, const Receipt &open);
    // A fresh roll: no receipts, no drawn tiles, back to following the end.
    void clear();

    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }
    // Screen pixels per printer dot.
    double scale() const { return m_scale; }

    int receiptCount() const { return int(m_receipts.size()); }
    const Receipt &receipt(int index) const { return m_receipts.at(index); }
    bool hasOpenReceipt() const { return m_lastIsOpen; }
    // Where a receipt's printed dots lie on the roll, in content pixels (the
    // scroll bars' coordinates).
    QRect receiptRect(int index) const;
    // The receipt at the middle of the view (the oldest at the top of the
    // roll, the newest at its end), -1 for none.
    int shownIndex() const { return m_shown; }
    // True while the view keeps the end of the roll in sight; scrolling away
    // from it stops that, scrolling back to it starts it again.
    bool following() const { return m_following; }

    // A part of a receipt marked on the paper (the Commands panel's row):
    // receipt number and dots. An empty rect marks nothing.
    void setMark(int receiptNumber, const QRect &dots);
    // Scrolls the mark into view when it is not wholly in view.
    void revealMark();
    // The mark in viewport pixels; empty when nothing is marked or its receipt is not shown.
    QRect markRect() const;
    // The receipt index and dot under a viewport point; index -1 for none.
    std::pair<int, QPoint> dotAt(const QPoint &viewportPoint) const;
    // The marks beside the paper for the beeps and drawer pulses in view, at
    // the print position where each came (right of the roll).
    QList<const EventMark *> visibleMarks() const;

signals:
    void shownChanged();
    // Ctrl and the wheel changed the zoom.
    void zoomChanged(PaperView::Zoom zoom);
    // A click on printed paper: the receipt's index and the dot.
    void dotClicked(int index, QPoint dot);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Tile {
        quint64 signature = 0;
        bool draft = false; // scaled quickly while paper streamed in
        QImage image;
    };
    // A point of the paper: receipt index and dot row, to keep in view across a zoom.
    struct Anchor {
        int index = -1;
        double dot = 0;
    };

    void relayout();
    void updateShown();
    void updateMarks();
    Anchor centre() const;
    void centreOn(const Anchor &anchor);
    int rollLeft() const;
    int toPixels(double dots) const { return qRound(dots * m_scale); }
    QImage tile(int index, int number);
    void drawReceipt(QPainter &painter, int index, const QRect &exposed, const QPoint &offset);
    void drawCaption(QPainter &painter, int index, const QRect &below);

    const ReceiptRenderer &m_renderer;
    QList<Receipt> m_receipts;
    bool m_lastIsOpen = false;
    QList<int> m_tops;     // content y of each receipt's first dot row
    QList<int> m_heights;  // its height in pixels
    int m_contentHeight = 0;
    int m_rollWidth = 0;
    Zoom m_zoom = Zoom::FitWidth;
    double m_scale = 1.0;
    bool m_following = true;
    bool m_adjusting = false; // the view moves its own scroll bars
    int m_shown = -1;
    QCache<quint64, Tile> m_tiles;
    bool m_streaming = false;
    QElapsedTimer m_lastPaper;
    QTimer m_settled;
    int m_markReceipt = 0;
    QRect m_markDots;
    QList<EventMark *> m_eventMarks; // made as needed, hidden when not
};
