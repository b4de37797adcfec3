// ftpurl.txt through BookFile, as the window loads and saves it: the line rules, bytes the
// system encoding cannot show, and what the file system can do to a save.
#include "bigbook.h"
#include "main_window/bookfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

bool writefile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// What is at `path`, whatever it is.
QByteArray stored(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return "(directory)";
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

int mode(const QString& path)
{
    struct stat status;
    return stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
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
    void initTestCase();
    void roundtrip_data();
    void roundtrip();
    void faults_data();
    void faults();
};

void tst_addressbook::initTestCase()
{
    umask(022); // so that a file made without its own mode would come out readable by all
}

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
    QByteArray saved;
    for (const QByteArray& line : lines)
        saved += line + "\r\n";
    QCOMPARE(stored(book.path()), saved);
    QCOMPARE(encoded(book.load()), lines);
}

void tst_addressbook::faults_data()
{
    QTest::addColumn<QByteArray>("before"); // the book on disk; null: none
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("modebefore");
    QTest::addColumn<int>("entries"); // in the book saved, 42 bytes each
    QTest::addColumn<QString>("reason"); // why the save fails; empty: it succeeds
    QTest::addColumn<int>("modeafter"); // -1: a directory

    const QByteArray two = "ftp://a.example.com/\r\nftp://b.example.com/\r\n";
    const QString unread = QStringLiteral("the address book there could not be read, and saving would replace it");
    const QString toolarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    QTest::newRow("missing: made at load") << QByteArray() << int(None) << 0 << 2 << QString() << 0600;
    QTest::newRow("gone by the save: made by it") << two << int(Removed) << 0644 << 2 << QString() << 0600;
    QTest::newRow("existing keeps its mode") << two << int(None) << 0664 << 2 << QString() << 0664;
    QTest::newRow("directory in its place") << QByteArray() << int(DirectoryAtLoad) << 0 << 2 << unread << -1;
    QTest::newRow("unread at load, readable by the save")
        << two << int(DirectoryAtLoadFileBySave) << 0644 << 2 << unread << 0644;
    QTest::newRow("size limit, small book") << two << int(SizeLimit) << 0644 << 2 << toolarge << 0644;
    QTest::newRow("size limit, book over 16 KB") << two << int(SizeLimit) << 0644 << 1000 << toolarge << 0644;
}

void tst_addressbook::faults()
{
    QFETCH(QByteArray, before);
    QFETCH(int, fault);
    QFETCH(int, modebefore);
    QFETCH(int, entries);
    QFETCH(QString, reason);
    QFETCH(int, modeafter);
    QTemporaryDir dir;
    BookFile book(dir.filePath(QStringLiteral("ftpurl.txt")));
    const QString& path = book.path();
    const auto putbefore = [&] {
        return writefile(path, before) && chmod(QFile::encodeName(path).constData(), mode_t(modebefore)) == 0;
    };
    const bool directory = fault == DirectoryAtLoad || fault == DirectoryAtLoadFileBySave;
    if (directory)
        QVERIFY(QDir().mkdir(path));
    else if (!before.isNull())
        QVERIFY(putbefore());

    bool missing = false;
    QCOMPARE(book.load(&missing).size(), directory ? 0 : before.count("\r\n"));
    QCOMPARE(missing, before.isNull() && fault == None);
    if (missing) {
        QVERIFY(book.create());
        QCOMPARE(stored(path), QByteArray(""));
        QCOMPARE(mode(path), 0600);
    }
    if (fault == Removed)
        QVERIFY(QFile::remove(path));
    if (fault == DirectoryAtLoadFileBySave)
        QVERIFY(QDir().rmdir(path) && putbefore());
    const QByteArray kept = stored(path);

    QList<addressbook::Entry> newbook;
    for (const QString& text : bigbook('n', entries))
        newbook.append({ text, {} });
    QString failure;
    if (fault == SizeLimit) {
        // Room for the old book and a little more. Past it a write fails (EFBIG) rather than
        // ending the process.
        rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { rlim_t(before.size() + 10), old.rlim_max };
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        failure = book.save(newbook);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
        std::signal(SIGXFSZ, previous);
    } else {
        failure = book.save(newbook);
    }
    QCOMPARE(failure, reason);
    QCOMPARE(stored(path), reason.isEmpty() ? addressbook::writelines(encoded(newbook)) : kept);
    if (modeafter >= 0)
        QCOMPARE(mode(path), modeafter);
}

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
