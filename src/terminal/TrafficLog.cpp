#include "terminal/TrafficLog.h"

TrafficLog::TrafficLog(Session &session) : m_s(session) {}
TrafficLog::~TrafficLog() = default;
void TrafficLog::MOpenLog_Click() {}
void TrafficLog::MCloseLog_Click() {}
bool TrafficLog::isOpen() const { return false; }
void TrafficLog::WriteLog(const QByteArray &) {}
