#pragma once
// The program's command line: --help and --version answer without a window
// (and without a display); --port and --baud choose the port as Port >
// Settings would; --pass-through serves a point-of-sale program as "Serve a
// point-of-sale program on" in Port > Settings would. Qt's own window-system options (-platform, -style, ...)
// are left for QApplication.
#include <QString>
#include <QStringList>
#include <optional>

class frmTerminal;

struct StartOptions {
    std::optional<QString> port;
    std::optional<QString> baud;
    std::optional<QString> passThrough;
    // Set when the program ends at once: 0 after --help or --version, 2 for a
    // bad command line. Then `output` goes to standard output and `error` (one
    // line) to standard error.
    std::optional<int> exitCode;
    QString output;
    QString error;
};

// arguments[0] is the program.
StartOptions parseStartOptions(const QStringList &arguments);

// As if the port (and baud rate, and the place to serve a point-of-sale
// program on) had been picked in Port > Settings and confirmed: shown at
// once, used by the next operation, saved at exit.
void applyStartOptions(frmTerminal &window, const StartOptions &options);
