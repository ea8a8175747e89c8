#pragma once
// What the core reads from and does to the main window. frmTerminal
// implements it with its widgets; the console runner, the fuzz targets and
// the tests build on NullTerminalView and show only what they need.
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

// A view that shows nothing: checks off, boxes empty, the normal display
// mode; what it is told is dropped.
class NullTerminalView : public TerminalView {
public:
    void appendToDisplay(const QByteArray &) override {}
    bool transcriptChecked() const override { return false; }
    bool autoQueryChecked() const override { return false; }
    DisplayMode displayMode() const override { return DisplayMode::Normal; }
    QString packetSizeText() const override { return {}; }
    QString commandText() const override { return {}; }
    QStringList commandList() const override { return {}; }
    void setCommandList(const QStringList &, const QString &) override {}
    QString scriptFileText() const override { return {}; }
    QStringList scriptList() const override { return {}; }
    void setScriptList(const QStringList &, const QString &) override {}
    void setScriptFileText(const QString &) override {}
    void focusScriptFile() override {}
    void setSendCommandEnabled(bool) override {}
    void setGetrespEnabled(bool) override {}
    void focusIndata() override {}
    void clearIndata() override {}
    void setCurPort(const QString &) override {}
    void setBreakEnabled(bool) override {}
    void setBreakCaption(const QString &) override {}
    void setWindowCaption(const QString &) override {}
    void setLogMenus(bool) override {}
};
