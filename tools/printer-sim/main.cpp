// marlix-printer-sim: a Marlix receipt printer acted out on a pseudo-terminal,
// for trying the terminal without a printer and for its end-to-end tests.

#include "SimOptions.h"
#include "Simulator.h"
#include "printer/render/ReceiptFaces.h"
#include "session/CommandLineChecks.h"
#include "session/CommonOptions.h"
#include "session/QuietRuntimeNotes.h"
#include "session/QuitSignals.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {
int startFailure(const QString &message)
{
    std::fprintf(stderr, "marlix-printer-sim: %s\n", qPrintable(message));
    return 1;
}
} // namespace

int main(int argc, char *argv[])
{
    keepStandardDescriptors();
    // Receipts are drawn with fonts, which need a GUI application; it never
    // shows a window, so it needs no display either.
    quietRuntimeFolderNotes();
    const std::unique_ptr<QCoreApplication> app = CommonOptions::consoleApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("marlix-printer-sim"));
    // Its only text is the receipts': their faces, not the system's font list.
    ReceiptFaces::readFaceFilesOnly();
    QCoreApplication::setApplicationVersion(QStringLiteral(MARLIX_SIM_VERSION));

    const SimCommandLine line = parseSimCommandLine(QCoreApplication::arguments());
    if (line.outcome != SimCommandLine::Run) {
        QFile out;
        QFile err;
        out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
        err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
        return CommandLineChecks::stopWithoutRunning(QStringLiteral("marlix-printer-sim"),
                                                     line.outcome == SimCommandLine::Error, line.text, out, err);
    }
    // SIGINT, SIGTERM and SIGHUP end the simulator; SIGUSR1 toggles busy.
    Simulator simulator(line.options);
    QuitSignals quitSignals([](int) { QCoreApplication::exit(0); });
    if (!quitSignals.alsoOnUserSignal([&simulator] { simulator.toggleBusy(); }))
        return startFailure(QStringLiteral("cannot install signal handlers: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    std::signal(SIGPIPE, SIG_IGN);
    // In the background of a shell, reading its terminal fails (EIO) instead
    // of stopping the simulator.
    std::signal(SIGTTIN, SIG_IGN);

    QString error;
    if (!simulator.start(&error))
        return startFailure(error);
    const int result = app->exec();
    const int checked = simulator.finish();
    return result != 0 ? result : checked;
}
