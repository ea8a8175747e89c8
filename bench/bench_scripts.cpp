// Throughput of demonstration files through the whole path: interpreter,
// OutBuffer, the real port over a pty (or TCP, as to a network printer), to
// the printer simulator. Prints bytes per second against a 230400-baud line
// (23040 bytes/s); the raw file and the Transcript-off script with the paper
// feed as built against switched off; how fast the Transcript-on script
// runs with the Receipt Preview open against closed; and the Transcript-on
// script against the built-in printer (port "virtual") beside the simulator.
#include "support/Fakes.h"
#include "support/ScriptRig.h"
#include "support/SimProcess.h"

#include "scripts/ScriptRunner.h"
#include "session/Session.h"
#include "session/PaperFeed.h"
#include "printer/device/VirtualPrinter.h"
#include "session/SettingsStore.h"
#include "terminal/frmTerminal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <ctime>

namespace {

constexpr double kLineRate = 23040.0;
constexpr int kRuns = 5;
constexpr double kFigureSeconds = 1.0; // the least a rate's figure is timed over
constexpr int kPreviewRuns = 21; // pairs: the runs are short and the machine is shared
constexpr int kFeedRuns = 21; // pairs: a short run on a shared machine varies a lot
constexpr int kBuiltInRuns = 21; // pairs, for the same reason

QByteArray rawData(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (char &c : data)
        c = char(gen.bounded(256));
    return data;
}

// A receipt-like script: text, notations, escapes and a counter, about `size` bytes.
QByteArray scriptData(int size)
{
    const QByteArray line = "[ESC]a<0>Item {A+:1}{A} [ESC]E<1>Coffee<x20>large[ESC]E<0>     2.50\\n\r\n";
    QByteArray data;
    while (data.size() + line.size() <= size)
        data += line;
    return data;
}

struct Result {
    double seconds = 0;
    bool complete = false;
    double cpuSeconds = 0; // this process's processor time: what the terminal itself spent
};

// The bytes a file must put on the wire, from the interpreter on a fake port.
QByteArray expectedWire(const QString &file)
{
    ScriptRig rig;
    rig.view.transcript = false;
    rig.view.scriptFile = file;
    rig.in.RunScript(file);
    return rig.printer.written;
}

// Plays the file with Send Script; the time runs from the click until the
// simulator has received every byte.
// How the Receipt Preview is during a run.
enum class Preview { Closed, Open, WithCommands };

// The paper feed as built, or switched off (as for a port with paper of its own).
enum class Feed { AsBuilt, Off };

// The built-in printer has taken every byte and printed what it took.
bool builtInReceived(frmTerminal &w, qint64 expectedTotal)
{
    VirtualPrinter *printer = w.ensureBuiltInPrinter();
    QDeadlineTimer deadline(60000);
    while (printer && (printer->macros().receivedTotal() < expectedTotal || printer->state().waiting > 0)
           && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return printer && printer->macros().receivedTotal() == expectedTotal && printer->state().waiting == 0;
}

// sim null: the printer built into the program.
Result play(SimProcess *sim, bool network, const QString &file, bool transcript, qint64 expectedTotal,
            Preview preview = Preview::Closed, Feed feed = Feed::AsBuilt)
{
    // The Commands panel shows as the settings say when the window opens.
    SettingsStore::saveFlag(QStringLiteral("PreviewCommands"), preview == Preview::WithCommands);
    FakeOperator op;
    frmTerminal w(nullptr, &op, nullptr);
    w.session().link.vars.CommPort = !sim ? QStringLiteral("virtual") : network ? sim->netPort() : sim->port();
    w.Echo->setChecked(transcript);
    w.FileNameTextBox->setEditText(file);
    w.paperFeed().setEnabled(feed == Feed::AsBuilt);
    // Shown, as an operator has it: every served event may repaint the display.
    w.show();
    if (preview != Preview::Closed)
        w.MPreview->trigger();
    // The windows laid out and painted before the clock starts, as they are
    // long before an operator plays a script.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    w.SendScript_Click();
    Result r;
    r.complete = op.asked.isEmpty()
        && (sim ? sim->waitForReceived(int(expectedTotal), 60000) : builtInReceived(w, expectedTotal));
    r.seconds = timer.nsecsElapsed() / 1e9;
    r.cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    return r;
}

// Rates on wire bytes (what the line must carry) and, for scripts, on file
// bytes, of the median; fastest seconds > 0: also the fastest run's wire rate.
void report(const char *what, qint64 fileBytes, qint64 wireBytes, const Result &r, double targetFactor,
            double fastestSeconds = 0)
{
    const double wire = wireBytes / r.seconds / kLineRate;
    const double file = fileBytes / r.seconds / kLineRate;
    const QByteArray fastest = fastestSeconds > 0
        ? QStringLiteral(" (fastest %1 x)").arg(wireBytes / fastestSeconds / kLineRate, 6, 'f', 1).toLatin1()
        : QByteArray();
    std::printf("%-30s file %8lld B, wire %8lld B in %7.3f s: wire %7.1f x%s, file %7.1f x line rate "
                "(target %.0f x on the wire: %s)%s\n",
                what, static_cast<long long>(fileBytes), static_cast<long long>(wireBytes), r.seconds, wire,
                fastest.constData(), file, targetFactor, wire >= targetFactor ? "met" : "NOT met",
                r.complete ? "" : " [the simulator did NOT receive exactly the expected bytes]");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says this of every window shown: dozens of lines
    // between the figures.
    static const QtMessageHandler qtHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (text != QLatin1String("This plugin does not support propagateSizeHints()"))
            qtHandler(type, context, text);
    });
    QApplication app(argc, argv);
    isolateSettings();
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // "rates", "feed", "preview" or "builtin" runs that part alone.
    const auto runs = [&part](const char *name) { return part.isEmpty() || part == QLatin1String(name); };

    QTemporaryDir dir;
    const QString rawName = dir.filePath(QStringLiteral("big.prn"));
    const QString scriptName = dir.filePath(QStringLiteral("big.dmo"));
    const QByteArray raw = rawData(1 << 20);
    const QByteArray script = scriptData(100 * 1024);
    QFile f1(rawName), f2(scriptName);
    if (!f1.open(QIODevice::WriteOnly) || f1.write(raw) != raw.size() || !f2.open(QIODevice::WriteOnly)
        || f2.write(script) != script.size())
        return 1;
    f1.close();
    f2.close();

    QElapsedTimer alone;
    alone.start();
    const QByteArray scriptWire = expectedWire(scriptName);
    std::printf("230400-baud line rate: %.0f B/s; packet size 20; median (and fastest) of %d figures, each\n"
                "of plays in a row for %.1f s at least, each play timed from the click until the simulator\n"
                "has received every byte\n", kLineRate, kRuns, kFigureSeconds);
    std::printf("%-30s file %8lld B, wire %8lld B in %7.3f s (interpreter on a fake port)\n",
                "script 100 KiB, no port", static_cast<long long>(script.size()),
                static_cast<long long>(scriptWire.size()), alone.nsecsElapsed() / 1e9);

    struct Case {
        const char *what;
        QString file;
        QByteArray wire;
        bool transcript;
        double target;
        bool network;
    };
    const Case cases[] = {
        {"raw 1 MiB", rawName, raw, true, 100, false},
        {"script 100 KiB, Transcript off", scriptName, scriptWire, false, 100, false},
        {"script 100 KiB, Transcript on", scriptName, scriptWire, true, 4, false},
        {"TCP: raw 1 MiB", rawName, raw, true, 100, true},
        {"TCP: script 100 KiB, Trans. off", scriptName, scriptWire, false, 100, true},
    };
    for (const Case &c : cases) {
        if (!runs("rates"))
            break;
        // Each figure is plays in a row until they have taken a second:
        // one play of the 100 KiB script with Transcript off lasts some 30 ms,
        // and alone reads whatever else the machine did meanwhile.
        QList<double> times; // seconds a play
        bool complete = true;
        for (int i = 0; i < kRuns; ++i) {
            double seconds = 0;
            int plays = 0;
            while (seconds < kFigureSeconds) {
                // A fresh simulator and record file each play, started before the clock.
                // Random bytes print metres of paper a megabyte: a roll that never ends.
                QStringList args{QStringLiteral("--paper-length"), QStringLiteral("1000000000")};
                if (c.network)
                    args << QStringLiteral("--tcp") << QStringLiteral("0");
                SimProcess sim(args);
                if (!sim.start()) {
                    std::printf("printer simulator not available: %s\n", qPrintable(sim.error()));
                    return 0;
                }
                const Result r = play(&sim, c.network, c.file, c.transcript, c.wire.size());
                complete = complete && r.complete && sim.received() == c.wire;
                seconds += r.seconds;
                ++plays;
                if (!r.complete)
                    break;
            }
            times << seconds / plays;
        }
        std::sort(times.begin(), times.end());
        report(c.what, c.file == rawName ? c.wire.size() : script.size(), c.wire.size(),
               Result{times.at(times.size() / 2), complete}, c.target, times.first());
    }

    // The paper feed must not slow sending: each file with the feed as built
    // and switched off, in turns, each pair compared.
    if (runs("feed"))
        std::printf("Paper feed as built against switched off (preview closed; median of %d pairs):\n", kFeedRuns);
    for (const Case &c : {cases[0], cases[1]}) {
        if (!runs("feed"))
            break;
        QList<double> ratios;
        double seconds[2] = {0, 0};
        QList<double> times[2];
        QList<double> cpu[2];
        bool complete = true;
        for (int i = 0; i < kFeedRuns; ++i) {
            for (int turn = 0; turn < 2; ++turn) {
                const int way = (i + turn) % 2;
                SimProcess sim;
                if (!sim.start()) {
                    std::printf("printer simulator not available: %s\n", qPrintable(sim.error()));
                    return 0;
                }
                const Result r = play(&sim, false, c.file, c.transcript, c.wire.size(), Preview::Closed, Feed(way));
                complete = complete && r.complete && sim.received() == c.wire;
                seconds[way] = r.seconds;
                times[way] << r.seconds;
                cpu[way] << r.cpuSeconds;
            }
            ratios << seconds[int(Feed::Off)] / seconds[int(Feed::AsBuilt)];
        }
        std::sort(ratios.begin(), ratios.end());
        for (QList<double> *values : {&times[0], &times[1], &cpu[0], &cpu[1]})
            std::sort(values->begin(), values->end());
        const double ratio = ratios.at(ratios.size() / 2);
        // The processor time this process spent says it without the rest of the machine in it.
        std::printf("  %-30s feed on %6.1f x, off %6.1f x line rate: %.3f times as fast (target 0.95: %s); "
                    "processor time %.0f ms against %.0f ms a run%s\n",
                    c.what, c.wire.size() / times[0].at(kFeedRuns / 2) / kLineRate,
                    c.wire.size() / times[1].at(kFeedRuns / 2) / kLineRate, ratio, ratio >= 0.95 ? "met" : "NOT met",
                    cpu[0].at(kFeedRuns / 2) * 1000, cpu[1].at(kFeedRuns / 2) * 1000,
                    complete ? "" : " [the simulator did NOT receive exactly the expected bytes]");
    }

    // The built-in printer must be at least as fast as the simulator it
    // replaces: the Transcript-on script against each, in turns, each pair
    // compared (the preview closed, the paper feed as built).
    if (runs("builtin")) {
        QList<double> times[2]; // 0 the simulator, 1 built in
        QList<double> cpu[2];
        QList<double> ratios;
        bool complete = true;
        for (int i = 0; i < kBuiltInRuns; ++i) {
            double seconds[2] = {0, 0};
            for (int turn = 0; turn < 2; ++turn) {
                const int way = (i + turn) % 2;
                std::unique_ptr<SimProcess> sim;
                if (way == 0) {
                    sim = std::make_unique<SimProcess>();
                    if (!sim->start()) {
                        std::printf("printer simulator not available: %s\n", qPrintable(sim->error()));
                        return 0;
                    }
                }
                const Result r = play(sim.get(), false, scriptName, true, scriptWire.size());
                complete = complete && r.complete && (!sim || sim->received() == scriptWire);
                seconds[way] = r.seconds;
                times[way] << r.seconds;
                cpu[way] << r.cpuSeconds;
            }
            ratios << seconds[0] / seconds[1];
        }
        for (QList<double> *values : {&times[0], &times[1], &cpu[0], &cpu[1], &ratios})
            std::sort(values->begin(), values->end());
        const int mid = kBuiltInRuns / 2;
        const double ratio = ratios.at(mid);
        std::printf("Transcript-on script 100 KiB, built-in printer against the simulator (median of %d pairs):\n"
                    "  simulator %7.3f s (%6.1f x line rate), built in %7.3f s (%6.1f x): built in %.3f times as fast "
                    "(target 1: %s); processor time of this process: built in %.0f ms, with the simulator %.0f ms a run "
                    "(the built-in printer prints in it)%s\n",
                    kBuiltInRuns, times[0].at(mid), scriptWire.size() / times[0].at(mid) / kLineRate, times[1].at(mid),
                    scriptWire.size() / times[1].at(mid) / kLineRate, ratio, ratio >= 1 ? "met" : "NOT met",
                    cpu[1].at(mid) * 1000, cpu[0].at(mid) * 1000,
                    complete ? "" : " [a printer did NOT receive exactly the expected bytes]");
    }

    // The Receipt Preview must not slow the terminal: the same script with the
    // preview open and closed, run for run side by side, so that both see the
    // same machine.
    // Runs in threes, one each way in turns, each compared with the closed
    // run of its three: a three shares the machine's load of the moment.
    if (!runs("preview"))
        return 0;
    constexpr int kWays = 3;
    const char *const names[kWays] = {"script 100 KiB, preview closed", "script 100 KiB, preview open",
                                      "script 100 KiB, with Commands"};
    QList<double> times[kWays];
    QList<double> cpu[kWays];
    QList<double> ratios[kWays];
    QList<double> cpuRatios[kWays];
    bool complete = true;
    for (int i = 0; i < kPreviewRuns; ++i) {
        double seconds[kWays] = {0, 0, 0};
        double cpuSeconds[kWays] = {0, 0, 0};
        for (int turn = 0; turn < kWays; ++turn) {
            const int way = (i + turn) % kWays;
            SimProcess sim;
            if (!sim.start()) {
                std::printf("printer simulator not available: %s\n", qPrintable(sim.error()));
                return 0;
            }
            const Result r = play(&sim, false, scriptName, true, scriptWire.size(), Preview(way));
            complete = complete && r.complete && sim.received() == scriptWire;
            seconds[way] = r.seconds;
            cpuSeconds[way] = r.cpuSeconds;
        }
        for (int k = 0; k < kWays; ++k) {
            times[k] << seconds[k];
            cpu[k] << cpuSeconds[k];
            ratios[k] << seconds[0] / seconds[k];
            cpuRatios[k] << cpuSeconds[0] / std::max(cpuSeconds[k], 1e-6);
        }
    }
    const auto median = [](QList<double> values) {
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    };
    for (int k = 0; k < kWays; ++k)
        report(names[k], script.size(), scriptWire.size(), Result{median(times[k]), complete, median(cpu[k])}, 4);
    // The processor time the terminal spent says it without the other
    // programs on the machine in it.
    std::printf("Transcript on, Receipt Preview open against closed (median of %d runs each way):\n", kPreviewRuns);
    for (int k = 1; k < kWays; ++k) {
        const double ratio = median(ratios[k]);
        std::printf("  %-14s speed %.3f times as fast (target 0.9: %s); processor time %.0f ms against %.0f ms a run "
                    "(%.3f)\n",
                    k == 1 ? "paper only:" : "with Commands:", ratio, ratio >= 0.9 ? "met" : "NOT met",
                    median(cpu[k]) * 1000, median(cpu[0]) * 1000, median(cpuRatios[k]));
    }
    return 0;
}
