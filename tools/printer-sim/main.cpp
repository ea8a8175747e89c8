// marlix-printer-sim: a Marlix receipt printer acted out on a pseudo-terminal,
// for trying the terminal without a printer and for its end-to-end tests.

#include "OperatorInput.h"
#include "PtyServer.h"
#include "SimOptions.h"
#include "TcpServer.h"
#include "link/SimRegistry.h"
#include "printer/PrinterModel.h"
#include "printer/ReceiptFiles.h"
#include "printer/ReceiptInterpreter.h"
#include "printer/VirtualPrinter.h"
#include "session/QuietRuntimeNotes.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <memory>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

// Only hands the signal over; the event loop does the work.
void onSignal(int signo)
{
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool installSignals()
{
    if (::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        if (::sigaction(signo, &action, nullptr) != 0)
            return false;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // In the background of a shell, reading its terminal fails (EIO) instead
    // of stopping the simulator.
    std::signal(SIGTTIN, SIG_IGN);
    return true;
}

QByteArray readLink(const QString &path)
{
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return n > 0 ? QByteArray(target, n) : QByteArray();
}

// Replaces an old symlink (a crashed run leaves one behind) but never a file
// that is not a symlink.
bool makeLink(const QString &linkPath, const QString &slavePath, QString *error)
{
    const QByteArray link = QFile::encodeName(linkPath);
    struct stat info {};
    if (::lstat(link.constData(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        *error = QStringLiteral("--link %1: exists and is not a symlink").arg(linkPath);
        return false;
    }
    const QByteArray temporary = link + ".tmp" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(slavePath).constData(), temporary.constData()) != 0
        || ::rename(temporary.constData(), link.constData()) != 0) {
        *error = QStringLiteral("--link %1: %2").arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

// Only our own link: another simulator may have taken the name over since.
void removeLink(const QString &linkPath, const QString &slavePath)
{
    if (!linkPath.isEmpty() && readLink(linkPath) == QFile::encodeName(slavePath))
        ::unlink(QFile::encodeName(linkPath).constData());
}

int startFailure(const QString &message)
{
    std::fprintf(stderr, "marlix-printer-sim: %s\n", qPrintable(message));
    return 1;
}

// Started with standard input, output or error closed, the pty would get
// their numbers, and the operator's input would read the line.
void keepStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0 && null != fd) {
                ::dup2(null, fd);
                ::close(null);
            }
        }
    }
}
} // namespace

int main(int argc, char *argv[])
{
    keepStandardDescriptors();
    // Receipts are drawn with fonts, which need a GUI application; it never
    // shows a window, so it needs no display either.
    quietRuntimeFolderNotes();
    const std::unique_ptr<QCoreApplication> application = consoleApplication(argc, argv);
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("marlix-printer-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARLIX_SIM_VERSION));

    SimOptions options;
    int exitCode = 0;
    if (!parseSimOptions(QCoreApplication::arguments(), &options, &exitCode))
        return exitCode;
    if (!installSignals())
        return startFailure(QStringLiteral("cannot install signal handlers: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));

    // The paper: drawn and saved with --receipts or --decode, else only
    // measured against the roll.
    QString error;
    std::unique_ptr<ReceiptFiles> receipts;
    ReceiptInterpreter unseen;
    unseen.setRetainLimit(0);
    if (!options.receiptsDir.isEmpty() || options.decode) {
        receipts = std::make_unique<ReceiptFiles>();
        if (!options.receiptsDir.isEmpty() && !receipts->open(options.receiptsDir, &error))
            return startFailure(error);
        if (!options.expectDir.isEmpty()
            && !receipts->setBaseline(options.expectDir, options.update, options.junitFile,
                                      QStringLiteral("marlix-printer-sim"), &error))
            return startFailure(error);
        receipts->setDecode(options.decode);
    }
    ReceiptInterpreter &paper = receipts ? receipts->interpreter() : unseen;
    // The roll is used up as the model prints, two-byte text too.
    paper.setTwoByteEncoding(options.cjk);
    VirtualPrinter printer(paper);
    PrinterModel &model = printer.model();
    model.setIdentity(options.identity);
    for (const auto &[request, response] : options.replies)
        model.addReplyRule(request, response);
    printer.setRoll(options.paperLengthMm, options.nearEndMm);
    printer.setDrawerClosesAfter(options.drawerClosesMs);

    PtyServer server(printer);
    server.setQuiet(options.quiet);
    server.setReplyDelay(options.replyDelayMs);
    QObject::connect(&printer, &VirtualPrinter::printed, &server, [&] {
        if (!receipts) {
            unseen.takeNotes(); // nobody reads them: they must not pile up
            return;
        }
        for (const QString &line : receipts->takeLog())
            server.report(line);
    });
    if (!options.recordPath.isEmpty() && !server.setRecordFile(options.recordPath, &error))
        return startFailure(error);
    if (!server.open(&error))
        return startFailure(error);
    std::unique_ptr<TcpServer> network;
    if (options.tcpPort >= 0) {
        network = std::make_unique<TcpServer>(server);
        if (!network->listen(quint16(options.tcpPort), &error))
            return startFailure(error);
    }
    const QString slave = server.slavePath();
    if (!options.linkPath.isEmpty() && !makeLink(options.linkPath, slave, &error))
        return startFailure(error);
    // Without the registry the program's port list cannot show us, but the
    // line itself works: warn and carry on.
    const bool registered = registerSimulator(slave, options.linkPath, &error);
    if (!registered && !options.quiet)
        std::fprintf(stderr, "marlix-printer-sim: registry: %s\n", qPrintable(error));

    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char received[16];
        const ssize_t n = ::read(signalPipe[0], received, sizeof received);
        for (ssize_t i = 0; i < n; ++i) {
            if (received[i] == SIGUSR1) {
                server.setBusy(!server.isBusy());
                if (network)
                    network->setBusy(server.isBusy());
            } else {
                QCoreApplication::exit(0);
            }
        }
    });
    std::fprintf(stdout, "%s\n", QFile::encodeName(slave).constData());
    // The pty stays first: whoever reads only the first line keeps working.
    if (network)
        std::fprintf(stdout, "%s\n", qPrintable(network->portName()));
    std::fflush(stdout);
    if (!options.quiet) {
        std::fprintf(stderr, "marlix-printer-sim: serving %s%s, identity \"%s\"%s, paper %lld mm (near end below %lld mm); "
                             "operator actions on standard input, help lists them\n",
                     QFile::encodeName(slave).constData(),
                     options.linkPath.isEmpty() ? "" : qPrintable(QStringLiteral(" (link %1)").arg(options.linkPath)),
                     qPrintable(PrinterModel::displayName(options.identity)),
                     model.hasExtendedStore() ? ", extended store" : "",
                     static_cast<long long>(options.paperLengthMm), static_cast<long long>(options.nearEndMm));
    }
    if (network)
        server.log(QStringLiteral("network printer on %1").arg(network->portName()));
    server.setBusy(options.busy);
    if (network)
        network->setBusy(options.busy);
    // The operator's answers are asked for: they are printed even with --quiet.
    OperatorInput operatorInput(printer, [](const QString &line) {
        std::fprintf(stderr, "marlix-printer-sim: %s\n", qPrintable(line));
        std::fflush(stderr);
    });
    operatorInput.start(STDIN_FILENO);

    const int result = app.exec();
    if (printer.state().waiting > 0)
        server.log(QStringLiteral("stopped with %1 bytes waiting, not printed").arg(printer.state().waiting));
    else if (const QString waiting = paper.waitingWords(); !waiting.isEmpty())
        server.log(QStringLiteral("end of input: ") + waiting);
    int status = result;
    if (receipts) {
        for (const QString &line : receipts->finish())
            server.log(line);
        if (status == 0 && receipts->checkFailed())
            status = 1;
        else if (status == 0 && receipts->differing() > 0)
            status = 4; // as marlix-run --expect
    }
    removeLink(options.linkPath, slave);
    if (registered)
        unregisterSimulator();
    return status;
}
