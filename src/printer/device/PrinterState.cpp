#include "printer/device/PrinterState.h"

#include "printer/paper/Receipt.h"

#include <QStringList>

static_assert(PrinterState::kDotsPerMm == Paper::kDotsPerMm, "the roll is measured as the paper is drawn");

namespace {
constexpr quint8 kNak = 0x15;
constexpr quint8 kAck = 0x06;
// The one-byte IDs of GS I 1 to 3. Their bit 4 stays clear, so that a reader
// that also gets automatic status back (first byte 0x10 base) tells them apart.
constexpr char kModelId = 0x20;
constexpr char kTypeId = 0x03; // two-byte characters, autocutter
constexpr char kFirmwareId = 0x01;
const QByteArray kMaker("MARLIX");
const QByteArray kSerialNumber("SIM-000001");

char bits(std::initializer_list<std::pair<bool, quint8>> flags, quint8 base)
{
    quint8 byte = base;
    for (const auto &[on, mask] : flags) {
        if (on)
            byte |= mask;
    }
    return char(byte);
}

quint8 errorBits(PrinterError error)
{
    switch (error) {
    case PrinterError::Recoverable: return 0x04;
    case PrinterError::Autocutter: return 0x08;
    case PrinterError::Unrecoverable: return 0x20;
    case PrinterError::AutoRecoverable: return 0x40;
    case PrinterError::None: break;
    }
    return 0;
}

qint64 mm(qint64 dots)
{
    return dots / PrinterState::kDotsPerMm;
}
} // namespace

namespace PrinterStatus {

QByteArray transmit(const PrinterState &s, quint8 n)
{
    switch (n) {
    case 1:
        return QByteArray(1, bits({{s.anyDrawerOpen(), 0x04}, {!s.online(), 0x08}, {s.waitingForOnline(), 0x20},
                                   {s.feedHeld, 0x40}}, 0x12));
    case 2:
        return QByteArray(1, bits({{s.coverOpen, 0x04}, {s.feedHeld, 0x08}, {s.paperOut(), 0x20},
                                   {s.error != PrinterError::None, 0x40}}, 0x12));
    case 3:
        return QByteArray(1, char(0x12 | errorBits(s.error)));
    case 4:
        return QByteArray(1, bits({{s.nearEnd(), 0x0C}, {s.paperOut(), 0x60}}, 0x12));
    default:
        return {};
    }
}

QByteArray transmitStatus(const PrinterState &s, quint8 n)
{
    if (n == 1 || n == 0x31)
        return QByteArray(1, bits({{s.nearEnd(), 0x03}, {s.paperOut(), 0x0C}}, 0));
    if (n == 2 || n == 0x32)
        return QByteArray(1, bits({{s.anyDrawerOpen(), 0x01}}, 0));
    return {};
}

QByteArray automatic(const PrinterState &s)
{
    QByteArray packet(4, '\0');
    packet[0] = bits({{s.anyDrawerOpen(), 0x04}, {!s.online(), 0x08}, {s.coverOpen, 0x20}, {s.feedHeld, 0x40}}, 0x10);
    packet[1] = char(errorBits(s.error));
    packet[2] = bits({{s.nearEnd(), 0x03}, {s.paperOut(), 0x0C}}, 0);
    return packet;
}

QByteArray automaticMask(quint8 n)
{
    QByteArray mask(4, '\0');
    mask[0] = bits({{bool(n & 0x01), 0x04}, {bool(n & 0x02), 0x08 | 0x20 | 0x40}}, 0);
    mask[1] = bits({{bool(n & 0x04), 0x6C}}, 0);
    mask[2] = bits({{bool(n & 0x08), 0x0F}}, 0);
    return mask;
}

QByteArray condition(const PrinterState &s, quint8 n)
{
    bool holds = false;
    switch (n) {
    case 1: holds = s.drawerOpen[0]; break;
    case 2: holds = s.drawerOpen[1]; break;
    case 3: holds = s.nearEnd(); break;
    case 4: holds = s.paperOut(); break;
    case 8: holds = s.coverOpen; break;
    case 9: holds = s.waiting > 0; break;
    case 10: holds = s.resetRejected; break;
    case 11: holds = s.powerCycleAsked; break;
    default: return {};
    }
    QByteArray reply(2, char(n));
    reply[0] = char(holds ? kNak : kAck);
    return reply;
}

QByteArray modelName(const QByteArray &identity)
{
    // As the terminal reads it: the first "CMD", one separator, six characters.
    const qsizetype at = identity.indexOf("CMD");
    return at < 0 ? QByteArray() : identity.mid(at + 4, 6).trimmed();
}

QByteArray firmwareVersion(const QByteArray &identity)
{
    const qsizetype at = identity.indexOf("CMD");
    if (at < 0)
        return {};
    const QByteArray rest = identity.mid(at + 10).trimmed();
    const QByteArray word = rest.left(rest.indexOf(' ') < 0 ? rest.size() : rest.indexOf(' '));
    return word.startsWith('V') ? word.mid(1) : word;
}

QByteArray printerId(const QByteArray &identity, quint8 n)
{
    QByteArray text;
    switch (n) {
    case 1: case 0x31: return QByteArray(1, kModelId);
    case 2: case 0x32: return QByteArray(1, kTypeId);
    case 3: case 0x33: return QByteArray(1, kFirmwareId);
    case 0x41: text = firmwareVersion(identity); break;
    case 0x42: text = kMaker; break;
    case 0x43: text = modelName(identity); break;
    case 0x44: text = kSerialNumber; break;
    default: return {};
    }
    return '_' + text + '\0';
}

QString errorName(PrinterError error)
{
    switch (error) {
    case PrinterError::Recoverable: return QStringLiteral("recoverable");
    case PrinterError::Autocutter: return QStringLiteral("autocutter");
    case PrinterError::Unrecoverable: return QStringLiteral("unrecoverable");
    case PrinterError::AutoRecoverable: return QStringLiteral("auto");
    case PrinterError::None: break;
    }
    return QStringLiteral("none");
}

QString onlineText(const PrinterState &s)
{
    if (s.online())
        return QStringLiteral("online");
    return QStringLiteral("offline (%1)").arg(offlineReasons(s));
}

QString offlineReasons(const PrinterState &s)
{
    QStringList why;
    if (s.paperOut())
        why << QStringLiteral("paper out");
    if (s.coverOpen)
        why << QStringLiteral("cover open");
    if (s.error != PrinterError::None)
        why << QStringLiteral("%1 error").arg(errorName(s.error));
    return why.join(QStringLiteral(", "));
}

QString describe(const PrinterState &s)
{
    QString paper;
    if (s.paperOut())
        paper = QStringLiteral("paper out (roll of %1 mm)").arg(mm(s.rollDots));
    else
        paper = QStringLiteral("paper %1%2 mm of %3 left")
                    .arg(s.nearEnd() ? QStringLiteral("near end, ") : QString())
                    .arg(mm(s.leftDots()))
                    .arg(mm(s.rollDots));
    const auto drawer = [&s](int i) {
        return QStringLiteral("drawer %1 %2").arg(i + 1).arg(s.drawerOpen[i] ? QStringLiteral("open") : QStringLiteral("closed"));
    };
    return QStringList{onlineText(s), paper,
                       s.coverOpen ? QStringLiteral("cover open") : QStringLiteral("cover closed"),
                       drawer(0), drawer(1),
                       s.error == PrinterError::None ? QStringLiteral("no error")
                                                      : QStringLiteral("error %1").arg(errorName(s.error)),
                       QStringLiteral("%1 bytes waiting").arg(s.waiting)}
        .join(QStringLiteral(", "));
}

} // namespace PrinterStatus
