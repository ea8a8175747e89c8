#pragma once
// The main window: the controls, the menus, and thin handlers that call the core.
#include "link/TerminalView.h"
#include "session/PrinterStation.h"
#include "widgets/WindowPlace.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class POSPrinter;
class Operator;
class EventPump;
class Session;
class Commands;
class KeyInput;
class ScriptRunner;
class MacroController;
class PauseOnDemand;
class ConfigScrn;
class frmAbout;
class frmMacro;
class QuitSignals;
class PaperFeed;
class ReceiptInterpreter;
class ReceiptPreview;
class PassThroughWatch;
class VirtualPrinter;
class TermDisplay;

class frmTerminal : public QMainWindow, public TerminalView {
    Q_OBJECT
public:
    // Null arguments mean the production port, message boxes and event pump.
    explicit frmTerminal(POSPrinter *port = nullptr, Operator *op = nullptr, EventPump *pump = nullptr,
                         QWidget *parent = nullptr);
    ~frmTerminal() override;

    PrinterStation &station() { return *m_station; }
    Session &session() { return m_station->session(); }
    Commands &commands() { return *m_commands; }
    KeyInput &keyInput() { return *m_keys; }
    TrafficLog &trafficLog() { return m_station->log(); }
    ScriptRunner &scripts() { return *m_scripts; }
    MacroController &macros() { return *m_macros; }
    ConfigScrn *configScrn() const { return m_config; }
    frmAbout *aboutBox() const { return m_about; }
    frmMacro *macroWindow() const { return m_macroWindow; }
    ReceiptPreview *previewWindow() const { return m_preview; }
    PassThroughWatch &passThrough() { return m_station->passThrough(); }
    // Serves a point-of-sale program on listen ("" stops), on the chosen port;
    // "" or why it cannot (also shown in the status line).
    QString servePassThrough(const QString &listen);
    // The printer built into the program while it is the chosen port (made
    // now if it was not); null for another port or a port given by the caller.
    VirtualPrinter *ensureBuiltInPrinter() { return m_station->ensureBuiltInPrinter(); }
    // Prints every byte that waits, then gives the paper: every byte the port
    // took, for the receipt preview.
    ReceiptInterpreter &printedPaper() { return m_station->printedPaper(); }
    PaperFeed &paperFeed() { return m_station->paperFeed(); }

    // The display's exact text: one character per byte, CR LF line breaks.
    const QByteArray &termText() const;
    // Vertical position of Line1 in pixels (1680 twips at design).
    int line1Y() const { return m_line1Y; }

    // TerminalView
    void appendToDisplay(const QByteArray &text) override;
    bool transcriptChecked() const override;
    bool autoQueryChecked() const override;
    DisplayMode displayMode() const override;
    QString packetSizeText() const override;
    QString commandText() const override;
    QStringList commandList() const override;
    void setCommandList(const QStringList &entries, const QString &text) override;
    QString scriptFileText() const override;
    QStringList scriptList() const override;
    void setScriptList(const QStringList &entries, const QString &text) override;
    void setScriptFileText(const QString &text) override;
    void focusScriptFile() override;
    void setSendCommandEnabled(bool enabled) override;
    void setGetrespEnabled(bool enabled) override;
    void focusIndata() override;
    void clearIndata() override;
    void setCurPort(const QString &text) override;
    void setBreakEnabled(bool enabled) override;
    void setBreakCaption(const QString &caption) override;
    void setWindowCaption(const QString &caption) override;
    void setLogMenus(bool logging) override;
    // Status line beside "Status - ".
    void setStatusText(const QString &text) override;

    // Display bounds: past kTermLimit characters only the last kTermKeep remain.
    static constexpr int kTermLimit = 20000;
    static constexpr int kTermKeep = 2000;
    // Line1 sits at 1680 twips (see WindowPlace).
    static constexpr int kLine1Twips = 1680;
    // The settings key of "Serve a point-of-sale program on" ("" or missing: off).
    static const QString kPassThroughKey;

public slots:
    void SendCommand_Click();
    void LoopButton_Click();
    void Getresp_Click();
    void DoBreak_Click();
    void GetFileName_Click();
    void SendScript_Click();
    void MOpenLog_Click();
    void MCloseLog_Click();
    void MFileExit_Click();
    void MSettings_Click();
    void MPreview_Click();
    void DoMacros_Click();
    void Operation_Click();
    void MXCommands_Click();
    void PGMGuide_Click();
    void HelpAbout_Click();
    void PassHelp_Click();
    void Echo_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Timer1_Timer();

    // SIGTERM, SIGHUP and SIGINT end the program as File > Exit does (the
    // log closed, the settings saved), also while a script or loop runs.
    void endOnQuitSignals();

    // Called by other windows.
    void DispPort();
    void DoneMacro();
    void MXMacroHelp();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void openHelp(const QString &document);
    // Runs one of the window's own operations on the port the station lends
    // it; refused (the status line says why) while a point-of-sale program is
    // connected, or a command while a script runs.
    void withPort(PrinterStation::PortUse use, const std::function<void()> &operation);
    bool refused(PrinterStation::Refusal why);
    void setServing(bool connected);
    void showServeStatus(const QString &text);
    void showStationStatus(const QString &text, bool passThroughWords);
    bool Indata_KeyEvent(QKeyEvent *event);
    // Sends typed characters one byte each; false (nothing sent) when one is not Latin-1.
    bool sendTypedText(const QString &text);

    // Owned production implementations, used when the caller passes none.
    std::unique_ptr<Operator> m_ownOperator;
    std::unique_ptr<EventPump> m_ownPump;
    // The printer this window presents: port, paper, session, log, pass-through.
    std::unique_ptr<PrinterStation> m_station;

    std::unique_ptr<Commands> m_commands;
    std::unique_ptr<KeyInput> m_keys;
    std::unique_ptr<PauseOnDemand> m_pause;
    std::unique_ptr<ScriptRunner> m_scripts;
    std::unique_ptr<MacroController> m_macros;
    ConfigScrn *m_config = nullptr;
    frmAbout *m_about = nullptr;
    frmMacro *m_macroWindow = nullptr;
    ReceiptPreview *m_preview = nullptr;
    QuitSignals *m_quitSignals = nullptr;
    QString m_serveRefusal;       // the status line's words for the last place refused
    bool m_sendWanted = true;     // what the core last asked of Send Command
    bool m_getrespWanted = true;  // and of Get Response

    TermDisplay *m_display = nullptr;
    int m_line1Y = 112;
    WindowPlace m_place;
    bool m_unloaded = false;

public:
    // Controls, named as the design names them.
    QWidget *Band = nullptr;
    QPushButton *LoopButton = nullptr;
    QPushButton *DoBreak = nullptr;
    QLineEdit *PackSize = nullptr;
    QCheckBox *AutoQuery = nullptr;
    QRadioButton *Option3 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QComboBox *FileNameTextBox = nullptr;
    QComboBox *SendInfo = nullptr;
    QCheckBox *Echo = nullptr;
    QPushButton *GetFileName = nullptr;
    QPushButton *SendScript = nullptr;
    QLineEdit *Indata = nullptr;
    QPushButton *SendCommand = nullptr;
    QPushButton *Getresp = nullptr;
    QPlainTextEdit *Term = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *CurPort = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QFrame *Line1 = nullptr;
    QLabel *Label1 = nullptr;
    QAction *MOpenLog = nullptr;
    QAction *MCloseLog = nullptr;
    QAction *MFileExit = nullptr;
    QAction *MSettings = nullptr;
    QAction *MPreview = nullptr;
    QAction *DoMacros = nullptr;
    QAction *Operation = nullptr;
    QAction *MXCommands = nullptr;
    QAction *PGMGuide = nullptr;
    QAction *HelpAbout = nullptr;
    QAction *PassHelp = nullptr;
};
