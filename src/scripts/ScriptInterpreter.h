#pragma once
// RunScript: plays a demonstration file to the printer. A script (".dmo") is
// read line by line and turned into bytes with the command notation plus a few
// script escapes and directives in braces; any other file is sent as it is.
#include "scripts/RunState.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QFile;
class Session;
class PauseView;

class ScriptInterpreter {
public:
    ScriptInterpreter(Session &session, PauseView &pause, std::function<void()> getResponse);

    // Plays the file and returns when it is done. False when the file could
    // not be opened (the operator has been told; nothing was sent).
    bool RunScript(const QString &scriptName);

    // Deepest nesting of DO: a second guard behind the detection of a DO that
    // leads back to a script already running.
    static constexpr int kMaxDepth = 16;
    // Raw files are read in steps of this many bytes.
    static constexpr qsizetype kRawStep = 1024;
    // Of a longer script line nothing past this is ever interpreted (a step
    // consumes at most 42 characters, then keeps the next 255), so it is not kept.
    static constexpr qsizetype kMaxLineKept = 1024;

    // Opens a demonstration, DO or GRAPHIC file for reading; "" on success,
    // otherwise why not. Only a regular file has an end: a device or a pipe
    // could feed a run forever.
    static QString openForReading(QFile &file);

    // Demonstration, DO and GRAPHIC files that could not be opened, counted
    // over the interpreter's life: a caller that must report a failed run
    // compares the count before and after. The operator was told of each.
    int unopenedFiles() const { return m_unopenedFiles; }
    void countUnopenedFile() { ++m_unopenedFiles; }

    bool isRunning() const { return !m_chain.isEmpty(); }
    // The runs in progress, outermost first.
    const QStringList &chain() const { return m_chain; }
    // True when `name` is one of the runs in progress (same name, or the same file).
    bool isRunningFile(const QString &name) const;
    // Starts a nested run for DO.
    void runNested(const QString &name) { RunScript(name); }

    Session &session() { return m_s; }
    PauseView &pause() { return m_pause; }
    void getResponse();

    // Where DATE and TIME take the time from (tests pass a fixed one).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }

    // Queues a piece that a directive inserted (it echoes it itself).
    void queue(RunState &run);

private:
    bool openScript(QFile &file, const QString &name);
    void playRaw(RunState &run, QFile &file);
    void playScript(RunState &run, QFile &file);
    bool readLine(RunState &run, QFile &file, bool &atEnd);
    void scanLine(RunState &run);
    bool directiveStep(RunState &run);
    void echo(const RunState &run);
    bool stopped(RunState &run) const;
    void endRun();

    Session &m_s;
    PauseView &m_pause;
    std::function<void()> m_getResponse;
    std::function<QDateTime()> m_clock;
    QStringList m_chain;
    bool m_packetSizeTold = false;
    int m_unopenedFiles = 0;
};
