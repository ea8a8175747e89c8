// The length of every command the printer knows, and of the ones it only
// skips: the one reader of the stream frames by these.
#include "printer/CommandReader.h"

#include "printer/ControlBytes.h"

namespace {
using namespace ControlBytes;

// Commands we draw nothing for whose length is fixed: skipped whole. Zero
// for a command we do not know, whose length we cannot know either.
int fixedEscLength(quint8 c)
{
    switch (c) {
    case 'v':
        return 2;
    case '%': case '=': case '?': case 'R': case 'U': case 'e': case 'r': case 'u':
        return 3;
    case 'c':
        return 4;
    default:
        return 0;
    }
}

int fixedGsLength(quint8 c)
{
    switch (c) {
    case ':':
        return 2;
    case '/': case 'T': case 'b':
        return 3;
    case '^':
        return 5;
    default:
        return 0;
    }
}

int fixedFsLength(quint8 c)
{
    switch (c) {
    case '&':
        return 2;
    case '!': case '-': case 'C': case 'W':
        return 3;
    case 'S': case '?':
        return 4;
    default:
        return 0;
    }
}

Frame more()
{
    return {};
}

Frame whole(bool drawn = true)
{
    Frame f;
    f.kind = Frame::Kind::Whole;
    f.drawn = drawn;
    return f;
}

Frame unknown()
{
    Frame f;
    f.kind = Frame::Kind::Unknown;
    return f;
}

Frame data(qint64 bytes, bool drawn = true, int key = 2)
{
    Frame f;
    f.kind = Frame::Kind::Data;
    f.data = bytes;
    f.drawn = drawn;
    f.key = key;
    return f;
}

Frame untilNul(qint64 most, bool drawn = true)
{
    Frame f = data(most, drawn);
    f.kind = Frame::Kind::UntilNul;
    return f;
}

// A command of a fixed length that is not drawn; 0: not known at all.
Frame skipped(const QByteArray &c, int length)
{
    if (length == 0)
        return unknown();
    return c.size() >= length ? whole(false) : more();
}

Frame frameEsc(const QByteArray &c)
{
    const quint8 b = c[1];
    const qsizetype n = c.size();
    const auto word = [&c](int at) { return qint64(quint8(c[at])) + 256 * quint8(c[at + 1]); };
    switch (b) {
    case '@': case '2': case 'i': case 'm':
    case 'L': case 'S': case 0x0C: // page mode: enter, leave, print
        return whole();
    case '!': case 'E': case 'G': case '-': case 'M': case 'a': case ' ': case '3': case 'd': case 'J': case 't':
    case 'R': // international character set
    case 'g': // the macro recording commands: the printer model acts on them
    case '{': case 'V': case 'T':
        return n >= 3 ? whole() : more();
    case '$': case '\\': case 'B':
        return n >= 4 ? whole() : more();
    case 'p': // drawer kick
        return n >= 5 ? whole() : more();
    case 'W': // page mode's print area
        return n >= 10 ? whole() : more();
    case '(': // ESC ( A, the beeper; the others are skipped by their length
        return n >= 5 ? data(word(3), c[2] == 'A', 3) : more();
    case 0x1F: // the macro commands with a name: up to 255 bytes and its 00
        if (n < 3)
            return more();
        return QByteArray("mberdqtf").contains(c[2]) ? untilNul(256) : unknown();
    case '*': {
        if (n < 3)
            return more();
        const quint8 mode = c[2];
        if (mode != 0 && mode != 1 && mode != 0x20 && mode != 0x21)
            return unknown();
        if (n < 5)
            return more();
        const qint64 columns = quint8(c[3]) + 256 * quint8(c[4]);
        return data(columns * (mode >= 0x20 ? 3 : 1));
    }
    case 'D': // tab positions: up to 32 and a 00
        return untilNul(32);
    default:
        return skipped(c, fixedEscLength(b));
    }
}

Frame frameGs(const QByteArray &c)
{
    const quint8 b = c[1];
    const qsizetype n = c.size();
    const auto word = [&c](int at) { return qint64(quint8(c[at])) + 256 * quint8(c[at + 1]); };
    switch (b) {
    case '!': case 'B': case 'H': case 'h': case 'w':
    case 'I': case 'a': case 'r': // requests the printer answers
        return n >= 3 ? whole() : more();
    case 'L': case 'W':
    case 'P': case '$': case '\\': // motion units; page mode's vertical position
        return n >= 4 ? whole() : more();
    case 'f': // the barcode text's font
        return n >= 3 ? whole() : more();
    case 'V': {
        if (n < 3)
            return more();
        const quint8 m = c[2];
        if (m == 0 || m == 1 || m == 0x30 || m == 0x31)
            return whole();
        if (m == 0x41 || m == 0x42)
            return n >= 4 ? whole() : more();
        return unknown();
    }
    case 'v':
        if (n < 3)
            return more();
        if (c[2] != '0')
            return unknown();
        return n >= 8 ? data(word(4) * word(6)) : more();
    case 'k': {
        if (n < 3)
            return more();
        const quint8 m = c[2];
        if (m <= 6)
            return untilNul(255);
        if (m >= 0x41 && m <= 0x49)
            return n >= 4 ? data(quint8(c[3])) : more();
        return unknown();
    }
    case '(':
        if (n < 5)
            return more();
        return c[2] == 'k' || c[2] == 'L' ? data(word(3)) : data(word(3), false, 3);
    case '8':
        if (n < 3)
            return more();
        if (c[2] != 'L')
            return unknown();
        return n >= 7 ? data(word(3) + (word(5) << 16)) : more();
    case '*':
        return n >= 4 ? data(qint64(quint8(c[2])) * quint8(c[3]) * 8, false) : more();
    default:
        return skipped(c, fixedGsLength(b));
    }
}

// FS q n, then n images of xL xH yL yH and x * y * 8 bytes: each image's
// data is followed by the next image's header, framed as FS q with one
// image fewer.
Frame frameBitImages(const QByteArray &c)
{
    if (c.size() < 3)
        return more();
    const quint8 images = c[2];
    if (images == 0)
        return whole();
    if (c.size() < 7)
        return more();
    const qint64 x = quint8(c[3]) + 256 * quint8(c[4]);
    const qint64 y = quint8(c[5]) + 256 * quint8(c[6]);
    Frame f = data(x * y * 8);
    if (images > 1)
        f.next = c.left(2) + char(images - 1);
    return f;
}

Frame frameFs(const QByteArray &c)
{
    const quint8 b = c[1];
    if (b == '.' || b == '&') // two-byte characters off and on
        return whole();
    if (b == 'C' || b == '!') // their Japanese encoding and print mode
        return c.size() >= 3 ? whole() : more();
    if (b == '(') // FS ( A, E, L ...: pL + 256 pH bytes follow, skipped
        return c.size() >= 5 ? data(qint64(quint8(c[3])) + 256 * quint8(c[4]), false, 3) : more();
    if (b == 0x05) // the condition request
        return c.size() >= 3 ? whole() : more();
    if (b == 'p') // print an NV bit image
        return c.size() >= 4 ? whole() : more();
    if (b == 'q')
        return frameBitImages(c);
    return skipped(c, fixedFsLength(b));
}

Frame frameDle(const QByteArray &c)
{
    const quint8 b = c[1];
    if (b != 0x04 && b != 0x05 && b != 0x14)
        return unknown();
    if (c.size() < 3)
        return more();
    int length = 3;
    if (b == 0x14) {
        switch (quint8(c[2])) {
        case 1: case 2: length = 5; break;
        case 7: length = 4; break;
        case 8: length = 10; break;
        default: break;
        }
    }
    return c.size() >= length ? whole() : more();
}
} // namespace

namespace CommandSyntax {

bool isIntroducer(quint8 byte)
{
    return byte == ESC || byte == GS || byte == FS || byte == DLE;
}

Frame frame(const QByteArray &command)
{
    if (command.size() < 2)
        return more();
    switch (quint8(command[0])) {
    case ESC: return frameEsc(command);
    case GS: return frameGs(command);
    case FS: return frameFs(command);
    default: return frameDle(command);
    }
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
