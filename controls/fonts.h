#pragma once

#include <QFont>
#include <QStringList>

// The windows name the fonts of the desktop they were drawn on. Map those names onto fonts
// that every install has: Liberation Sans keeps Arial's metrics, DejaVu Sans is Verdana's
// wide cousin. Call once, before the first window is made.
void substitutefonts();

// A font by the name, size in points and weight the layouts give.
QFont layoutfont(const QString& family, qreal points, bool bold = true, bool italic = false);

// The windows' default font, used by text boxes and the combo box, which have none of their own.
QFont windowfont();
