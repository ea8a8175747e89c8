#include "printer/paper/CommandTrace.h"

#include <algorithm>

namespace {
constexpr qsizetype kEntryOverhead = 48; // the deque's and the allocator's share

// Entries are in stream order and their ranges do not overlap, so both ends grow.
auto firstEndingAfter(const std::deque<TraceEntry> &entries, qint64 offset)
{
    return std::upper_bound(entries.begin(), entries.end(), offset,
                            [](qint64 at, const TraceEntry &entry) { return at < entry.range.end; });
}

qint64 area(const QRect &rect)
{
    return qint64(rect.width()) * rect.height();
}
} // namespace

const TraceEntry *CommandTrace::entry(quint64 sequence) const
{
    if (sequence < m_first || sequence >= endSequence())
        return nullptr;
    return &m_entries[size_t(sequence - m_first)];
}

const TraceEntry *CommandTrace::entryAtOffset(qint64 offset) const
{
    const auto it = firstEndingAfter(m_entries, offset);
    if (it == m_entries.end() || it->range.begin > offset)
        return nullptr;
    return &*it;
}

TraceEntry *CommandTrace::findMutable(qint64 offset)
{
    // The interpreter asks for the entries of the line it just printed: a
    // few from the newest.
    constexpr int kRecent = 16;
    for (auto it = m_entries.rbegin(); it != m_entries.rend() && it - m_entries.rbegin() < kRecent; ++it) {
        if (it->range.begin <= offset)
            return offset < it->range.end ? &*it : nullptr;
    }
    return const_cast<TraceEntry *>(entryAtOffset(offset));
}

std::pair<quint64, quint64> CommandTrace::sequencesOf(const Receipt &receipt) const
{
    const auto first = firstEndingAfter(m_entries, receipt.source.begin);
    auto last = m_entries.end();
    if (receipt.number < m_openReceipt) {
        last = std::lower_bound(first, m_entries.end(), receipt.source.end,
                                [](const TraceEntry &entry, qint64 at) { return entry.range.begin < at; });
    }
    return {m_first + quint64(first - m_entries.begin()), m_first + quint64(last - m_entries.begin())};
}

const TraceEntry *CommandTrace::entryAt(const Receipt &receipt, QPoint dot) const
{
    const auto [first, end] = sequencesOf(receipt);
    const TraceEntry *best = nullptr;
    qint64 bestArea = 0;
    // A command that straddles the cut before this receipt began in the one before.
    const quint64 from = first > m_first ? first - 1 : first;
    for (quint64 sequence = from; sequence < end; ++sequence) {
        const TraceEntry &candidate = m_entries[size_t(sequence - m_first)];
        for (const PaperRegion &region : candidate.regions) {
            if (region.receipt == receipt.number && region.dots.contains(dot)
                && (!best || area(region.dots) < bestArea)) {
                best = &candidate;
                bestArea = area(region.dots);
            }
        }
    }
    if (best)
        return best;
    // The line in progress: its elements say which bytes made them.
    for (const ReceiptLine *line : receipt.linesIn(dot.y(), dot.y() + 1)) {
        for (const TextRun &run : line->runs) {
            if (run.rect().contains(dot))
                return entryAtOffset(run.source.begin);
        }
        for (const DotImage &image : line->images) {
            if (image.rect().contains(dot))
                return entryAtOffset(image.source.begin);
        }
    }
    return nullptr;
}

QRect CommandTrace::regionIn(const TraceEntry &entry, const Receipt &receipt)
{
    for (const PaperRegion &region : entry.regions) {
        if (region.receipt == receipt.number)
            return region.dots;
    }
    if (receipt.lines.isEmpty())
        return {};
    // Only the line in progress has elements without regions yet.
    QRect dots;
    const auto inEntry = [&entry](const ByteRange &source) {
        return source.begin >= entry.range.begin && source.begin < entry.range.end;
    };
    for (const TextRun &run : receipt.lines.last().runs) {
        if (inEntry(run.source))
            dots |= run.rect();
    }
    for (const DotImage &image : receipt.lines.last().images) {
        if (inEntry(image.source))
            dots |= image.rect();
    }
    return dots & QRect(0, 0, receipt.widthDots, std::max(receipt.lengthDots, 0));
}

void CommandTrace::setBudget(qsizetype bytes)
{
    m_budget = std::max<qsizetype>(0, bytes);
    trim();
}

qsizetype CommandTrace::cost(const TraceEntry &entry)
{
    // A region beyond the one the entry holds is on the heap.
    return qsizetype(sizeof(TraceEntry)) + kEntryOverhead + entry.bytes.size() + entry.data.size() + entry.key.size()
        + std::max<qsizetype>(0, entry.regions.size() - 1) * qsizetype(sizeof(PaperRegion));
}

void CommandTrace::append(TraceEntry &&entry)
{
    entry.sequence = endSequence();
    m_memory += cost(entry);
    m_entries.push_back(std::move(entry));
    ++m_revision;
    if (m_handler)
        m_handler(m_entries.back());
    trim();
}

bool CommandTrace::unite(TraceEntry &entry, const PaperRegion &region)
{
    if (!entry.regions.isEmpty() && entry.regions.last().receipt == region.receipt) {
        QRect &dots = entry.regions.last().dots;
        dots = dots.united(region.dots);
        return false;
    }
    entry.regions.append(region);
    return entry.regions.size() > 1;
}

void CommandTrace::addRegion(TraceEntry &entry, const PaperRegion &region)
{
    if (region.dots.isEmpty())
        return;
    ++m_revision;
    if (unite(entry, region))
        m_memory += qsizetype(sizeof(PaperRegion));
}

void CommandTrace::dropBefore(qint64 offset)
{
    while (!m_entries.empty() && m_entries.front().range.end <= offset) {
        m_memory -= cost(m_entries.front());
        m_entries.pop_front();
        ++m_first;
    }
}

void CommandTrace::trim()
{
    while (!m_entries.empty() && m_memory > m_budget) {
        m_memory -= cost(m_entries.front());
        m_entries.pop_front();
        ++m_first;
    }
}

void CommandTrace::clear()
{
    m_first = endSequence();
    m_entries.clear();
    m_memory = 0;
    m_openReceipt = 1;
    ++m_revision;
}
