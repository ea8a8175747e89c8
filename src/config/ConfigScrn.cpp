#include "config/ConfigScrn.h"

#include "widgets/Accessibility.h"

#include "link/Link.h"
#include "link/POSPrinter.h"
#include "link/PortNames.h"
#include "session/PassThrough.h"
#include "session/SettingsStore.h"
#include "session/SharedWords.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kFourBlanks = QStringLiteral("    ");
const QString kPortTip = QStringLiteral("Choose a port from the list or type its name");
}

ConfigScrn::ConfigScrn(Link &link, POSPrinter &port, std::function<void()> dispPort, QWidget *parent)
    : QDialog(parent), m_link(link), m_port(port), m_dispPort(std::move(dispPort))
{
    setObjectName(QStringLiteral("ConfigScrn"));
    setWindowTitle(QStringLiteral("Communication Settings"));
    setModal(false);
    Accessibility::nameComboBoxesByLabel();
    buildControls();
}

QRadioButton *ConfigScrn::option(QGroupBox *frame, const char *name, const QString &caption, Var var,
                                 const QString &value)
{
    auto *button = new QRadioButton(caption, frame);
    button->setObjectName(QLatin1String(name));
    m_options.append({button, var, value});
    // A click takes effect at once; there is nothing to confirm or undo.
    connect(button, &QRadioButton::clicked, this, [this, var, value] { write(var, value); });
    return button;
}

void ConfigScrn::buildControls()
{
    AvalPorts = new QComboBox(this);
    AvalPorts->setObjectName(QStringLiteral("AvalPorts"));
    // The box has no label of its own in this dialog; its name says what it is.
    AvalPorts->setAccessibleName(QStringLiteral("Port"));
    Accessibility::nameComboEditor(AvalPorts);
    AvalPorts->setToolTip(kPortTip);
    AvalPorts->setEditable(true);
    // A typed name stays exactly as typed: no completion, no insertion into the list.
    AvalPorts->setInsertPolicy(QComboBox::NoInsert);
    AvalPorts->setCompleter(nullptr);
    AvalPorts->setMinimumContentsLength(32);
    AvalPorts->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(AvalPorts, &QComboBox::activated, this, &ConfigScrn::AvalPorts_Click);
    connect(AvalPorts, &QComboBox::editTextChanged, this, [this](const QString &text) {
        AvalPorts->setToolTip(portToolTip(text));
    });

    auto frame = [this](const char *name, const QString &caption) {
        auto *box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        new QVBoxLayout(box);
        return box;
    };
    Frame1 = frame("Frame1", QStringLiteral("&Baud Rate"));
    Baud230 = option(Frame1, "Baud230", QStringLiteral("230400"), Var::Baud, QStringLiteral("230400"));
    Baud576 = option(Frame1, "Baud576", QStringLiteral("57600"), Var::Baud, QStringLiteral("57600"));
    Baud384 = option(Frame1, "Baud384", QStringLiteral("38400"), Var::Baud, QStringLiteral("38400"));
    Baud192 = option(Frame1, "Baud192", QStringLiteral("19200"), Var::Baud, QStringLiteral("19200"));
    Baud24 = option(Frame1, "Baud24", QStringLiteral("115200"), Var::Baud, QStringLiteral("115200"));
    Baud48 = option(Frame1, "Baud48", QStringLiteral("4800"), Var::Baud, QStringLiteral("4800"));
    Baud96 = option(Frame1, "Baud96", QStringLiteral("9600"), Var::Baud, QStringLiteral("9600"));
    // Shown slowest first; the arrow keys follow what is shown.
    for (QRadioButton *b : {Baud48, Baud96, Baud192, Baud384, Baud576, Baud24, Baud230})
        Frame1->layout()->addWidget(b);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &ConfigScrn::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &ConfigScrn::CancelButton_Click);

    Frame2 = frame("Frame2", QStringLiteral("&Data Bits"));
    Data7 = option(Frame2, "Data7", QStringLiteral("7"), Var::DataBits, QStringLiteral("7"));
    Data8 = option(Frame2, "Data8", QStringLiteral("8"), Var::DataBits, QStringLiteral("8"));
    Frame3 = frame("Frame3", QStringLiteral("&Stop Bits"));
    Stop1 = option(Frame3, "Stop1", QStringLiteral("1"), Var::StopBits, QStringLiteral("1"));
    Stop2 = option(Frame3, "Stop2", QStringLiteral("2"), Var::StopBits, QStringLiteral("2"));
    Frame4 = frame("Frame4", QStringLiteral("&Parity"));
    NoParity = option(Frame4, "NoParity", QStringLiteral("None"), Var::Parity, QStringLiteral("N"));
    OddParity = option(Frame4, "OddParity", QStringLiteral("Odd"), Var::Parity, QStringLiteral("O"));
    EvenParity = option(Frame4, "EvenParity", QStringLiteral("Even"), Var::Parity, QStringLiteral("E"));
    Frame5 = frame("Frame5", QStringLiteral("&Flow Control"));
    NoFlow = option(Frame5, "NoFlow", QStringLiteral("None"), Var::Flow, QStringLiteral("0"));
    XonFlow = option(Frame5, "XonFlow", QStringLiteral("Xon/Xoff"), Var::Flow, QStringLiteral("1"));
    Hardware = option(Frame5, "Hardware", QStringLiteral("Hardware"), Var::Flow, QStringLiteral("2"));
    for (QGroupBox *box : {Frame2, Frame3, Frame4, Frame5}) {
        for (QRadioButton *b : box->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
            box->layout()->addWidget(b);
    }
    for (QGroupBox *box : {Frame1, Frame2, Frame3, Frame4, Frame5})
        static_cast<QVBoxLayout *>(box->layout())->addStretch(1);

    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(AvalPorts, 0, 0, 1, 3);
    grid->addWidget(Frame1, 1, 0, 2, 1);
    grid->addWidget(Frame2, 1, 1);
    grid->addWidget(Frame3, 2, 1);
    grid->addWidget(Frame4, 1, 2);
    grid->addWidget(Frame5, 2, 2);
    buildServeControls(grid, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, 4, 0, 1, 3);
}

void ConfigScrn::buildServeControls(QGridLayout *grid, int row)
{
    ServeLabel = new QLabel(QStringLiteral("Serve a point-of-sale program on"), this);
    ServeLabel->setObjectName(QStringLiteral("ServeLabel"));
    ServeOn = new QLineEdit(this);
    ServeOn->setObjectName(QStringLiteral("ServeOn"));
    ServeOn->setPlaceholderText(QStringLiteral("off"));
    ServeOn->setToolTip(QStringLiteral(
        "Empty: off. A path, such as /home/you/pos-printer: a point-of-sale program opens it as its serial "
        "printer. tcp://127.0.0.1:9100: it prints to this computer as to a network printer.\n"
        "What it sends goes to the port above and is shown in the main window; the printer's answers go back."));
    ServeLabel->setBuddy(ServeOn); // the box is heard by the label's caption
    ServeProblem = new QLabel(this);
    ServeProblem->setObjectName(QStringLiteral("ServeProblem"));
    ServeProblem->setAccessibleName(QStringLiteral("Problem"));
    ServeProblem->setWordWrap(true);
    ServeProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ServeProblem->hide();
    connect(ServeOn, &QLineEdit::textEdited, this, [this] { showServeProblem(QString()); });
    // The caption above the box, so a long path or address shows whole.
    auto *place = new QVBoxLayout;
    place->setSpacing(2);
    place->addWidget(ServeLabel);
    place->addWidget(ServeOn);
    place->addWidget(ServeProblem);
    grid->addLayout(place, row, 0, 1, 3);
}

void ConfigScrn::setPassThrough(std::function<QString()> current, std::function<QString(const QString &)> apply)
{
    m_currentServe = std::move(current);
    m_applyServe = std::move(apply);
}

void ConfigScrn::showServeProblem(const QString &why)
{
    ServeProblem->setText(why);
    ServeProblem->setAccessibleDescription(why);
    ServeProblem->setVisible(!why.isEmpty());
    // Heard again when the box gets the focus back to be corrected.
    ServeOn->setAccessibleDescription(why);
    if (!why.isEmpty()) {
        ServeOn->setFocus();
        ServeOn->selectAll();
    }
}

QString ConfigScrn::current(Var var) const
{
    const LinkVariables &v = m_link.vars;
    switch (var) {
    case Var::Baud: return v.CommBaud;
    case Var::DataBits: return v.CommDataBits;
    case Var::StopBits: return v.CommStopBits;
    case Var::Parity: return v.CommParity;
    case Var::Flow: return QString::number(v.CommFlow);
    }
    return {};
}

void ConfigScrn::write(Var var, const QString &value)
{
    LinkVariables &v = m_link.vars;
    switch (var) {
    case Var::Baud: v.CommBaud = value; break;
    case Var::DataBits: v.CommDataBits = value; break;
    case Var::StopBits: v.CommStopBits = value; break;
    case Var::Parity: v.CommParity = value; break;
    case Var::Flow: v.CommFlow = qint16(value.toInt()); break;
    }
}

void ConfigScrn::uncheck(QAbstractButton *button)
{
    // The checked button of an exclusive group refuses to be unchecked directly.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

QString ConfigScrn::listedEntry(QString entry)
{
    for (int replaced = 0; replaced < 2; ++replaced) {
        const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            break;
        entry.replace(tab, 1, kFourBlanks);
    }
    return entry;
}

QString ConfigScrn::portToolTip(const QString &text)
{
    switch (resolvePortName(text).kind) {
    case LinkKind::Network:
        return kPortTip + QStringLiteral(".\nThis is a network printer (tcp://HOST or tcp://HOST:PORT, port 9100 "
                                         "when left out): the baud rate, data bits, stop bits, parity and flow "
                                         "control do not apply to it.");
    case LinkKind::Usb:
        return kPortTip + QStringLiteral(".\nThis is a USB printer-class device: the baud rate, data bits, stop "
                                         "bits, parity and flow control do not apply to it.");
    case LinkKind::Virtual:
        return kPortTip + QStringLiteral(".\nThis is the printer built into the program, shown in Port > Receipt "
                                         "Preview: the baud rate, data bits, stop bits, parity and flow control do "
                                         "not apply to it.");
    case LinkKind::Serial:
        break;
    }
    return kPortTip;
}

QString ConfigScrn::portNameOfEntry(const QString &text)
{
    // Linux lists some ports by full path (the printer simulator's pty, a USB
    // printer) and network printers by tcp:// name; the rule below would cut
    // those at the first "/", so they keep the whole name.
    if (text.startsWith(QLatin1Char('/')) || isNetworkPortName(text)) {
        qsizetype end = 0;
        while (end < text.size() && text.at(end) != QLatin1Char(' ') && text.at(end) != QLatin1Char('\t'))
            ++end;
        return text.left(end);
    }
    qsizetype n = 0;
    while (n < text.size() && text.at(n).unicode() >= u'0')
        ++n;
    return text.left(n);
}

void ConfigScrn::Form_Load()
{
    // Every load starts from the design state: empty list, nothing selected.
    AvalPorts->clear();
    for (long i = 0;; ++i) {
        const QString entry = m_port.GetPortName(i);
        if (entry.isEmpty())
            break;
        AvalPorts->addItem(listedEntry(entry));
    }
    // The drop-down is as wide as its longest entry, so descriptions are not cut.
    AvalPorts->view()->setMinimumWidth(AvalPorts->view()->sizeHintForColumn(0) + 24);
    // After the list: adding the first entry would replace the edit text.
    AvalPorts->setCurrentIndex(-1);
    AvalPorts->setEditText(m_link.vars.CommPort);

    // Only exact matches are shown; a value no option stands for (a baud rate
    // of 2400 stored elsewhere) selects nothing and stays as it is.
    for (const Option &o : std::as_const(m_options)) {
        if (o.value == current(o.var))
            o.button->setChecked(true);
        else if (o.button->isChecked())
            uncheck(o.button);
    }
    ServeOn->setText(m_currentServe ? m_currentServe() : QString());
    showServeProblem(QString());
}

void ConfigScrn::AvalPorts_Click()
{
    m_link.vars.CommPort = portNameOfEntry(AvalPorts->currentText());
}

void ConfigScrn::OKButton_Click()
{
    // A place that cannot be served on is refused before anything changes;
    // the dialog stays open with the text as typed and the reason beside it.
    const QString listen = ServeOn->text().trimmed();
    if (const QString why = listen.isEmpty() ? QString() : PassThrough::checkListen(listen); !why.isEmpty()) {
        showServeProblem(SharedWords::cannotServe(why));
        return;
    }
    // A listed entry gives its port name, as choosing it does (so OK and
    // Cancel agree); the description is for reading, not for the port
    // display, the settings or the port. Typed text is taken as typed.
    const QString text = AvalPorts->currentText();
    const bool listed = AvalPorts->findText(text, Qt::MatchExactly) >= 0;
    m_link.vars.CommPort = listed ? portNameOfEntry(text) : text;
    // The port list offers the network printers used before.
    SettingsStore::rememberNetPort(m_link.vars.CommPort);
    // Served on the port just chosen; a place already taken (another program
    // on that TCP port) keeps the dialog open to say so.
    const QString failed = m_applyServe ? m_applyServe(listen) : QString();
    if (!failed.isEmpty()) {
        if (m_dispPort)
            m_dispPort();
        showServeProblem(SharedWords::cannotServe(failed));
        return;
    }
    QDialog::accept();
    if (m_dispPort)
        m_dispPort();
}

void ConfigScrn::CancelButton_Click()
{
    // Option clicks and a chosen entry have taken effect already and stay.
    QDialog::reject();
}

void ConfigScrn::reject()
{
    CancelButton_Click();
}
