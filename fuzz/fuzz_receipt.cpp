// The receipt interpreter and renderer take any bytes a demonstration sends:
// no input may crash them, hang them or make them keep more than the length
// cap allows, and the receipts must not depend on how the stream was split.
// The command trace likewise: the same however split, changing nothing on
// paper, its entries in stream order within the stream, their regions on the
// paper of their receipts, and every entry worded. The command reader, split
// as the line splits it, finds the same commands. The NV memory (GS ( L, FS q) never holds
// more than its capacity, and every request about it gets a well-formed reply.
// The first byte's bit 4 chooses the paper, 80 or 58 mm.
// The second byte sets the printer up: its two-byte encoding, and whether the
// stream starts in two-byte mode (JIS too), on which code page and
// international character set.
#include "printer/characters/Characters.h"
#include "printer/commands/CommandReader.h"
#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptRenderer.h"

#include <QGuiApplication>

#include <cstdlib>

namespace {
// Both live until the process ends: destroying them in exit() handlers, after
// Qt's own statics, would crash.
QGuiApplication *application = nullptr;
ReceiptRenderer *renderer = nullptr;

// Enough of a receipt to tell two apart (numbered: with its number too).
QByteArray digest(const Receipt &receipt, bool numbered = true)
{
    QByteArray d = (numbered ? QByteArray::number(receipt.number) : QByteArray()) + ':' + QByteArray::number(int(receipt.cut))
        + ':' + QByteArray::number(receipt.lengthDots) + ':' + QByteArray::number(receipt.feeds.size());
    for (const ReceiptLine &line : receipt.lines) {
        d += '|' + QByteArray::number(line.y) + ',' + QByteArray::number(line.height);
        for (const TextRun &run : line.runs)
            d += ' ' + QByteArray::number(run.x) + run.text;
        for (const DotImage &image : line.images)
            d += ' ' + QByteArray::number(image.x) + 'x' + QByteArray::number(image.width());
    }
    return d;
}

QByteArray digest(const CommandTrace &trace)
{
    QByteArray d = QByteArray::number(trace.firstSequence()) + '/' + QByteArray::number(trace.endSequence());
    for (const TraceEntry &entry : trace.entries()) {
        d += '|' + QByteArray::number(entry.range.begin) + '-' + QByteArray::number(entry.range.end) + ':'
            + QByteArray::number(int(entry.kind)) + entry.bytes.toHex() + entry.key.toHex() + entry.data.toHex();
        for (const PaperRegion &region : entry.regions) {
            const QRect &r = region.dots;
            d += QByteArray::number(region.receipt) + '@' + QByteArray::number(r.x()) + ',' + QByteArray::number(r.y()) + ','
                + QByteArray::number(r.width()) + ',' + QByteArray::number(r.height());
        }
    }
    return d;
}

// Entries in stream order without gaps (only the oldest are dropped), within
// the stream, worded; regions on the paper of the receipts that are kept.
void checkTrace(const CommandTrace &trace, const std::deque<Receipt> &receipts, const Receipt &last, qint64 offset)
{
    qint64 at = trace.entries().empty() ? 0 : trace.entries().front().range.begin;
    quint64 sequence = trace.firstSequence();
    for (const TraceEntry &entry : trace.entries()) {
        if (entry.sequence != sequence++ || entry.range.begin != at || entry.range.end <= entry.range.begin || entry.range.end > offset)
            std::abort();
        at = entry.range.end;
        if (PrinterCommands::meaning(entry).isEmpty() || PrinterCommands::name(entry).isEmpty()
            || PrinterCommands::logLine(entry).isEmpty())
            std::abort();
        for (const PaperRegion &region : entry.regions) {
            const Receipt *receipt = region.receipt == last.number ? &last : nullptr;
            for (const Receipt &kept : receipts) {
                if (kept.number == region.receipt)
                    receipt = &kept;
            }
            if (receipt && !QRect(0, 0, receipt->widthDots, receipt->lengthDots).contains(region.dots))
                std::abort();
        }
    }
    if (trace.endSequence() != sequence || trace.memoryUse() > trace.budget() + 4096)
        std::abort();
}

void check(const Receipt &receipt, int paperWidth)
{
    // A blank one (finish() with nothing printed) is on no paper.
    if (receipt.lengthDots < 0 || receipt.lengthDots > Paper::kMaxReceiptDots
        || (receipt.widthDots != paperWidth && !receipt.isBlank()))
        std::abort();
    for (const ReceiptLine &line : receipt.lines) {
        // Two-byte runs hold whole pairs, each a character (or the replacement mark).
        for (const TextRun &run : line.runs) {
            if (run.twoByte != TwoByteCode::None && (run.text.size() % 2 != 0 || !run.style.wide))
                std::abort();
            for (int i = 0; i < run.count(); ++i) {
                if (Characters::cell(run, i) == 0)
                    std::abort();
            }
        }
        for (const DotImage &image : line.images) {
            if (image.x < 0 || image.x + image.width() > receipt.widthDots || image.height() > Paper::kMaxReceiptDots)
                std::abort();
        }
    }
}
} // namespace

// fontconfig keeps its configuration until the process ends.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = new QGuiApplication(*argc, *argv);
    renderer = new ReceiptRenderer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte chooses how the rest is split.
    const int chunk = 1 + data[0] % 17;
    const quint8 setup = data[1];
    const TwoByteCode encoding = Characters::kModelEncodings[setup & 3];
    static const quint8 pages[16] = {0, 1, 2, 12, 16, 17, 19, 20, 32, 37, 41, 42, 45, 53, 99, 255};
    QByteArray stream = QByteArray("\x1Bt") + char(pages[setup >> 4]) + "\x1BR" + char((setup >> 3) % 18);
    if (setup & 4)
        stream += "\x1C&";
    if (setup & 8)
        stream += "\x1C" "C0";
    stream += QByteArray(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2));

    // The first byte's high bits: a small trace budget, few receipts kept.
    const qsizetype budget = (data[0] & 0x40) ? 2048 : CommandTrace::kDefaultBudget;
    const int retain = (data[0] & 0x80) ? 2 : ReceiptInterpreter::kDefaultRetain;
    const qsizetype capacity = (data[0] & 0x20) ? 4096 : NvGraphics::kDefaultCapacity;
    const int paperWidth = (data[0] & 0x10) ? Paper::kNarrowWidthDots : Paper::kWidthDots;
    ReceiptInterpreter whole;
    whole.setPaperWidth(paperWidth);
    whole.setTwoByteEncoding(encoding);
    whole.setTraceBudget(budget);
    whole.setRetainLimit(retain);
    whole.setNvCapacity(capacity);
    whole.setRequestHandler([&whole](const QByteArray &command) {
        const QByteArray reply = whole.graphicsReply(command);
        if (command.startsWith("\x1D(L") || command.startsWith("\x1D" "8L")) {
            if (reply.size() < 4 || reply[0] != '7' || !reply.endsWith('\0'))
                std::abort();
        }
    });
    QList<QByteArray> wholeCuts;
    whole.setReceiptHandler([&wholeCuts](const Receipt &receipt) { wholeCuts.append(digest(receipt, false)); });
    whole.feed(stream);
    ReceiptInterpreter split;
    split.setPaperWidth(paperWidth);
    split.setTwoByteEncoding(encoding);
    split.setTraceBudget(budget);
    split.setRetainLimit(retain);
    split.setNvCapacity(capacity);
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        split.feed(stream.mid(at, chunk));
    // The command reader alone, split, frames the stream as the interpreter does: the
    // commands that are all header, in the same order, however split.
    ReceiptInterpreter plain;
    plain.setPaperWidth(paperWidth);
    plain.setTwoByteEncoding(encoding);
    plain.setRetainLimit(retain);
    plain.setNvCapacity(capacity);
    QList<QByteArray> printed;
    plain.setTraceBudget(0);
    plain.setTraceHandler([&printed](const TraceEntry &entry) {
        if (entry.kind != TraceEntry::Kind::Text && entry.length() == entry.bytes.size()
            && CommandSyntax::frame(entry.bytes).kind == Frame::Kind::Whole)
            printed.append(entry.bytes);
    });
    plain.feed(stream);
    QList<QByteArray> received;
    CommandReader reader;
    const CommandReader::Handler collect = [&received](const CommandReader::Piece &piece) {
        if (piece.part == CommandReader::Part::Command && piece.frame->kind == Frame::Kind::Whole)
            received.append(*piece.command);
        return true;
    };
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        reader.feed(stream.mid(at, chunk), collect);
    if (received != printed)
        std::abort();
    if (whole.nvGraphics().used() > capacity || whole.nvGraphics().used() != split.nvGraphics().used()
        || whole.nvGraphics().keys() != split.nvGraphics().keys())
        std::abort();
    if (whole.finishedTotal() != split.finishedTotal() || whole.offset() != split.offset()
        || whole.takeNotes() != split.takeNotes() || digest(*whole.trace()) != digest(*split.trace()))
        std::abort();
    const auto &a = whole.finished();
    const auto &b = split.finished();
    const auto &c = plain.finished();
    if (a.size() != c.size())
        std::abort();
    for (size_t i = 0; i < a.size(); ++i) {
        if (digest(a[i]) != digest(b[i]) || digest(a[i]) != digest(c[i]))
            std::abort();
    }
    const Receipt lastWhole = whole.finish();
    if (digest(lastWhole) != digest(split.finish()) || digest(lastWhole) != digest(plain.finish())
        || digest(*whole.trace()) != digest(*split.trace()))
        std::abort();
    checkTrace(*whole.trace(), a, lastWhole, whole.offset());
    // Which entry drew a spot: any spot, any answer, as long as it is one of
    // them and what it marks lies on the paper.
    for (int i = 0; i < 4 && !lastWhole.isBlank(); ++i) {
        const QPoint dot(data[0] * (i + 1) % paperWidth, lastWhole.lengthDots * i / 4);
        const TraceEntry *entry = whole.trace()->entryAt(lastWhole, dot);
        if (!entry)
            continue;
        if (whole.trace()->entry(entry->sequence) != entry
            || !QRect(0, 0, paperWidth, lastWhole.lengthDots).contains(CommandTrace::regionIn(*entry, lastWhole)))
            std::abort();
    }

    // A view's Clear keeps the printer's state: from the first cut of its own
    // after the clear, the receipts are those of the stream fed without one.
    const qsizetype clearAt = stream.size() * (data[0] / 17) / 15;
    ReceiptInterpreter cleared;
    cleared.setPaperWidth(paperWidth);
    cleared.setTwoByteEncoding(encoding);
    cleared.setTraceBudget(budget);
    cleared.setRetainLimit(retain);
    cleared.setNvCapacity(capacity);
    cleared.feed(stream.left(clearAt));
    cleared.clearPaper();
    if (cleared.finishedTotal() != 0 || !cleared.openReceipt().isBlank() || !cleared.unknownCommands().isEmpty()
        || cleared.trace()->firstSequence() != cleared.trace()->endSequence())
        std::abort();
    QList<QByteArray> clearedCuts;
    qsizetype synced = -1;
    cleared.setReceiptHandler([&](const Receipt &receipt) {
        clearedCuts.append(digest(receipt, false));
        if (synced < 0 && receipt.cut != CutKind::Automatic && receipt.cut != CutKind::None)
            synced = clearedCuts.size();
    });
    cleared.feed(stream.mid(clearAt));
    const Receipt lastCleared = cleared.finish();
    if (cleared.offset() != whole.offset())
        std::abort();
    // The trace starts again with the fresh roll: in order, on its receipts.
    checkTrace(*cleared.trace(), cleared.finished(), lastCleared, cleared.offset());
    for (const TraceEntry &entry : cleared.trace()->entries()) {
        if (entry.receipt < 1 || entry.receipt > cleared.finishedTotal() + 1)
            std::abort();
    }
    if (synced >= 0) {
        const QList<QByteArray> after = clearedCuts.mid(synced);
        if (after.size() > wholeCuts.size() || wholeCuts.mid(wholeCuts.size() - after.size()) != after)
            std::abort();
    }

    // Drawing: the last few receipts (a live view draws only what it shows).
    int drawn = 0;
    for (auto it = a.rbegin(); it != a.rend() && drawn < 4; ++it, ++drawn) {
        check(*it, paperWidth);
        const QImage image = renderer->render(*it);
        if (image.width() != paperWidth || image.height() != std::max(1, it->lengthDots))
            std::abort();
    }
    check(lastWhole, paperWidth);
    if (!lastWhole.isBlank())
        renderer->renderBand(lastWhole, lastWhole.lengthDots / 3, lastWhole.lengthDots);
    renderer->takeNotes();
    return 0;
}
