// The trace recorder: an entry for every command and text run, and the paper
// each one drew.
#include "printer/interpreter/TraceRecorder.h"

#include <cstring>

void TraceRecorder::setEnabled(bool on, int openReceipt)
{
    stop();
    if (!on) {
        m_trace.reset();
        return;
    }
    if (!m_trace) {
        m_trace = std::make_unique<CommandTrace>();
        m_trace->m_openReceipt = openReceipt;
    }
}

void TraceRecorder::setHandler(std::function<void(const TraceEntry &)> handler, int openReceipt)
{
    setEnabled(true, openReceipt);
    m_trace->m_handler = std::move(handler);
}

void TraceRecorder::setBudget(qsizetype bytes, int openReceipt)
{
    setEnabled(true, openReceipt);
    m_trace->setBudget(bytes);
}

void TraceRecorder::clear(int openReceipt)
{
    // A fresh roll has no commands yet; one split across the clear
    // becomes the new roll's first.
    m_trace->clear();
    m_entry.receipt = openReceipt;
    m_entry.regions.clear();
}

void TraceRecorder::textStart(qint64 at, int receipt, const TextStyle &style, const Reading &reading)
{
    m_making = Making::Text;
    m_entry = TraceEntry();
    m_entry.kind = TraceEntry::Kind::Text;
    m_entry.range.begin = at;
    m_entry.receipt = receipt;
    m_entry.style = style;
    m_entry.codePage = reading.codePage;
    m_entry.international = reading.international;
    m_entry.twoByte = reading.twoByte;
    m_size = 0;
}

void TraceRecorder::commandStart(qint64 at, int receipt)
{
    m_making = Making::Command;
    m_entry = TraceEntry();
    m_entry.range.begin = at;
    m_entry.receipt = receipt;
    m_size = 0;
    m_taking = true;
}

void TraceRecorder::keep(const char *bytes, qsizetype count)
{
    const qsizetype take = std::min<qsizetype>(TraceEntry::kKeptBytes - m_size, count);
    if (take > 0) {
        std::memcpy(m_buffer + m_size, bytes, size_t(take));
        m_size += int(take);
    }
    m_taking = m_size < TraceEntry::kKeptBytes;
}

void TraceRecorder::unknown(const QByteArray &key)
{
    if (m_making != Making::Command)
        return;
    m_entry.kind = TraceEntry::Kind::Unknown;
    m_entry.key = key;
}

void TraceRecorder::end(qint64 end, const PrinterModes &modes, TwoByteCode reading, int paperDots)
{
    if (m_making == Making::None)
        return;
    m_making = Making::None;
    m_taking = false;
    m_entry.range.end = end;
    m_entry.bytes = QByteArray(m_buffer, m_size);
    if (m_entry.kind != TraceEntry::Kind::Text) {
        m_entry.symbol = {quint8(modes.barcodeHeight), quint8(modes.barcodeModule), quint8(modes.barcodeText),
                          quint8(modes.qrModule), quint8(modes.qrEcc)};
        m_entry.twoByte = reading;
        m_entry.paperWidth = quint16(paperDots);
    }
    m_trace->append(std::move(m_entry));
}

void TraceRecorder::region(const Receipt &open, const QRect &dots)
{
    const QRect region = dots & QRect(0, 0, open.widthDots, Paper::kMaxReceiptDots);
    if (m_making != Making::None && !region.isEmpty())
        CommandTrace::unite(m_entry, {open.number, region});
}

void TraceRecorder::line(const Receipt &open, const ReceiptLine &line)
{
    const QRect paper(0, 0, open.widthDots, Paper::kMaxReceiptDots);
    const int receipt = open.number;
    const auto give = [this, receipt](qint64 source, const QRect &dots) {
        if (dots.isEmpty())
            return;
        const PaperRegion region{receipt, dots};
        if (m_making != Making::None && source >= m_entry.range.begin)
            CommandTrace::unite(m_entry, region);
        else if (TraceEntry *entry = m_trace->findMutable(source))
            m_trace->addRegion(*entry, region);
    };
    for (const TextRun &run : line.runs)
        give(run.source.begin, run.rect() & paper);
    for (const DotImage &image : line.images)
        give(image.source.begin, image.rect() & paper);
}

void TraceRecorder::band(const Receipt &open, const ReceiptLine &line)
{
    const QRect paper(0, 0, open.widthDots, Paper::kMaxReceiptDots);
    QRect dots;
    for (const TextRun &run : line.runs)
        dots |= run.rect() & paper;
    for (const DotImage &image : line.images)
        dots |= image.rect() & paper;
    region(open, dots);
}

void TraceRecorder::retained(int openReceipt, qint64 keptFrom)
{
    m_trace->m_openReceipt = openReceipt;
    m_trace->dropBefore(keptFrom);
}
