#pragma once
// What the window shows and asks, on a console: the display is standard
// output, a message box is a line on standard error, the pause window a
// count on standard error, and the check boxes come from the command line.
#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/TerminalView.h"
#include "scripts/PauseView.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;
struct RunOptions;

// "marlix-run: TEXT" and a line end, in the locale's encoding; a line break
// inside TEXT becomes a blank, so that every message is one line.
QByteArray consoleLine(const QString &text);

// A message box's text as the console tells it: without the prompt to
// press a button that the console does not have ("... Press OK to continue").
QString withoutButtonPrompt(const QString &text);

// Answers every message as its OK would, with no one to ask. A question that
// offers only to try again or give up is given up, since trying again
// unattended could go on for ever: "Unable to output data" (OK or Cancel)
// ends the run; a log write that fails (Retry or Cancel) closes the log, as
// its Cancel does, and the run goes on.
class ConsoleOperator final : public Operator {
public:
    // `tell` shows a message; `giveUp` ends the run.
    ConsoleOperator(std::function<void(const QString &)> tell, std::function<void()> giveUp);

    Msg::Answer message(const QString &text, Msg::Buttons buttons, Msg::Icon icon,
                        const QString &caption) override;
    // The runner names its files on the command line; it never needs the dialog.
    std::optional<FileChoice> openFile(const FileDialogRequest &) override { return std::nullopt; }

    // A question was given up: something the run needed did not happen.
    bool failed() const { return m_failed; }

private:
    std::function<void(const QString &)> m_tell;
    std::function<void()> m_giveUp;
    bool m_failed = false;
};

// The window's display and controls. Every text goes to standard output
// unchanged and at once, as the display gets it.
class ConsoleView final : public NullTerminalView {
public:
    // `writeFailed` is told (once) when standard output takes no more.
    ConsoleView(QIODevice &out, const RunOptions &options, std::function<void(const QString &)> writeFailed);

    void appendToDisplay(const QByteArray &text) override;
    bool transcriptChecked() const override { return m_transcript; }
    // Off once the run is ending: no reply is read after a send that failed.
    bool autoQueryChecked() const override { return m_autoQuery && !m_ending; }
    DisplayMode displayMode() const override { return m_mode; }
    QString packetSizeText() const override { return m_packetSize; }

    QString commandText() const override { return m_command; }
    QStringList commandList() const override { return m_commands; }
    void setCommandList(const QStringList &entries, const QString &text) override;
    QString scriptFileText() const override { return m_scriptFile; }
    QStringList scriptList() const override { return m_scripts; }
    void setScriptList(const QStringList &entries, const QString &text) override;
    void setScriptFileText(const QString &text) override { m_scriptFile = text; }

    // The controls, the port display and the caption: nothing to show on a console.
    // What the window's status line would say goes where the port's notes go.
    void setStatusText(const QString &text) override
    {
        if (onStatus)
            onStatus(text);
    }
    std::function<void(const QString &)> onStatus;

    void setCommandText(const QString &text) { m_command = text; }
    void endRun() { m_ending = true; }
    bool outputFailed() const { return m_outputFailed; }

private:
    QIODevice &m_out;
    std::function<void(const QString &)> m_writeFailed;
    bool m_transcript;
    bool m_autoQuery;
    DisplayMode m_mode;
    QString m_packetSize;
    QString m_command;
    QStringList m_commands;
    QString m_scriptFile;
    QStringList m_scripts;
    bool m_ending = false;
    bool m_outputFailed = false;
};

// Serves the runner's own events (the idle timer, quit signals). A fixed wait
// blocks as in the window, but a quit signal cuts it short, so that Ctrl+C
// ends a long WAIT at once instead of after it.
class ConsolePump final : public EventPump {
public:
    static constexpr int kSliceMs = 20;
    void serveEvents() override;
    void sleepMs(int ms) override;
};

// PAUSE: the seconds left, on standard error when it is a terminal (a
// count in a file or pipe would only be noise).
class ConsolePause final : public PauseView {
public:
    ConsolePause(QIODevice &err, bool terminal) : m_err(err), m_terminal(terminal) {}
    void showPause() override {}
    void setCount(int seconds) override;
    void hidePause() override;

private:
    QIODevice &m_err;
    bool m_terminal;
    qsizetype m_shown = 0; // characters of the count line now on the terminal
};
