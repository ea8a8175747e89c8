#pragma once
// How a run reads its names and numbers: the packet size box, the script's
// folder, the mode of the file, and the arguments of directives.
#include <QByteArray>
#include <QString>

namespace ScriptArguments {

// A text that must be a number as a whole (blanks around it allowed).
struct WholeNumber {
    enum Kind { Ok, NotANumber, OutOfRange };
    Kind kind = NotANumber;
    double value = 0;  // as read, before rounding (Ok and OutOfRange)
    int rounded = 0;   // halves to the even neighbour; valid when Ok
};
// `radix` also accepts "&H" / "&O" numbers. Ok only from -32768 to 32767.
WholeNumber readWholeNumber(const QByteArray &text, bool radix);

// The packet size box: `value` to use, and `problem` ("" when the text was
// fine) telling the operator what was wrong and what is used instead.
struct PacketSize {
    int value = 20;
    QString problem;
};
constexpr int kDefaultPacketSize = 20;
PacketSize readPacketSize(const QString &boxText);

// Argument of WAIT, BREAK, PAUSE and RPT: read like a number in angle
// brackets (reading stops at the first character that does not fit), rounded.
// Anything outside 0..32767 counts as 0, so a bad argument never blocks or
// repeats without end.
int numberArgument(const QByteArray &argument);

// ScriptName up to and including its last "/" or ":" (the last character is
// never examined); "" when there is none.
QString scriptFolder(const QString &scriptName);

// A file named by DO or GRAPHIC, relative to the running script's folder; a
// "\" (scripts written on Windows) separates folders like "/".
QString fileArgument(const QString &folder, const QByteArray &argument);

// A script when the last three characters of the script file box, upper-cased, are "DMO".
bool isScriptMode(const QString &boxText);

} // namespace ScriptArguments
