#include "session/PaperFeed.h"

#include "printer/interpreter/ReceiptInterpreter.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {
// Fed in steps this long, so that a slice ends soon after kSliceMs.
constexpr qsizetype kStep = 4096;
} // namespace

PaperFeed::PaperFeed(QObject *parent) : QObject(parent)
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &PaperFeed::idleTick);
}

PaperFeed::~PaperFeed() = default;

void PaperFeed::take(const QByteArray &bytes)
{
    // Called with every write the port takes: a flag and an append, no more.
    if (!m_enabled || bytes.isEmpty())
        return;
    m_kept.append(bytes);
    if (waiting() >= kKeepLimit) {
        feed(waiting());
        return;
    }
    if (m_idle.isActive())
        m_takenSinceTick = true;
    else
        m_idle.start(kQuietMs);
}

ReceiptInterpreter &PaperFeed::printedPaper()
{
    if (waiting() > 0)
        feed(waiting());
    return interpreter();
}

void PaperFeed::setEnabled(bool on)
{
    if (!on && waiting() > 0)
        feed(waiting());
    m_enabled = on;
}

void PaperFeed::idleTick()
{
    if (m_takenSinceTick) {
        // Still sending: printing now would slow it down.
        m_takenSinceTick = false;
        m_idle.start(kQuietMs);
        return;
    }
    if (waiting() == 0)
        return;
    QElapsedTimer slice;
    slice.start();
    do
        feed(std::min(kStep, waiting()));
    while (waiting() > 0 && slice.elapsed() < kSliceMs);
    emit fedWhileIdle();
    // The rest after the events that came meanwhile.
    if (waiting() > 0)
        m_idle.start(0);
}

void PaperFeed::feed(qsizetype bytes)
{
    interpreter().feed(m_kept.sliced(m_fedTo, bytes));
    m_fedTo += bytes;
    if (m_fedTo == m_kept.size()) {
        m_kept.clear(); // the memory goes too
        m_fedTo = 0;
    } else if (m_fedTo >= kKeepLimit / 2) {
        // Sending and idle slices in turns: what is on paper goes, now and then.
        m_kept.remove(0, m_fedTo);
        m_fedTo = 0;
    }
}

ReceiptInterpreter &PaperFeed::interpreter()
{
    if (!m_paper) {
        m_paper = std::make_unique<ReceiptInterpreter>();
        m_paper->setTraceEnabled(true); // the Commands panel: what every byte did
        if (m_prepare)
            m_prepare(*m_paper);
    }
    return *m_paper;
}
