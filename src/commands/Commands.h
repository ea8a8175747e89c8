#pragma once
// Send Command (with history, Auto Query and Loop) and Get Response.
class Session;

class Commands {
public:
    explicit Commands(Session &session);
    void SendCommand_Click();
    void LoopButton_Click();
    void Getresp_Click();

private:
    Session &m_s;
};
