#include "terminal/frmTerminal.h"

#include "commands/Commands.h"
#include "config/ConfigScrn.h"
#include "help/HelpDocs.h"
#include "help/frmAbout.h"
#include "link/EventPump.h"
#include "link/SerialPOSPrinter.h"
#include "macros/MacroController.h"
#include "macros/frmMacro.h"
#include "scripts/FrmPause.h"
#include "scripts/ScriptRunner.h"
#include "terminal/KeyInput.h"
#include "terminal/QtOperator.h"
#include "terminal/Session.h"
#include "terminal/SettingsStore.h"
#include "terminal/TrafficLog.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextCursor>

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kLine1Twips = 1680;

template <typename W>
W *named(W *widget, const char *name, const QString &accessible)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessible);
    return widget;
}
} // namespace

frmTerminal::frmTerminal(POSPrinter *port, Operator *op, EventPump *pump, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTerminal"));
    if (!port) {
        auto serial = std::make_unique<SerialPOSPrinter>();
        serial->onStatus = [this](const QString &text) { setStatusText(text); };
        m_ownPort = std::move(serial);
        port = m_ownPort.get();
    }
    if (!op) {
        m_ownOperator = std::make_unique<QtOperator>(this);
        op = m_ownOperator.get();
    }
    if (!pump) {
        m_ownPump = std::make_unique<AppEventPump>();
        pump = m_ownPump.get();
    }

    buildControls();
    buildMenus();

    m_session = std::make_unique<Session>(*port, *op, *pump, *this);
    m_commands = std::make_unique<Commands>(*m_session);
    m_keys = std::make_unique<KeyInput>(*m_session);
    m_log = std::make_unique<TrafficLog>(*m_session);
    m_session->setLogSink(m_log.get());
    m_pause = std::make_unique<FrmPause>(this);
    m_scripts = std::make_unique<ScriptRunner>(*m_session, *m_pause, [this] { m_commands->Getresp_Click(); },
                                               [this](const QString &note) { setStatusText(note); });
    m_macros = std::make_unique<MacroController>(*m_session, [this] {
        if (!m_macroWindow)
            m_macroWindow = new frmMacro(*m_session, [this] { DoneMacro(); }, [this] { MXMacroHelp(); }, this);
        m_macroWindow->loadAndShow();
    });
    m_session->link.timer().setObjectName(QStringLiteral("Timer1"));

    Form_Load();
}

frmTerminal::~frmTerminal()
{
    // The forms that hold references into the session go first.
    delete m_config;
    delete m_about;
    delete m_macroWindow;
    m_pause.reset();
}

void frmTerminal::buildControls()
{
    setWindowTitle(QStringLiteral("Marlix Terminal"));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);

    Band = new QWidget(central);
    Band->setObjectName(QStringLiteral("Band"));
    auto *grid = new QGridLayout(Band);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    Label3 = named(new QLabel(QStringLiteral("Command"), Band), "Label3", QStringLiteral("Command"));
    SendInfo = named(new QComboBox(Band), "SendInfo", QStringLiteral("Command"));
    SendInfo->setEditable(true);
    SendInfo->setInsertPolicy(QComboBox::NoInsert);
    SendInfo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Label3->setBuddy(SendInfo);
    SendCommand = named(new QPushButton(QStringLiteral("Send Command"), Band), "SendCommand",
                        QStringLiteral("Send Command"));
    LoopButton = named(new QPushButton(QStringLiteral("Loop"), Band), "LoopButton", QStringLiteral("Loop"));
    Getresp = named(new QPushButton(QStringLiteral("Get Response"), Band), "Getresp",
                    QStringLiteral("Get Response"));
    DoBreak = named(new QPushButton(QStringLiteral("Break"), Band), "DoBreak", QStringLiteral("Break"));

    Label5 = named(new QLabel(QStringLiteral("Script File"), Band), "Label5", QStringLiteral("Script File"));
    FileNameTextBox = named(new QComboBox(Band), "FileNameTextBox", QStringLiteral("Script File"));
    FileNameTextBox->setEditable(true);
    FileNameTextBox->setInsertPolicy(QComboBox::NoInsert);
    FileNameTextBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Label5->setBuddy(FileNameTextBox);
    GetFileName = named(new QPushButton(QStringLiteral("..."), Band), "GetFileName", QStringLiteral("..."));
    GetFileName->setToolTip(QStringLiteral("Choose a demonstration file"));
    GetFileName->setFixedWidth(36);
    SendScript = named(new QPushButton(QStringLiteral("Send Script"), Band), "SendScript",
                       QStringLiteral("Send Script"));
    Label7 = named(new QLabel(QStringLiteral("Packet Size"), Band), "Label7", QStringLiteral("Packet Size"));
    PackSize = named(new QLineEdit(QStringLiteral("20"), Band), "PackSize", QStringLiteral("Packet Size"));
    PackSize->setFixedWidth(56);
    Label7->setBuddy(PackSize);

    Option1 = named(new QRadioButton(QStringLiteral("Hex"), Band), "Option1", QStringLiteral("Hex"));
    Option2 = named(new QRadioButton(QStringLiteral("Dec"), Band), "Option2", QStringLiteral("Dec"));
    Option3 = named(new QRadioButton(QStringLiteral("Normal"), Band), "Option3", QStringLiteral("Normal"));
    Option3->setChecked(true);
    auto *modes = new QButtonGroup(Band);
    modes->addButton(Option1);
    modes->addButton(Option2);
    modes->addButton(Option3);
    AutoQuery = named(new QCheckBox(QStringLiteral("Auto Query"), Band), "AutoQuery", QStringLiteral("Auto Query"));
    AutoQuery->setChecked(true);
    Echo = named(new QCheckBox(QStringLiteral("Transcript"), Band), "Echo", QStringLiteral("Transcript"));
    Echo->setChecked(true);
    Label6 = named(new QLabel(QStringLiteral("Port:"), Band), "Label6", QStringLiteral("Port:"));
    CurPort = named(new QLabel(Band), "CurPort", QStringLiteral("Port"));
    CurPort->setMinimumWidth(120);
    Label2 = named(new QLabel(QStringLiteral("Status - "), Band), "Label2", QStringLiteral("Status - "));
    Label1 = named(new QLabel(Band), "Label1", QStringLiteral("Status"));
    // Long reasons are clipped, not allowed to squeeze the buttons; the tool tip has them whole.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label4 = named(new QLabel(QStringLiteral("Interactive"), Band), "Label4", QStringLiteral("Interactive"));
    Indata = named(new QLineEdit(Band), "Indata", QStringLiteral("Interactive"));
    Label4->setBuddy(Indata);

    // Row 0: commands; row 1: scripts; row 2: display options and port; row 3: keys.
    grid->addWidget(Label3, 0, 0);
    grid->addWidget(SendInfo, 0, 1);
    auto *commandButtons = new QHBoxLayout;
    commandButtons->setSpacing(6);
    commandButtons->addWidget(SendCommand);
    commandButtons->addWidget(LoopButton);
    commandButtons->addWidget(Getresp);
    commandButtons->addWidget(DoBreak);
    grid->addLayout(commandButtons, 0, 2);

    grid->addWidget(Label5, 1, 0);
    auto *scriptRow = new QHBoxLayout;
    scriptRow->setSpacing(6);
    scriptRow->addWidget(FileNameTextBox, 1);
    scriptRow->addWidget(GetFileName);
    grid->addLayout(scriptRow, 1, 1);
    auto *scriptButtons = new QHBoxLayout;
    scriptButtons->setSpacing(6);
    scriptButtons->addWidget(SendScript);
    scriptButtons->addStretch(1);
    scriptButtons->addWidget(Label7);
    scriptButtons->addWidget(PackSize);
    grid->addLayout(scriptButtons, 1, 2);

    auto *optionsRow = new QHBoxLayout;
    optionsRow->setSpacing(10);
    optionsRow->addWidget(Option3);
    optionsRow->addWidget(Option1);
    optionsRow->addWidget(Option2);
    optionsRow->addSpacing(12);
    optionsRow->addWidget(AutoQuery);
    optionsRow->addWidget(Echo);
    optionsRow->addSpacing(12);
    optionsRow->addWidget(Label6);
    optionsRow->addWidget(CurPort, 1);
    grid->addLayout(optionsRow, 2, 0, 1, 3);

    grid->addWidget(Label4, 3, 0);
    grid->addWidget(Indata, 3, 1, 1, 2);

    // The status gets a row of its own: a failed open's reason must be readable.
    grid->addWidget(Label2, 4, 0);
    grid->addWidget(Label1, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    Line1 = new QFrame(central);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    Term = named(new QPlainTextEdit(central), "Term", QStringLiteral("Terminal"));
    Term->setReadOnly(true);
    Term->setUndoRedoEnabled(false);
    Term->setLineWrapMode(QPlainTextEdit::NoWrap);
    Term->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Term->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    Term->setFont(mono);
    Term->installEventFilter(this);
    Term->viewport()->installEventFilter(this);
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintMs);
    connect(&m_repaint, &QTimer::timeout, this, [this] {
        catchUpDisplay();
        Term->setUpdatesEnabled(true);
    });
    Indata->installEventFilter(this);

    m_line1Y = std::max(kLine1Twips / kTwipsPerPixel, Band->sizeHint().height());

    connect(SendCommand, &QPushButton::clicked, this, &frmTerminal::SendCommand_Click);
    connect(LoopButton, &QPushButton::clicked, this, &frmTerminal::LoopButton_Click);
    connect(Getresp, &QPushButton::clicked, this, &frmTerminal::Getresp_Click);
    connect(DoBreak, &QPushButton::clicked, this, &frmTerminal::DoBreak_Click);
    connect(GetFileName, &QPushButton::clicked, this, &frmTerminal::GetFileName_Click);
    connect(SendScript, &QPushButton::clicked, this, &frmTerminal::SendScript_Click);
    connect(Echo, &QCheckBox::clicked, this, &frmTerminal::Echo_Click);
    connect(Option1, &QRadioButton::clicked, this, &frmTerminal::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &frmTerminal::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &frmTerminal::Option3_Click);
}

void frmTerminal::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto menu = [bar](const char *name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    auto item = [this](QMenu *m, const char *name, const QString &caption, void (frmTerminal::*slot)()) {
        QAction *a = m->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *file = menu("MFile", QStringLiteral("&File"));
    MOpenLog = item(file, "MOpenLog", QStringLiteral("&Open Log File..."), &frmTerminal::MOpenLog_Click);
    MCloseLog = item(file, "MCloseLog", QStringLiteral("&Close Log File"), &frmTerminal::MCloseLog_Click);
    MCloseLog->setEnabled(false);
    file->addSeparator();
    MFileExit = item(file, "MFileExit", QStringLiteral("E&xit"), &frmTerminal::MFileExit_Click);

    QMenu *port = menu("MPort", QStringLiteral("&Port"));
    MSettings = item(port, "MSettings", QStringLiteral("&Settings..."), &frmTerminal::MSettings_Click);

    QMenu *mac = menu("Mac", QStringLiteral("&Macros"));
    DoMacros = item(mac, "DoMacros", QStringLiteral("Program"), &frmTerminal::DoMacros_Click);

    QMenu *help = menu("HelpMenu", QStringLiteral("&Help"));
    Operation = item(help, "Operation", QStringLiteral("Operation"), &frmTerminal::Operation_Click);
    MXCommands = item(help, "MXCommands", QStringLiteral("MX2100 Commands"), &frmTerminal::MXCommands_Click);
    PGMGuide = item(help, "PGMGuide", QStringLiteral("Programmers Guide"), &frmTerminal::PGMGuide_Click);
    HelpAbout = item(help, "HelpAbout", QStringLiteral("About"), &frmTerminal::HelpAbout_Click);
}

void frmTerminal::Form_Load()
{
    // The mnemonic table is built once, on first use, by the notation itself.
    FileNameTextBox->setEditText(QString());
    m_session->StartDir = QDir::currentPath();
    m_session->CounterA = 0;
    m_session->CounterB = 0;

    const SettingsStore::Stored stored = SettingsStore::load();
    move(stored.mainLeft / kTwipsPerPixel, stored.mainTop / kTwipsPerPixel);
    m_session->link.vars.CommPort = stored.link.CommPort;
    m_session->link.vars.CommBaud = stored.link.CommBaud;
    m_session->link.vars.CommParity = stored.link.CommParity;
    m_session->link.vars.CommDataBits = stored.link.CommDataBits;
    m_session->link.vars.CommStopBits = stored.link.CommStopBits;
    m_session->link.vars.CommFlow = stored.link.CommFlow;
    DispPort();
    SendInfo->addItems(stored.commands);
    SendInfo->setEditText(QString());
    FileNameTextBox->addItems(stored.scripts);
    FileNameTextBox->setEditText(QString());
    m_session->link.MacroMode = false;
    m_session->link.ClosePending = false;
    resize(900, 600);
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
    const int y = m_line1Y;
    Band->setGeometry(0, 0, w, y);
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
    m_session->link.Looping = false;
    m_session->link.ShuttingDown = true;
    if (!isMinimized()) {
        QStringList commands = commandList();
        QStringList scripts = scriptList();
        SettingsStore::save(x() * kTwipsPerPixel, y() * kTwipsPerPixel, m_session->link.vars, commands,
                            scripts);
    }
    m_session->port.ClosePort();
    if (m_log->isOpen())
        m_log->MCloseLog_Click();
    m_session->link.timer().stop();
}

// --- display ---------------------------------------------------------------

void frmTerminal::appendToDisplay(const QByteArray &text)
{
    // Every append serves events; laying out and painting the display each
    // time would make a fast script crawl. While text streams in, the widget
    // catches up every kRepaintMs instead, and at once when the stream pauses.
    // termText() is exact at every moment.
    if (Term->updatesEnabled() && Term->isVisible()) {
        Term->setUpdatesEnabled(false);
        m_repaint.start();
    }
    m_termText += text;
    if (m_termText.size() > kTermLimit) {
        m_termText = m_termText.right(kTermKeep);
        m_displayStale = true;
        m_pendingShown.clear();
    } else if (!m_displayStale) {
        m_pendingShown += QString::fromLatin1(text);
    }
    if (Term->updatesEnabled())
        catchUpDisplay();
}

void frmTerminal::catchUpDisplay()
{
    if (m_displayStale) {
        QString shown = QString::fromLatin1(m_termText);
        shown.remove(QLatin1Char('\r'));
        Term->setPlainText(shown);
    } else if (!m_pendingShown.isEmpty()) {
        // Inserting at the end lays out only the new text, not the whole display.
        m_pendingShown.remove(QLatin1Char('\r'));
        QTextCursor end(Term->document());
        end.movePosition(QTextCursor::End);
        end.insertText(m_pendingShown);
    }
    m_displayStale = false;
    m_pendingShown.clear();
    Term->moveCursor(QTextCursor::End);
    Term->ensureCursorVisible();
}

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
void frmTerminal::setSendCommandEnabled(bool enabled) { SendCommand->setEnabled(enabled); }
void frmTerminal::setGetrespEnabled(bool enabled) { Getresp->setEnabled(enabled); }
void frmTerminal::focusIndata() { Indata->setFocus(); }
void frmTerminal::clearIndata() { Indata->clear(); }
void frmTerminal::setCurPort(const QString &text) { CurPort->setText(text); }
void frmTerminal::setBreakEnabled(bool enabled) { DoBreak->setEnabled(enabled); }
void frmTerminal::setBreakCaption(const QString &caption) { DoBreak->setText(caption); }
void frmTerminal::setWindowCaption(const QString &caption) { setWindowTitle(caption); }

void frmTerminal::setLogMenus(bool logging)
{
    MOpenLog->setEnabled(!logging);
    MCloseLog->setEnabled(logging);
}

void frmTerminal::setStatusText(const QString &text)
{
    Label1->setText(text);
    Label1->setToolTip(text);
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

// A script run leaves the window live, and a nested run re-enables Send
// Command and Get Response when it ends; a command sent, a loop started or a
// reply read then would take the script's queued bytes or close its port.
bool frmTerminal::refuseDuringScript()
{
    if (!m_scripts->running())
        return false;
    setStatusText(QStringLiteral("A script is running: commands and replies wait until it has ended."));
    return true;
}

void frmTerminal::SendCommand_Click()
{
    if (!refuseDuringScript())
        m_commands->SendCommand_Click();
}

void frmTerminal::LoopButton_Click()
{
    if (!refuseDuringScript())
        m_commands->LoopButton_Click();
}

void frmTerminal::Getresp_Click()
{
    if (!refuseDuringScript())
        m_commands->Getresp_Click();
}
void frmTerminal::DoBreak_Click() { m_session->link.DoBreak_Click(); }
void frmTerminal::Timer1_Timer() { m_session->link.Timer1_Timer(); }
void frmTerminal::DispPort() { m_session->link.DispPort(); }
void frmTerminal::GetFileName_Click() { m_scripts->GetFileName_Click(); }
void frmTerminal::SendScript_Click() { m_scripts->SendScript_Click(); }
void frmTerminal::MOpenLog_Click() { m_log->MOpenLog_Click(); }
void frmTerminal::MCloseLog_Click() { m_log->MCloseLog_Click(); }
void frmTerminal::DoMacros_Click() { m_macros->DoMacros_Click(); }
void frmTerminal::DoneMacro() { m_macros->DoneMacro(); }

void frmTerminal::MSettings_Click()
{
    m_session->link.ReleaseHeldPort();
    if (!m_config)
        m_config = new ConfigScrn(m_session->link, m_session->port, [this] { DispPort(); }, this);
    // A dialog already on screen keeps what the operator has typed into it.
    if (!m_config->isVisible())
        m_config->Form_Load();
    m_config->show();
    m_config->raise();
    DispPort();
}

void frmTerminal::openHelp(const QString &document)
{
    HelpDocs::openHelpDocument(m_session->StartDir, document, this);
}

void frmTerminal::Operation_Click() { openHelp(QStringLiteral("MXDEMO.htm")); }
void frmTerminal::MXCommands_Click() { openHelp(QStringLiteral("MXCmd.htm")); }
void frmTerminal::PGMGuide_Click() { openHelp(QStringLiteral("MXpgm.htm")); }
void frmTerminal::MXMacroHelp() { openHelp(QStringLiteral("MXMacro.htm")); }

void frmTerminal::HelpAbout_Click()
{
    if (!m_about)
        m_about = new frmAbout(m_session->op, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
