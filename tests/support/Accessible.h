#pragma once
// What a screen reader hears of a widget: Qt's accessibility interface, not
// the widget's accessibleName property (empty where Qt takes the caption).
#include <QAccessible>
#include <QWidget>

inline QString heard(QWidget *widget, QAccessible::Text what = QAccessible::Name)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(what) : QStringLiteral("(no interface)");
}
