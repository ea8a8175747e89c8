#pragma once
// What the main window shares with every operation: the port, the operator,
// the event pump, the window itself, the link state and the display routine.
#include "link/Link.h"

#include <QByteArray>
#include <QString>

class POSPrinter;
class Operator;
class EventPump;
class TerminalView;

// Receives every text the display shows while a log is open.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual bool isOpen() const = 0;
    virtual void WriteLog(const QByteArray &text) = 0;
};

class Session {
public:
    Session(POSPrinter &port, Operator &op, EventPump &pump, TerminalView &view);

    POSPrinter &port;
    Operator &op;
    EventPump &pump;
    TerminalView &view;
    Link link;

    QString StartDir;
    qint16 CounterA = 0;
    qint16 CounterB = 0;

    // Shows the text, hands it to the log, then serves pending events once.
    void AppendToTerm(const QByteArray &text);
    // The same without serving events: for texts shown from inside a
    // handler of the port's own (the pass-through), which must not be entered again.
    void showWithoutServing(const QByteArray &text);

    void setLogSink(LogSink *sink) { m_log = sink; }

private:
    LogSink *m_log = nullptr;
};
