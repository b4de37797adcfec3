#pragma once

class QLabel;
class QRect;
class QWidget;

// Makes the tile box of `window`: a picture box at `place` holding the tile, never shown.
QLabel* maketilebox(QWidget& window, const QRect& place);

// Covers the whole of `window` with copies of the picture held by its hidden tile box, over
// the window's pure blue, which shows only where no tile is drawn. Called from the window's
// paint handler.
void paintbackground(QWidget& window, const QLabel& tilebox);
