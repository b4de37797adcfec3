#include "backgroundpainter.h"

#include <QLabel>
#include <QPainter>
#include <QWidget>

QLabel* maketilebox(QWidget& window, const QRect& place)
{
    auto* tilebox = new QLabel(&window);
    tilebox->setObjectName(QStringLiteral("P1"));
    tilebox->setGeometry(place);
    tilebox->setPixmap(QPixmap(QStringLiteral(":/resources/tile.jpg")));
    tilebox->hide();
    return tilebox;
}

void paintbackground(QWidget& window, const QLabel& tilebox)
{
    const QPixmap picture = tilebox.pixmap();
    const QSizeF tile = tilebox.size();
    QPainter painter(&window);
    // Painted rather than set as the window's palette colour, which every text box and list
    // would inherit for its frame.
    painter.fillRect(window.rect(), QColor(0, 0, 255));
    // Rows from the top, tiles from the left, on one grid from the corner; the last row and
    // column may reach past the edges, and the window clips them.
    if (tile.isEmpty())
        return;
    for (qreal y = 0; y < window.height(); y += tile.height())
        for (qreal x = 0; x < window.width(); x += tile.width())
            painter.drawPixmap(QRectF(QPointF(x, y), tile), picture, QRectF(picture.rect()));
}
