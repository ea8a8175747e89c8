#pragma once
// The traffic log: every display text, as the same bytes, appended to a file.
#include "terminal/Session.h"

class TrafficLog final : public LogSink {
public:
    explicit TrafficLog(Session &session);
    ~TrafficLog() override;
    void MOpenLog_Click();
    void MCloseLog_Click();
    bool isOpen() const override;
    void WriteLog(const QByteArray &text) override;

private:
    Session &m_s;
};
