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

QList<QPointF> tilepositions(const QSizeF& surface, const QSizeF& tile)
{
    QList<QPointF> positions;
    if (tile.width() <= 0 || tile.height() <= 0)
        return positions;
    for (qreal y = 0; y < surface.height(); y += tile.height()) {
        for (qreal x = 0; x < surface.width(); x += tile.width())
            positions.append(QPointF(x, y));
    }
    return positions;
}

void paintbackground(QWidget& window, const QLabel& tilebox)
{
    const QPixmap picture = tilebox.pixmap();
    const QSizeF tile = tilebox.size();
    QPainter painter(&window);
    // Painted rather than set as the window's palette colour, which every text box and list
    // would inherit for its frame.
    painter.fillRect(window.rect(), QColor(0, 0, 255));
    for (const QPointF& at : tilepositions(window.size(), tile))
        painter.drawPixmap(QRectF(at, tile), picture, QRectF(picture.rect()));
}
