#pragma once

#include <QAccessible>

class QWidget;

// Screen readers hear a plain widget, a window among them, as a "filler", and a label that
// works as a link as a label. This gives a widget a role of its own.
void setaccessiblerole(QWidget& widget, QAccessible::Role role);
