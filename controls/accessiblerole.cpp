#include "accessiblerole.h"

#include <QAbstractItemView>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QWindow>

namespace
{

const char roleproperty[] = "quaylinkAccessibleRole";
const char nameproperty[] = "quaylinkAccessibleName";

// An editable combo box as Qt presents it (its list, then its field, which has the focus),
// but named by its accessible name, with its text as its value.
class NamedComboBox : public QAccessibleWidget
{
public:
    explicit NamedComboBox(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
        addControllingSignal(QStringLiteral("activated(int)"));
    }

    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }

    int childCount() const override { return 2; }
    QAccessibleInterface* child(int index) const override
    {
        QWidget* children[] = { box()->view(), box()->lineEdit() };
        return index == 0 || index == 1 ? QAccessible::queryAccessibleInterface(children[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        return child->object() == box()->view() ? 0 : child->object() == box()->lineEdit() ? 1 : -1;
    }
    QAccessibleInterface* focusChild() const override { return box()->hasFocus() ? child(1) : nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return box()->lineEdit()->text();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        state.collapsed = !state.expanded;
        state.editable = true;
        return state;
    }

    QStringList actionNames() const override { return { showMenuAction() }; }
    void doAction(const QString& action) override
    {
        if (action != showMenuAction())
            return QAccessibleWidget::doAction(action);
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
};

// The program's windows as a screen reader lists them: only those on screen. A hidden window
// would be an empty frame beside the bar, such as the one the page engine draws into offscreen.
class ShownWindows : public QAccessibleApplication
{
public:
    int childCount() const override { return int(windows().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QObjectList shown = windows();
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(windows().indexOf(child->object())) : -1;
    }

private:
    static QObjectList windows()
    {
        QObjectList shown;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->type() == Qt::Popup || window->type() == Qt::Desktop)
                continue;
            QAccessibleInterface* root = window->accessibleRoot();
            if (root && root->object() && !root->state().invisible)
                shown.append(root->object());
        }
        return shown;
    }
};

QAccessibleInterface* factory(const QString& classname, QObject* object)
{
    if (object == qApp)
        return new ShownWindows;
    // Asked once for each class the object derives from, most derived first.
    if (!object || !object->isWidgetType() || classname != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (object->property(nameproperty).toBool())
        return new NamedComboBox(static_cast<QComboBox*>(object));
    const QVariant role = object->property(roleproperty);
    if (!role.isValid())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Role(role.toInt()));
}

// Makes the interface of `object` anew, from the factory, in case one was made before it.
void remake(QObject* object)
{
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void installfactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        // A screen reader may have asked for the program before its first window was made.
        remake(qApp);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

void setaccessiblerole(QWidget& widget, QAccessible::Role role)
{
    installfactory();
    widget.setProperty(roleproperty, int(role));
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget); made && made->role() != role)
        remake(&widget);
}

void keepaccessiblename(QComboBox& box)
{
    installfactory();
    box.setProperty(nameproperty, true);
    remake(&box);
}
