#pragma once
// The link variables and the way the port is used: opened on demand by each
// operation, closed by the idle timer, held open in macro mode.
#include <QByteArray>
#include <QString>
#include <QTimer>

class POSPrinter;
class Operator;
class EventPump;
class TerminalView;

// One set for the whole program; loaded and saved with the settings, changed
// by the settings dialog.
struct LinkVariables {
    QString CommPort = QStringLiteral("None");
    QString CommBaud = QStringLiteral("19200");
    QString CommDataBits = QStringLiteral("8");
    QString CommStopBits = QStringLiteral("1");
    QString CommParity = QStringLiteral("N");
    qint16 CommFlow = 2;
    bool PortOpen = false; // held open for macro mode
};

class Link {
public:
    static constexpr int kIdleIntervalMs = 5000;
    static constexpr int kFlushTries = 20;

    Link(POSPrinter &port, Operator &op, EventPump &pump, TerminalView &view);

    LinkVariables vars;
    bool ClosePending = false;
    bool MacroMode = false;
    bool Looping = false;
    bool HasExtendedStore = false;
    QByteArray OutBuffer;
    // True while a script plays: the idle timer leaves the port open.
    bool ScriptRunning = false;
    // Set when the main window closes: operations still unwinding stop
    // talking to the printer (no reopening, no retries, no questions).
    bool ShuttingDown = false;
    // Set when the operator gave up on a printer that cannot be reached: the
    // running script or command loop ends at its next step, without asking
    // the printer for a reply first. Each script run and loop clears it.
    bool RunAbandoned = false;

    QString BuildPortMode() const;
    void OpenOnDemand();
    // Opens with the link variables, without touching ClosePending or the timer.
    void OpenWithSettings();
    void Timer1_Timer();
    void FlushOutput();
    void Send_Info(const QByteArray &info, qint16 lng);
    QByteArray Get_Info();
    void DispPort();
    void DoBreak_Click();
    // Step 1 of the Settings command: release a port held for macro mode.
    void ReleaseHeldPort();

    QTimer &timer() { return m_timer; }
    POSPrinter &port() { return m_port; }

private:
    void abandonUnreachable();

    POSPrinter &m_port;
    Operator &m_op;
    EventPump &m_pump;
    TerminalView &m_view;
    QTimer m_timer;
};

// True when the port display shows a baud rate and Break is offered: a
// serial line, as hasLineSettings() (PortNames.h) tells it.
bool isSerialPortName(const QString &name);
// The name as the operator chose it, for messages and the port display: a
// listed entry without its description ("ttyUSB0", "/dev/pts/3").
QString shownPortName(const QString &name);

// The port mode text for these variables: "baud=19200 parity=N data=8 stop=1".
QString buildPortMode(const LinkVariables &vars);
