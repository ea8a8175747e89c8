#include "terminal/frmTerminal.h"

// The main window's controls and menus, as the design names and places them.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "terminal/TermDisplay.h"
#include "widgets/Accessibility.h"

namespace {
// Object names are the design's. Accessible names are left to Qt, which
// takes a control's caption or its buddy label and follows every change.
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// An editable box with a history list, named by its label.
QComboBox *historyBox(QLabel *label, const char *name)
{
    auto *box = named(new QComboBox(label->parentWidget()), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // A terminal sends exactly what was typed: no inline completion from the
    // history, which stays one arrow key or the list away.
    box->setCompleter(nullptr);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    label->setBuddy(box);
    Accessibility::nameComboEditor(box);
    return box;
}
} // namespace

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

    Label3 = named(new QLabel(QStringLiteral("Command"), Band), "Label3");
    SendInfo = historyBox(Label3, "SendInfo");
    SendCommand = named(new QPushButton(QStringLiteral("Send Command"), Band), "SendCommand");
    LoopButton = named(new QPushButton(QStringLiteral("Loop"), Band), "LoopButton");
    Getresp = named(new QPushButton(QStringLiteral("Get Response"), Band), "Getresp");
    DoBreak = named(new QPushButton(QStringLiteral("Break"), Band), "DoBreak");

    Label5 = named(new QLabel(QStringLiteral("Script File"), Band), "Label5");
    FileNameTextBox = historyBox(Label5, "FileNameTextBox");
    GetFileName = named(new QPushButton(QStringLiteral("..."), Band), "GetFileName");
    GetFileName->setToolTip(QStringLiteral("Choose a demonstration file"));
    GetFileName->setFixedWidth(36);
    SendScript = named(new QPushButton(QStringLiteral("Send Script"), Band), "SendScript");
    Label7 = named(new QLabel(QStringLiteral("Packet Size"), Band), "Label7");
    PackSize = named(new QLineEdit(QStringLiteral("20"), Band), "PackSize");
    PackSize->setFixedWidth(56);
    Label7->setBuddy(PackSize);

    Option1 = named(new QRadioButton(QStringLiteral("Hex"), Band), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("Dec"), Band), "Option2");
    Option3 = named(new QRadioButton(QStringLiteral("Normal"), Band), "Option3");
    Option3->setChecked(true);
    auto *modes = new QButtonGroup(Band);
    modes->addButton(Option1);
    modes->addButton(Option2);
    modes->addButton(Option3);
    AutoQuery = named(new QCheckBox(QStringLiteral("Auto Query"), Band), "AutoQuery");
    AutoQuery->setChecked(true);
    Echo = named(new QCheckBox(QStringLiteral("Transcript"), Band), "Echo");
    Echo->setChecked(true);
    Label6 = named(new QLabel(QStringLiteral("Port:"), Band), "Label6");
    // Value labels: named after what they are; what they show is their description.
    CurPort = named(new QLabel(Band), "CurPort");
    CurPort->setAccessibleName(QStringLiteral("Port"));
    CurPort->setMinimumWidth(120);
    Label2 = named(new QLabel(QStringLiteral("Status - "), Band), "Label2");
    Label1 = named(new QLabel(Band), "Label1");
    Label1->setAccessibleName(QStringLiteral("Status"));
    // A long reason never squeezes the buttons: it wraps at its blanks onto
    // more lines (the band grows for them), so no word is cut in two.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label4 = named(new QLabel(QStringLiteral("Interactive"), Band), "Label4");
    Indata = named(new QLineEdit(Band), "Indata");
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
    grid->addWidget(Label2, 4, 0, Qt::AlignTop); // beside the first of its lines
    grid->addWidget(Label1, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    Line1 = new QFrame(central);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    Term = named(new QPlainTextEdit(central), "Term");
    Term->setAccessibleName(QStringLiteral("Terminal")); // a box with no label of its own
    Term->setReadOnly(true);
    Term->setUndoRedoEnabled(false);
    // A transcript is read top to bottom: long lines wrap anywhere at the
    // display's width (printer data has few blanks) and nothing scrolls sideways.
    Term->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Term->setWordWrapMode(QTextOption::WrapAnywhere);
    Term->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Term->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    Term->setFont(mono);
    // A click may focus the display (it hands the focus on to Interactive),
    // Tab may not: from Interactive it would bounce straight back.
    Term->setFocusPolicy(Qt::ClickFocus);
    Term->installEventFilter(this);
    Term->viewport()->installEventFilter(this);
    m_display = new TermDisplay(*Term, kTermLimit, kTermKeep, this);
    Indata->installEventFilter(this);

    m_line1Y = std::max(kLine1Twips / WindowPlace::kTwipsPerPixel, Band->sizeHint().height());

    // Tab follows the screen: row by row, left to right, Interactive last.
    const QList<QWidget *> tabChain{SendInfo, SendCommand, LoopButton, Getresp, DoBreak,
                                    FileNameTextBox, GetFileName, SendScript, PackSize, Option3,
                                    Option1, Option2, AutoQuery, Echo, Indata};
    for (qsizetype i = 1; i < tabChain.size(); ++i)
        setTabOrder(tabChain.at(i - 1), tabChain.at(i));

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
    // No Ctrl+letter shortcut: in the Interactive box those are bytes.
    MPreview = item(port, "MPreview", QStringLiteral("&Receipt Preview"), &frmTerminal::MPreview_Click);

    QMenu *mac = menu("Mac", QStringLiteral("&Macros"));
    DoMacros = item(mac, "DoMacros", QStringLiteral("Program"), &frmTerminal::DoMacros_Click);

    QMenu *help = menu("HelpMenu", QStringLiteral("&Help"));
    Operation = item(help, "Operation", QStringLiteral("Operation"), &frmTerminal::Operation_Click);
    MXCommands = item(help, "MXCommands", QStringLiteral("MX2100 Commands"), &frmTerminal::MXCommands_Click);
    PGMGuide = item(help, "PGMGuide", QStringLiteral("Programmers Guide"), &frmTerminal::PGMGuide_Click);
    PassHelp = item(help, "PassHelp", QStringLiteral("Pass-Through"), &frmTerminal::PassHelp_Click);
    HelpAbout = item(help, "HelpAbout", QStringLiteral("About"), &frmTerminal::HelpAbout_Click);
}
