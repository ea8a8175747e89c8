#pragma once
// What the core reads from and does to the main window. frmTerminal
// implements it with its widgets; tests implement it with plain members.
#include <QByteArray>
#include <QString>
#include <QStringList>

enum class DisplayMode { Normal, Hex, Dec };

class TerminalView {
public:
    virtual ~TerminalView() = default;

    // The display: append bytes (one character per byte), bounded by the view.
    virtual void appendToDisplay(const QByteArray &text) = 0;

    virtual bool transcriptChecked() const = 0;
    virtual bool autoQueryChecked() const = 0;
    virtual DisplayMode displayMode() const = 0;
    virtual QString packetSizeText() const = 0;

    // Command box (SendInfo): edit text and history list.
    virtual QString commandText() const = 0;
    virtual QStringList commandList() const = 0;
    virtual void setCommandList(const QStringList &entries, const QString &text) = 0;

    // Script file box (FileNameTextBox): edit text and recent list.
    virtual QString scriptFileText() const = 0;
    virtual QStringList scriptList() const = 0;
    virtual void setScriptList(const QStringList &entries, const QString &text) = 0;
    virtual void setScriptFileText(const QString &text) = 0;
    virtual void focusScriptFile() = 0;

    virtual void setSendCommandEnabled(bool enabled) = 0;
    virtual void setGetrespEnabled(bool enabled) = 0;
    virtual void focusIndata() = 0;
    virtual void clearIndata() = 0;

    // Port display and the Break button.
    virtual void setCurPort(const QString &text) = 0;
    virtual void setBreakEnabled(bool enabled) = 0;
    virtual void setBreakCaption(const QString &caption) = 0;

    // Log state shown by the window: caption and the two File menu items.
    virtual void setWindowCaption(const QString &caption) = 0;
    virtual void setLogMenus(bool logging) = 0;

    // The status line beside "Status - ": why something did not happen.
    virtual void setStatusText(const QString &text) { (void)text; }
};
