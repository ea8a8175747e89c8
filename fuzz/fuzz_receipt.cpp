// The receipt interpreter and renderer take any bytes a demonstration sends:
// no input may crash them, hang them or make them keep more than the length
// cap allows, and the receipts must not depend on how the stream was split.
#include "printer/ReceiptInterpreter.h"
#include "printer/ReceiptRenderer.h"

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

void check(const Receipt &receipt)
{
    if (receipt.lengthDots < 0 || receipt.lengthDots > Paper::kMaxReceiptDots)
        std::abort();
    for (const ReceiptLine &line : receipt.lines) {
        for (const DotImage &image : line.images) {
            if (image.x < 0 || image.x + image.width() > Paper::kWidthDots || image.height() > Paper::kMaxReceiptDots)
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
    if (size == 0)
        return 0;
    // The first byte chooses how the rest is split.
    const int chunk = 1 + data[0] % 17;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    ReceiptInterpreter whole;
    QList<QByteArray> wholeCuts;
    whole.setReceiptHandler([&wholeCuts](const Receipt &receipt) { wholeCuts.append(digest(receipt, false)); });
    whole.feed(stream);
    ReceiptInterpreter split;
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        split.feed(stream.mid(at, chunk));
    if (whole.finishedTotal() != split.finishedTotal() || whole.offset() != split.offset()
        || whole.takeNotes() != split.takeNotes())
        std::abort();
    const auto &a = whole.finished();
    const auto &b = split.finished();
    for (size_t i = 0; i < a.size(); ++i) {
        if (digest(a[i]) != digest(b[i]))
            std::abort();
    }
    const Receipt lastWhole = whole.finish();
    if (digest(lastWhole) != digest(split.finish()))
        std::abort();

    // A view's Clear keeps the printer's state: from the first cut of its own
    // after the clear, the receipts are those of the stream fed without one.
    const qsizetype clearAt = stream.size() * (data[0] / 17) / 15;
    ReceiptInterpreter cleared;
    cleared.feed(stream.left(clearAt));
    cleared.clearPaper();
    if (cleared.finishedTotal() != 0 || !cleared.openReceipt().isBlank() || !cleared.unknownCommands().isEmpty())
        std::abort();
    QList<QByteArray> clearedCuts;
    qsizetype synced = -1;
    cleared.setReceiptHandler([&](const Receipt &receipt) {
        clearedCuts.append(digest(receipt, false));
        if (synced < 0 && receipt.cut != CutKind::Automatic && receipt.cut != CutKind::None)
            synced = clearedCuts.size();
    });
    cleared.feed(stream.mid(clearAt));
    cleared.finish();
    if (cleared.offset() != whole.offset())
        std::abort();
    if (synced >= 0) {
        const QList<QByteArray> after = clearedCuts.mid(synced);
        if (after.size() > wholeCuts.size() || wholeCuts.mid(wholeCuts.size() - after.size()) != after)
            std::abort();
    }

    // Drawing: the last few receipts (a live view draws only what it shows).
    int drawn = 0;
    for (auto it = a.rbegin(); it != a.rend() && drawn < 4; ++it, ++drawn) {
        check(*it);
        const QImage image = renderer->render(*it);
        if (image.width() != Paper::kWidthDots || image.height() != std::max(1, it->lengthDots))
            std::abort();
    }
    check(lastWhole);
    if (!lastWhole.isBlank())
        renderer->renderBand(lastWhole, lastWhole.lengthDots / 3, lastWhole.lengthDots);
    return 0;
}
