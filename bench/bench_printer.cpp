// The virtual printer's speed: a 1 MiB stream of mixed receipts (text in
// every style, logos as raster and GS ( L images, barcodes, QR codes, PDF417,
// a block laid out in page mode, text in several code pages and two-byte
// characters) interpreted and every receipt drawn, in millimetres of paper
// per second, against a fast receipt printer (300 mm/s). The receipt preview
// must never hold up the terminal: the target is at least 100 times that.
// The command trace, kept as the preview keeps it,
// may cost the interpreter at most 20 % of its speed.
#include "support/ReceiptText.h"

#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/render/ReceiptRenderer.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace PrinterBytes;

namespace {
constexpr double kPrinterMmPerSecond = 300.0;
constexpr int kRuns = 5;
constexpr int kTraceRuns = 11; // pairs, off and on in turn
constexpr double kTraceTarget = 20.0; // per cent

// This thread's CPU time in seconds: on a shared machine the figures must not
// time the neighbours.
double cpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Seconds of this thread's CPU time to interpret the stream as the receipt
// preview does: the last receipts kept, with or without the trace. CPU time,
// not the clock: on a shared machine the comparison must not time the neighbours.
double interpretAsPreview(const QByteArray &stream, bool trace, qsizetype *entries)
{
    ReceiptInterpreter interpreter;
    interpreter.setTraceEnabled(trace);
    timespec start {}, end {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    for (qsizetype at = 0; at < stream.size(); at += 4096)
        interpreter.feed(stream.mid(at, 4096));
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    if (trace)
        *entries = qsizetype(interpreter.trace()->endSequence());
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
}

// A logo of 192 x 96 dots: rings and stripes.
QByteArray logo()
{
    QByteArray data;
    for (int y = 0; y < 96; ++y) {
        for (int byte = 0; byte < 24; ++byte) {
            quint8 bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                const int dx = x - 96, dy = y - 48;
                if (((dx * dx + dy * dy) / 200) % 2 == 0 || (x + y) % 16 < 2)
                    bits |= 0x80 >> bit;
            }
            data += char(bits);
        }
    }
    return "\x1D" "v0" + n(0) + word(24) + word(96) + data;
}

// The same logo through GS ( L: stored in the print buffer, then printed.
QByteArray graphicsLogo()
{
    const QByteArray rows = logo().mid(8);
    const QByteArray store = "0p0" + n(1) + n(1) + "1" + word(192) + word(96) + rows;
    return GS + "(L" + word(int(store.size())) + store + GS + "(L" + word(2) + "02";
}

// A block laid out in page mode: a heading read bottom to top beside lines read left to right.
QByteArray pageBlock(int number)
{
    QByteArray page = ESC + "L" + ESC + "W" + word(0) + word(0) + word(96) + word(160) + ESC + "T" + n(1) + "ORDER " + QByteArray::number(number) + "\n";
    page += ESC + "W" + word(96) + word(0) + word(480) + word(160) + ESC + "T" + n(0);
    for (int line = 0; line < 5; ++line)
        page += "Page mode line " + QByteArray::number(line) + "\n";
    return page + "\x0C";
}

QByteArray receipt(int number)
{
    QByteArray r = ESC + "@" + ESC + "a" + n(1) + logo() + "\n";
    r += ESC + "!" + n(0x38) + "MARLIX CAFE\n" + ESC + "!" + n(0) + "12 Harbour Street\n" + ESC + "a" + n(0);
    r += "Receipt no. " + QByteArray::number(number) + "\n";
    for (int item = 0; item < 12; ++item) {
        r += "Item " + QByteArray::number(item).rightJustified(3, '0') + "                    " + QByteArray::number(item * 1.25, 'f', 2).rightJustified(8) + "\n";
        r += ESC + "M" + n(1) + "  font B detail line for the item, with more words in it" + ESC + "M" + n(0) + "\n";
    }
    r += ESC + "E" + n(1) + "TOTAL" + ESC + "E" + n(0) + "  " + ESC + "-" + n(1) + "underlined" + ESC + "-" + n(2) + " twice" + ESC + "-" + n(0);
    r += " " + GS + "B" + n(1) + " reverse " + GS + "B" + n(0) + "\n";
    r += GS + "!" + n(0x11) + "Double" + GS + "!" + n(0x33) + "4x4" + GS + "!" + n(0) + ESC + " " + n(2) + " spaced" + ESC + " " + n(0) + "\n";
    r += "\xC9\xCD\xCD\xBB \xB0\xB1\xB2\xDB" + ESC + "t" + n(16) + " \x80 \xE9\xE8" + ESC + "t" + n(0) + "\tTab\n";
    // International text: a page per language, a set, two-byte characters.
    r += ESC + "t" + n(19) + "Caf\x82 M\x81ller   Cr\x8Ame br\x96l\x82" "e   4,50 \xD5\n";
    r += ESC + "t" + n(17) + "\x8A\xA2\xA8\xE2\xA0\xAD\xE6\xA8\xEF   \x88\xE2\xAE\xA3\xAE: 150 \xE0\xE3\xA1.\n";
    r += ESC + "t" + n(18) + "\xAC\xA3\xE2\xA1\xAE: P\xFD\xA1li\xE7 \xA7lu\x9Cou\x9F" "k\xEC k\x85\xA4\n";
    r += ESC + "R" + n(2) + "Stra@e [bung ]bel" + ESC + "R" + n(0) + "\n";
    r += FS + "&" + "\xC4\xE3\xBA\xC3 \xCA\xD5\xBE\xDD 12.50 \xBA\xCF\xBC\xC6" + FS + "." + ESC + "t" + n(0) + "\n";
    r += ESC + "*" + n(0x21) + word(64) + QByteArray(192, '\x5A') + "\n";
    r += ESC + "a" + n(1) + GS + "h" + n(80) + GS + "w" + n(2) + GS + "H" + n(2) + GS + "k" + n(2) + "400638133393" + n(0);
    r += GS + "k" + n(0x49) + n(12) + "{BMX-" + QByteArray::number(100000 + number);
    const QByteArray url = "https://marlix.example/receipt/" + QByteArray::number(number);
    r += qrFunction("1C" + n(4)) + qrFunction("1P0" + url) + qrFunction("1Q0") + "\n";
    r += qrFunction("0C" + n(2)) + qrFunction("0P0" + url) + qrFunction("0Q0") + graphicsLogo() + pageBlock(number);
    r += ESC + "a" + n(2) + "Thank you!\n" + ESC + "d" + n(3) + GS + "V" + n(0x42) + n(0);
    return r;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QByteArray stream;
    int receipts = 0;
    while (stream.size() < 1024 * 1024)
        stream += receipt(++receipts);
    std::printf("bench_printer: %lld bytes, %d receipts\n", static_cast<long long>(stream.size()), receipts);

    const ReceiptRenderer renderer;
    QList<double> interpretTimes, totalTimes, untracedTimes, tracedTimes;
    qsizetype entries = 0;
    double millimetres = 0;
    for (int run = 0; run < kRuns; ++run) {
        // Interpretation alone.
        {
            ReceiptInterpreter interpreter;
            interpreter.setRetainLimit(0);
            const double start = cpuSeconds();
            for (qsizetype at = 0; at < stream.size(); at += 4096)
                interpreter.feed(stream.mid(at, 4096));
            interpretTimes.append(cpuSeconds() - start);
        }
        // Interpretation and every receipt drawn as it is cut.
        ReceiptInterpreter interpreter;
        interpreter.setRetainLimit(0);
        double dots = 0;
        qint64 inked = 0;
        interpreter.setReceiptHandler([&](const Receipt &receipt) {
            const QImage image = renderer.render(receipt);
            inked += image.height();
            dots += receipt.lengthDots;
        });
        const double start = cpuSeconds();
        for (qsizetype at = 0; at < stream.size(); at += 4096)
            interpreter.feed(stream.mid(at, 4096));
        totalTimes.append(cpuSeconds() - start);
        millimetres = dots / Paper::kDotsPerMm;
        if (inked != qint64(dots) || interpreter.finishedTotal() != receipts) {
            std::printf("bench_printer: wrong result (%d receipts drawn)\n", interpreter.finishedTotal());
            return 1;
        }
    }
    // As the preview keeps them, without and with the trace, in turn.
    for (int run = 0; run < kTraceRuns; ++run) {
        untracedTimes.append(interpretAsPreview(stream, false, &entries));
        tracedTimes.append(interpretAsPreview(stream, true, &entries));
    }
    const double interpret = median(interpretTimes);
    const double total = median(totalTimes);
    const double untraced = median(untracedTimes);
    const double traced = median(tracedTimes);
    std::printf("bench_printer: %.0f mm of paper (%.1f m), median of %d runs, CPU time\n", millimetres, millimetres / 1000, kRuns);
    std::printf("  interpret only:        %7.3f s  %9.0f mm/s  %6.1f x a 300 mm/s printer\n", interpret, millimetres / interpret,
                millimetres / interpret / kPrinterMmPerSecond);
    std::printf("  interpret and render:  %7.3f s  %9.0f mm/s  %6.1f x a 300 mm/s printer (target 100 x)\n", total,
                millimetres / total, millimetres / total / kPrinterMmPerSecond);
    std::printf("  interpret as the preview keeps it (the last %d receipts), CPU time, median of %d:\n",
                ReceiptInterpreter::kDefaultRetain, kTraceRuns);
    std::printf("    trace off:           %7.3f s  %9.0f mm/s\n", untraced, millimetres / untraced);
    std::printf("    trace on:            %7.3f s  %9.0f mm/s  %lld entries; costs %.1f %% of the speed (target at most %.0f %%)\n",
                traced, millimetres / traced, static_cast<long long>(entries), (1 - untraced / traced) * 100, kTraceTarget);
    return 0;
}
