#include "Simulator.h"

#include "OperatorInput.h"
#include "PtyServer.h"
#include "TcpServer.h"
#include "link/SimRegistry.h"
#include "printer/device/MacroStore.h"
#include "printer/render/ReceiptFiles.h"
#include "printer/interpreter/ReceiptInterpreter.h"
#include "printer/device/VirtualPrinter.h"
#include "session/SharedWords.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
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
    if (!linkPath.isEmpty() && !slavePath.isEmpty() && readLink(linkPath) == QFile::encodeName(slavePath))
        ::unlink(QFile::encodeName(linkPath).constData());
}
} // namespace

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

Simulator::Simulator(const SimOptions &options) : m_options(options)
{
}

Simulator::~Simulator()
{
    m_operator.reset();
    m_network.reset();
    m_server.reset();
    m_printer.reset(); // lets go of the paper's handlers before the paper goes
    removeLink(m_options.linkPath, m_slave);
    if (m_registered)
        unregisterSimulator();
}

bool Simulator::start(QString *error)
{
    m_unseen = std::make_unique<ReceiptInterpreter>();
    m_unseen->setRetainLimit(0);
    if (!m_options.receiptsDir.isEmpty() || m_options.decode) {
        m_receipts = std::make_unique<ReceiptFiles>();
        if (!m_options.receiptsDir.isEmpty() && !m_receipts->open(m_options.receiptsDir, error))
            return false;
        if (!m_options.expectDir.isEmpty()
            && !m_receipts->setBaseline(m_options.expectDir, m_options.update, m_options.junitFile,
                                        QStringLiteral("marlix-printer-sim"), error))
            return false;
        m_receipts->setDecode(m_options.decode);
    }
    ReceiptInterpreter &paper = m_receipts ? m_receipts->interpreter() : *m_unseen;
    // The roll is used up as the model prints, two-byte text too.
    paper.setTwoByteEncoding(m_options.cjk);
    paper.setPaperWidth(m_options.paperWidthDots);
    m_printer = std::make_unique<VirtualPrinter>(paper);
    MacroStore &model = m_printer->macros();
    model.setIdentity(m_options.identity);
    for (const auto &[request, response] : m_options.replies)
        model.addReplyRule(request, response);
    m_printer->setRoll(m_options.paperLengthMm, m_options.nearEndMm);
    m_printer->setDrawerClosesAfter(m_options.drawerClosesMs);

    m_server = std::make_unique<PtyServer>(*m_printer);
    m_server->setQuiet(m_options.quiet);
    m_server->setReplyDelay(m_options.replyDelayMs);
    QObject::connect(m_printer.get(), &VirtualPrinter::printed, m_server.get(), [this] {
        if (!m_receipts) {
            m_unseen->takeNotes(); // nobody reads them: they must not pile up
            return;
        }
        for (const QString &line : m_receipts->takeNotes())
            m_server->report(line);
    });
    if (!m_options.recordPath.isEmpty() && !m_server->setRecordFile(m_options.recordPath, error))
        return false;
    if (!m_server->open(error))
        return false;
    if (m_options.tcpPort >= 0) {
        m_network = std::make_unique<TcpServer>(*m_server);
        if (!m_network->listen(quint16(m_options.tcpPort), error))
            return false;
    }
    const QString slave = m_server->slavePath();
    if (!m_options.linkPath.isEmpty() && !makeLink(m_options.linkPath, slave, error))
        return false;
    m_slave = slave;
    // Without the registry the program's port list cannot show us, but the
    // line itself works: warn and carry on.
    m_registered = registerSimulator(slave, m_options.linkPath, error);
    if (!m_registered && !m_options.quiet)
        std::fprintf(stderr, "marlix-printer-sim: registry: %s\n", qPrintable(*error));
    announce();
    m_server->setBusy(m_options.busy);
    if (m_network)
        m_network->setBusy(m_options.busy);
    // The operator's answers are asked for: they are printed even with --quiet.
    m_operator = std::make_unique<OperatorInput>(*m_printer, [](const QString &line) {
        std::fprintf(stderr, "marlix-printer-sim: %s\n", qPrintable(line));
        std::fflush(stderr);
    });
    m_operator->start(STDIN_FILENO);
    return true;
}

void Simulator::announce()
{
    std::fprintf(stdout, "%s\n", QFile::encodeName(m_slave).constData());
    // The pty stays first: whoever reads only the first line keeps working.
    if (m_network)
        std::fprintf(stdout, "%s\n", qPrintable(m_network->portName()));
    std::fflush(stdout);
    if (!m_options.quiet) {
        std::fprintf(stderr, "marlix-printer-sim: serving %s%s, identity \"%s\"%s, paper %lld mm (near end below %lld mm); "
                             "operator actions on standard input, help lists them\n",
                     QFile::encodeName(m_slave).constData(),
                     m_options.linkPath.isEmpty() ? "" : qPrintable(QStringLiteral(" (link %1)").arg(m_options.linkPath)),
                     qPrintable(MacroStore::displayName(m_options.identity)),
                     m_printer->macros().hasExtendedStore() ? ", extended store" : "",
                     static_cast<long long>(m_options.paperLengthMm), static_cast<long long>(m_options.nearEndMm));
    }
    if (m_network)
        m_server->log(QStringLiteral("network printer on %1").arg(m_network->portName()));
}

void Simulator::toggleBusy()
{
    m_server->setBusy(!m_server->isBusy());
    if (m_network)
        m_network->setBusy(m_server->isBusy());
}

int Simulator::finish()
{
    int status = 0;
    if (m_printer->state().waiting > 0)
        m_server->log(SharedWords::stoppedWaiting(m_printer->state().waiting));
    else if (const QString waiting = (m_receipts ? m_receipts->interpreter() : *m_unseen).waitingWords(); !waiting.isEmpty())
        m_server->log(SharedWords::endOfInput(waiting));
    if (m_receipts) {
        for (const QString &line : m_receipts->finish())
            m_server->log(line);
        if (m_receipts->checkFailed())
            status = 1;
        else if (m_receipts->differing() > 0)
            status = 4; // as marlix-run --expect
    }
    return status;
}
