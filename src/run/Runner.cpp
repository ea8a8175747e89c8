#include "run/Runner.h"

#include "commands/Commands.h"
#include "commands/PassThroughText.h"
#include "run/RunReceipts.h"
#include "run/RunnerPort.h"
#include "link/AnyPOSPrinter.h"
#include "scripts/ScriptRunner.h"
#include "session/PassThroughWatch.h"
#include "session/PrinterStation.h"
#include "session/QuitSignals.h"
#include "session/Session.h"
#include "session/SharedWords.h"
#include "session/TrafficLog.h"

#include <QDir>
#include <QEventLoop>
#include <QIODevice>

#include <csignal>

namespace {
QString signalName(int signo)
{
    switch (signo) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    default: return QStringLiteral("signal %1").arg(signo);
    }
}
} // namespace

Runner::Runner(const RunOptions &options, QIODevice &out, QIODevice &err, bool errIsTerminal)
    : m_options(options),
      m_err(err),
      m_op([this](const QString &text) { tell(text); }, [this] { end(RunExit::kFailed); }),
      m_view(out, m_options,
             [this](const QString &text) {
                 tell(text);
                 m_failed = true;
             }),
      m_pause(err, errIsTerminal)
{
    m_view.onStatus = [this](const QString &text) { note(text); };
}

Runner::~Runner()
{
    // The operations hold references into the session; they go first.
    m_scripts.reset();
    m_commands.reset();
    m_station.reset(); // the built-in printer prints on the receipts' paper
    m_receipts.reset();
}

void Runner::tell(const QString &text)
{
    m_err.write(consoleLine(text));
}

void Runner::note(const QString &status)
{
    // The port repeats its note at every opening; the status line would show it once.
    if (status == m_lastNote)
        return;
    m_lastNote = status;
    if (!status.isEmpty())
        tell(status);
}

void Runner::end(int status)
{
    if (m_endStatus < 0)
        m_endStatus = status;
    m_view.endRun();
    if (m_serving)
        m_serving->quit();
    if (m_station) {
        // The core's own way to wind down: no reopening, no retries, no questions.
        m_station->session().link.ShuttingDown = true;
        m_station->session().link.Looping = false;
    }
}

int Runner::run()
{
    QuitSignals quit([this](int signo) {
        tell(QStringLiteral("stopped by %1").arg(signalName(signo)));
        end(RunExit::kSignalBase + signo);
    });

    QString failure;
    // A folder that cannot be made is known before anything is sent.
    if (!m_options.receiptsDir.isEmpty() || m_options.decode) {
        m_receipts = std::make_unique<RunReceipts>([this](const QString &line) { tell(line); });
        if (!m_receipts->open(m_options.receiptsDir, m_options.decode, &failure)
            || (!m_options.expectDir.isEmpty()
                && !m_receipts->setBaseline(m_options.expectDir, m_options.update, m_options.junitFile, &failure))) {
            tell(failure);
            return RunExit::kFailed;
        }
    }
    if (m_receipts) {
        m_receipts->setTwoByteEncoding(m_options.cjk);
        m_receipts->setPaperWidth(m_options.paperWidthDots);
    }
    m_station = std::make_unique<PrinterStation>(
        nullptr, PrinterStation::Parts{m_op, m_pump, m_view, std::make_unique<PassThroughText>()}, false);
    if (!openRunnerPort(*m_station->ownPort(), m_options, [this](const QString &status) { note(status); },
                        m_receipts.get(), &failure)) {
        tell(failure);
        return RunExit::kNoPort;
    }
    Session &session = m_station->session();
    POSPrinter &port = m_station->port();
    TrafficLog &log = m_station->log();
    session.link.vars = m_options.link;
    session.StartDir = QDir::currentPath();
    m_commands = std::make_unique<Commands>(session);
    m_scripts = std::make_unique<ScriptRunner>(session, m_pause, [this] { m_commands->Getresp_Click(); });

    if (!m_options.logFile.isEmpty()) {
        const QString problem = log.openForAppend(m_options.logFile);
        if (!problem.isEmpty()) {
            tell(QStringLiteral("cannot open the log %1: %2").arg(m_options.logFile, problem));
            port.ClosePort();
            return RunExit::kFailed;
        }
    }

    if (!m_options.passThrough.isEmpty()) {
        if (!servePassThrough())
            end(RunExit::kFailed);
        else if (m_endStatus >= RunExit::kSignalBase)
            m_endStatus = -1; // the way a pass-through ends: the run's own outcome counts
    }
    for (const RunItem &item : std::as_const(m_options.items)) {
        m_pump.serveEvents(); // a signal that came between two items
        if (m_endStatus >= 0)
            break;
        play(item);
    }

    port.ClosePort();
    // A command cut short by the end of the input prints nothing of its data.
    if (const QString waiting = waitingAtEnd(port, m_receipts.get()); !waiting.isEmpty())
        tell(SharedWords::endOfInput(waiting));
    if (log.isOpen())
        log.MCloseLog_Click();
    if (m_receipts) {
        // A receipt asked for and not saved fails the run: a check in CI
        // must not pass on a file that is not there.
        m_receipts->finish();
        if (m_receipts->unsaved() > 0 || m_receipts->checkFailed())
            m_failed = true;
    }
    if (m_endStatus >= 0)
        return m_endStatus;
    if (m_failed || m_op.failed())
        return RunExit::kFailed;
    // A run that went wrong says so first; a receipt that differs is the check's answer.
    return m_receipts && m_receipts->differing() > 0 ? RunExit::kDiffers : RunExit::kDone;
}

void Runner::play(const RunItem &item)
{
    switch (item.kind) {
    case RunItem::Command:
        m_view.setCommandText(item.text);
        m_commands->SendCommand_Click();
        break;
    case RunItem::GetResponse:
        m_commands->Getresp_Click();
        break;
    case RunItem::File: {
        m_view.setScriptFileText(item.text);
        const int unopened = m_scripts->interpreter().unopenedFiles();
        if (!m_scripts->SendScript_Click())
            end(RunExit::kFailed); // the file itself did not open: nothing was played
        else if (m_scripts->interpreter().unopenedFiles() != unopened)
            m_failed = true; // a DO or GRAPHIC file was skipped
        break;
    }
    }
}

bool Runner::servePassThrough()
{
    // Both directions on standard output, as the window's display shows
    // them, and in the log; who is connected, and what holds it back: a
    // line each, as the status line changes.
    PassThroughWatch &pass = m_station->passThrough();
    QObject::connect(m_station.get(), &PrinterStation::status, [this](const QString &status) { note(status); });
    QObject::connect(m_station.get(), &PrinterStation::programConnectedChanged, [this, &pass](bool connected) {
        if (!connected)
            tell(QStringLiteral("point-of-sale program disconnected (%1)").arg(pass.lastPeer()));
    });
    if (const QString failure = m_station->serve(m_options.passThrough); !failure.isEmpty()) {
        tell(QStringLiteral("cannot serve a point-of-sale program: ") + failure);
        return false;
    }
    QEventLoop loop;
    m_serving = &loop;
    m_pump.serveEvents(); // a quit signal that came before
    if (m_endStatus < 0)
        loop.exec();
    m_serving = nullptr;
    pass.stop();
    return true;
}
