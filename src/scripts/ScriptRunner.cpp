#include "scripts/ScriptRunner.h"

#include "link/Operator.h"
#include "session/Session.h"
#include "link/TerminalView.h"

#include <QFileInfo>

const QString ScriptRunner::kDialogTitle = QStringLiteral("Open Demo File");
const QString ScriptRunner::kDialogFilter =
    QStringLiteral("(*.dmo;*.prn)|*.dmo;*.prn|(*.prn)|*.prn|(*.*)|*.*");
const QString ScriptRunner::kBusyNote =
    QStringLiteral("A script is running: press again when it has ended.");

ScriptRunner::ScriptRunner(Session &session, PauseView &pause, std::function<void()> getResponse,
                           std::function<void(const QString &)> status)
    : m_s(session), m_interpreter(session, pause, std::move(getResponse)), m_status(std::move(status))
{
}

void ScriptRunner::GetFileName_Click()
{
    FileDialogRequest request;
    request.title = kDialogTitle;
    request.filter = kDialogFilter;
    request.mustExist = true;
    // The operator usually wants the file next to the one already chosen.
    const QFileInfo current(m_s.view.scriptFileText());
    if (!current.filePath().isEmpty() && current.isFile())
        request.startFile = current.absoluteFilePath();
    // A cancelled dialog leaves the box as it was.
    if (const std::optional<FileChoice> choice = m_s.op.openFile(request))
        m_s.view.setScriptFileText(choice->fileName);
    m_s.view.focusIndata();
}

bool ScriptRunner::SendScript_Click()
{
    // The window stays live during a run (the display, PAUSE), so the button
    // can be pressed again; a second run inside the first would interleave
    // two files on the printer.
    if (m_running) {
        m_toldBusy = true;
        if (m_status)
            m_status(kBusyNote);
        else
            m_s.op.message(kBusyNote, Msg::Buttons::Ok, Msg::Icon::Information);
        return false;
    }
    const QString chosen = m_s.view.scriptFileText();
    if (chosen.isEmpty()) {
        m_s.op.message(QStringLiteral("You must select a Script File."));
        m_s.view.focusScriptFile();
        return false;
    }
    QStringList recent = m_s.view.scriptList();
    recent.removeOne(chosen); // the first equal entry only; case counts
    recent.prepend(chosen);
    m_s.view.setScriptList(recent, chosen);

    Link &link = m_s.link;
    if (!link.MacroMode)
        link.OpenOnDemand();
    // Running from here on: the line break below already serves events.
    m_running = true;
    link.ScriptRunning = true;
    link.RunAbandoned = false;
    m_s.AppendToTerm(QByteArrayLiteral("\r\n"));
    const bool played = m_interpreter.RunScript(m_s.view.scriptFileText());
    link.ScriptRunning = false;
    link.RunAbandoned = false;
    m_running = false;
    if (m_toldBusy && m_status)
        m_status(QString());
    m_toldBusy = false;

    if (!link.MacroMode)
        link.ClosePending = true;
    return played;
}
