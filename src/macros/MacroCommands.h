#pragma once
// The printer's macro command set, each command as the exact bytes sent.
// A macro name is sent one byte per character (Latin-1), as typed: neither
// checked nor trimmed, and it may be empty. A 0 byte ends it.
#include <QByteArray>
#include <QString>

namespace MacroCommands {

// The longest name for which every command still fits a 16-bit byte count
// (the normal end of a recording adds 7 bytes).
constexpr int kMaxNameLength = 32767 - 7;

QByteArray listQuery();                          // 05 17
QByteArray printQuery(const QString &name);      // ESC US q name 00
QByteArray remove(const QString &name);          // ESC US d name 00
QByteArray play(const QString &name);            // ESC US r name 00
QByteArray startSilentRecording(const QString &name); // ESC US b name 00
QByteArray endSilentRecording(const QString &name);   // ESC US e name 00
QByteArray startRecording();                     // ESC g 01
QByteArray endRecording(const QString &name);    // ESC g 02 ESC US m name 00
QByteArray transfer();                           // ESC US t 00
QByteArray clearExtendedStore();                 // ESC US f "EXT" 00

// The macro list reply as shown: everything after its two leading characters.
QByteArray listText(const QByteArray &reply);

} // namespace MacroCommands
