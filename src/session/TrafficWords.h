#pragma once
// What the display (and the log) says of a pass-through's traffic. The words
// themselves belong to the commands layer (PassThroughText); the session only
// shows them.
#include "link/TerminalView.h"

#include <QByteArray>

class TrafficWords {
public:
    virtual ~TrafficWords() = default;
    // Bytes the printer took from the program.
    virtual QByteArray sent(const QByteArray &bytes) = 0;
    // Bytes the printer answered, in the display mode chosen.
    virtual QByteArray answered(const QByteArray &bytes, DisplayMode mode) = 0;
    // Bytes the printer answered that no program will get.
    virtual QByteArray unheard(const QByteArray &bytes, DisplayMode mode) = 0;
    // A new program: its first bytes begin a line of their own.
    virtual void reset() = 0;
};
