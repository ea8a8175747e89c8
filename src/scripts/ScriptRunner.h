#pragma once
// Demonstration files: the script runner buttons and the interpreter.
#include <QString>
#include <functional>

class Session;
class PauseView;

class ScriptRunner {
public:
    // getResponse runs the Get Response operation (GET1284).
    ScriptRunner(Session &session, PauseView &pause, std::function<void()> getResponse);
    void GetFileName_Click();
    void SendScript_Click();
    void RunScript(const QString &scriptName);

private:
    Session &m_s;
    PauseView &m_pause;
    std::function<void()> m_getResponse;
};
