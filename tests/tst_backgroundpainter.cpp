#include "common/backgroundpainter.h"

#include <QTest>

class tst_backgroundpainter : public QObject
{
    Q_OBJECT
private slots:
    void tilepositions_data();
    void tilepositions();
};

void tst_backgroundpainter::tilepositions_data()
{
    QTest::addColumn<QSizeF>("surface");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    // In pixels, with the 100-pixel tile.
    QTest::newRow("smaller than a tile") << QSizeF(40, 30) << 1 << 1;
    QTest::newRow("exactly two tiles wide, one high") << QSizeF(200, 100) << 2 << 1;
    QTest::newRow("just over") << QSizeF(200.5, 100.5) << 3 << 2;
    QTest::newRow("zero width") << QSizeF(0, 500) << 0 << 0;
    QTest::newRow("zero height") << QSizeF(500, 0) << 0 << 0;
    QTest::newRow("login dialog") << QSizeF(396, 105) << 4 << 2;
    QTest::newRow("info dialog") << QSizeF(567, 524) << 6 << 6;
    QTest::newRow("bar, collapsed") << QSizeF(356, 104) << 4 << 2;
    QTest::newRow("bar, expanded") << QSizeF(356, 198) << 4 << 2;
}

void tst_backgroundpainter::tilepositions()
{
    QFETCH(QSizeF, surface);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const QList<QPointF> tiles = ::tilepositions(surface, QSizeF(100, 100));
    QCOMPARE(tiles.size(), columns * rows);
    // Rows from the top, left to right, on one grid from the corner.
    for (int i = 0; i < tiles.size(); ++i)
        QCOMPARE(tiles[i], QPointF(100 * (i % columns), 100 * (i / columns)));
    QVERIFY(::tilepositions(surface, QSizeF(0, 100)).isEmpty());
}

QTEST_APPLESS_MAIN(tst_backgroundpainter)
#include "tst_backgroundpainter.moc"
