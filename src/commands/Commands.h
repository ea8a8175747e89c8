#pragma once
// Send Command (with history, Auto Query and Loop) and Get Response.
#include <QByteArray>
#include <QString>

class Session;

class Commands {
public:
    // Waits that give the printer time to answer before its reply is read.
    static constexpr int kAutoQueryWaitMs = 100;
    static constexpr int kLoopWaitMs = 200;

    explicit Commands(Session &session);

    // Converts the command box's text, echoes it, sends it in one piece,
    // keeps it in the history and, with Auto Query, reads the reply.
    void SendCommand_Click();
    // Send and read again and again until Break clears Looping.
    void LoopButton_Click();
    // Reads the reply until the printer falls silent, shows it, decodes a
    // status reply; opens and closes the port itself.
    void Getresp_Click();

    static constexpr const char *kNoResponse = "** No Responce**";

private:
    // The command text as bytes; false when it holds a character that is no single byte.
    static bool commandBytes(const QString &text, QByteArray &bytes);
    void rememberCommand(const QString &text);

    Session &m_s;
};
