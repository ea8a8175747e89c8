#include "macros/MacroController.h"

#include "terminal/Session.h"

MacroController::MacroController(Session &session, std::function<void()> showMacroWindow)
    : m_s(session), m_showMacroWindow(std::move(showMacroWindow))
{
}

void MacroController::DoMacros_Click() {}
void MacroController::DoneMacro() {}
