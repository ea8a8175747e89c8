#include "commands/Commands.h"

#include "commands/Notation.h"
#include "commands/StatusDecoder.h"
#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "session/Session.h"
#include "link/TerminalView.h"

namespace {
// A reply's first byte may take a while; once the printer talks, a short
// silence ends the reply.
constexpr long kFirstByteWaitMs = 1000;
constexpr long kFirstByteGapMs = 100;
constexpr long kNextByteWaitMs = 10;
constexpr long kNextByteGapMs = 10;
} // namespace

Commands::Commands(Session &session) : m_s(session) {}

bool Commands::commandBytes(const QString &text, QByteArray &bytes)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    bytes = text.toLatin1();
    return true;
}

void Commands::rememberCommand(const QString &text)
{
    QStringList history = m_s.view.commandList();
    history.removeOne(text); // the first equal entry; compared exactly
    history.prepend(text);
    m_s.view.setCommandList(history, text);
}

void Commands::SendCommand_Click()
{
    Link &link = m_s.link;
    link.OutBuffer.clear();
    if (!link.MacroMode)
        link.OpenOnDemand();

    const QString text = m_s.view.commandText();
    QByteArray rest;
    if (!text.isEmpty() && !commandBytes(text, rest)) {
        // Such a character cannot be one byte; sending a guess would be a byte nobody typed.
        m_s.op.message(QStringLiteral("The command contains a character that is not a single-byte "
                                      "(Latin-1) character. Nothing was sent."),
                       Msg::Buttons::Ok, Msg::Icon::Exclamation);
        rest.clear();
    } else if (!text.isEmpty()) {
        rememberCommand(text);
        m_s.AppendToTerm("\r\n");
        // Built apart from OutBuffer: the echo serves events, and a handler run
        // there (another send, a script) must not mix its bytes into this command.
        QByteArray command;
        while (!rest.isEmpty()) {
            const quint8 b = Notation::NextCommandByte(rest, m_s.op);
            command += static_cast<char>(b);
            m_s.AppendToTerm(Notation::EchoText(b));
        }
        link.OutBuffer = command;
    }

    if (!link.OutBuffer.isEmpty())
        link.FlushOutput();
    if (m_s.view.autoQueryChecked() && !link.RunAbandoned) {
        m_s.pump.sleepMs(kAutoQueryWaitMs);
        m_s.port.ClosePort();
        Getresp_Click();
    }
    m_s.view.focusIndata();
    if (!link.MacroMode)
        link.ClosePending = true;
}

void Commands::LoopButton_Click()
{
    Link &link = m_s.link;
    link.Looping = true;
    link.RunAbandoned = false;
    // The loop can always be stopped, whatever the port display decided.
    m_s.view.setBreakEnabled(true);
    do {
        SendCommand_Click();
        if (link.RunAbandoned)
            break; // the printer cannot be reached; the status line says so
        m_s.pump.sleepMs(kLoopWaitMs);
        m_s.pump.serveEvents(); // a click on Break lands here or inside the pass
        Getresp_Click();
    } while (link.Looping);
    link.RunAbandoned = false;
}

void Commands::Getresp_Click()
{
    Link &link = m_s.link;
    POSPrinter &port = m_s.port;
    link.OpenOnDemand();

    port.SetReadTiming(kFirstByteWaitMs, kFirstByteGapMs);
    QByteArray piece = port.ReadInput(1);
    port.SetReadTiming(kNextByteWaitMs, kNextByteGapMs);

    if (piece.isEmpty()) {
        m_s.AppendToTerm(QByteArray("\r\n") + kNoResponse + "\r\n");
    } else {
        m_s.AppendToTerm("\r\n");
        // Only the first two bytes are decoded; the rest is shown and dropped.
        QByteArray head;
        while (!piece.isEmpty()) {
            for (const char c : piece) {
                if (head.size() < 2)
                    head += c;
                // The mode is read per byte: the operator may switch it meanwhile.
                m_s.AppendToTerm(StatusDecoder::ReceivedByteText(static_cast<quint8>(c),
                                                                 m_s.view.displayMode()));
            }
            m_s.pump.serveEvents();
            // No fixed wait: the short read timing alone ends the reply.
            piece = port.ReadInput(1);
        }
        const QByteArray message = StatusDecoder::StatusMessage(head);
        if (!message.isEmpty())
            m_s.AppendToTerm("\r\n" + message + "\r\n");
    }
    m_s.pump.serveEvents();
    m_s.view.focusIndata();
    port.ClosePort();
    if (!link.MacroMode)
        link.ClosePending = true;
}
