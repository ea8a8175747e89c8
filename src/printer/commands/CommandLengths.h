#pragma once

#include "printer/commands/CommandReader.h"

// Length rules: what a command's header so far says of its length. Each row
// of the command table (PrinterCommands.cpp) names one; CommandReader frames
// the stream by them.
namespace CommandLength {

inline Frame more()
{
    return {};
}

inline Frame whole(bool drawn = true)
{
    Frame f;
    f.kind = Frame::Kind::Whole;
    f.drawn = drawn;
    return f;
}

inline Frame unknown()
{
    Frame f;
    f.kind = Frame::Kind::Unknown;
    return f;
}

inline Frame data(qint64 bytes, bool drawn = true, int key = 2)
{
    Frame f;
    f.kind = Frame::Kind::Data;
    f.data = bytes;
    f.drawn = drawn;
    f.key = key;
    return f;
}

inline Frame untilNul(qint64 most, bool drawn = true)
{
    Frame f = data(most, drawn);
    f.kind = Frame::Kind::UntilNul;
    return f;
}

// N bytes, all header.
template <int N>
Frame fixed(const QByteArray &c)
{
    return c.size() >= N ? whole() : more();
}

// N bytes of a command that is not drawn: read past, noted as unknown.
template <int N>
Frame skipped(const QByteArray &c)
{
    return c.size() >= N ? whole(false) : more();
}

Frame columnImage(const QByteArray &c);    // ESC * m nL nH d…
Frame tabStops(const QByteArray &c);       // ESC D n… 00
Frame beeper(const QByteArray &c);         // ESC ( A pL pH …
Frame macroName(const QByteArray &c);      // ESC US c name 00
Frame cut(const QByteArray &c);            // GS V m [n]
Frame raster(const QByteArray &c);         // GS v 0 m xL xH yL yH d…
Frame barcode(const QByteArray &c);        // GS k m d… 00, GS k m n d…
Frame block(const QByteArray &c);          // GS ( k, GS ( L: pL pH …
Frame longBlock(const QByteArray &c);      // GS 8 L p1 p2 p3 p4 …
Frame skippedBlock(const QByteArray &c);   // ESC (, GS (, FS ( of any other function: pL pH …, not drawn
Frame skippedGraphics(const QByteArray &c); // GS * x y d…, not drawn
Frame bitImages(const QByteArray &c);      // FS q n [xL xH yL yH d…]…
Frame realTimeCommand(const QByteArray &c); // DLE DC4 fn …

} // namespace CommandLength
