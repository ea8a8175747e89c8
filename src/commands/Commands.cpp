#include "commands/Commands.h"

#include "terminal/Session.h"

Commands::Commands(Session &session) : m_s(session) {}

void Commands::SendCommand_Click() {}
void Commands::LoopButton_Click() {}
void Commands::Getresp_Click() {}
