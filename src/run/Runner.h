#pragma once
// marlix-run's run: the items of the command line played through the very
// operations the window's buttons call (Send Command, Get Response, Send
// Script), on console stand-ins for the window, its boxes and its pump.
#include "run/Console.h"
#include "run/RunOptions.h"

#include <memory>

class QIODevice;
class PrinterStation;
class Commands;
class ScriptRunner;
class RunReceipts;
class QEventLoop;

class Runner {
public:
    // `out` is the display (standard output), `err` takes the messages.
    Runner(const RunOptions &options, QIODevice &out, QIODevice &err, bool errIsTerminal);
    ~Runner();
    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    // Opens the port and the log, plays the items and returns the exit status.
    int run();

private:
    void tell(const QString &text);
    void note(const QString &status);
    // Ends the run at its next step with this status (the first one given counts).
    void end(int status);
    void play(const RunItem &item);
    // --pass-through: serves point-of-sale programs until a quit signal;
    // false when it cannot listen.
    bool servePassThrough();

    RunOptions m_options;
    QIODevice &m_err;
    ConsoleOperator m_op;
    ConsolePump m_pump;
    ConsoleView m_view;
    ConsolePause m_pause;
    std::unique_ptr<RunReceipts> m_receipts; // --receipts, --decode
    // The port (its built-in printer prints on the receipts' paper), the
    // session, the log and the pass-through.
    std::unique_ptr<PrinterStation> m_station;
    std::unique_ptr<Commands> m_commands;
    std::unique_ptr<ScriptRunner> m_scripts;
    QString m_lastNote;
    QEventLoop *m_serving = nullptr; // the pass-through's, while it serves
    int m_endStatus = -1;
    bool m_failed = false;
};
