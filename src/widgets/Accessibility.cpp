#include "widgets/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
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

class LabelledComboBox final : public QAccessibleWidget {
public:
    explicit LabelledComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *box() const { return static_cast<QComboBox *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString label = labelOf(box());
            return label.isEmpty() ? box()->currentText() : label;
        }
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
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
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *comboFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new LabelledComboBox(static_cast<QComboBox *>(object));
    return nullptr;
}

} // namespace

namespace Accessibility {

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
