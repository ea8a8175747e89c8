#include "link/Link.h"

#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "link/PortNames.h"
#include "link/TerminalView.h"

#include <algorithm>

Link::Link(POSPrinter &port, Operator &op, EventPump &pump, TerminalView &view)
    : m_port(port), m_op(op), m_pump(pump), m_view(view)
{
    m_timer.setInterval(kIdleIntervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Timer1_Timer(); });
    m_timer.start();
}

QString Link::BuildPortMode() const
{
    return buildPortMode(vars);
}

QString buildPortMode(const LinkVariables &vars)
{
    return QStringLiteral("baud=") + vars.CommBaud + QStringLiteral(" parity=") + vars.CommParity
        + QStringLiteral(" data=") + vars.CommDataBits + QStringLiteral(" stop=")
        + vars.CommStopBits;
}

void Link::OpenWithSettings()
{
    if (ShuttingDown)
        return; // the window has closed; an operation still unwinding must not reopen the port
    m_port.OpenPort(vars.CommPort, BuildPortMode());
    m_port.SetFlowControl(vars.CommFlow);
}

void Link::OpenOnDemand()
{
    if (ShuttingDown)
        return;
    ClosePending = false;
    // Restart so that the next tick comes a full interval after this operation.
    m_timer.stop();
    m_timer.start();
    OpenWithSettings();
}

void Link::Timer1_Timer()
{
    // A script run holds the port even when a key or Break in between set ClosePending.
    if (ClosePending && !MacroMode && !ScriptRunning)
        m_port.ClosePort();
    ClosePending = false;
}

void Link::FlushOutput()
{
    // This call's bytes. Events are served between refused writes, and a send
    // run there uses OutBuffer for its own bytes; working on a copy keeps both
    // whole.
    QByteArray pending = OutBuffer;
    for (;;) {
        qsizetype remaining = pending.size();
        int tries = kFlushTries;
        long ok = 0;
        while (remaining >= 1 && tries >= 1) {
            if (ShuttingDown)
                break;
            ok = m_port.WriteData(pending, static_cast<long>(remaining));
            // A component that claims more than it was offered must not make
            // us skip bytes that never went out.
            qsizetype sent = std::clamp<qsizetype>(m_port.GetWriteCount(), 0, remaining);
            if (ok == 0 || sent == 0) {
                m_pump.serveEvents();
                m_pump.sleepMs(100);
                --tries;
            }
            remaining -= sent;
            if (remaining == 0)
                break;
            pending = pending.mid(sent);
        }
        if ((ok != 0 && remaining == 0) || ShuttingDown) {
            // Also when the program is ending: nobody is left to answer.
            OutBuffer.clear();
            return;
        }
        // Where the port can tell why (the built-in printer is out of paper),
        // that goes first: the operator may put it right before pressing OK.
        const QString why = m_port.refusalReason();
        const QString unable = QStringLiteral("Unable to output data. Press OK to continue.");
        const Msg::Answer answer = m_op.printerMessage(why.isEmpty() ? unable : why + QLatin1Char('\n') + unable,
                                                       Msg::Buttons::OkCancel);
        if (remaining == 0) {
            OutBuffer.clear();
            return;
        }
        if (answer != Msg::Answer::Ok) {
            OutBuffer = pending; // the unsent rest stays for the caller to see
            abandonUnreachable();
            return;
        }
        // A printer that is back (a restarted simulator, a replugged adapter)
        // gets the rest only once its port is open again; a busy printer's
        // port is still open and is left alone.
        if (m_port.LinkDown())
            OpenWithSettings();
    }
}

void Link::abandonUnreachable()
{
    // Only a port that cannot be opened makes the operator's Cancel end the
    // whole run or loop: otherwise every further line would fail in turn.
    if (!m_port.LinkDown() || (!ScriptRunning && !Looping))
        return;
    const QString what = ScriptRunning ? QStringLiteral("the script was ended")
                                       : QStringLiteral("the command loop was ended");
    RunAbandoned = true;
    Looping = false;
    m_view.setStatusText(shownPortName(vars.CommPort) + QStringLiteral(": the port is not open, so ") + what);
}

QString shownPortName(const QString &name)
{
    // A listed entry is shown with four blanks in place of each TAB.
    const QString bare = name.section(QLatin1Char('\t'), 0, 0).section(QStringLiteral("    "), 0, 0).trimmed();
    if (bare.compare(QLatin1String(kVirtualPortName), Qt::CaseInsensitive) == 0)
        return QLatin1String(kVirtualPortShown);
    return bare;
}

void Link::Send_Info(const QByteArray &info, qint16 lng)
{
    if (vars.PortOpen)
        m_port.WriteData(info, lng);
}

QByteArray Link::Get_Info()
{
    QByteArray all;
    for (;;) {
        const QByteArray piece = m_port.ReadInput(1);
        if (piece.isEmpty())
            return all;
        all += piece;
    }
}

bool isSerialPortName(const QString &name)
{
    // A USB printer (/dev/usb/lp0) and a network printer have no baud rate and no break.
    return hasLineSettings(name);
}

void Link::DispPort()
{
    if (isSerialPortName(vars.CommPort)) {
        m_view.setCurPort(vars.CommPort + QLatin1Char(' ') + vars.CommBaud);
        m_view.setBreakEnabled(true);
    } else {
        m_view.setCurPort(shownPortName(vars.CommPort) == QLatin1String(kVirtualPortShown) ? QLatin1String(kVirtualPortShown)
                                                                                          : vars.CommPort);
        m_view.setBreakEnabled(false);
    }
}

void Link::DoBreak_Click()
{
    ClosePending = false;
    Looping = false; // a running command loop stops after its pass
    m_timer.stop();
    m_timer.start();
    OpenWithSettings();
    m_view.setBreakCaption(QStringLiteral("Wait"));
    m_port.SetBreak(1, QStringLiteral(" "));
    m_pump.sleepMs(1000);
    m_port.SetBreak(2, QStringLiteral(" "));
    m_view.setBreakCaption(QStringLiteral("Break"));
    m_pump.serveEvents();
    ClosePending = true;
}

void Link::ReleaseHeldPort()
{
    if (!vars.PortOpen)
        return;
    m_op.message(QStringLiteral("Closing Communication Port"));
    m_port.ClosePort();
    vars.PortOpen = false;
}
