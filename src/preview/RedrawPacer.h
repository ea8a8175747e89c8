#pragma once
// When a view catches up with what keeps coming: the first news after a quiet
// spell waits firstMs, news while it streams in (caught up a moment ago)
// streamMs, so that catching up again and again never slows what sends it.
// The catch-up runs once for all the news that came while it waited.
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class RedrawPacer {
public:
    RedrawPacer(int firstMs, int streamMs, std::function<void()> catchUp);

    // News came: the catch-up is due, unless it is due already.
    void news();
    // The catch-up runs now (by the timer or by its owner): nothing is due,
    // and news from now on counts as streaming for a while.
    void caughtUp();

private:
    const int m_firstMs;
    const int m_streamMs;
    QTimer m_timer;
    QElapsedTimer m_since; // since the last catch-up
};
