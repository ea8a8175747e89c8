#pragma once
// The command notation: [ESC]-style mnemonics, <27> / <x1B> numbers and "\"
// escapes turned into exact bytes, and sent bytes turned back into display text.
#include <QByteArray>
#include <array>
#include <optional>

class Operator;

namespace Notation {

// Entry v+1 names control byte v (v = 0..31); entries 0 and 33 stay empty.
using MnemonicTable = std::array<QByteArray, 34>;
const MnemonicTable &Mnemonics();

// The longest rest of a command text that a step leaves over.
constexpr qsizetype kMaxRest = 255;

// The first form of a command text: the byte it stands for, how many
// characters it takes, and whether it was a number outside 0..255 (then the
// byte is 0 and the operator must be told). Pure; an empty text takes nothing.
struct Form {
    quint8 byte = 0;
    qsizetype consumed = 0;
    bool outOfRange = false;
};
Form ReadForm(const QByteArray &text);

// One conversion step: consumes the first form of `rest` (not empty), cuts the
// remainder to kMaxRest characters and returns the byte. A number out of the
// byte range asks the operator to confirm and yields 0.
quint8 NextCommandByte(QByteArray &rest, Operator &op);

// What the display shows for one sent byte; CR and LF end the display line.
QByteArray EchoText(quint8 b);

// The same without the line break after CR and LF (scripts and keys place it themselves).
QByteArray EchoName(quint8 b);

// Reads a number text as the notation does (blanks ignored, sign, fraction,
// exponent, &H / &O). `hex` reads it as if prefixed with "&H". Not rounded.
double ReadNumber(const QByteArray &text, bool hex = false);

// Rounds halves to the even neighbour; nullopt beyond the 16-bit signed range.
std::optional<qint16> RoundToInt16(double value);

} // namespace Notation
