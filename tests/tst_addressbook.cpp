// ftpurl.txt through BookFile, as the window loads and saves it: the line rules, bytes the
// system encoding cannot show, and what the file system can do to a save.
#include "bigbook.h"
#include "main_window/bookfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

QByteArray stored(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QByteArray encoded(const QList<addressbook::Entry>& entries)
{
    QList<QByteArray> lines;
    for (const addressbook::Entry& entry : entries)
        lines << addressbook::encode(entry);
    return addressbook::writelines(lines);
}

} // namespace

class tst_addressbook : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { umask(022), std::signal(SIGXFSZ, SIG_IGN); }
    void roundtrip_data();
    void roundtrip();
    void faults_data();
    void faults();
};

void tst_addressbook::roundtrip_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("lines"); // what loads, one entry a line, as a save writes it
    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("empty lines count") << QByteArray("a\r\n\r\n\r\nb\r\n\r\n") << QByteArray("a\r\n\r\n\r\nb\r\n\r\n");
    QTest::newRow("no line end at the end") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r\r\n") << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("lone LF stays") << QByteArray("a\nb\n\rc") << QByteArray("a\nb\n\r\nc\r\n");
    QTest::newRow("blanks and NUL") << QByteArray(" a\0b \r\n", 7) << QByteArray(" a\0b \r\n", 7);
    QTest::newRow("UTF-8 letters") << QByteArray("ftp://b\xc3\xa4r\r\n") << QByteArray("ftp://b\xc3\xa4r\r\n");
    QTest::newRow("Latin-1 byte kept") << QByteArray("ftp://b\xe4r\r\nx") << QByteArray("ftp://b\xe4r\r\nx\r\n");
    QTest::newRow("cut UTF-8 sequence kept") << QByteArray("ftp://\xe2\x82") << QByteArray("ftp://\xe2\x82\r\n");
}

void tst_addressbook::roundtrip()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, lines);
    QTemporaryDir dir;
    BookFile book(dir.filePath("ftpurl.txt"));
    QFile file(book.path());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    const QList<addressbook::Entry> entries = book.load();
    QCOMPARE(encoded(entries), lines);
    QCOMPARE(book.save(entries), QString());
    QCOMPARE(stored(book.path()), lines);
    QCOMPARE(encoded(book.load()), lines);
}

void tst_addressbook::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("entries"); // in the book saved, 42 bytes each
    QTest::addColumn<QString>("reason"); // why the save fails; empty: it succeeds
    QTest::addColumn<int>("mode"); // of ftpurl.txt afterwards

    const QString unread = "the address book there could not be read, and saving would replace it";
    const QString toolarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    QTest::newRow("missing: made at load, private") << "missing" << 2 << QString() << 0600;
    QTest::newRow("gone by the save: made by it, private") << "removed" << 2 << QString() << 0600;
    QTest::newRow("existing keeps its mode") << "" << 2 << QString() << 0664;
    QTest::newRow("a folder in its place") << "folder" << 2 << unread << 040755;
    QTest::newRow("unread at load, there by the save") << "folder, then file" << 2 << unread << 0664;
    QTest::newRow("size limit, small book") << "size limit" << 2 << toolarge << 0664;
    QTest::newRow("size limit, book over 16 KB") << "size limit" << 1000 << toolarge << 0664;
}

void tst_addressbook::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, entries);
    QFETCH(QString, reason);
    QFETCH(int, mode);
    QTemporaryDir dir;
    BookFile book(dir.filePath("ftpurl.txt"));
    const QByteArray old = "ftp://a.example.com/\r\nftp://b.example.com/\r\n";
    const auto write = [&] {
        QFile file(book.path());
        return file.open(QIODevice::WriteOnly) && file.write(old) == old.size()
            && chmod(qPrintable(book.path()), 0664) == 0;
    };
    QVERIFY(fault.startsWith("folder") ? QDir(dir.path()).mkdir("ftpurl.txt") : fault == "missing" || write());

    bool missing = false;
    QCOMPARE(book.load(&missing).size(), fault.startsWith("folder") || fault == "missing" ? 0 : 2);
    QCOMPARE(missing, fault == "missing");
    QVERIFY(!missing || (book.create() && stored(book.path()).isEmpty()));
    if (fault == "removed")
        QVERIFY(QFile::remove(book.path()));
    if (fault == "folder, then file")
        QVERIFY(QDir(dir.path()).rmdir("ftpurl.txt") && write());
    const QByteArray kept = stored(book.path());

    QList<addressbook::Entry> newbook;
    for (const QString& text : bigbook('n', entries))
        newbook.append({ text, {} });
    // Under a size limit, room for the old book and a little more: a save past it fails.
    rlimit limit {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit unlimited = limit;
    limit.rlim_cur = fault == "size limit" ? old.size() + 10 : limit.rlim_cur;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const QString failure = book.save(newbook);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    QCOMPARE(failure, reason);
    QCOMPARE(stored(book.path()), reason.isEmpty() ? encoded(newbook) : kept);
    struct stat status {
    };
    QCOMPARE(stat(qPrintable(book.path()), &status) == 0 ? int(status.st_mode & 077777) : -1, mode);
}

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
