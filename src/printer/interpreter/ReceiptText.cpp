// Text and modes: the commands that set how characters print and move the
// paper, and the printer's own commands that print nothing (cuts aside).
#include "printer/interpreter/ReceiptInterpreter.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"

namespace {
using namespace ControlBytes;

using PrinterCommands::smallChoice;
} // namespace

bool ReceiptInterpreter::runTextCommand(quint8 introducer, quint8 c)
{
    const quint8 n = m_cmd.size() > 2 ? quint8(m_cmd[2]) : 0;
    const auto word = [this](int at) { return quint8(m_cmd[at]) + 256 * quint8(m_cmd[at + 1]); };
    TextStyle &style = m_modes.style;
    if (introducer == GS) {
        switch (c) {
        case '!': {
            const int width = (n >> 4) + 1;
            const int height = (n & 0x0F) + 1;
            if (width <= 8 && height <= 8) {
                style.width = quint8(width);
                style.height = quint8(height);
            } else {
                ignoredParameter();
            }
            return true;
        }
        case 'B':
            style.reverse = n & 1;
            return true;
        case 'L':
            m_modes.leftMargin = word(2);
            return true;
        case 'W':
            m_modes.printWidth = word(2);
            return true;
        default:
            return false;
        }
    }
    if (introducer != ESC)
        return false;
    switch (c) {
    case '@':
        initialize();
        touch();
        return true;
    case 'V': // 90 degree rotation of the characters
        if (const int value = smallChoice(n, 3); value >= 0)
            m_modes.rotated = value > 0;
        else
            ignoredParameter();
        return true;
    case '{': // upside-down: taken by the line being started
        m_modes.upsideDown = n & 1;
        return true;
    case '2':
        m_modes.lineSpacing = 30;
        return true;
    case '!':
        style.font = (n & 0x01) ? PrinterFont::B : PrinterFont::A;
        m_modes.emphasized = n & 0x08;
        style.height = (n & 0x10) ? 2 : 1;
        style.width = (n & 0x20) ? 2 : 1;
        style.underline = (n & 0x80) ? 1 : 0;
        return true;
    case 'E':
        m_modes.emphasized = n & 1;
        return true;
    case 'G':
        m_modes.doubleStrike = n & 1;
        return true;
    case '-':
        if (const int value = smallChoice(n, 3); value >= 0)
            style.underline = quint8(value);
        else
            ignoredParameter();
        return true;
    case 'M':
        if (const int value = smallChoice(n, 2); value >= 0)
            style.font = value ? PrinterFont::B : PrinterFont::A;
        else
            ignoredParameter();
        return true;
    case 'a':
        if (const int value = smallChoice(n, 3); value >= 0)
            m_modes.justify = value;
        else
            ignoredParameter();
        return true;
    case ' ':
        style.spacing = n;
        return true;
    case '3':
        m_modes.lineSpacing = n;
        return true;
    case 'd':
        printLine(true, n, m_at + 1, true);
        return true;
    case 'J':
        printLine(false, n, m_at + 1, true);
        return true;
    default:
        return false;
    }
}

bool ReceiptInterpreter::runPrinterCommand(quint8 introducer, quint8 c)
{
    switch (introducer) {
    case ESC:
        if (c == 'i' || c == 'm') {
            cut(CutKind::Partial, 0);
        } else if (c == 'B') { // beeper: n times, t x 50 ms
            if (m_cmd[2] != 0)
                event(ReceiptEvent::Kind::Beep, 0, false);
        } else if (c == 'p') { // drawer kick: pin 2 is drawer 1, pin 5 drawer 2
            event(ReceiptEvent::Kind::DrawerPulse, smallChoice(quint8(m_cmd[2]), 2) == 1 ? 2 : 1, false);
        } else if (c != 'g') { // ESC g: a macro recording, which the macro store acts on
            return false;
        }
        return true;
    case GS:
        if (c == 'V') {
            const quint8 m = m_cmd[2];
            if (m == 0x41 || m == 0x42)
                cut(m == 0x41 ? CutKind::Full : CutKind::Partial, quint8(m_cmd[3]));
            else
                cut((m & 1) ? CutKind::Partial : CutKind::Full, 0);
        } else if (c == 'I' || c == 'a' || c == 'r') {
            if (m_requestHandler)
                m_requestHandler(m_cmd);
        } else {
            return false;
        }
        return true;
    case DLE: // real-time requests: answered by the printer as they arrive, nothing printed
        if (c == 0x14 && quint8(m_cmd[2]) == 1)
            event(ReceiptEvent::Kind::DrawerPulse, smallChoice(quint8(m_cmd[3]), 2) == 1 ? 2 : 1, true);
        return true;
    case FS: // the condition request: nothing printed
        return c == 0x05;
    default:
        return false;
    }
}
