#include "session/PrinterStation.h"

#include "session/PaperFeed.h"
#include "session/PaperSettings.h"
#include "session/PassThroughWatch.h"
#include "session/PortHub.h"
#include "session/Session.h"
#include "session/TrafficLog.h"

PrinterStation::PrinterStation(POSPrinter *port, Parts parts, bool withPaper, QObject *parent)
    : QObject(parent),
      m_hub(std::make_unique<PortHub>(port, &PaperSettings::apply, withPaper)),
      m_words(std::move(parts.words))
{
    connect(m_hub.get(), &PortHub::status, this, &PrinterStation::portNote);
    connect(m_hub.get(), &PortHub::paperMoved, this, &PrinterStation::paperMoved);
    m_session = std::make_unique<Session>(m_hub->port(), parts.op, parts.pump, parts.view);
    m_log = std::make_unique<TrafficLog>(*m_session);
    m_session->setLogSink(m_log.get());
    m_pass = std::make_unique<PassThroughWatch>(*m_session, *m_words);
    connect(m_pass.get(), &PassThroughWatch::statusChanged, this,
            [this](const QString &text) { emit status(text, true); });
    connect(m_pass.get(), &PassThroughWatch::connectedChanged, this, &PrinterStation::setProgramConnected);
}

PrinterStation::~PrinterStation()
{
    // Its last word (a client let go) would reach a face half gone.
    m_pass->disconnect(this);
    m_pass.reset();
    m_session->setLogSink(nullptr);
}

POSPrinter &PrinterStation::port() { return m_hub->port(); }
AnyPOSPrinter *PrinterStation::ownPort() { return m_hub->ownPort(); }
PaperFeed &PrinterStation::paperFeed() { return m_hub->feed(); }
ReceiptInterpreter &PrinterStation::printedPaper() { return m_hub->feed().printedPaper(); }

VirtualPrinter *PrinterStation::ensureBuiltInPrinter()
{
    return m_hub->ensureBuiltInPrinterFor(m_session->link.vars.CommPort);
}

QString PrinterStation::serve(const QString &listen)
{
    return m_pass->serve(listen);
}

void PrinterStation::portNote(const QString &note)
{
    // A port reopened or lost under a program held back must not hide why it waits.
    const QString shown = m_pass ? m_pass->withPortNote(note) : note;
    emit status(shown, shown != note);
}

PrinterStation::Refusal PrinterStation::mayUse(PortUse use) const
{
    if (m_programConnected)
        return Refusal::ProgramConnected;
    // A script run leaves the window live; a command sent, a loop started or
    // a reply read then would take the script's queued bytes or close its port.
    if (use == PortUse::Command && m_scriptUses > 0)
        return Refusal::ScriptRunning;
    return Refusal::None;
}

bool PrinterStation::takePort(PortUse use)
{
    if (use == PortUse::Macro || mayUse(use) != Refusal::None)
        return false;
    const PortUser before = portUser();
    ++m_windowUses;
    if (use == PortUse::Script)
        ++m_scriptUses;
    leaseChanged(before);
    return true;
}

void PrinterStation::givePort(PortUse use)
{
    if (m_windowUses == 0 || use == PortUse::Macro)
        return;
    const PortUser before = portUser();
    --m_windowUses;
    if (use == PortUse::Script && m_scriptUses > 0)
        --m_scriptUses;
    leaseChanged(before);
}

PrinterStation::PortUser PrinterStation::portUser() const
{
    // A program that connected during the window's operation waits for it.
    if (m_windowUses > 0)
        return PortUser::Window;
    return m_programConnected ? PortUser::Program : PortUser::Nobody;
}

void PrinterStation::setProgramConnected(bool connected)
{
    const PortUser before = portUser();
    m_programConnected = connected;
    emit programConnectedChanged(connected);
    leaseChanged(before);
}

void PrinterStation::leaseChanged(PortUser before)
{
    const PortUser now = portUser();
    if (now == before)
        return;
    // A command, loop or script started before a program connected finishes
    // first: its bytes and the program's never mix on the printer.
    m_pass->setHeld(now == PortUser::Window);
    emit portUserChanged(now);
}
