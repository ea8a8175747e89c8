#pragma once
// Words more than one face says, in one place: the window and its settings
// dialog, marlix-run and the printer simulator say them alike.
#include <QString>

namespace SharedWords {

// A place a point-of-sale program cannot be served on; why names the place
// itself ("tcp://127.0.0.1:9100: Address already in use").
QString cannotServe(const QString &why);
// The built-in or simulated printer held bytes it never printed when it stopped.
QString stoppedWaiting(qsizetype bytes);
// The input ended inside a command: what it still waited for ("GS v 0 waiting for 31 more bytes").
QString endOfInput(const QString &waiting);

} // namespace SharedWords
