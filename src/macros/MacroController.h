#pragma once
// Macro mode: the identity check on entry, the port held open, and the exit.
#include <functional>

class Session;

class MacroController {
public:
    // showMacroWindow creates the macro window on first use and shows it modeless.
    MacroController(Session &session, std::function<void()> showMacroWindow);

    // "Program" in the Macros menu: open and hold the port, ask the printer
    // who it is, and open the macro window for a model that has macros.
    void DoMacros_Click();
    // Leaves macro mode; called when the macro window unloads.
    void DoneMacro();

private:
    void refuse();

    Session &m_s;
    std::function<void()> m_showMacroWindow;
};
