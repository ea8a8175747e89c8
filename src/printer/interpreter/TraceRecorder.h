// The trace recorder: the CommandTrace and the entry being made (its kind,
// range and first bytes, and the paper it drew). The interpreter's parts
// call it only while the trace is on (on()), except byte(), which is
// cheaper than the test. Not part of the interpreter's interface.
#pragma once

#include "printer/interpreter/ReceiptModes.h"
#include "printer/paper/CommandTrace.h"

#include <memory>

class TraceRecorder
{
public:
    bool on() const { return m_trace != nullptr; }
    const CommandTrace *trace() const { return m_trace.get(); }
    // Off drops what the trace kept; on starts with the next command or text run.
    void setEnabled(bool on, int openReceipt);
    void setHandler(std::function<void(const TraceEntry &)> handler, int openReceipt);
    void setBudget(qsizetype bytes, int openReceipt);
    // A fresh roll: no entries; one being made belongs to the given receipt.
    void clear(int openReceipt);
    // The command or text run is dropped unfinished (power on).
    void stop()
    {
        m_making = Making::None;
        m_taking = false;
    }

    bool makingText() const { return m_making == Making::Text; }
    bool makingCommand() const { return m_making == Making::Command; }
    bool making() const { return m_making != Making::None; }
    // The command entry being made, for what only its family knows (a symbol's data).
    TraceEntry &entry() { return m_entry; }

    void character(quint8 byte, qint64 at, int receipt, const TextStyle &style, const Reading &reading)
    {
        if (m_making != Making::Text)
            textStart(at, receipt, style, reading);
        if (m_size < TraceEntry::kKeptText)
            m_buffer[m_size++] = char(byte);
    }
    void commandStart(qint64 at, int receipt);
    // A byte of the command being made; most of a long payload goes unkept.
    void byte(quint8 byte)
    {
        if (!m_taking)
            return;
        m_buffer[m_size++] = char(byte);
        m_taking = m_size < TraceEntry::kKeptBytes;
    }
    void bytes(const char *bytes, qsizetype count)
    {
        if (m_taking)
            keep(bytes, count);
    }
    // The first bytes of an unknown command of unknown length: the rest is read again.
    void keepFirst(int count) { m_size = std::min(m_size, count); }
    void unknown(const QByteArray &key);
    // The entry ends: a command's takes the modes it leaves and the paper's width.
    void end(qint64 end, const PrinterModes &modes, TwoByteCode reading, int paperDots);
    // What the entry being made drew on the open receipt.
    void region(const Receipt &open, const QRect &dots);
    // Where the text and column images of a printed line went.
    void line(const Receipt &open, const ReceiptLine &line);
    // A band of its own (raster piece, barcode, QR code) is all the command's.
    void band(const Receipt &open, const ReceiptLine &line);
    // Receipts were cut or dropped: entries before keptFrom go.
    void retained(int openReceipt, qint64 keptFrom);

private:
    enum class Making : quint8 { None, Text, Command };
    void textStart(qint64 at, int receipt, const TextStyle &style, const Reading &reading);
    void keep(const char *bytes, qsizetype count);

    std::unique_ptr<CommandTrace> m_trace;
    Making m_making = Making::None;
    TraceEntry m_entry; // the one being made
    // Its bytes so far: text comes a byte at a time, and the entry takes them at its end.
    char m_buffer[TraceEntry::kKeptText];
    int m_size = 0;
    bool m_taking = false; // a command is being made and its bytes are still kept
};
