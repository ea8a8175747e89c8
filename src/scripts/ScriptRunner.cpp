#include "scripts/ScriptRunner.h"

#include "scripts/PauseView.h"
#include "terminal/Session.h"

ScriptRunner::ScriptRunner(Session &session, PauseView &pause, std::function<void()> getResponse)
    : m_s(session), m_pause(pause), m_getResponse(std::move(getResponse))
{
}

void ScriptRunner::GetFileName_Click() {}
void ScriptRunner::SendScript_Click() {}
void ScriptRunner::RunScript(const QString &) {}
