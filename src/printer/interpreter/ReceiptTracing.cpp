// The command trace side of the interpreter: an entry for every command and
// text run, and the paper each one drew. Called only while the trace is on.
#include "printer/interpreter/ReceiptInterpreter.h"

#include <cstring>

void ReceiptInterpreter::setTraceEnabled(bool on)
{
    m_making = Making::None;
    m_traceTaking = false;
    if (!on) {
        m_trace.reset();
        return;
    }
    if (!m_trace) {
        m_trace = std::make_unique<CommandTrace>();
        m_trace->m_openReceipt = m_open.number;
    }
}

void ReceiptInterpreter::setTraceHandler(std::function<void(const TraceEntry &)> handler)
{
    setTraceEnabled(true);
    m_trace->m_handler = std::move(handler);
}

void ReceiptInterpreter::setTraceBudget(qsizetype bytes)
{
    setTraceEnabled(true);
    m_trace->setBudget(bytes);
}

void ReceiptInterpreter::traceTextStart(qint64 at, const TextStyle &style, const Reading &reading)
{
    m_making = Making::Text;
    m_entry = TraceEntry();
    m_entry.kind = TraceEntry::Kind::Text;
    m_entry.range.begin = at;
    m_entry.receipt = m_open.number;
    m_entry.style = style;
    m_entry.codePage = reading.codePage;
    m_entry.international = reading.international;
    m_entry.twoByte = reading.twoByte;
    m_traceSize = 0;
}

void ReceiptInterpreter::traceCommandStart(qint64 at)
{
    m_making = Making::Command;
    m_entry = TraceEntry();
    m_entry.range.begin = at;
    m_entry.receipt = m_open.number;
    m_traceSize = 0;
    m_traceTaking = true;
}

void ReceiptInterpreter::traceBytes(const char *bytes, qsizetype count)
{
    const qsizetype take = std::min<qsizetype>(TraceEntry::kKeptBytes - m_traceSize, count);
    if (take > 0) {
        std::memcpy(m_traceBuffer + m_traceSize, bytes, size_t(take));
        m_traceSize += int(take);
    }
    m_traceTaking = m_traceSize < TraceEntry::kKeptBytes;
}

void ReceiptInterpreter::traceUnknown(const QByteArray &key)
{
    if (m_making != Making::Command)
        return;
    m_entry.kind = TraceEntry::Kind::Unknown;
    m_entry.key = key;
}

void ReceiptInterpreter::traceEnd(qint64 end)
{
    if (m_making == Making::None)
        return;
    m_making = Making::None;
    m_traceTaking = false;
    m_entry.range.end = end;
    m_entry.bytes = QByteArray(m_traceBuffer, m_traceSize);
    if (m_entry.kind != TraceEntry::Kind::Text) {
        m_entry.symbol = {quint8(m_modes.barcodeHeight), quint8(m_modes.barcodeModule), quint8(m_modes.barcodeText),
                          quint8(m_modes.qrModule), quint8(m_modes.qrEcc)};
        m_entry.twoByte = readingCode();
        m_entry.paperWidth = quint16(paperDots());
    }
    m_trace->append(std::move(m_entry));
}

void ReceiptInterpreter::traceRegion(const QRect &dots)
{
    const QRect region = dots & QRect(0, 0, paperDots(), Paper::kMaxReceiptDots);
    if (m_making != Making::None && !region.isEmpty())
        CommandTrace::unite(m_entry, {m_open.number, region});
}

void ReceiptInterpreter::traceLine(const ReceiptLine &line)
{
    const QRect paper(0, 0, paperDots(), Paper::kMaxReceiptDots);
    const auto give = [this](qint64 source, const QRect &dots) {
        if (dots.isEmpty())
            return;
        const PaperRegion region{m_open.number, dots};
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

// A band of its own (raster piece, barcode, QR code) is all the command's.
void ReceiptInterpreter::traceBand(const ReceiptLine &line)
{
    const QRect paper(0, 0, paperDots(), Paper::kMaxReceiptDots);
    QRect dots;
    for (const TextRun &run : line.runs)
        dots |= run.rect() & paper;
    for (const DotImage &image : line.images)
        dots |= image.rect() & paper;
    traceRegion(dots);
}

void ReceiptInterpreter::traceRetained()
{
    m_trace->m_openReceipt = m_open.number;
    m_trace->dropBefore(m_finished.empty() ? m_open.source.begin : m_finished.front().source.begin);
}
