#include "main_window/addressbook.h"

#include <QTest>

using addressbook::readlines;
using addressbook::writelines;

class tst_addressbook : public QObject
{
    Q_OBJECT
private slots:
    void readlines_data();
    void readlines();
    void writtenlinesreadback();
    void bytesoutsidetheencodingsurvive_data();
    void bytesoutsidetheencodingsurvive();
};

void tst_addressbook::readlines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("empty file") << QByteArray() << QList<QByteArray> {};
    QTest::newRow("three lines, the middle empty")
        << QByteArray("ftp://a\r\n\r\nftp://c\r\n") << QList<QByteArray> { "ftp://a", "", "ftp://c" };
    QTest::newRow("two line ends at the end") << QByteArray("a\r\n\r\n") << QList<QByteArray> { "a", "" };
    QTest::newRow("last line without line end") << QByteArray("a\r\nb") << QList<QByteArray> { "a", "b" };
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r") << QList<QByteArray> { "a", "b" };
    QTest::newRow("CR CR LF is two lines") << QByteArray("\r\r\n") << QList<QByteArray> { "", "" };
    QTest::newRow("lone LF stays in the entry") << QByteArray("a\nb\n") << QList<QByteArray> { "a\nb\n" };
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QList<QByteArray> { "a\n", "b" };
    QTest::newRow("spaces kept") << QByteArray("  ftp://x  \r\n") << QList<QByteArray> { "  ftp://x  " };
    QTest::newRow("NUL bytes kept") << QByteArray("a\0b\r\n", 5) << QList<QByteArray> { QByteArray("a\0b", 3) };
    QTest::newRow("only a CR") << QByteArray("\r") << QList<QByteArray> { "" };
}

void tst_addressbook::readlines()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(addressbook::readlines(content), lines);
}

void tst_addressbook::writtenlinesreadback()
{
    QCOMPARE(writelines({}), QByteArray());
    QCOMPARE(writelines({ "a", "", "ftp://u:p@h" }), QByteArray("a\r\n\r\nftp://u:p@h\r\n"));
    // A line feed read inside an entry goes back inside the same single line.
    const QList<QByteArray> lines = addressbook::readlines("x\ny\n");
    QCOMPARE(writelines(lines), QByteArray("x\ny\n\r\n"));
    QCOMPARE(addressbook::readlines(writelines(lines)), lines);
}

void tst_addressbook::bytesoutsidetheencodingsurvive_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("exact");
    QTest::newRow("plain") << QByteArray("ftp://ftp.example.com") << true;
    QTest::newRow("UTF-8 letters") << QByteArray("ftp://b\xc3\xa4r.example") << true;
    QTest::newRow("Latin-1 byte") << QByteArray("ftp://b\xe4r.example") << false;
    QTest::newRow("cut sequence") << QByteArray("ftp://\xe2\x82") << false;
    QTest::newRow("stray continuation") << QByteArray("\x80\x80") << false;
}

void tst_addressbook::bytesoutsidetheencodingsurvive()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, exact);
    const addressbook::Entry entry = addressbook::decode(line);
    QCOMPARE(entry.bytes.isNull(), exact);
    QCOMPARE(addressbook::encode(entry), line);
    // Text typed by the user is written in the system encoding.
    QCOMPARE(addressbook::encode({ QStringLiteral("ftp://b\u00e4r"), {} }), QByteArray("ftp://b\xc3\xa4r"));
}

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
