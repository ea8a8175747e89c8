#pragma once
// Macro mode: the identity check on entry, the port held open, and the exit.
#include <functional>

class Session;

class MacroController {
public:
    // showMacroWindow creates the macro window on first use and shows it modeless.
    MacroController(Session &session, std::function<void()> showMacroWindow);
    void DoMacros_Click();
    void DoneMacro();

private:
    Session &m_s;
    std::function<void()> m_showMacroWindow;
};
