#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>

// An error that holds the printer offline. Recoverable and autocutter errors
// end with DLE ENQ 1 or 2 (or the operator); an unrecoverable one only with
// the operator; an automatically recoverable one ends by itself after a while.
enum class PrinterError : quint8 { None, Recoverable, Autocutter, Unrecoverable, AutoRecoverable };

// What a receipt printer knows about itself and tells in its status replies:
// the roll, the cover, the drawers, an error, the feed button and its receive
// buffer. Lengths are in dots (8 to the millimetre), as the paper is.
struct PrinterState
{
    static constexpr int kDotsPerMm = 8; // as the paper's (Paper::kDotsPerMm)
    static constexpr qint64 kDefaultRollMm = 80000;
    static constexpr qint64 kDefaultNearEndMm = 5000;

    qint64 rollDots = kDefaultRollMm * kDotsPerMm;
    qint64 nearEndDots = kDefaultNearEndMm * kDotsPerMm;
    qint64 usedDots = 0;
    bool coverOpen = false;
    bool drawerOpen[2] = {false, false};
    PrinterError error = PrinterError::None;
    bool feedHeld = false;     // the feed button is down: the paper moves
    qsizetype waiting = 0;     // bytes in the receive buffer, not yet printed
    bool resetRejected = false; // the last ESC @ came while offline
    bool powerCycleAsked = false; // FS ENQ 11 was asked since the start

    qint64 leftDots() const { return std::max<qint64>(0, rollDots - usedDots); }
    bool paperOut() const { return usedDots >= rollDots; }
    // An empty roll is near its end too: both sensors see no paper.
    bool nearEnd() const { return leftDots() < nearEndDots || paperOut(); }
    bool anyDrawerOpen() const { return drawerOpen[0] || drawerOpen[1]; }
    bool online() const { return !coverOpen && !paperOut() && error == PrinterError::None; }
    // An automatically recoverable error: the printer comes back by itself.
    bool waitingForOnline() const { return error == PrinterError::AutoRecoverable; }
};

// The printer's replies, worked out from its state; the bits are those of the
// reply table in the help (bit 0 the lowest). An empty reply: no answer.
namespace PrinterStatus {

// DLE EOT n, n 1 to 4.
QByteArray transmit(const PrinterState &state, quint8 n);
// GS r n, n 1/31 paper, 2/32 drawer.
QByteArray transmitStatus(const PrinterState &state, quint8 n);
// The four bytes of automatic status back.
QByteArray automatic(const PrinterState &state);
// The bits of an automatic status packet that GS a n watches: bit 0 of n the
// drawer, 1 online (with the cover and the feed button), 2 errors, 3 paper.
QByteArray automaticMask(quint8 n);
// FS ENQ n: NAK n when the condition holds, ACK n when not, nothing for a
// condition we do not know. Condition 11 reads powerCycleAsked.
QByteArray condition(const PrinterState &state, quint8 n);
// GS I n, from the identity the printer reports ("CMD MX2600 V1.00").
QByteArray printerId(const QByteArray &identity, quint8 n);

// The model name and firmware version in an identity text: the six characters
// after "CMD" and a separator, and the word after them without its leading V.
QByteArray modelName(const QByteArray &identity);
QByteArray firmwareVersion(const QByteArray &identity);

// "online" or "offline (paper out, cover open)".
QString onlineText(const PrinterState &state);
// What keeps it offline ("paper out, cover open"); "" while it is online.
QString offlineReasons(const PrinterState &state);
// The whole state on one line, for the operator.
QString describe(const PrinterState &state);
QString errorName(PrinterError error);

} // namespace PrinterStatus
