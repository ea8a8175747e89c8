#pragma once
// What the display (and so the traffic log) shows of a pass-through's
// traffic: each run of bytes in one direction begins a line marked with its
// direction; what the program sent is shown as Send Command echoes it, with
// a "<", "[" or "\" of its own escaped, so that the line typed as a command
// sends the same bytes; what the printer answered as Get Response shows it,
// and a status reply's words follow its second byte. The window and
// marlix-run show the same text.
#include "session/TrafficWords.h"

#include <QByteArray>

class PassThroughText final : public TrafficWords {
public:
    static constexpr const char *kSentMark = "\r\nto printer: ";
    static constexpr const char *kAnsweredMark = "\r\nfrom printer: ";

    // Bytes the printer took from the program.
    QByteArray sent(const QByteArray &bytes) override;
    // Bytes the printer answered, in the display mode chosen.
    QByteArray answered(const QByteArray &bytes, DisplayMode mode) override;
    // Bytes the printer answered that no program will get (none is
    // connected): a line of their own, said so.
    QByteArray unheard(const QByteArray &bytes, DisplayMode mode) override;
    // A new program: its first bytes begin a line of their own.
    void reset() override { m_last = None; }

private:
    enum Direction { None, Sent, Answered };
    Direction m_last = None;
    QByteArray m_head; // the first two bytes of the answer being shown
};
