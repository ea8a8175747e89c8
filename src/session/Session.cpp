#include "session/Session.h"

#include "link/EventPump.h"
#include "link/TerminalView.h"

Session::Session(POSPrinter &port_, Operator &op_, EventPump &pump_, TerminalView &view_)
    : port(port_), op(op_), pump(pump_), view(view_), link(port_, op_, pump_, view_)
{
}

void Session::AppendToTerm(const QByteArray &text)
{
    view.appendToDisplay(text);
    // Logged before events are served: a handler run there may show text of
    // its own, and the log must keep the display's order.
    if (m_log && m_log->isOpen() && !text.isEmpty())
        m_log->WriteLog(text);
    pump.serveEvents();
}

void Session::showWithoutServing(const QByteArray &text)
{
    view.appendToDisplay(text);
    if (m_log && m_log->isOpen() && !text.isEmpty())
        m_log->WriteLog(text);
}
