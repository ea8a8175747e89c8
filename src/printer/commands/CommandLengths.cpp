// The length of every command the printer knows, and of the ones it only
// skips: the rules the rows of the command table name, and the framing
// that the one reader of the stream does by them.
#include "printer/commands/CommandLengths.h"

#include "printer/commands/ControlBytes.h"
#include "printer/commands/PrinterCommands.h"

#include <algorithm>

using namespace ControlBytes;

namespace CommandLength {
namespace {
qint64 word(const QByteArray &c, int at)
{
    return qint64(quint8(c[at])) + 256 * quint8(c[at + 1]);
}
} // namespace

Frame columnImage(const QByteArray &c)
{
    if (c.size() < 3)
        return more();
    const quint8 mode = c[2];
    if (mode != 0 && mode != 1 && mode != 0x20 && mode != 0x21)
        return unknown();
    if (c.size() < 5)
        return more();
    return data(word(c, 3) * (mode >= 0x20 ? 3 : 1));
}

Frame tabStops(const QByteArray &)
{
    return untilNul(32); // up to 32 stops and a 00
}

Frame beeper(const QByteArray &c)
{
    return c.size() >= 5 ? data(word(c, 3), true, 3) : more();
}

Frame macroName(const QByteArray &c)
{
    // Up to 255 bytes of name and its 00.
    if (c.size() < 3)
        return more();
    return QByteArray("mberdqtf").contains(c[2]) ? untilNul(256) : unknown();
}

Frame cut(const QByteArray &c)
{
    if (c.size() < 3)
        return more();
    const quint8 m = c[2];
    if (m == 0 || m == 1 || m == 0x30 || m == 0x31)
        return whole();
    if (m == 0x41 || m == 0x42)
        return c.size() >= 4 ? whole() : more();
    return unknown();
}

Frame raster(const QByteArray &c)
{
    return c.size() >= 8 ? data(word(c, 4) * word(c, 6)) : more();
}

Frame barcode(const QByteArray &c)
{
    if (c.size() < 3)
        return more();
    const quint8 m = c[2];
    if (m <= 6)
        return untilNul(255);
    if (m >= 0x41 && m <= 0x49)
        return c.size() >= 4 ? data(quint8(c[3])) : more();
    return unknown();
}

Frame block(const QByteArray &c)
{
    return c.size() >= 5 ? data(word(c, 3)) : more();
}

Frame longBlock(const QByteArray &c)
{
    return c.size() >= 7 ? data(word(c, 3) + (word(c, 5) << 16)) : more();
}

Frame skippedBlock(const QByteArray &c)
{
    return c.size() >= 5 ? data(word(c, 3), false, 3) : more();
}

Frame skippedGraphics(const QByteArray &c)
{
    return c.size() >= 4 ? data(qint64(quint8(c[2])) * quint8(c[3]) * 8, false) : more();
}

// FS q n, then n images of xL xH yL yH and x * y * 8 bytes: each image's
// data is followed by the next image's header, framed as FS q with one
// image fewer.
Frame bitImages(const QByteArray &c)
{
    if (c.size() < 3)
        return more();
    const quint8 images = c[2];
    if (images == 0)
        return whole();
    if (c.size() < 7)
        return more();
    Frame f = data(word(c, 3) * word(c, 5) * 8);
    if (images > 1)
        f.next = c.left(2) + char(images - 1);
    return f;
}

Frame realTimeCommand(const QByteArray &c)
{
    if (c.size() < 3)
        return more();
    int length = 3;
    switch (quint8(c[2])) {
    case 1: case 2: length = 5; break;
    case 7: length = 4; break;
    case 8: length = 10; break;
    default: break;
    }
    return c.size() >= length ? whole() : more();
}

} // namespace CommandLength

namespace {
// The rows of the command table by their first two bytes, longest key first.
struct Index
{
    QList<const PrinterCommands::Command *> rows[4][256];
    Index()
    {
        for (const auto *part : {&PrinterCommands::table(), &PrinterCommands::skippedCommands()}) {
            for (const PrinterCommands::Command &row : *part)
                add(row);
        }
    }
    void add(const PrinterCommands::Command &row)
    {
        const int at = introducerIndex(row.key.isEmpty() ? 0 : quint8(row.key[0]));
        if (!row.length || row.key.size() < 2 || at < 0)
            return;
        auto &list = rows[at][quint8(row.key[1])];
        const auto longer = std::find_if(list.begin(), list.end(),
                                         [&row](const auto *other) { return other->key.size() < row.key.size(); });
        list.insert(longer, &row);
    }
    static int introducerIndex(quint8 byte)
    {
        switch (byte) {
        case ESC: return 0;
        case GS: return 1;
        case FS: return 2;
        case DLE: return 3;
        default: return -1;
        }
    }
};
} // namespace

namespace CommandSyntax {

bool isIntroducer(quint8 byte)
{
    return byte == ESC || byte == GS || byte == FS || byte == DLE;
}

Frame frame(const QByteArray &command)
{
    if (command.size() < 2)
        return CommandLength::more();
    static const Index index;
    const int introducer = Index::introducerIndex(quint8(command[0]));
    if (introducer < 0)
        return CommandLength::unknown();
    bool longer = false; // a longer key may still come
    for (const PrinterCommands::Command *row : index.rows[introducer][quint8(command[1])]) {
        if (row->key.size() > command.size()) {
            longer = longer || row->key.startsWith(command);
            continue;
        }
        if (!command.startsWith(row->key))
            continue;
        Frame f = row->length(command);
        f.row = row;
        return f;
    }
    return longer ? CommandLength::more() : CommandLength::unknown();
}

bool isRealTime(const QByteArray &command)
{
    if (command.size() < 3)
        return false;
    const quint8 a = command[0];
    const quint8 b = command[1];
    return (a == DLE && (b == 0x04 || b == 0x05 || b == 0x14)) || (a == FS && b == 0x05);
}

} // namespace CommandSyntax
