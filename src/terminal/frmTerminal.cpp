#include "terminal/frmTerminal.h"

#include "commands/Commands.h"
#include "commands/PassThroughText.h"
#include "config/ConfigScrn.h"
#include "help/HelpDocs.h"
#include "help/frmAbout.h"
#include "link/EventPump.h"
#include "link/POSPrinter.h"
#include "macros/MacroController.h"
#include "macros/frmMacro.h"
#include "preview/ReceiptPreview.h"
#include "scripts/FrmPause.h"
#include "scripts/ScriptRunner.h"
#include "session/PassThroughWatch.h"
#include "session/QuitSignals.h"
#include "session/Session.h"
#include "session/SettingsStore.h"
#include "session/SharedWords.h"
#include "session/TrafficLog.h"
#include "terminal/KeyInput.h"
#include "terminal/QtOperator.h"
#include "terminal/TermDisplay.h"
#include "widgets/Accessibility.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

frmTerminal::frmTerminal(POSPrinter *port, Operator *op, EventPump *pump, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTerminal"));
    if (!op) {
        m_ownOperator = std::make_unique<QtOperator>(this);
        op = m_ownOperator.get();
    }
    if (!pump) {
        m_ownPump = std::make_unique<AppEventPump>();
        pump = m_ownPump.get();
    }
    m_station = std::make_unique<PrinterStation>(port, PrinterStation::Parts{*op, *pump, *this, std::make_unique<PassThroughText>()});
    connect(m_station.get(), &PrinterStation::status, this, &frmTerminal::showStationStatus);
    connect(m_station.get(), &PrinterStation::paperMoved, this, [this] {
        if (m_preview)
            m_preview->paperFed();
    });
    connect(m_station.get(), &PrinterStation::programConnectedChanged, this, &frmTerminal::setServing);
    Session &session = m_station->session();

    Accessibility::nameComboBoxesByLabel();
    buildControls();
    buildMenus();

    m_commands = std::make_unique<Commands>(session);
    m_keys = std::make_unique<KeyInput>(session);
    m_pause = std::make_unique<PauseOnDemand>(this);
    m_scripts = std::make_unique<ScriptRunner>(session, *m_pause, [this] { m_commands->Getresp_Click(); },
                                               [this](const QString &note) { setStatusText(note); });
    m_macros = std::make_unique<MacroController>(session, [this] {
        if (!m_macroWindow)
            m_macroWindow = new frmMacro(m_station->session(), [this] { DoneMacro(); }, [this] { MXMacroHelp(); }, this);
        m_macroWindow->loadAndShow();
    });
    session.link.timer().setObjectName(QStringLiteral("Timer1"));

    Form_Load();
}

frmTerminal::~frmTerminal()
{
    // The forms that hold references into the session go first.
    delete m_preview;
    delete m_config;
    delete m_about;
    delete m_macroWindow;
    m_pause.reset();
    // Its last word (a client let go) would reach a window half gone.
    m_station->disconnect(this);
    m_station->passThrough().stop();
}

void frmTerminal::Form_Load()
{
    // The mnemonic table is built once, on first use, by the notation itself.
    FileNameTextBox->setEditText(QString());
    session().StartDir = QDir::currentPath();
    session().CounterA = 0;
    session().CounterB = 0;

    const SettingsStore::Stored stored = SettingsStore::load();
    resize(900, 600); // before it is placed: what shows of it on the screen counts
    m_place.restore(*this, QPoint(stored.mainLeft, stored.mainTop));
    session().link.vars.CommPort = stored.link.CommPort;
    session().link.vars.CommBaud = stored.link.CommBaud;
    session().link.vars.CommParity = stored.link.CommParity;
    session().link.vars.CommDataBits = stored.link.CommDataBits;
    session().link.vars.CommStopBits = stored.link.CommStopBits;
    session().link.vars.CommFlow = stored.link.CommFlow;
    DispPort();
    SendInfo->addItems(stored.commands);
    SendInfo->setEditText(QString());
    FileNameTextBox->addItems(stored.scripts);
    FileNameTextBox->setEditText(QString());
    session().link.MacroMode = false;
    session().link.ClosePending = false;
    // A stored place that cannot be served on now says why in the status line and is kept.
    servePassThrough(SettingsStore::loadText(kPassThroughKey, QString()));
}

void frmTerminal::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmTerminal::Form_Resize()
{
    QWidget *inner = centralWidget();
    const int w = inner->width();
    const int h = inner->height();
    // Narrower than its controls need, the band keeps its designed width and
    // the window clips it: a squeezed "Commanc" or a sliver of a button helps nobody.
    const int bandWidth = std::max(w, Band->minimumSizeHint().width());
    // As low as the design's Line1, or as the rows need: a status that wraps
    // pushes the display down while it shows.
    QLayout *rows = Band->layout();
    m_line1Y = std::max(kLine1Twips / WindowPlace::kTwipsPerPixel,
                        rows->hasHeightForWidth() ? rows->totalHeightForWidth(bandWidth) : Band->sizeHint().height());
    const int y = m_line1Y;
    Band->setGeometry(0, 0, bandWidth, y);
    Line1->setGeometry(0, y - 1, w, 2);
    // Indata is stretched by the band's layout; the display fills what is left.
    if (h > y)
        Term->setGeometry(0, y, w, h - y + 1);
    else
        Term->setGeometry(0, y, w, h);
}

void frmTerminal::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
    QApplication::quit();
}

void frmTerminal::endOnQuitSignals()
{
    if (!m_quitSignals)
        m_quitSignals = new QuitSignals([this](int) { MFileExit_Click(); }, this);
}

void frmTerminal::MFileExit_Click()
{
    Form_Unload();
    close();
}

void frmTerminal::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // Operations still running inside this handler (a command loop, a script)
    // stop at their next step instead of outliving the window.
    session().link.Looping = false;
    session().link.ShuttingDown = true;
    if (!isMinimized()) {
        QStringList commands = commandList();
        QStringList scripts = scriptList();
        const QPoint twips = m_place.storedPos(*this);
        SettingsStore::save(twips.x(), twips.y(), session().link.vars, commands, scripts);
        SettingsStore::saveText(kPassThroughKey, passThrough().listen());
        if (m_preview)
            m_preview->savePlace();
    }
    passThrough().stop();
    session().port.ClosePort();
    if (trafficLog().isOpen())
        trafficLog().MCloseLog_Click();
    session().link.timer().stop();
}

// --- display ---------------------------------------------------------------

void frmTerminal::appendToDisplay(const QByteArray &text) { m_display->append(text); }
const QByteArray &frmTerminal::termText() const { return m_display->text(); }

bool frmTerminal::transcriptChecked() const { return Echo->isChecked(); }
bool frmTerminal::autoQueryChecked() const { return AutoQuery->isChecked(); }

DisplayMode frmTerminal::displayMode() const
{
    if (Option1->isChecked())
        return DisplayMode::Hex;
    if (Option2->isChecked())
        return DisplayMode::Dec;
    return DisplayMode::Normal;
}

QString frmTerminal::packetSizeText() const { return PackSize->text(); }
QString frmTerminal::commandText() const { return SendInfo->currentText(); }

const QString frmTerminal::kPassThroughKey = QStringLiteral("PassThrough");

static QStringList comboEntries(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

static void setComboEntries(QComboBox *box, const QStringList &entries, const QString &text)
{
    box->clear();
    box->addItems(entries);
    box->setEditText(text);
}

QStringList frmTerminal::commandList() const { return comboEntries(SendInfo); }
void frmTerminal::setCommandList(const QStringList &entries, const QString &text) { setComboEntries(SendInfo, entries, text); }
QString frmTerminal::scriptFileText() const { return FileNameTextBox->currentText(); }
QStringList frmTerminal::scriptList() const { return comboEntries(FileNameTextBox); }
void frmTerminal::setScriptList(const QStringList &entries, const QString &text) { setComboEntries(FileNameTextBox, entries, text); }
void frmTerminal::setScriptFileText(const QString &text) { FileNameTextBox->setEditText(text); }
void frmTerminal::focusScriptFile() { FileNameTextBox->setFocus(); }
void frmTerminal::setSendCommandEnabled(bool enabled)
{
    m_sendWanted = enabled;
    SendCommand->setEnabled(enabled && !m_station->programConnected());
}
void frmTerminal::setGetrespEnabled(bool enabled)
{
    m_getrespWanted = enabled;
    Getresp->setEnabled(enabled && !m_station->programConnected());
}
void frmTerminal::focusIndata() { Indata->setFocus(); }
void frmTerminal::clearIndata() { Indata->clear(); }
void frmTerminal::setCurPort(const QString &text)
{
    CurPort->setText(text);
    CurPort->setAccessibleDescription(text); // a reader hears "Port" and what it shows
}
void frmTerminal::setBreakEnabled(bool enabled) { DoBreak->setEnabled(enabled); }
void frmTerminal::setBreakCaption(const QString &caption)
{
    DoBreak->setText(caption);
    // Break holds the line in a blocking wait: paint now, or "Wait" is never seen.
    DoBreak->repaint();
}
void frmTerminal::setWindowCaption(const QString &caption) { setWindowTitle(caption); }

void frmTerminal::setLogMenus(bool logging)
{
    MOpenLog->setEnabled(!logging);
    MCloseLog->setEnabled(logging);
}

void frmTerminal::setStatusText(const QString &text)
{
    if (text == Label1->text())
        return;
    Label1->setText(text);
    Label1->setAccessibleDescription(text);
    Label1->setToolTip(text);
    Form_Resize(); // a longer or shorter text takes more or fewer lines
}

// --- focus and keys ----------------------------------------------------------

bool frmTerminal::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Term || watched == Term->viewport()) && event->type() == QEvent::FocusIn) {
        // The display never keeps the focus: typing always goes to Indata.
        Indata->setFocus();
        return false;
    }
    if (watched == Indata && event->type() == QEvent::KeyPress)
        return Indata_KeyEvent(static_cast<QKeyEvent *>(event));
    if (watched == Indata && event->type() == QEvent::InputMethod) {
        // Dead keys and composed characters arrive here, not as key presses.
        const QString text = static_cast<QInputMethodEvent *>(event)->commitString();
        return !text.isEmpty() && !sendTypedText(text);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmTerminal::Indata_KeyEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false; // moves the focus as usual
    int code = -1;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        code = ctrl ? 10 : 13; // Ctrl+Enter is the line feed key
    else if (key == Qt::Key_Escape)
        code = 27;
    else if (key == Qt::Key_Backspace)
        code = 8;
    else if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z)
        code = key - Qt::Key_A + 1;
    if (code >= 0) {
        m_keys->Indata_KeyPress(code);
        // Backspace still edits the box; Enter, Escape and Ctrl keys are only sent.
        return code != 8 || ctrl;
    }

    const QString text = event->text();
    if (text.isEmpty())
        return false; // cursor movement and the like
    for (const QChar c : text) {
        if (c.unicode() == 127 || (c.unicode() < 32 && !ctrl))
            return false; // an editing key (Delete), not a character
    }
    if (!sendTypedText(text))
        return true; // neither sent nor typed into the box
    return ctrl;
}

bool frmTerminal::sendTypedText(const QString &text)
{
    for (const QChar c : text) {
        // Also catches the halves of a character beyond the 16-bit range.
        if (c.unicode() > 255) {
            setStatusText(QStringLiteral("\"%1\" is not a single-byte (Latin-1) character and was not sent")
                              .arg(text));
            return false;
        }
    }
    for (const QChar c : text)
        m_keys->Indata_KeyPress(c.unicode());
    return true;
}

void frmTerminal::Echo_Click() { Indata->setFocus(); }
void frmTerminal::Option1_Click() { Indata->setFocus(); }
void frmTerminal::Option2_Click() { Indata->setFocus(); }
void frmTerminal::Option3_Click() { Indata->setFocus(); }

// --- operations ----------------------------------------------------------------

void frmTerminal::withPort(PrinterStation::PortUse use, const std::function<void()> &operation)
{
    if (!m_station->takePort(use)) {
        refused(m_station->mayUse(use));
        return;
    }
    operation();
    m_station->givePort(use);
    // After the window's own command, the status line says again whom it serves.
    if (use == PrinterStation::PortUse::Command && m_station->portUser() != PrinterStation::PortUser::Window
        && passThrough().isServing())
        showServeStatus(passThrough().statusText());
}

bool frmTerminal::refused(PrinterStation::Refusal why)
{
    if (why == PrinterStation::Refusal::ProgramConnected)
        showServeStatus(passThrough().statusText());
    else if (why == PrinterStation::Refusal::ScriptRunning)
        setStatusText(QStringLiteral("A script is running: commands and replies wait until it has ended."));
    return why != PrinterStation::Refusal::None;
}

void frmTerminal::SendCommand_Click() { withPort(PrinterStation::PortUse::Command, [this] { m_commands->SendCommand_Click(); }); }
void frmTerminal::LoopButton_Click() { withPort(PrinterStation::PortUse::Command, [this] { m_commands->LoopButton_Click(); }); }
void frmTerminal::Getresp_Click() { withPort(PrinterStation::PortUse::Command, [this] { m_commands->Getresp_Click(); }); }
void frmTerminal::DoBreak_Click() { session().link.DoBreak_Click(); }
void frmTerminal::Timer1_Timer() { session().link.Timer1_Timer(); }
void frmTerminal::DispPort()
{
    session().link.DispPort();
    if (m_preview)
        m_preview->setBuiltInPrinter(ensureBuiltInPrinter());
}
void frmTerminal::GetFileName_Click() { m_scripts->GetFileName_Click(); }
void frmTerminal::SendScript_Click() { withPort(PrinterStation::PortUse::Script, [this] { m_scripts->SendScript_Click(); }); }
void frmTerminal::MOpenLog_Click() { trafficLog().MOpenLog_Click(); }
void frmTerminal::MCloseLog_Click() { trafficLog().MCloseLog_Click(); }
void frmTerminal::DoMacros_Click()
{
    if (!refused(m_station->mayUse(PrinterStation::PortUse::Macro)))
        m_macros->DoMacros_Click();
}
void frmTerminal::DoneMacro() { m_macros->DoneMacro(); }

void frmTerminal::MSettings_Click()
{
    session().link.ReleaseHeldPort();
    if (!m_config) {
        m_config = new ConfigScrn(session().link, session().port, [this] { DispPort(); }, this);
        m_config->setPassThrough([this] { return passThrough().listen(); },
                                 [this](const QString &listen) { return servePassThrough(listen); });
        // A place refused at OK and then given up: the place served before
        // serves on, and the status line says so again.
        connect(m_config, &QDialog::rejected, this, [this] {
            if (passThrough().isServing() && Label1->text() == m_serveRefusal)
                showServeStatus(passThrough().statusText());
        });
    }
    // A dialog already on screen keeps what the operator has typed into it.
    if (!m_config->isVisible())
        m_config->Form_Load();
    m_config->show();
    m_config->raise();
    DispPort();
}

void frmTerminal::MPreview_Click()
{
    if (!m_preview) {
        m_preview = new ReceiptPreview(paperFeed(), session().op, this);
        m_preview->setBuiltInPrinter(ensureBuiltInPrinter());
    }
    m_preview->showPreview();
}

void frmTerminal::openHelp(const QString &document)
{
    HelpDocs::openHelpDocument(session().StartDir, document, this);
}

void frmTerminal::Operation_Click() { openHelp(QStringLiteral("MXDEMO.htm")); }
void frmTerminal::MXCommands_Click() { openHelp(QStringLiteral("MXCmd.htm")); }
void frmTerminal::PGMGuide_Click() { openHelp(QStringLiteral("MXpgm.htm")); }
void frmTerminal::PassHelp_Click() { openHelp(QStringLiteral("MXPass.htm")); }
void frmTerminal::MXMacroHelp() { openHelp(QStringLiteral("MXMacro.htm")); }

// --- pass-through ------------------------------------------------------------

QString frmTerminal::servePassThrough(const QString &listen)
{
    const QString why = m_station->serve(listen);
    if (!why.isEmpty()) {
        m_serveRefusal = SharedWords::cannotServe(why);
        setStatusText(m_serveRefusal);
    }
    return why;
}

void frmTerminal::showStationStatus(const QString &text, bool passThroughWords)
{
    if (passThroughWords)
        showServeStatus(text);
    else
        setStatusText(text);
}

void frmTerminal::showServeStatus(const QString &text)
{
    // After a sentence (why the program waits) a sentence, else a clause.
    const bool serving = m_station->programConnected();
    if (serving && text.endsWith(QLatin1Char('.')))
        setStatusText(text + QStringLiteral(" Commands, scripts, macros and typing are off until it disconnects."));
    else if (serving)
        setStatusText(text + QStringLiteral(" - commands, scripts, macros and typing are off until it disconnects"));
    else
        setStatusText(text);
}

void frmTerminal::setServing(bool connected)
{
    SendCommand->setEnabled(m_sendWanted && !connected);
    Getresp->setEnabled(m_getrespWanted && !connected);
    // Bytes of the window's own would be mixed into the program's stream,
    // and a reply read here would never reach the program.
    for (QWidget *w : std::initializer_list<QWidget *>{LoopButton, SendScript, Indata})
        w->setEnabled(!connected);
    DoMacros->setEnabled(!connected);
    showServeStatus(passThrough().statusText());
    if (!connected && isActiveWindow())
        Indata->setFocus();
}

void frmTerminal::HelpAbout_Click()
{
    if (!m_about)
        m_about = new frmAbout(session().op, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
