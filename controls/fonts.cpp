#include "fonts.h"

void substitutefonts()
{
    QFont::insertSubstitutions(QStringLiteral("Arial"), { QStringLiteral("Liberation Sans"), QStringLiteral("Arimo") });
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    QFont::insertSubstitutions(QStringLiteral("Verdana"), { QStringLiteral("DejaVu Sans") });
}

QFont layoutfont(const QString& family, qreal points, bool bold, bool italic)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont windowfont()
{
    return layoutfont(QStringLiteral("MS Sans Serif"), 8.25, false);
}
