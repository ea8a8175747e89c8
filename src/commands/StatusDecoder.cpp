#include "commands/StatusDecoder.h"

#include "commands/Notation.h"

namespace StatusDecoder {

QByteArray ReceivedByteText(quint8 b, DisplayMode mode)
{
    switch (mode) {
    case DisplayMode::Hex:
        return '<' + QByteArray::number(b, 16).toUpper() + '>';
    case DisplayMode::Dec:
        return '<' + QByteArray::number(b) + '>';
    case DisplayMode::Normal:
        break;
    }
    if (b == 13)
        return {};
    if (b == 10)
        return "\r\n";
    if (b < 32)
        return Notation::Mnemonics()[b + 1];
    if (b <= 127)
        return QByteArray(1, static_cast<char>(b));
    return '<' + QByteArray::number(b) + '>';
}

namespace {

struct Condition {
    quint8 code;
    const char *whenNak;
    const char *whenAck;
};

constexpr Condition kConditions[] = {
    {1, "**Cash Drawer 1 Open**", "**Cash Drawer 1 Closed**"},
    {2, "**Cash Drawer 2 Open**", "**Cash Drawer 2 Closed**"},
    {3, "**Receipt Paper is Low**", "**Receipt Paper is not Low**"},
    {4, "**Receipt Paper is Out**", "**Receipt Paper is Present**"},
    {8, "**Cover is Open**", "**Cover is Closed**"},
    {9, "**Buffer is Not Empty**", "**Buffer is Empty**"},
    {10, "**Reset Rejected**", "**Reset Accepted**"},
    {11, "**Printer has not power cycled**", "**Printer has power cycled**"},
};

} // namespace

QByteArray StatusMessage(const QByteArray &reply)
{
    if (reply.size() < 2)
        return {};
    const auto first = static_cast<quint8>(reply.at(0));
    const auto code = static_cast<quint8>(reply.at(1));
    if (first != kNak && first != kAck)
        return {};
    for (const Condition &c : kConditions) {
        if (c.code == code)
            return first == kNak ? c.whenNak : c.whenAck;
    }
    return {};
}

} // namespace StatusDecoder
