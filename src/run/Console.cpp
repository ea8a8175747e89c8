#include "run/Console.h"

#include "run/RunOptions.h"
#include "session/CommandLineChecks.h"
#include "session/QuitSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

QByteArray consoleLine(const QString &text)
{
    return CommandLineChecks::toolLine(QStringLiteral("marlix-run"), text);
}

QString withoutButtonPrompt(const QString &text)
{
    static const QRegularExpression prompt(QStringLiteral("\\s*Press OK to continue\\.?\\s*$"));
    QString told = text;
    told.remove(prompt);
    return told.isEmpty() ? text : told;
}

// --- ConsoleOperator -----------------------------------------------------------

ConsoleOperator::ConsoleOperator(std::function<void(const QString &)> tell, std::function<void()> giveUp)
    : m_tell(std::move(tell)), m_giveUp(std::move(giveUp))
{
}

Msg::Answer ConsoleOperator::message(const QString &text, Msg::Buttons buttons, Msg::Icon, const QString &)
{
    m_tell(withoutButtonPrompt(text));
    switch (buttons) {
    case Msg::Buttons::Ok:
        return Msg::Answer::Ok;
    case Msg::Buttons::OkCancel:
        m_failed = true;
        m_giveUp();
        return Msg::Answer::Cancel;
    case Msg::Buttons::RetryCancel:
    case Msg::Buttons::YesNoCancel:
        break;
    }
    m_failed = true;
    return Msg::Answer::Cancel;
}

// --- ConsoleView ---------------------------------------------------------------

ConsoleView::ConsoleView(QIODevice &out, const RunOptions &options,
                         std::function<void(const QString &)> writeFailed)
    : m_out(out),
      m_writeFailed(std::move(writeFailed)),
      m_transcript(options.transcript),
      m_autoQuery(options.autoQuery),
      m_mode(options.mode),
      m_packetSize(options.packetSize)
{
}

void ConsoleView::appendToDisplay(const QByteArray &text)
{
    if (text.isEmpty() || m_outputFailed)
        return;
    if (m_out.write(text) != text.size()) {
        // A full disk or a closed reader: the log (if any) still gets the
        // rest, and the run's status will say that something is missing.
        m_outputFailed = true;
        m_writeFailed(QStringLiteral("standard output: %1").arg(m_out.errorString()));
    }
}

void ConsoleView::setCommandList(const QStringList &entries, const QString &text)
{
    m_commands = entries;
    m_command = text;
}

void ConsoleView::setScriptList(const QStringList &entries, const QString &text)
{
    m_scripts = entries;
    m_scriptFile = text;
}

// --- ConsolePump ---------------------------------------------------------------

void ConsolePump::serveEvents()
{
    QCoreApplication::processEvents();
}

void ConsolePump::sleepMs(int ms)
{
    const QDeadlineTimer deadline(std::max(ms, 0));
    while (!deadline.hasExpired()) {
        if (QuitSignals::signalled()) {
            serveEvents(); // the quit handler runs now and ends the run
            return;
        }
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(deadline.remainingTime(), 1, kSliceMs)));
    }
}

// --- ConsolePause --------------------------------------------------------------

void ConsolePause::setCount(int seconds)
{
    if (!m_terminal)
        return;
    const QByteArray count = QStringLiteral("marlix-run: Demo Paused %1").arg(seconds).toLocal8Bit();
    // Blanks over what a longer count left on the line.
    const QByteArray pad(std::max<qsizetype>(0, m_shown - count.size()), ' ');
    m_err.write("\r" + count + pad);
    m_shown = count.size() + pad.size();
}

void ConsolePause::hidePause()
{
    if (!m_terminal || m_shown == 0)
        return;
    m_err.write("\r" + QByteArray(m_shown, ' ') + "\r");
    m_shown = 0;
}
