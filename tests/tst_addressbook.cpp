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

// A book written here has a mode that neither a new book (0600) nor the umask (022) gives.
bool writefile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
        && chmod(QFile::encodeName(path).constData(), 0664) == 0;
}

QByteArray stored(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

int mode(const QString& path)
{
    struct stat status;
    return stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777) : -1;
}

QList<QByteArray> encoded(const QList<addressbook::Entry>& entries)
{
    QList<QByteArray> lines;
    for (const addressbook::Entry& entry : entries)
        lines << addressbook::encode(entry);
    return lines;
}

enum Fault { None, Removed, DirectoryAtLoad, DirectoryAtLoadFileBySave, SizeLimit };

} // namespace

class tst_addressbook : public QObject
{
    Q_OBJECT
private slots:
    void roundtrip_data();
    void roundtrip();
    void faults_data();
    void faults();
};

void tst_addressbook::roundtrip_data()
{
    using Lines = QList<QByteArray>;
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Lines>("lines"); // what loads, and what the save writes, each with CR LF
    QTest::newRow("empty file") << QByteArray() << Lines {};
    QTest::newRow("middle line empty") << QByteArray("ftp://a\r\n\r\nb\r\n") << Lines { "ftp://a", "", "b" };
    QTest::newRow("two line ends at the end") << QByteArray("a\r\n\r\n") << Lines { "a", "" };
    QTest::newRow("no line end at the end") << QByteArray("a\r\nb") << Lines { "a", "b" };
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r") << Lines { "a", "b" };
    QTest::newRow("CR CR LF") << QByteArray("\r\r\n") << Lines { "", "" };
    QTest::newRow("lone LF stays") << QByteArray("a\nb\n") << Lines { "a\nb\n" };
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << Lines { "a\n", "b" };
    QTest::newRow("spaces and NUL") << QByteArray(" a\0b \r\n", 7) << Lines { QByteArray(" a\0b ", 5) };
    QTest::newRow("UTF-8 letters") << QByteArray("ftp://b\xc3\xa4r\r\n") << Lines { "ftp://b\xc3\xa4r" };
    QTest::newRow("Latin-1 byte kept") << QByteArray("ftp://b\xe4r\r\nx\r\n") << Lines { "ftp://b\xe4r", "x" };
    QTest::newRow("cut UTF-8 sequence kept") << QByteArray("ftp://\xe2\x82") << Lines { "ftp://\xe2\x82" };
}

void tst_addressbook::roundtrip()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);
    QTemporaryDir dir;
    BookFile book(dir.filePath(QStringLiteral("ftpurl.txt")));
    QVERIFY(writefile(book.path(), content));
    const QList<addressbook::Entry> entries = book.load();
    QCOMPARE(encoded(entries), lines);
    QCOMPARE(book.save(entries), QString());
    QCOMPARE(stored(book.path()), lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n");
    QCOMPARE(encoded(book.load()), lines);
}

void tst_addressbook::faults_data()
{
    QTest::addColumn<QByteArray>("before"); // the book on disk; null: none
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("entries"); // in the book saved, 42 bytes each
    QTest::addColumn<QString>("reason"); // why the save fails; empty: it succeeds
    QTest::addColumn<int>("modeafter");

    const QByteArray two = "ftp://a.example.com/\r\nftp://b.example.com/\r\n";
    const QString unread = QStringLiteral("the address book there could not be read, and saving would replace it");
    const QString toolarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    QTest::newRow("missing: made at load") << QByteArray() << int(None) << 2 << QString() << 0600;
    QTest::newRow("gone by the save: made by it") << two << int(Removed) << 2 << QString() << 0600;
    QTest::newRow("existing keeps its mode") << two << int(None) << 2 << QString() << 0664;
    QTest::newRow("directory in its place") << QByteArray() << int(DirectoryAtLoad) << 2 << unread << 0755;
    QTest::newRow("unread at load, there by the save") << two << int(DirectoryAtLoadFileBySave) << 2 << unread << 0664;
    QTest::newRow("size limit, small book") << two << int(SizeLimit) << 2 << toolarge << 0664;
    QTest::newRow("size limit, book over 16 KB") << two << int(SizeLimit) << 1000 << toolarge << 0664;
}

void tst_addressbook::faults()
{
    QFETCH(QByteArray, before);
    QFETCH(int, fault);
    QFETCH(int, entries);
    QFETCH(QString, reason);
    QFETCH(int, modeafter);
    umask(022); // a file made without a mode of its own would be readable by all
    QTemporaryDir dir;
    BookFile book(dir.filePath(QStringLiteral("ftpurl.txt")));
    const QString& path = book.path();
    const bool directory = fault == DirectoryAtLoad || fault == DirectoryAtLoadFileBySave;
    if (directory)
        QVERIFY(QDir().mkdir(path));
    else if (!before.isNull())
        QVERIFY(writefile(path, before));

    bool missing = false;
    QCOMPARE(book.load(&missing).size(), directory ? 0 : before.count("\r\n"));
    QCOMPARE(missing, before.isNull() && !directory);
    if (missing) {
        QVERIFY(book.create());
        QCOMPARE(stored(path), QByteArray(""));
        QCOMPARE(mode(path), 0600);
    }
    if (fault == Removed)
        QVERIFY(QFile::remove(path));
    if (fault == DirectoryAtLoadFileBySave)
        QVERIFY(QDir().rmdir(path) && writefile(path, before));
    const QByteArray kept = stored(path);

    QList<addressbook::Entry> newbook;
    for (const QString& text : bigbook('n', entries))
        newbook.append({ text, {} });
    // Under a size limit, room for the old book and a little more. Past it a write fails
    // (EFBIG) rather than ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit limit { fault == SizeLimit ? rlim_t(before.size() + 10) : old.rlim_cur, old.rlim_max };
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const QString failure = book.save(newbook);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
    QCOMPARE(failure, reason);
    QCOMPARE(stored(path), reason.isEmpty() ? addressbook::writelines(encoded(newbook)) : kept);
    QCOMPARE(mode(path), modeafter);
}

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
