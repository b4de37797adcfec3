#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

// The executable's icon: 32 x 32 and 16 x 16 in 16 colours, and 32 x 32 monochrome, each
// with its corners see-through.
class TestAppIcon : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
};

void TestAppIcon::entries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bits");
    QTest::newRow("32 x 32, 16 colours") << 0 << 32 << 4;
    QTest::newRow("16 x 16, 16 colours") << 1 << 16 << 4;
    QTest::newRow("32 x 32, monochrome") << 2 << 32 << 1;
}

void TestAppIcon::entries()
{
    QFETCH(int, index);
    QFETCH(int, size);
    QFETCH(int, bits);

    QFile file(QStringLiteral(QUAYLINK_ICON));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    const auto word = [&](qsizetype at) {
        return qFromLittleEndian<quint16>(data.constData() + at);
    };
    const auto dword = [&](qsizetype at) {
        return qFromLittleEndian<quint32>(data.constData() + at);
    };
    QVERIFY(data.size() >= 6);
    QCOMPARE(word(2), quint16(1));
    QCOMPARE(word(4), quint16(3));

    // The directory entry and the bitmap it points at agree on size and colour depth.
    const qsizetype entry = 6 + 16 * index;
    QCOMPARE(int(quint8(data[entry])), size);
    QCOMPARE(int(quint8(data[entry + 1])), size);
    QCOMPARE(int(quint8(data[entry + 2])), 1 << bits);
    QCOMPARE(int(word(entry + 6)), bits);
    const quint32 offset = dword(entry + 12);
    QVERIFY(offset + 40 <= quint32(data.size()));
    QCOMPARE(dword(offset + 4), quint32(size));
    QCOMPARE(dword(offset + 8), quint32(size * 2));
    QCOMPARE(int(word(offset + 14)), bits);

    QImageReader reader(&file);
    file.seek(0);
    QVERIFY(reader.jumpToImage(index));
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(size, size));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    QSet<QRgb> colours;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                colours.insert(image.pixel(x, y));
        }
    }
    QVERIFY(colours.size() > 1);
    QVERIFY(colours.size() <= (1 << bits));
}

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
