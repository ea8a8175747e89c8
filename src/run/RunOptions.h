#pragma once
// marlix-run's command line: how to reach the printer, what the window's
// check boxes and option buttons would say, and the items to play in the
// order given.
#include "link/Link.h"
#include "link/TerminalView.h"
#include "printer/device/PrinterState.h"
#include "printer/paper/Receipt.h"
#include "session/CommandLineChecks.h"

#include <QList>
#include <QString>
#include <QStringList>

struct RunItem {
    enum Kind { File, Command, GetResponse };
    Kind kind = File;
    QString text; // File: its name; Command: the text in the command notation

    bool operator==(const RunItem &) const = default;
};

struct RunOptions {
    LinkVariables link; // the window's saved settings, changed by the options
    QString packetSize = QStringLiteral("20"); // as the Packet Size box holds it
    DisplayMode mode = DisplayMode::Normal;
    bool transcript = true;
    bool autoQuery = false;
    QString logFile; // "" for no log
    QString receiptsDir; // --receipts: "" saves no receipts
    QString expectDir;   // --expect: the baseline the receipts are checked against, "" for none
    bool update = false; // --update: the receipts become the baseline instead
    QString junitFile;   // --junit: the check as a JUnit report, "" for none
    bool decode = false; // --decode: the printed commands in words, on standard error
    TwoByteCode cjk = TwoByteCode::Gb18030; // --cjk: the printer's two-byte encoding (FS &)
    qint64 paperLengthMm = PrinterState::kDefaultRollMm; // --paper-length: the built-in printer's roll
    int paperWidthDots = Paper::kWidthDots; // --paper: the printable width of 80 or 58 mm paper
    // --pass-through: a pty's link path or tcp://HOST:PORT a point-of-sale
    // program prints through; "" for a run of items. It takes no items.
    QString passThrough;
    QList<RunItem> items;
};

namespace RunExit {
constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = CommandLineChecks::kUsageStatus;
constexpr int kNoPort = 3;
constexpr int kDiffers = 4; // --expect: a receipt differs from the baseline
// A signal ends the run with 128 + its number (130 for SIGINT, 143 for SIGTERM).
constexpr int kSignalBase = 128;
} // namespace RunExit

struct CommandLine {
    enum Outcome { Run, Help, Version, Error };
    Outcome outcome = Error;
    RunOptions options; // for Run
    QString text;       // Help: the help text; Version: the version line; Error: what is wrong
};

// `arguments` as QCoreApplication gives them, the program first. `saved` are
// the link variables the window saved: the defaults of the port options.
CommandLine parseRunCommandLine(const QStringList &arguments, const LinkVariables &saved);
