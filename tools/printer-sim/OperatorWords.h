#pragma once

#include <QString>

class VirtualPrinter;

// The simulator operator's language: one line of text ("cover open",
// "state", "help") made into a call on the printer, which keeps only its
// state-changing methods. The simulator's standard input speaks it, and so
// do tests that drive the printer as its operator would.
namespace OperatorWords {

// False for a line that is not an action; *said is the answer to show (the
// state, the list, or what was wrong), empty for an action, which the
// printer logs itself.
bool act(VirtualPrinter &printer, const QString &line, QString *said);
// The actions, one a line, as "help" shows them.
QString list();

} // namespace OperatorWords
