#include "accessiblerole.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace
{

const char roleproperty[] = "quaylinkAccessibleRole";

QAccessibleInterface* rolefactory(const QString& classname, QObject* object)
{
    // Asked once for each class the object derives from, most derived first.
    if (!object || !object->isWidgetType() || classname != QLatin1String(object->metaObject()->className()))
        return nullptr;
    const QVariant role = object->property(roleproperty);
    if (!role.isValid())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Role(role.toInt()));
}

} // namespace

void setaccessiblerole(QWidget& widget, QAccessible::Role role)
{
    static const bool installed = (QAccessible::installFactory(rolefactory), true);
    Q_UNUSED(installed);
    widget.setProperty(roleproperty, int(role));
    // An interface made before, when the widget was made or named, is made anew.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget); made && made->role() != role)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}
