#pragma once
// Where a window is kept between runs and where it comes back. The settings
// hold twips, 15 to a pixel, so that the stored numbers keep their meaning.
// A place that is not visible on today's screens (stored on a larger display,
// or on a monitor since unplugged) is brought onto the screen; any other place
// is kept to the pixel, and a window that was neither moved nor resized stores
// exactly what it loaded, so that nothing drifts run by run.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

class WindowPlace {
public:
    static constexpr int kTwipsPerPixel = 15;

    static int toPixels(int twips) { return qRound(twips / double(kTwipsPerPixel)); }
    // Enough of the window on one screen to see and move it: its top edge,
    // where the title bar is, and at least half its width and height.
    static bool visible(const QRect &pixels);
    // The place itself when visible; else moved onto the screen it shows most
    // on (the primary screen when none), as far as it takes, and no larger.
    static QRect ontoScreen(const QRect &pixels);

    // Puts the window at the stored place (twips), on the screen; a null size
    // keeps the window's own size.
    void restore(QWidget &window, QPoint twips, QSize twipsSize = QSize());
    // Puts the window at a place of the program's choosing (pixels), on the
    // screen; nothing loaded is kept.
    void put(QWidget &window, const QRect &pixels);

    // What to store, in twips: what was loaded while the window is where
    // restore() put it (and as large), its pixels otherwise.
    QPoint storedPos(const QWidget &window) const;
    QSize storedSize(const QWidget &window) const;

private:
    bool m_loaded = false;
    QPoint m_twips;
    QSize m_twipsSize;
    QPoint m_pos; // where the loaded place put the window, in pixels
    QSize m_size;
};
