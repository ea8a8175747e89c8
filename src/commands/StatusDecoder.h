#pragma once
// What a reply looks like in the display: each received byte in the chosen
// display mode, and the plain-language line for a two-byte status reply.
#include "link/TerminalView.h"

#include <QByteArray>

namespace StatusDecoder {

constexpr quint8 kAck = 6;
constexpr quint8 kNak = 21;

// The text shown for one received byte: <1B> in Hex, <27> in Dec; in Normal
// the mnemonic, the character, a line break for LF, nothing for CR, <200>.
QByteArray ReceivedByteText(quint8 b, DisplayMode mode);

// The message for a status reply (first byte NAK or ACK, second the condition
// code), e.g. "**Cash Drawer 1 Open**"; empty for any other reply. Bytes after
// the second take no part.
QByteArray StatusMessage(const QByteArray &reply);

} // namespace StatusDecoder
