#pragma once

#include "printer/paper/Receipt.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QVarLengthArray>

#include <deque>
#include <functional>
#include <utility>

// The command trace: what the interpreter made of every byte it was fed, as
// a packet analyser shows a network's traffic. One entry per command or
// text run, in stream order, each with its bytes, what it drew and where.
// The words for an entry (name, meaning, hex) come from PrinterCommands.

// A part of a receipt's paper, in dots (x from the paper's left edge, y from
// the receipt's top), as the receipt's lengthDots and widthDots bound it.
struct PaperRegion
{
    int receipt = 0; // Receipt::number
    QRect dots;
    bool operator==(const PaperRegion &) const = default;
};

// What a barcode or QR code entry was printed with: the modes of the time.
struct SymbolModes
{
    quint8 barcodeHeight = 162;
    quint8 barcodeModule = 3;
    quint8 barcodeText = 0; // GS H: 0 none, 1 above, 2 below, 3 both
    quint8 qrModule = 3;
    quint8 qrEcc = 1;       // 1 L, 2 M, 3 Q, 4 H
};

struct TraceEntry
{
    // Command: a command the printer knows (LF, CR, HT and the ignored
    // control bytes included). Unknown: one it drew nothing for and noted.
    enum class Kind : quint8 { Command, Unknown, Text };

    static constexpr int kKeptBytes = 64; // of a command's bytes; the range gives the length
    static constexpr int kKeptText = 256; // of a text run's characters

    quint64 sequence = 0; // its number since the trace was turned on; never reused
    Kind kind = Kind::Command;
    quint8 codePage = 0;  // Text: the page its characters are drawn with
    quint8 international = 0; // Text: the ESC R set its characters are drawn with
    // Text: the encoding of its two-byte characters (None: two-byte mode was
    // off). A command: the encoding two-byte mode reads with after it.
    TwoByteCode twoByte = TwoByteCode::None;
    TextStyle style;      // Text
    SymbolModes symbol;   // GS k, GS ( k: the barcode and QR modes when it ran
    quint16 paperWidth = Paper::kWidthDots; // a command: the printable width of the paper it came on
    int receipt = 0;      // the number of the receipt its first byte went to
    ByteRange range;      // absolute offsets, as the receipts' elements keep them
    // Command and Unknown: the command's first bytes (all of them when the
    // range is at most kKeptBytes long). Text: its characters (at most kKeptText).
    QByteArray bytes;
    QByteArray data; // a QR code's print: the stored data it printed (at most kKeptText)
    qsizetype dataLength = 0; // ... and how much was stored
    QByteArray key;  // Unknown: the bytes that name it (1B 7B; 1D 28 4C; 1D 28 6B 30)
    // The paper it drew: its text, image or symbol, the line a line feed
    // printed and the paper it fed. Empty for modes. One rectangle per
    // receipt; more than one only where an auto cut split it. Text and
    // column images get theirs when their line prints.
    QVarLengthArray<PaperRegion, 1> regions;

    bool isUnknown() const { return kind == Kind::Unknown; }
    qint64 length() const { return range.end - range.begin; }
};

// The entries the interpreter keeps: those of the receipts it retains and of
// the open receipt, within a memory budget (the oldest go first). Sequence
// numbers grow while the trace is on (reset() too keeps them growing), so a view that holds rows up to
// sequence N appends the entries from N on, and notices by firstSequence()
// when the ones it shows were dropped.
//
// For a view (the receipt preview's Commands panel):
//   firstSequence(), endSequence()  the entries kept are [first, end);
//   entry(sequence)                 one of them, or null when not kept;
//   revision()                      grows when an entry is added or its regions grow;
//   sequencesOf(receipt)            the entries whose bytes went into a receipt;
//   entryAt(receipt, dot)           the entry that drew that spot of the receipt as shown;
//   regionIn(entry, receipt)        what an entry drew on the receipt as shown, to mark it;
//   entryAtOffset(offset)           the entry a stream byte belongs to.
// An entry appears when its last byte arrives: a command split across
// chunks, or text with nothing after it yet, is not an entry until then.
class CommandTrace
{
public:
    static constexpr qsizetype kDefaultBudget = 16 * 1024 * 1024;

    quint64 firstSequence() const { return m_first; }
    quint64 endSequence() const { return m_first + quint64(m_entries.size()); }
    const TraceEntry *entry(quint64 sequence) const;
    const std::deque<TraceEntry> &entries() const { return m_entries; }
    quint64 revision() const { return m_revision; }

    // [first, end) of the entries whose bytes lie in the receipt's source
    // range; for the open receipt (and a shown one not yet cut) up to the newest.
    std::pair<quint64, quint64> sequencesOf(const Receipt &receipt) const;
    // The entry whose region holds the dot, the smallest where several do (the
    // text before the line feed that printed it). On the line still in progress
    // (withPendingLine()), which has no regions yet, the element's own bytes
    // decide. Null for blank paper.
    const TraceEntry *entryAt(const Receipt &receipt, QPoint dot) const;
    const TraceEntry *entryAtOffset(qint64 offset) const;
    // The dots the entry drew on the receipt as shown: its region there, or on
    // the line still in progress, the elements its bytes made. Empty for none.
    static QRect regionIn(const TraceEntry &entry, const Receipt &receipt);

    void setBudget(qsizetype bytes);
    qsizetype budget() const { return m_budget; }
    qsizetype memoryUse() const { return m_memory; }

private:
    friend class TraceRecorder;

    void append(TraceEntry &&entry);
    // A kept entry's region grows (the entry being made: unite()).
    void addRegion(TraceEntry &entry, const PaperRegion &region);
    // One rectangle per receipt; true when that took memory of its own.
    static bool unite(TraceEntry &entry, const PaperRegion &region);
    TraceEntry *findMutable(qint64 offset);
    // Drops the entries whose bytes all came before offset.
    void dropBefore(qint64 offset);
    void clear();
    void trim();
    static qsizetype cost(const TraceEntry &entry);

    std::deque<TraceEntry> m_entries;
    quint64 m_first = 0;
    quint64 m_revision = 0;
    int m_openReceipt = 1;
    qsizetype m_memory = 0;
    qsizetype m_budget = kDefaultBudget;
    std::function<void(const TraceEntry &)> m_handler;
};
