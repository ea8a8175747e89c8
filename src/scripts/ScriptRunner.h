#pragma once
// Demonstration files from the main window: the "..." button, the recent-script
// list and Send Script, which prepares the port and plays the file.
#include "scripts/ScriptInterpreter.h"

#include <QString>
#include <functional>

class Session;
class PauseView;

class ScriptRunner {
public:
    // getResponse runs the Get Response operation (GET1284). status shows a
    // short note in the main window's status line ("" clears it).
    ScriptRunner(Session &session, PauseView &pause, std::function<void()> getResponse,
                 std::function<void(const QString &)> status = {});
    void GetFileName_Click();
    // False when nothing was played: no file named, a run already going, or
    // a file that could not be opened (the operator has been told).
    bool SendScript_Click();
    void RunScript(const QString &scriptName) { m_interpreter.RunScript(scriptName); }

    bool running() const { return m_running; }
    ScriptInterpreter &interpreter() { return m_interpreter; }

    static const QString kDialogTitle;
    static const QString kDialogFilter;
    static const QString kBusyNote;

private:
    Session &m_s;
    ScriptInterpreter m_interpreter;
    std::function<void(const QString &)> m_status;
    bool m_running = false;
    bool m_toldBusy = false;
};
