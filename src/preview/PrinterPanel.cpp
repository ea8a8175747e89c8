#include "preview/PrinterPanel.h"

#include "printer/device/PrinterState.h"
#include "printer/device/VirtualPrinter.h"
#include "printer/interpreter/ReceiptInterpreter.h"

#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kDot = 10;     // a lamp's diameter
constexpr int kDotGap = 5;   // ... and the room between it and its word

// Tenths of a metre, rounded: what the gauge steps by.
int decimetres(qint64 dots)
{
    return int((dots + 400) / 800);
}

QString metres(qint64 dots)
{
    return QString::number(decimetres(dots) / 10.0, 'f', 1) + QStringLiteral(" m");
}

void setCaption(QPushButton *button, const QString &caption)
{
    if (button->text() != caption)
        button->setText(caption); // Qt's accessible name follows it
}
} // namespace

// --- Lamp --------------------------------------------------------------------------

Lamp::Lamp(const QString &word, QColor litColour, QWidget *parent) : QLabel(word, parent), m_colour(litColour)
{
    setAccessibleName(word + QStringLiteral(" lamp")); // what it is; the word never changes
    setContentsMargins(kDot + kDotGap, 0, 0, 0);
    setLit(false);
}

void Lamp::setLit(bool lit, const QString &why)
{
    const QString description = !lit ? QStringLiteral("dark") : why.isEmpty() ? QStringLiteral("lit") : QStringLiteral("lit: ") + why;
    if (m_shown && lit == m_lit && accessibleDescription() == description)
        return;
    m_shown = true;
    m_lit = lit;
    setAccessibleDescription(description);
    setToolTip(QStringLiteral("%1: %2").arg(accessibleName(), description));
    update();
}

void Lamp::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(0.5, (height() - kDot) / 2.0, kDot, kDot);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.setBrush(m_lit ? m_colour : palette().color(QPalette::Mid));
    painter.drawEllipse(dot);
}

// --- PrinterPanel ------------------------------------------------------------------

PrinterPanel::PrinterPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PrinterPanel"));
    setAccessibleName(QStringLiteral("Printer")); // a group without a caption of its own
    buildControls();
    setVisible(false);
}

QPushButton *PrinterPanel::button(const QString &caption, const char *name, const QString &tip)
{
    auto *made = new QPushButton(caption, this);
    made->setObjectName(QLatin1String(name));
    made->setToolTip(tip);
    made->setAutoDefault(false);
    return made;
}

void PrinterPanel::buildControls()
{
    // A value display: named after what it is, what it shows is its description.
    PaperGauge = new QProgressBar(this);
    PaperGauge->setObjectName(QStringLiteral("PaperGauge"));
    PaperGauge->setAccessibleName(QStringLiteral("Paper left"));
    PaperGauge->setToolTip(QStringLiteral("What is left of the roll"));
    PaperGauge->setTextVisible(true);
    PaperGauge->setMinimumWidth(90);
    LoadPaperButton = button(QStringLiteral("&Load Paper"), "LoadPaperButton",
                             QStringLiteral("Put in a fresh roll: what waited for paper prints"));
    NearEndButton = button(QStringLiteral("&Near End"), "NearEndButton",
                           QStringLiteral("Use the roll up to its near-end mark: the printer goes on printing"));
    PaperOutButton = button(QStringLiteral("Paper O&ut"), "PaperOutButton",
                            QStringLiteral("Use the roll up: the printer stops and keeps what comes"));
    CoverButton = button(QString(), "CoverButton", QStringLiteral("Open or close the printer's cover: open, it stops printing"));
    CoverButton->setCheckable(true);
    Drawer1Button = button(QString(), "Drawer1Button",
                           QStringLiteral("Cash drawer 1, which a drawer pulse opens: press to close it (or open it by hand)"));
    Drawer2Button = button(QString(), "Drawer2Button",
                           QStringLiteral("Cash drawer 2, which a drawer pulse opens: press to close it (or open it by hand)"));
    for (QPushButton *drawer : {Drawer1Button, Drawer2Button})
        drawer->setCheckable(true);
    // Between the drawers and Feed, as it is laid out, for Tab.
    PaperWidthLabel = new QLabel(QStringLiteral("P&aper width"), this);
    PaperWidthLabel->setObjectName(QStringLiteral("PaperWidthLabel"));
    PaperWidthBox = new QComboBox(this);
    PaperWidthBox->setObjectName(QStringLiteral("PaperWidthBox"));
    PaperWidthBox->addItem(QStringLiteral("80 mm"), Paper::kWidthDots);
    PaperWidthBox->addItem(QStringLiteral("58 mm"), Paper::kNarrowWidthDots);
    PaperWidthBox->setToolTip(QStringLiteral("The roll's width: 80 mm prints 48 characters of font A a line, 58 mm 32; "
                                             "a receipt already begun keeps its paper"));
    PaperWidthLabel->setBuddy(PaperWidthBox);
    FeedButton = button(QStringLiteral("Fee&d"), "FeedButton",
                        QStringLiteral("Press the printer's feed button once: a line of paper (not with the cover open or no paper)"));

    ErrorButton = button(QStringLiteral("&Error"), "ErrorButton", QStringLiteral("Make an error happen: the printer stops"));
    ErrorMenu = new QMenu(ErrorButton);
    ErrorMenu->setObjectName(QStringLiteral("ErrorMenu"));
    auto *errors = new QActionGroup(ErrorMenu);
    errors->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const struct {
        const char *caption;
        PrinterError error;
    } kinds[] = {{"&Recoverable", PrinterError::Recoverable},
                 {"&Autocutter", PrinterError::Autocutter},
                 {"&Unrecoverable", PrinterError::Unrecoverable},
                 {"Automatically re&coverable", PrinterError::AutoRecoverable}};
    for (const auto &kind : kinds) {
        QAction *action = ErrorMenu->addAction(QString::fromLatin1(kind.caption));
        action->setCheckable(true);
        errors->addAction(action);
        m_errorActions << action;
        const PrinterError error = kind.error;
        connect(action, &QAction::triggered, this, [this, error] {
            if (m_printer)
                m_printer->setError(error);
            resync();
        });
    }
    ErrorButton->setMenu(ErrorMenu);
    RecoverButton = button(QStringLiteral("&Recover"), "RecoverButton", QStringLiteral("End the error: the printer goes on"));

    PowerLamp = new Lamp(QStringLiteral("Power"), QColor(0x2e, 0xa0, 0x43), this);
    PowerLamp->setObjectName(QStringLiteral("PowerLamp"));
    ErrorLamp = new Lamp(QStringLiteral("Error"), QColor(0xe0, 0x6c, 0x00), this);
    ErrorLamp->setObjectName(QStringLiteral("ErrorLamp"));
    PaperLamp = new Lamp(QStringLiteral("Paper"), QColor(0xe0, 0x6c, 0x00), this);
    PaperLamp->setObjectName(QStringLiteral("PaperLamp"));

    // Three short rows: the preview is narrow, the paper's width.
    auto *paper = new QHBoxLayout;
    paper->addWidget(PaperGauge, 1);
    paper->addWidget(LoadPaperButton);
    paper->addWidget(NearEndButton);
    paper->addWidget(PaperOutButton);
    auto *hands = new QHBoxLayout;
    hands->addWidget(CoverButton);
    hands->addWidget(Drawer1Button);
    hands->addWidget(Drawer2Button);
    hands->addStretch(1);
    hands->addWidget(PaperWidthLabel);
    hands->addWidget(PaperWidthBox);
    hands->addSpacing(6);
    hands->addWidget(FeedButton);
    auto *lamps = new QHBoxLayout;
    lamps->setSpacing(12);
    lamps->addWidget(PowerLamp);
    lamps->addWidget(ErrorLamp);
    lamps->addWidget(PaperLamp);
    lamps->addStretch(1);
    lamps->addWidget(ErrorButton);
    lamps->addWidget(RecoverButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (QHBoxLayout *row : {paper, hands, lamps}) {
        if (row != lamps)
            row->setSpacing(6);
        layout->addLayout(row);
    }

    // A click acts on the printer, then every control shows what came of it
    // (also when the printer would not: a toggle springs back).
    const auto act = [this](QPushButton *control, auto action) {
        connect(control, &QPushButton::clicked, this, [this, action](bool checked) {
            if (m_printer)
                action(*m_printer, checked);
            resync();
        });
    };
    act(LoadPaperButton, [](VirtualPrinter &p, bool) { p.loadPaper(); });
    act(NearEndButton, [](VirtualPrinter &p, bool) { p.paperNearEnd(); });
    act(PaperOutButton, [](VirtualPrinter &p, bool) { p.paperOut(); });
    // A toggle acts whenever it turns: a click, its key, or a screen reader's
    // Toggle, which turns it without a click. Turned by the printer (follow()),
    // it has nothing to do.
    const auto toggle = [this](QPushButton *control, auto isOn, auto action) {
        connect(control, &QPushButton::toggled, this, [this, isOn, action](bool on) {
            if (m_printer && on == isOn(m_printer->state()))
                return;
            if (m_printer)
                action(*m_printer, on);
            resync();
        });
    };
    toggle(CoverButton, [](const PrinterState &s) { return s.coverOpen; },
           [](VirtualPrinter &p, bool open) { p.openCover(open); });
    toggle(Drawer1Button, [](const PrinterState &s) { return s.drawerOpen[0]; },
           [](VirtualPrinter &p, bool open) { p.setDrawer(1, open); });
    toggle(Drawer2Button, [](const PrinterState &s) { return s.drawerOpen[1]; },
           [](VirtualPrinter &p, bool open) { p.setDrawer(2, open); });
    act(FeedButton, [](VirtualPrinter &p, bool) { p.feedButton(); });
    connect(PaperWidthBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        const int dots = PaperWidthBox->itemData(index).toInt();
        if (!m_printer || dots == m_printer->paper().paperWidth())
            return; // shown as the printer has it
        m_printer->paper().setPaperWidth(dots);
        emit paperWidthChosen(dots);
        resync();
    });
    act(RecoverButton, [](VirtualPrinter &p, bool) { p.recover(); });
    follow();
}

VirtualPrinter *PrinterPanel::printer() const
{
    return m_printer;
}

void PrinterPanel::setPrinter(VirtualPrinter *printer)
{
    if (printer != m_printer) {
        if (m_printer)
            disconnect(m_printer, nullptr, this, nullptr);
        m_printer = printer;
        if (printer)
            connect(printer, &VirtualPrinter::stateChanged, this, &PrinterPanel::follow);
    }
    resync();
    setVisible(printer != nullptr);
}

void PrinterPanel::resync()
{
    m_shown.reset();
    follow();
}

void PrinterPanel::follow()
{
    const PrinterState state = m_printer ? m_printer->state() : PrinterState();
    // A step every 10 cm printed.
    const int gauge = decimetres(state.leftDots());
    const int paperWidth = m_printer ? m_printer->paper().paperWidth() : Paper::kWidthDots;
    const Shown shown{m_printer != nullptr, state.rollDots, paperWidth, gauge, state.nearEnd(), state.paperOut(),
                      state.coverOpen, state.drawerOpen[0], state.drawerOpen[1], state.error};
    if (m_shown == shown)
        return;
    m_shown = shown;

    PaperWidthBox->setCurrentIndex(std::max(0, PaperWidthBox->findData(paperWidth)));
    PaperGauge->setRange(0, decimetres(state.rollDots));
    PaperGauge->setValue(gauge);
    const QString left = state.paperOut() ? QStringLiteral("Paper out") : QStringLiteral("Paper ") + metres(state.leftDots());
    PaperGauge->setFormat(left);
    PaperGauge->setAccessibleDescription(
        state.paperOut() ? QStringLiteral("out, roll of %1").arg(metres(state.rollDots))
                         : QStringLiteral("%1 of %2 left%3").arg(metres(state.leftDots()), metres(state.rollDots),
                                                                 state.nearEnd() ? QStringLiteral(", near end") : QString()));

    const auto open = [](bool isOpen) { return isOpen ? QStringLiteral("open") : QStringLiteral("closed"); };
    CoverButton->setChecked(state.coverOpen);
    setCaption(CoverButton, QStringLiteral("Co&ver: ") + open(state.coverOpen));
    Drawer1Button->setChecked(state.drawerOpen[0]);
    setCaption(Drawer1Button, QStringLiteral("Drawer &1: ") + open(state.drawerOpen[0]));
    Drawer2Button->setChecked(state.drawerOpen[1]);
    setCaption(Drawer2Button, QStringLiteral("Drawer &2: ") + open(state.drawerOpen[1]));
    FeedButton->setEnabled(!state.coverOpen && !state.paperOut());
    for (int i = 0; i < m_errorActions.size(); ++i)
        m_errorActions[i]->setChecked(int(state.error) == i + 1);
    RecoverButton->setEnabled(state.error != PrinterError::None);

    PowerLamp->setLit(m_printer != nullptr, QStringLiteral("on"));
    ErrorLamp->setLit(!state.online(), PrinterStatus::onlineText(state));
    PaperLamp->setLit(state.nearEnd(), state.paperOut() ? QStringLiteral("paper out") : QStringLiteral("paper near end"));
}
