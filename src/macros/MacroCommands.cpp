#include "macros/MacroCommands.h"

namespace MacroCommands {

namespace {
constexpr char ESC = 0x1B;
constexpr char US = 0x1F;

QByteArray named(char letter, const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size() + 4);
    bytes.append(ESC).append(US).append(letter);
    bytes.append(name.toLatin1());
    bytes.append('\0');
    return bytes;
}
} // namespace

QByteArray listQuery()
{
    return QByteArray("\x05\x17", 2);
}

QByteArray printQuery(const QString &name) { return named('q', name); }
QByteArray remove(const QString &name) { return named('d', name); }
QByteArray play(const QString &name) { return named('r', name); }
QByteArray startSilentRecording(const QString &name) { return named('b', name); }
QByteArray endSilentRecording(const QString &name) { return named('e', name); }

QByteArray startRecording()
{
    return QByteArray("\x1B\x67\x01", 3);
}

QByteArray endRecording(const QString &name)
{
    return QByteArray("\x1B\x67\x02", 3) + named('m', name);
}

QByteArray transfer()
{
    return QByteArray("\x1B\x1F\x74\x00", 4);
}

QByteArray clearExtendedStore()
{
    return QByteArray("\x1B\x1F\x66\x45\x58\x54\x00", 7);
}

QByteArray listText(const QByteArray &reply)
{
    return reply.mid(2);
}

} // namespace MacroCommands
