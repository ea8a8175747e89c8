#include "scripts/FrmPause.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

FrmPause::FrmPause(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmPause"));
    setWindowTitle(QStringLiteral("RIZeruzozo Pause"));
    Label1 = new QLabel(QStringLiteral("Demo Paused"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Time = new QLineEdit(this);
    Time->setObjectName(QStringLiteral("Time"));
    Time->setReadOnly(true);
    Time->setAlignment(Qt::AlignCenter);
    Time->setFocusPolicy(Qt::NoFocus);
    QFont big = Time->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    Time->setFont(big);
    Label1->setBuddy(Time);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->setContentsMargins(16, 12, 16, 14);
    layout->addWidget(Time);
    // The count must not take the keyboard from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(sizeHint().expandedTo(QSize(220, 0)));
}

void FrmPause::showPause()
{
    // Over the middle of the main window, where the operator is looking.
    if (!isVisible() && parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    show();
    raise();
}

void FrmPause::setCount(int seconds)
{
    Time->setText(QString::number(seconds));
    // Named "Demo Paused" by its label; the count is what a reader hears next.
    Time->setAccessibleDescription(Time->text());
}

void FrmPause::hidePause()
{
    hide();
}

FrmPause &PauseOnDemand::window()
{
    if (!m_window)
        m_window = new FrmPause(m_parent);
    return *m_window;
}
