#pragma once
// The words in braces of a script: {WAIT:500}, {DO:part2.dmo}, {A+:1} ...
#include <QByteArray>

class ScriptInterpreter;
struct RunState;

namespace Directives {

// Writes of a GRAPHIC file hold this many bytes, the last one what is left.
constexpr qsizetype kGraphicBlock = 2001;

// Acts on one directive of the run. `name` is upper-cased without leading
// blanks; an unknown name does nothing. A directive that inserts text sets
// Piece and PieceLength (and echoes it); the caller queues it.
void ExecuteDirective(ScriptInterpreter &in, RunState &run, const QByteArray &name,
                      const QByteArray &argument);

} // namespace Directives
