#include "macros/MacroController.h"

#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "macros/Identity.h"
#include "session/Session.h"
#include "link/TerminalView.h"

namespace {
// Time the printer is given to answer the identity query.
constexpr int kIdentityWaitMs = 200;
} // namespace

MacroController::MacroController(Session &session, std::function<void()> showMacroWindow)
    : m_s(session), m_showMacroWindow(std::move(showMacroWindow))
{
}

void MacroController::DoMacros_Click()
{
    Link &link = m_s.link;
    link.ClosePending = false;
    // Held open for the whole of macro mode, so the idle timer is not restarted.
    link.OpenWithSettings();
    link.vars.PortOpen = true;
    link.Get_Info(); // whatever was left over is not the answer

    const QByteArray query = Identity::query();
    link.Send_Info(query, qint16(query.size()));
    m_s.pump.sleepMs(kIdentityWaitMs);
    const QByteArray reply = link.Get_Info();

    link.HasExtendedStore = false;
    const std::optional<Identity::Model> model = Identity::parseIdentityReply(reply);
    if (!model) {
        refuse();
        return;
    }
    link.HasExtendedStore = Identity::hasExtendedStore(*model);
    m_s.view.setGetrespEnabled(false);
    link.MacroMode = true;
    if (m_showMacroWindow)
        m_showMacroWindow();
}

void MacroController::refuse()
{
    m_s.port.ClosePort();
    m_s.link.vars.PortOpen = false;
    // MacroMode keeps its value: a macro window already open stays in charge of it.
    m_s.op.message(QStringLiteral("This product or emulation is not compatable with RvOS Macros"));
}

void MacroController::DoneMacro()
{
    Link &link = m_s.link;
    link.ClosePending = true;
    if (link.vars.PortOpen) {
        m_s.port.ClosePort();
        link.vars.PortOpen = false;
    }
    link.MacroMode = false;
    m_s.view.setGetrespEnabled(true);
}
