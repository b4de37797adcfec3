#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>

class QLabel;
class QRect;
class QWidget;

// Makes the tile box of `window`: a picture box at `place` holding the tile, never shown.
QLabel* maketilebox(QWidget& window, const QRect& place);

// Where the tiles go on a surface: rows from the top, tiles from the left, a tile started
// wherever its top-left corner lies strictly inside the surface. The last row and column
// may reach past the edges; the window clips them. A tile with no area gives no tiles.
QList<QPointF> tilepositions(const QSizeF& surface, const QSizeF& tile);

// Covers the whole of `window` with copies of the picture held by its hidden tile box, over
// the window's pure blue, which shows only where no tile is drawn. Called from the window's
// paint handler.
void paintbackground(QWidget& window, const QLabel& tilebox);
