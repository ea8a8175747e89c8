// marlix-run: plays demonstration files and commands to a Marlix printer from
// a shell, with the window's core and without a display.
#include "run/Console.h"
#include "run/RunOptions.h"
#include "run/Runner.h"
#include "printer/render/ReceiptFaces.h"
#include "session/CommandLineChecks.h"
#include "session/CommonOptions.h"
#include "session/QuietRuntimeNotes.h"
#include "session/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <memory>
#include <unistd.h>

int main(int argc, char **argv)
{
    // A reader that goes away (| head, | grep -q) must not cut the printer off
    // in the middle of a receipt: the write fails, is told once, and the run
    // goes on to its end with status 1.
    std::signal(SIGPIPE, SIG_IGN);
    quietRuntimeFolderNotes();
    // Receipts are drawn with fonts; no display is needed for them.
    const std::unique_ptr<QCoreApplication> app = CommonOptions::consoleApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("marlix-run"));
    // Its only text is the receipts': their faces, not the system's font list.
    ReceiptFaces::readFaceFilesOnly();

    QFile out;
    QFile err;
    // Unbuffered: each text leaves when the display would show it.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);

    // The window's saved port settings are the defaults; the runner never writes them.
    const CommandLine line = parseRunCommandLine(QCoreApplication::arguments(), SettingsStore::load().link);
    if (line.outcome != CommandLine::Run)
        return CommandLineChecks::stopWithoutRunning(QStringLiteral("marlix-run"), line.outcome == CommandLine::Error,
                                                     line.text, out, err);
    Runner runner(line.options, out, err, ::isatty(STDERR_FILENO) == 1);
    return runner.run();
}
