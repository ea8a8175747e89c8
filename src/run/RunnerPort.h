#pragma once
// The one place where marlix-run sets up its port component (the station
// makes it): everything else talks to the POSPrinter interface only.
#include "link/POSPrinter.h"

#include <QString>
#include <functional>
#include <memory>

struct LinkVariables;
struct RunOptions;
class RunReceipts;
class AnyPOSPrinter;

// Sets up the port component for the link variables and opens it once with
// them, so that a port that will not open is known before anything is
// played. False when it does not open, with the reason in *failure. Later
// notes of the port (what the status line would show: line settings
// refused, a port that went away) go to `notes`; "" means all is well again.
// `receipts` (may be null) gets the paper of the run before the port opens.
// The built-in printer gets the roll, paper width and two-byte encoding of `options`.
bool openRunnerPort(AnyPOSPrinter &port, const RunOptions &options, std::function<void(const QString &)> notes,
                    RunReceipts *receipts, QString *failure);
// What the printer's paper still waits for at the end of the input ("GS v 0
// waiting for 31 more bytes"): the built-in printer's, or for another port
// the receipts' paper; "" when nothing waits (or bytes wait unprinted in the
// printer, which the receipts say).
QString waitingAtEnd(POSPrinter &port, RunReceipts *receipts);
