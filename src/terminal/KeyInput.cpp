#include "terminal/KeyInput.h"

#include "commands/Notation.h"
#include "link/POSPrinter.h"
#include "session/Session.h"
#include "link/TerminalView.h"

KeyInput::KeyInput(Session &session) : m_s(session) {}

void KeyInput::Indata_KeyPress(int keyCode)
{
    if (keyCode < 0 || keyCode > 255)
        return; // no single byte stands for it
    m_pending.enqueue(static_cast<quint8>(keyCode));
    if (m_busy)
        return; // the outer call handles it once the current key is done
    m_busy = true;
    while (!m_pending.isEmpty())
        handleKey(m_pending.dequeue());
    m_busy = false;
}

void KeyInput::handleKey(quint8 k)
{
    Link &link = m_s.link;
    if (!link.MacroMode)
        link.OpenOnDemand();

    // Enter sends CR LF and the line feed key LF CR. Both bytes go out before
    // the echo serves events, so nothing can come between them.
    QByteArray bytes(1, static_cast<char>(k));
    QByteArray echo = Notation::EchoName(k);
    if (k == 10) {
        bytes += '\r';
        echo += "[CR]\r\n";
    } else if (k == 13) {
        bytes += '\n';
        echo += "[LF]\r\n";
    }
    // Keys bypass FlushOutput: a byte the port does not take is lost silently.
    for (const char b : bytes)
        m_s.port.WriteData(QByteArray(1, b), 1);

    // Emptied before the echo serves events, so a key typed meanwhile stays in the box.
    if (k == 13)
        m_s.view.clearIndata();
    m_s.AppendToTerm(echo);
    if (!link.MacroMode)
        link.ClosePending = true;
}
