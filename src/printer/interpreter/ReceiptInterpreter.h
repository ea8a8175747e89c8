#pragma once

#include "printer/interpreter/NvGraphics.h"
#include "printer/paper/CommandTrace.h"
#include "printer/paper/Receipt.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

class CommandRouter;

// A command the interpreter drew nothing for: its identifying bytes (with the
// function byte where one selects the command: 1D 28 4C), where it first came, how often.
struct UnknownCommand
{
    QByteArray bytes;
    ByteRange first;
    int count = 0;
};

// The virtual printer's paper side: bytes in, receipts out. feed() takes the stream in
// chunks of any size (partial commands wait between calls: the receipts never depend
// on the split). Everything between two cuts is a receipt; the one printing is open.
// The printer cuts by itself at 8000 dots (1 m) and past a receipt's memory budget.
// Every element keeps the stream bytes that made it (absolute offsets). Memory stays
// bounded whatever the input. Inside, CommandRouter hands the commands to its parts.
class ReceiptInterpreter
{
public:
    static constexpr int kDefaultRetain = 50;
    // A receipt's elements, counted as memory: a full-length raster image is 576 KiB.
    static constexpr qsizetype kReceiptBudget = 4 * 1024 * 1024;
    static constexpr int kMaxBarcodeData = 255; // data of a barcode ended by 00: a longer one ends there

    ReceiptInterpreter();
    ~ReceiptInterpreter();
    ReceiptInterpreter(const ReceiptInterpreter &) = delete;
    ReceiptInterpreter &operator=(const ReceiptInterpreter &) = delete;

    void feed(const QByteArray &bytes);
    // The end of the stream: the line in progress printed (as LF, without feeding), the
    // open receipt ended uncut (CutKind::None) and returned (blank when nothing printed
    // since the last cut), so nothing sent is lost; a command still waiting for its data
    // prints nothing of it (a raster image cut short is noted). Modes and partial
    // commands stay.
    Receipt finish();
    // Power on: blank paper, every mode at its default, offsets from 0.
    void reset();
    // A view's fresh roll: the receipts so far and the unknown commands met go; the
    // modes, a partial command and the line in progress stay, so what follows prints
    // exactly as before. Offsets go on; receipts are numbered from 1 again.
    void clearPaper();
    // Power on without a new roll: modes at their defaults, a partial command and
    // the line in progress dropped; the paper, its receipts and offsets stay.
    void resetPrinter();

    // What a live view asks between redraws.
    qint64 offset() const;     // where the next fed byte will be
    quint64 revision() const;  // grows whenever anything that can be drawn changed
    const std::deque<Receipt> &finished() const; // the last finished receipts, oldest first
    int finishedTotal() const; // how many receipts were cut so far (the newest one's number)
    const Receipt &openReceipt() const; // the receipt being printed, without the line in progress
    Receipt withPendingLine() const;    // the same plus the line in progress, laid out as LF would print it
    const QList<UnknownCommand> &unknownCommands() const; // the commands nothing was drawn for
    // Symbols and images cut at the edge of the printable width since the last
    // clearPaper(), each worded once: "QR code 1224 dots wide, cut at 576: it
    // will not scan", "image 576 dots wide, cut at 384: its right 192 dots are not printed".
    const QStringList &cutAtEdge() const;
    // The command still waiting for bytes, in words ("GS * waiting for 232,928 more bytes").
    QString waitingWords() const;
    // Log lines, each said once: an unknown command ("unknown command 1B 7B"),
    // a code page drawn as PC437, the first automatic cut, a parameter out of range.
    QStringList takeNotes();

    // Called with each receipt as it is cut, before it joins finished().
    void setReceiptHandler(std::function<void(const Receipt &)> handler);
    void setRetainLimit(int receipts);
    int retainLimit() const;

    // The command trace (CommandTrace): what every command and text run was and
    // where it drew. Off by default (then free); on starts with the next command
    // or text run; off drops what it kept.
    void setTraceEnabled(bool on);
    const CommandTrace *trace() const;
    // Each entry as it is made, in stream order (the text and column images of a
    // line in progress get their regions later). Turns the trace on.
    void setTraceHandler(std::function<void(const TraceEntry &)> handler);
    // The memory the trace keeps (CommandTrace::kDefaultBudget; 0 for a handler that
    // only logs). Turns the trace on.
    void setTraceBudget(qsizetype bytes);

    // The paper's printable width in dots: Paper::kWidthDots (80 mm, the default) or
    // kNarrowWidthDots (58 mm), others kept within kMinPrintableDots and the widest.
    // At once while the open receipt is blank and no line begun, else with the next
    // receipt; each keeps its own (Receipt::widthDots). Power on keeps it.
    void setPaperWidth(int dots);
    int paperWidth() const;
    // The model's two-byte encoding (GB 18030 unless set): how FS & reads pairs.
    // From the next pair on; power on keeps it.
    void setTwoByteEncoding(TwoByteCode code);
    TwoByteCode twoByteEncoding() const;

    // Beeps and drawer pulses as met, with their receipt's number (which keeps them too).
    void setEventHandler(std::function<void(const ReceiptEvent &, int receipt)> handler);
    // Commands that ask for an answer (GS r, GS I, GS a; GS ( L fn 30, 33, 40),
    // whole, in stream order as printed. The interpreter answers none itself.
    void setRequestHandler(std::function<void(const QByteArray &command)> handler);
    // The reply to a GS ( L request about the NV graphics (fn 30, 33, 40: see NvGraphics),
    // from what they hold now; empty for any other command.
    QByteArray graphicsReply(const QByteArray &command) const;
    // The printer's NV graphics (GS ( L, FS q): kept through ESC @, clearPaper() and reset().
    const NvGraphics &nvGraphics() const;
    void setNvCapacity(qsizetype bytes);

    // All the paper moved since reset() (a cleared view does not give paper back).
    qint64 paperFedDots() const;
    // The feed button: blank paper advances, the print buffer stays (not in page mode).
    void feedByButton(int dots);

private:
    std::unique_ptr<CommandRouter> d;
};
