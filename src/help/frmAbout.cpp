#include "help/frmAbout.h"

#include "link/Operator.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {
const QString kDescription = QStringLiteral(
    "This program allows data to be interactively sent and received from Marlix series printers.");
const QString kLegal = QStringLiteral("Copyright \u00a9 2026 the RIZeruzozo developers.\n"
                                      "Provided as is, without warranty of any kind.");

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}
} // namespace

QString frmAbout::versionText(int major, int minor, int revision)
{
    return QStringLiteral("300-05171 Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(Operator &op, QWidget *parent) : QDialog(parent), m_op(op)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    setWindowTitle(QStringLiteral("About ") + kAppTitle);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAccessibleName(QStringLiteral("Application icon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/rizeruzozo-128.png"))
                           .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = label(this, "lblTitle", kAppTitle);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = label(this, "lblVersion",
                       versionText(MARLIX_VERSION_MAJOR, MARLIX_VERSION_MINOR, MARLIX_VERSION_PATCH));
    lblDescription = label(this, "lblDescription", kDescription);
    lblDisclaimer = label(this, "lblDisclaimer", kLegal);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setHorizontalSpacing(16);
    grid->addWidget(picIcon, 0, 0, 3, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(separator(this), 3, 0, 1, 2);
    grid->addWidget(lblDisclaimer, 4, 0, 1, 2);
    grid->addWidget(separator(this), 5, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    grid->addLayout(buttons, 6, 0, 1, 2);
    lblDescription->setMinimumWidth(320);
}

void frmAbout::cmdOK_Click()
{
    hide();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    m_op.message(QStringLiteral("System Information Is Unavailable At This Time"));
}
