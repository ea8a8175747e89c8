#pragma once
// Fakes of the core's outside interfaces: they record every call and answer
// from queues the test fills in advance.
#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "link/TerminalView.h"

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <functional>

class FakePrinter : public POSPrinter {
public:
    // Every call in order, e.g. "OpenPort(COM1|baud=19200 parity=N data=8 stop=1)".
    QStringList calls;
    // Offered byte strings of every WriteData, and the bytes actually taken.
    QList<QByteArray> offered;
    QByteArray written;
    // Input waiting to be read, one byte per ReadInput.
    QByteArray input;
    // Taken per write (-1: everything offered); refuseNext writes take nothing and fail.
    int maxPerWrite = -1;
    int refuseNext = 0;
    bool refuseAll = false;
    // Per-write plan, used first while not empty: bytes taken by each write (0 refuses it, -1 takes all).
    QQueue<int> takePlan;
    bool open = false;
    bool breakOn = false;
    long readFirst = -1, readGap = -1;
    QStringList portNames;
    // Called on each ReadInput before it answers (lets a test act "while the printer talks").
    std::function<void()> onRead;
    // The device has gone away: writes are refused and LinkDown() is true
    // until an OpenPort finds it back (deviceBack).
    bool gone = false;
    bool deviceBack = false;

    QByteArray ReadInput(long count) override;
    void OpenPort(const QString &portName, const QString &portMode) override;
    void ClosePort() override;
    void SetFlowControl(long flow) override;
    long WriteData(const QByteArray &data, long count) override;
    void SetReadTiming(long first, long gap) override;
    long GetWriteCount() override;
    QString GetPortName(long index) override;
    void SetBreak(long code, const QString &text) override;
    bool LinkDown() const override { return gone; }

    int count(const QString &prefix) const;

private:
    long m_lastCount = 0;
};

struct AskedQuestion {
    QString text;
    Msg::Buttons buttons;
    Msg::Icon icon;
    QString caption;
};

class FakeOperator : public Operator {
public:
    QQueue<Msg::Answer> answers;               // default when empty: Ok / Cancel for Ok-less sets
    QList<AskedQuestion> asked;
    QQueue<std::optional<FileChoice>> files;   // default when empty: cancel
    QList<FileDialogRequest> fileRequests;
    std::function<void(const AskedQuestion &)> onMessage;

    Msg::Answer message(const QString &text, Msg::Buttons buttons, Msg::Icon icon,
                        const QString &caption) override;
    std::optional<FileChoice> openFile(const FileDialogRequest &request) override;
    QStringList texts() const;
};

class FakePump : public EventPump {
public:
    int served = 0;
    QList<int> sleeps;
    int sleptMs() const;
    std::function<void()> onServe;  // runs at each serveEvents (a click "arriving")
    std::function<void(int)> onSleep;

    void serveEvents() override;
    void sleepMs(int ms) override;
};

// Records every control's state, for the tests to look at.
class FakeView : public NullTerminalView {
public:
    QByteArray display;
    bool transcript = true;
    bool autoQuery = true;
    DisplayMode mode = DisplayMode::Normal;
    QString packetSize = QStringLiteral("20");
    QString command;
    QStringList commands;
    QString scriptFile;
    QStringList scripts;
    bool sendCommandEnabled = true;
    bool getrespEnabled = true;
    int indataFocus = 0;
    int indataCleared = 0;
    int scriptFocus = 0;
    QString curPort;
    bool breakEnabled = true;
    QString breakCaption = QStringLiteral("Break");
    QStringList breakCaptions;
    QString caption = QStringLiteral("Marlix Terminal");
    bool logging = false;
    QStringList statusTexts;

    void appendToDisplay(const QByteArray &text) override { display += text; }
    bool transcriptChecked() const override { return transcript; }
    bool autoQueryChecked() const override { return autoQuery; }
    DisplayMode displayMode() const override { return mode; }
    QString packetSizeText() const override { return packetSize; }
    QString commandText() const override { return command; }
    QStringList commandList() const override { return commands; }
    void setCommandList(const QStringList &e, const QString &t) override { commands = e; command = t; }
    QString scriptFileText() const override { return scriptFile; }
    QStringList scriptList() const override { return scripts; }
    void setScriptList(const QStringList &e, const QString &t) override { scripts = e; scriptFile = t; }
    void setScriptFileText(const QString &t) override { scriptFile = t; }
    void focusScriptFile() override { ++scriptFocus; }
    void setSendCommandEnabled(bool e) override { sendCommandEnabled = e; }
    void setGetrespEnabled(bool e) override { getrespEnabled = e; }
    void focusIndata() override { ++indataFocus; }
    void clearIndata() override { ++indataCleared; }
    void setCurPort(const QString &t) override { curPort = t; }
    void setBreakEnabled(bool e) override { breakEnabled = e; }
    void setBreakCaption(const QString &c) override { breakCaption = c; breakCaptions << c; }
    void setWindowCaption(const QString &c) override { caption = c; }
    void setLogMenus(bool l) override { logging = l; }
    void setStatusText(const QString &t) override { statusTexts << t; }
};

// Bytes as "1B 40" for readable comparisons.
QString hexBytes(const QByteArray &bytes);
// A file's bytes; "<unreadable>" when it cannot be read, so that a comparison shows why.
QByteArray fileBytes(const QString &name);
QByteArray fromHex(const QString &spaced);
