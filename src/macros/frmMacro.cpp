#include "macros/frmMacro.h"

#include "link/EventPump.h"
#include "link/Operator.h"
#include "link/POSPrinter.h"
#include "macros/MacroCommands.h"
#include "session/Session.h"
#include "widgets/WindowPlace.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>
#include <QVBoxLayout>

namespace {
// Waits that give the printer time to finish a command.
constexpr int kQueryWaitMs = 100;
constexpr int kStoreWaitMs = 500;
constexpr int kRemoveWaitMs = 1000;
constexpr int kExtendedStoreWaitMs = 2000;

const QString kExtendedStoreTitle = QStringLiteral("Extended Store");

// A name goes to the printer one byte per character, so only Latin-1 can be typed.
class Latin1Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (const QChar c : input)
            if (c.unicode() > 0xFF)
                return Invalid;
        return Acceptable;
    }
};

// Accessible names are left to Qt: a caption, or the buddy label of a box,
// names a control and follows every change ("Record" becomes "End Record").
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton *button(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = named(new QPushButton(caption, parent), name);
    // Enter in the name box must not press a button behind the operator's back.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}
} // namespace

frmMacro::frmMacro(Session &session, std::function<void()> doneMacro, std::function<void()> macroHelp,
                   QWidget *mainWindow)
    : QDialog(mainWindow), m_s(session), m_doneMacro(std::move(doneMacro)), m_macroHelp(std::move(macroHelp))
{
    setObjectName(QStringLiteral("frmMacro"));
    setWindowTitle(QStringLiteral("Marlix Macros"));
    setModal(false);
    buildControls();
    Form_Initialize(mainWindow);
}

void frmMacro::buildControls()
{
    const QString placeImage = QStringLiteral("Place the Image in the printer");
    ExtStrFram = named(new QGroupBox(QStringLiteral("Extended Store"), this), "ExtStrFram");
    Transfer = button(QStringLiteral("Transfer"), "Transfer", ExtStrFram);
    Transfer->setToolTip(placeImage);
    Clearext = button(QStringLiteral("Clear"), "Clearext", ExtStrFram);
    Clearext->setToolTip(placeImage);
    Helpme = button(QStringLiteral("Help"), "Helpme", this);
    PrtQuery = named(new QCheckBox(QStringLiteral("Print Query"), this), "PrtQuery");
    Silent = named(new QCheckBox(QStringLiteral("Silent Record"), this), "Silent");
    MacroDel = button(QStringLiteral("Remove"), "MacroDel", this);
    Label2 = named(new QLabel(QStringLiteral("Size   Type   Name"), this), "Label2");
    MacroStatus = named(new QPlainTextEdit(this), "MacroStatus");
    MacroStatus->setReadOnly(true);
    MacroStatus->setUndoRedoEnabled(false);
    MacroStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    Label2->setBuddy(MacroStatus);
    MacroQuery = button(QStringLiteral("Query"), "MacroQuery", this);
    MacroRecord = button(QStringLiteral("Record"), "MacroRecord", this);
    MacroPlay = button(QStringLiteral("Play"), "MacroPlay", this);
    Label1 = named(new QLabel(QStringLiteral("Macro Name"), this), "Label1");
    MacroName = named(new QLineEdit(this), "MacroName");
    MacroName->setMaxLength(MacroCommands::kMaxNameLength);
    MacroName->setValidator(new Latin1Validator(MacroName));
    Label1->setBuddy(MacroName);
    OKButton = button(QStringLiteral("OK"), "OKButton", this);

    // The list is in columns under the heading: both in a fixed-width font.
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    MacroStatus->setFont(mono);
    Label2->setFont(mono);
    Label2->setIndent(MacroStatus->frameWidth() + int(MacroStatus->document()->documentMargin()));

    auto *ext = new QHBoxLayout(ExtStrFram);
    ext->addWidget(Transfer);
    ext->addWidget(Clearext);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(Label1);
    nameRow->addWidget(MacroName, 1);

    auto *actions = new QVBoxLayout;
    actions->addWidget(MacroQuery);
    actions->addWidget(MacroRecord);
    actions->addWidget(MacroPlay);
    actions->addWidget(MacroDel);
    actions->addSpacing(6);
    actions->addWidget(Silent);
    actions->addWidget(PrtQuery);
    actions->addStretch(1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(ExtStrFram);
    bottom->addStretch(1);
    auto *closeButtons = new QVBoxLayout;
    closeButtons->addStretch(1);
    auto *closeRow = new QHBoxLayout;
    closeRow->addWidget(Helpme);
    closeRow->addWidget(OKButton);
    closeButtons->addLayout(closeRow);
    bottom->addLayout(closeButtons);

    auto *grid = new QGridLayout(this);
    grid->addLayout(nameRow, 0, 0, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(MacroStatus, 2, 0);
    grid->addLayout(actions, 2, 1);
    grid->addLayout(bottom, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(2, 1);

    setTabOrder(MacroName, MacroQuery);
    setTabOrder(MacroQuery, MacroRecord);
    setTabOrder(MacroRecord, MacroPlay);
    setTabOrder(MacroPlay, MacroDel);
    setTabOrder(MacroDel, Silent);
    setTabOrder(Silent, PrtQuery);
    setTabOrder(PrtQuery, MacroStatus);
    setTabOrder(MacroStatus, Transfer);
    setTabOrder(Transfer, Clearext);
    setTabOrder(Clearext, Helpme);
    setTabOrder(Helpme, OKButton);

    resize(480, 360);

    connect(MacroQuery, &QPushButton::clicked, this, &frmMacro::MacroQuery_Click);
    connect(MacroRecord, &QPushButton::clicked, this, &frmMacro::MacroRecord_Click);
    connect(MacroPlay, &QPushButton::clicked, this, &frmMacro::MacroPlay_Click);
    connect(MacroDel, &QPushButton::clicked, this, &frmMacro::MacroDel_Click);
    connect(Transfer, &QPushButton::clicked, this, &frmMacro::Transfer_Click);
    connect(Clearext, &QPushButton::clicked, this, &frmMacro::Clearext_Click);
    connect(Helpme, &QPushButton::clicked, this, &frmMacro::Helpme_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmMacro::OKButton_Click);
    connect(MacroName, &QLineEdit::inputRejected, this, [this] {
        QToolTip::showText(MacroName->mapToGlobal(QPoint(0, MacroName->height())),
                           QStringLiteral("Only single-byte (Latin-1) characters can be sent to the printer"),
                           MacroName);
    });
}

void frmMacro::Form_Initialize(QWidget *mainWindow)
{
    // At the design's top, under the main window's left edge, and on the screen.
    adjustSize();
    WindowPlace().put(*this, QRect(QPoint(mainWindow ? mainWindow->x() : x(), kDesignTop), size()));
}

void frmMacro::resetToDesignState()
{
    MacroName->setText(QStringLiteral("Demo"));
    PrtQuery->setChecked(false);
    Silent->setChecked(true);
    MacroStatus->clear();
    m_statusBytes.clear();
    MacroRecord->setText(QStringLiteral("Record"));
    m_recordActive = false;
}

void frmMacro::loadAndShow()
{
    if (!m_loaded) {
        resetToDesignState();
        m_loaded = true;
        Form_Load();
    }
    show();
    raise();
    activateWindow();
}

void frmMacro::Form_Load()
{
    Silent->setChecked(true);
    m_recordActive = false;
    m_s.link.Get_Info();
    const bool ext = m_s.link.HasExtendedStore;
    ExtStrFram->setEnabled(ext);
    Transfer->setEnabled(ext);
    Clearext->setEnabled(ext);
    RefreshMacroList();
}

void frmMacro::send(const QByteArray &command)
{
    m_s.link.Send_Info(command, qint16(command.size()));
}

void frmMacro::showStatus(const QByteArray &reply)
{
    m_statusBytes = MacroCommands::listText(reply);
    // The printer ends its lines with CR LF; the box wants bare line breaks.
    QString shown = QString::fromLatin1(m_statusBytes);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    MacroStatus->setPlainText(shown);
}

void frmMacro::RefreshMacroList()
{
    while (!m_s.port.ReadInput(1).isEmpty()) {
    }
    send(MacroCommands::listQuery());
    m_s.pump.serveEvents();
    showStatus(m_s.link.Get_Info());
    m_s.pump.serveEvents();
}

void frmMacro::MacroQuery_Click()
{
    showStatus({});
    m_s.pump.serveEvents();
    m_s.pump.sleepMs(kQueryWaitMs);
    send(MacroCommands::listQuery());
    showStatus(m_s.link.Get_Info());
    m_s.pump.serveEvents();
    if (PrtQuery->isChecked())
        send(MacroCommands::printQuery(MacroName->text()));
}

void frmMacro::MacroRecord_Click()
{
    const bool silent = Silent->isChecked();
    if (!m_recordActive) {
        m_recordActive = true;
        send(silent ? MacroCommands::startSilentRecording(MacroName->text()) : MacroCommands::startRecording());
        MacroRecord->setText(QStringLiteral("End Record"));
        return;
    }
    const QByteArray end = silent ? MacroCommands::endSilentRecording(MacroName->text())
                                  : MacroCommands::endRecording(MacroName->text());
    m_recordActive = false;
    send(end);
    MacroRecord->setText(QStringLiteral("Record"));
    m_s.pump.serveEvents();
    m_s.pump.sleepMs(kStoreWaitMs);
    RefreshMacroList();
}

void frmMacro::MacroPlay_Click()
{
    send(MacroCommands::play(MacroName->text()));
}

void frmMacro::MacroDel_Click()
{
    send(MacroCommands::remove(MacroName->text()));
    m_s.pump.serveEvents();
    m_s.pump.sleepMs(kRemoveWaitMs);
    RefreshMacroList();
    m_s.pump.serveEvents();
}

void frmMacro::Transfer_Click()
{
    if (m_s.op.message(QStringLiteral("This will transfer User Store to Extended Store"), Msg::Buttons::OkCancel,
                       Msg::Icon::None, kExtendedStoreTitle)
        != Msg::Answer::Ok)
        return;
    const QByteArray command = MacroCommands::transfer();
    m_s.port.WriteData(command, long(command.size()));
    m_s.pump.sleepMs(kExtendedStoreWaitMs);
    MacroQuery_Click();
}

void frmMacro::Clearext_Click()
{
    if (m_s.op.message(QStringLiteral("This will clear all Extended Store information"), Msg::Buttons::OkCancel,
                       Msg::Icon::None, kExtendedStoreTitle)
        != Msg::Answer::Ok)
        return;
    const QByteArray command = MacroCommands::clearExtendedStore();
    m_s.port.WriteData(command, long(command.size()));
    m_s.pump.serveEvents();
    m_s.pump.sleepMs(kExtendedStoreWaitMs);
    MacroQuery_Click();
}

void frmMacro::Helpme_Click()
{
    if (m_macroHelp)
        m_macroHelp();
}

void frmMacro::OKButton_Click()
{
    if (m_recordActive)
        MacroRecord_Click();
    close();
}

void frmMacro::Form_Unload()
{
    if (m_recordActive)
        MacroRecord_Click();
    m_s.pump.sleepMs(kStoreWaitMs);
    if (m_doneMacro)
        m_doneMacro();
}

void frmMacro::closeEvent(QCloseEvent *event)
{
    // A second close arriving while the first is still ending the recording
    // must not leave macro mode twice.
    if (m_loaded && !m_unloading) {
        m_unloading = true;
        Form_Unload();
        m_unloading = false;
        m_loaded = false;
    }
    event->accept();
}

void frmMacro::reject()
{
    // Escape closes like the close box, through Form_Unload.
    close();
}
