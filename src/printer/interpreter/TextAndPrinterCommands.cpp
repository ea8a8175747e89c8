// Text and modes: the commands that set how characters print and move the
// paper, and the printer's own commands that print nothing (cuts aside).
#include "printer/interpreter/CommandRouter.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"

namespace {
using namespace ControlBytes;

using PrinterCommands::smallChoice;
} // namespace

bool CommandRouter::runTextCommand(quint8 introducer, quint8 c)
{
    const quint8 n = context.parameter(2);
    const auto word = [this](int at) { return context.word(at); };
    TextStyle &style = context.modes.style;
    if (introducer == GS) {
        switch (c) {
        case '!': {
            const int width = (n >> 4) + 1;
            const int height = (n & 0x0F) + 1;
            if (width <= 8 && height <= 8) {
                style.width = quint8(width);
                style.height = quint8(height);
            } else {
                context.ignoredParameter();
            }
            return true;
        }
        case 'B':
            style.reverse = n & 1;
            return true;
        case 'L':
            context.modes.leftMargin = word(2);
            return true;
        case 'W':
            context.modes.printWidth = word(2);
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
        context.touch();
        return true;
    case 'V': // 90 degree rotation of the characters
        if (const int value = smallChoice(n, 3); value >= 0)
            context.modes.rotated = value > 0;
        else
            context.ignoredParameter();
        return true;
    case '{': // upside-down: taken by the line being started
        context.modes.upsideDown = n & 1;
        return true;
    case '2':
        context.modes.lineSpacing = 30;
        return true;
    case '!':
        style.font = (n & 0x01) ? PrinterFont::B : PrinterFont::A;
        context.modes.emphasized = n & 0x08;
        style.height = (n & 0x10) ? 2 : 1;
        style.width = (n & 0x20) ? 2 : 1;
        style.underline = (n & 0x80) ? 1 : 0;
        return true;
    case 'E':
        context.modes.emphasized = n & 1;
        return true;
    case 'G':
        context.modes.doubleStrike = n & 1;
        return true;
    case '-':
        if (const int value = smallChoice(n, 3); value >= 0)
            style.underline = quint8(value);
        else
            context.ignoredParameter();
        return true;
    case 'M':
        if (const int value = smallChoice(n, 2); value >= 0)
            style.font = value ? PrinterFont::B : PrinterFont::A;
        else
            context.ignoredParameter();
        return true;
    case 'a':
        if (const int value = smallChoice(n, 3); value >= 0)
            context.modes.justify = value;
        else
            context.ignoredParameter();
        return true;
    case ' ':
        style.spacing = n;
        return true;
    case '3':
        context.modes.lineSpacing = n;
        return true;
    case 'd':
        layout.printLine(true, n, context.at + 1, true);
        return true;
    case 'J':
        layout.printLine(false, n, context.at + 1, true);
        return true;
    default:
        return false;
    }
}

bool CommandRouter::runPrinterCommand(quint8 introducer, quint8 c)
{
    switch (introducer) {
    case ESC:
        if (c == 'i' || c == 'm') {
            layout.cut(CutKind::Partial, 0);
        } else if (c == 'B') { // beeper: n times, t x 50 ms
            if (context.cmd[2] != 0)
                layout.event(ReceiptEvent::Kind::Beep, 0, false);
        } else if (c == 'p') { // drawer kick: pin 2 is drawer 1, pin 5 drawer 2
            layout.event(ReceiptEvent::Kind::DrawerPulse, smallChoice(quint8(context.cmd[2]), 2) == 1 ? 2 : 1, false);
        } else if (c != 'g') { // ESC g: a macro recording, which the macro store acts on
            return false;
        }
        return true;
    case GS:
        if (c == 'V') {
            const quint8 m = context.cmd[2];
            if (m == 0x41 || m == 0x42)
                layout.cut(m == 0x41 ? CutKind::Full : CutKind::Partial, quint8(context.cmd[3]));
            else
                layout.cut((m & 1) ? CutKind::Partial : CutKind::Full, 0);
        } else if (c == 'I' || c == 'a' || c == 'r') {
            if (context.requestHandler)
                context.requestHandler(context.cmd);
        } else {
            return false;
        }
        return true;
    case DLE: // real-time requests: answered by the printer as they arrive, nothing printed
        if (c == 0x14 && quint8(context.cmd[2]) == 1)
            layout.event(ReceiptEvent::Kind::DrawerPulse, smallChoice(quint8(context.cmd[3]), 2) == 1 ? 2 : 1, true);
        return true;
    case FS: // the condition request: nothing printed
        return c == 0x05;
    default:
        return false;
    }
}
