#include "main_window/addressbook.h"

#include <QTest>

class tst_addressbook : public QObject
{
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void bytesoutsidetheencodingsurvive_data();
    void bytesoutsidetheencodingsurvive();
};

void tst_addressbook::lines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("empty file") << QByteArray() << QList<QByteArray> {};
    QTest::newRow("middle line empty") << QByteArray("ftp://a\r\n\r\nb\r\n")
                                       << QList<QByteArray> { "ftp://a", "", "b" };
    QTest::newRow("two line ends at the end") << QByteArray("a\r\n\r\n") << QList<QByteArray> { "a", "" };
    QTest::newRow("no line end at the end") << QByteArray("a\r\nb") << QList<QByteArray> { "a", "b" };
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r") << QList<QByteArray> { "a", "b" };
    QTest::newRow("CR CR LF") << QByteArray("\r\r\n") << QList<QByteArray> { "", "" };
    QTest::newRow("lone LF stays") << QByteArray("a\nb\n") << QList<QByteArray> { "a\nb\n" };
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QList<QByteArray> { "a\n", "b" };
    QTest::newRow("spaces and NUL") << QByteArray(" a\0b \r\n", 7) << QList<QByteArray> { QByteArray(" a\0b ", 5) };
}

void tst_addressbook::lines()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(addressbook::readlines(content), lines);
    // Written back, every line ends in CR LF and reads back the same.
    const QByteArray written = addressbook::writelines(lines);
    QCOMPARE(written.count("\r\n"), lines.size());
    QVERIFY(written.isEmpty() || written.endsWith("\r\n"));
    QCOMPARE(addressbook::readlines(written), lines);
}

void tst_addressbook::bytesoutsidetheencodingsurvive_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("exact");
    QTest::newRow("plain") << QByteArray("ftp://ftp.example.com") << true;
    QTest::newRow("UTF-8 letters") << QByteArray("ftp://b\xc3\xa4r.example") << true;
    QTest::newRow("Latin-1 byte") << QByteArray("ftp://b\xe4r.example") << false;
    QTest::newRow("cut sequence") << QByteArray("ftp://\xe2\x82") << false;
}

void tst_addressbook::bytesoutsidetheencodingsurvive()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, exact);
    const addressbook::Entry entry = addressbook::decode(line);
    QCOMPARE(entry.bytes.isNull(), exact);
    QCOMPARE(addressbook::encode(entry), line);
    QCOMPARE(addressbook::readentries(line + "\r\n").value(0).text, entry.text);
}

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
