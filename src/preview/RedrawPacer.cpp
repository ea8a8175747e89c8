#include "preview/RedrawPacer.h"

RedrawPacer::RedrawPacer(int firstMs, int streamMs, std::function<void()> catchUp)
    : m_firstMs(firstMs)
    , m_streamMs(streamMs)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, std::move(catchUp));
}

void RedrawPacer::news()
{
    if (m_timer.isActive())
        return;
    const bool streaming = m_since.isValid() && m_since.elapsed() < m_streamMs + m_firstMs;
    m_timer.start(streaming ? m_streamMs : m_firstMs);
}

void RedrawPacer::caughtUp()
{
    m_timer.stop();
    m_since.start();
}
