#pragma once

#include <QAccessible>

class QComboBox;
class QWidget;

// Screen readers hear a plain widget, a window among them, as a "filler", and a label that
// works as a link as a label. This gives a widget a role of its own.
void setaccessiblerole(QWidget& widget, QAccessible::Role role);

// Qt names an editable combo box after its text on Linux, so a screen reader hears the
// address typed where it expects the box's name. This keeps the box's accessible name and
// gives its text as its value.
void keepaccessiblename(QComboBox& box);
