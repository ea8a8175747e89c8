#include "widgets/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>

namespace {

QString labelOf(const QWidget *widget)
{
    if (const QWidget *parent = widget->parentWidget()) {
        for (const QObject *child : parent->children()) {
            const auto *label = qobject_cast<const QLabel *>(child);
            if (label && label->buddy() == widget)
                return QString(label->text()).remove(QLatin1Char('&'));
        }
    }
    return widget->accessibleName();
}

// Qt's own combo box interface, but named by the label. Qt's class is
// private, so what it gives is given again here: the list (whose entries are
// the history) and the line edit as children, its states, its actions.
class LabelledComboBox final : public QAccessibleWidget {
public:
    explicit LabelledComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *box() const { return static_cast<QComboBox *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString label = labelOf(box());
            return label.isEmpty() ? box()->currentText() : label;
        }
        case QAccessible::Value:
            return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        case QAccessible::Accelerator:
            return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    // The list lives in a popup window, which QAccessibleWidget skips.
    int childCount() const override { return box()->isEditable() ? 2 : 1; }

    QAccessibleInterface *child(int index) const override
    {
        if (index == 0 && box()->view())
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == box()->view())
            return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QLineEdit *edit = box()->lineEdit();
        if (box()->isEditable() && edit->rect().contains(edit->mapFromGlobal(QPoint(x, y))))
            return child(1);
        return nullptr;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = box()->isEditable();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    QString localizedActionDescription(const QString &action) const override
    {
        if (action == showMenuAction() || action == pressAction())
            return QComboBox::tr("Open the combo box selection popup");
        return QAccessibleWidget::localizedActionDescription(action);
    }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->view() && box()->view()->isVisible())
                box()->hidePopup();
            else
                box()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == showMenuAction() || action == pressAction())
            return {};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

QAccessibleInterface *comboFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new LabelledComboBox(static_cast<QComboBox *>(object));
    return nullptr;
}

// A window that is a plain QWidget underneath: Qt gives it the role of a
// pane within a window (a "filler" on the bus).
QAccessibleInterface *windowFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !widget->isWindow() || className != QLatin1String(object->metaObject()->className())
        || object->metaObject()->superClass() != &QWidget::staticMetaObject)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

namespace Accessibility {

void plainWindowsAreWindows()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(windowFactory);
}

void nameComboBoxesByLabel()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(comboFactory);
}

void nameComboEditor(QComboBox *box)
{
    if (box->lineEdit())
        box->lineEdit()->setAccessibleName(labelOf(box));
}

} // namespace Accessibility
