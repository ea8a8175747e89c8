#include "widgets/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace {
// The available area (without panels and docks) that shows most of the place.
const QScreen *screenShowing(const QRect &place, int *shown)
{
    const QScreen *best = nullptr;
    *shown = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect part = screen->availableGeometry().intersected(place);
        const int area = part.isEmpty() ? 0 : part.width() * part.height();
        if (area > *shown) {
            *shown = area;
            best = screen;
        }
    }
    return best;
}
} // namespace

bool WindowPlace::visible(const QRect &pixels)
{
    int shown = 0;
    const QScreen *screen = screenShowing(pixels, &shown);
    if (!screen)
        return QGuiApplication::screens().isEmpty(); // nothing to measure against: as it is
    const QRect area = screen->availableGeometry();
    const QRect part = area.intersected(pixels);
    return pixels.top() >= area.top() && pixels.top() <= area.bottom() && part.width() * 2 >= pixels.width()
        && part.height() * 2 >= pixels.height();
}

QRect WindowPlace::ontoScreen(const QRect &pixels)
{
    if (visible(pixels))
        return pixels;
    int shown = 0;
    const QScreen *screen = screenShowing(pixels, &shown);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return pixels;
    const QRect area = screen->availableGeometry();
    QRect moved(pixels.topLeft(), pixels.size().boundedTo(area.size()));
    moved.moveLeft(std::clamp(moved.left(), area.left(), area.right() + 1 - moved.width()));
    moved.moveTop(std::clamp(moved.top(), area.top(), area.bottom() + 1 - moved.height()));
    return moved;
}

void WindowPlace::restore(QWidget &window, QPoint twips, QSize twipsSize)
{
    const QSize size = twipsSize.isValid() ? QSize(toPixels(twipsSize.width()), toPixels(twipsSize.height()))
                                           : window.size();
    put(window, QRect(QPoint(toPixels(twips.x()), toPixels(twips.y())), size));
    m_loaded = true;
    m_twips = twips;
    m_twipsSize = twipsSize.isValid() ? twipsSize : size * kTwipsPerPixel;
}

void WindowPlace::put(QWidget &window, const QRect &pixels)
{
    const QRect place = ontoScreen(pixels);
    window.resize(place.size());
    window.move(place.topLeft());
    m_loaded = false;
    // A place that had to move is stored where it went.
    const bool kept = place == pixels;
    m_pos = kept ? window.pos() : QPoint(std::numeric_limits<int>::min(), 0);
    m_size = kept ? window.size() : QSize();
}

QPoint WindowPlace::storedPos(const QWidget &window) const
{
    return m_loaded && window.pos() == m_pos ? m_twips : window.pos() * kTwipsPerPixel;
}

QSize WindowPlace::storedSize(const QWidget &window) const
{
    return m_loaded && window.size() == m_size ? m_twipsSize : window.size() * kTwipsPerPixel;
}
