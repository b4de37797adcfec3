// ftpurl.txt through BookFile, as the window loads and saves it: what the file system can do to
// a save, and a crash in one.
#include "main_window/bookfile.h"

#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static QByteArray stored(const QString& path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// A book of `count` addresses, distinct for each `tag`.
static QList<addressbook::Entry> bigbook(char tag, int count)
{
    QList<addressbook::Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.append({ QString("ftp://%1%2.example.com/pub/").arg(tag).arg(i, 7, 10, QChar('0')), {} });
    return entries;
}

class tst_addressbook : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { umask(022), std::signal(SIGXFSZ, SIG_IGN), QCoreApplication::setApplicationName("Quaylink"); }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("entries"); // in the book saved, 33 bytes each
        QTest::addColumn<QString>("reason"); // why the save fails; empty: it succeeds
        QTest::addColumn<int>("mode"); // of ftpurl.txt afterwards

        const QString unread = "the address book there is not a regular file, so it is neither read nor replaced";
        const QString toolarge = QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("missing: made at load, private") << "missing" << 2 << QString() << 0600;
        QTest::newRow("gone by the save: made by it, private") << "removed" << 2 << QString() << 0600;
        QTest::newRow("existing keeps its mode") << "" << 2 << QString() << 0664;
        QTest::newRow("a FIFO in its place: never opened") << "fifo" << 2 << unread << 010600;
        QTest::newRow("a FIFO by the save") << "file, then fifo" << 2 << unread << 010600;
        QTest::newRow("unread at load, there by the save") << "folder, then file" << 2 << unread << 0664;
        QTest::newRow("size limit, small book") << "size limit" << 2 << toolarge << 0664;
        QTest::newRow("size limit, book over 16 KB") << "size limit" << 1000 << toolarge << 0664;
    }

    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(int, entries);
        QFETCH(QString, reason);
        QFETCH(int, mode);
        alarm(2); // a FIFO opened waits for a writer: fail rather than hang
        const auto noalarm = qScopeGuard([] { alarm(0); });
        QTemporaryDir dir;
        BookFile book(dir.filePath("ftpurl.txt"));
        const QByteArray old = "ftp://a.example.com/\r\nftp://b.example.com/\r\n";
        const auto write = [&] {
            QFile file(book.path());
            return file.open(QIODevice::WriteOnly) && file.write(old) == old.size()
                && chmod(qPrintable(book.path()), 0664) == 0;
        };
        const auto place = [&](const QString& kind) { // something in the book's place that is not a file
            return kind == "fifo" ? !mkfifo(qPrintable(book.path()), 0600) : QDir(dir.path()).mkdir("ftpurl.txt");
        };
        const QString first = fault.section(", then ", 0, 0), then = fault.section(", then ", 1);
        const bool odd = first == "folder" || first == "fifo";
        QVERIFY(odd ? place(first) : fault == "missing" || write());

        bool missing = false;
        QCOMPARE(book.load(&missing).size(), odd || fault == "missing" ? 0 : 2);
        QCOMPARE(missing, fault == "missing");
        QVERIFY(!missing || (book.create() && stored(book.path()).isEmpty()));
        if (fault == "removed")
            QVERIFY(QFile::remove(book.path()));
        if (!then.isEmpty()) // what was there goes, and the other kind takes its place
            QVERIFY((QFile::remove(book.path()) || QDir(dir.path()).rmdir("ftpurl.txt"))
                    && (then == "file" ? write() : place(then)));
        const QByteArray kept = stored(book.path());

        const QList<addressbook::Entry> newbook = bigbook('n', entries);
        // Under a size limit, room for the old book and a little more: a save past it fails.
        rlimit limit {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = fault == "size limit" ? old.size() + 10 : limit.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        const QString failure = book.save(newbook);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
        QCOMPARE(failure, reason);
        QByteArray written;
        for (const addressbook::Entry& entry : newbook)
            written += entry.text.toLatin1() + "\r\n";
        QCOMPARE(stored(book.path()), reason.isEmpty() ? written : kept);
        struct stat status = {};
        QCOMPARE(stat(qPrintable(book.path()), &status) == 0 ? int(status.st_mode & 077777) : -1, mode);
    }

    // A save must leave ftpurl.txt holding the old book or the new one whatever moment the
    // program dies at: a child process saves two large books in turn and is killed at random. In
    // 40 runs against a save that writes the file in place, the first bad kill came between the
    // 1st and the 18th: 40 kills leave a margin.
    void killedwhilesaving()
    {
        QTemporaryDir dir;
        const BookFile file(dir.filePath("ftpurl.txt"));
        const QList<addressbook::Entry> books[2] = { bigbook('a', 32767), bigbook('b', 32767) };
        QByteArray saved[2];
        QElapsedTimer timer;
        for (int i = 0; i < 2; ++i) {
            timer.start();
            QCOMPARE(file.save(books[i]), QString());
            saved[i] = stored(file.path());
        }
        // Kills aimed anywhere in the next few saves, whatever speed this machine has now.
        const qint64 save = timer.nsecsElapsed() / 1000;
        const quint32 seed = qEnvironmentVariableIsSet("QUAYLINK_SEED") ? qEnvironmentVariableIntValue("QUAYLINK_SEED")
                                                                        : QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        qInfo("random seed %u (set QUAYLINK_SEED to repeat)", seed);
        for (int kill = 1; kill <= 40; ++kill) {
            const pid_t child = fork();
            if (child == 0)
                for (int i = 0;; ++i)
                    file.save(books[i % 2]);
            QThread::usleep(random.bounded(3 * save));
            ::kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const QByteArray content = stored(file.path());
            QVERIFY2(content == saved[0] || content == saved[1],
                     qPrintable(QString("kill %1: neither book").arg(kill)));
        }
    }

    // Where the book goes: for an installed program (its menu entry laid out beside it) the
    // user's own data folder, whoever runs it, and nothing ever written beside the program; for a
    // program in its own folder, beside it while the folder can be written. A book already beside
    // it stays in use for its owner and whoever may read and write it; anyone else's is passed
    // over, untouched. Root may write anywhere, so most rows run as an ordinary user.
    void location_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("folder"); // the program's folder's mode
        QTest::addColumn<QString>("book"); // beside the program: "", "mine" or "root's", and its mode
        QTest::addColumn<bool>("asroot");
        QTest::addColumn<bool>("beside"); // whether the book found is the one beside the program

        QTest::newRow("build folder: beside") << false << 0777 << "" << false << true;
        QTest::newRow("own folder, read-only: the user's") << false << 0555 << "" << false << false;
        QTest::newRow("own folder, read-only, a book there: kept") << false << 0555 << "mine 0600" << false << true;
        QTest::newRow("own folder, root's book: the user's") << false << 0777 << "root's 0600" << false << false;
        QTest::newRow("installed, run by root: root's own") << true << 0755 << "" << true << false;
        QTest::newRow("installed in a folder the user may write: the user's") << true << 0777 << "" << false << false;
        QTest::newRow("installed, root's unreadable book: the user's")
            << true << 0755 << "root's 0600" << false << false;
        QTest::newRow("installed, root's readable book: the user's") << true << 0755 << "root's 0644" << false << false;
        QTest::newRow("installed, an older layout's book: kept") << true << 0777 << "mine 0600" << false << true;
        QTest::newRow("installed, the user's read-only book: kept for its owner")
            << true << 0777 << "mine 0400" << false << true;
    }

    void location()
    {
        QFETCH(bool, installed);
        QFETCH(int, folder);
        QFETCH(QString, book);
        QFETCH(bool, asroot);
        QFETCH(bool, beside);
        const bool root = geteuid() == 0;
        if (!root && (asroot || book.startsWith("root")))
            QSKIP("needs root to act as two users");
        const uid_t user = root && !asroot ? 65534 : geteuid();
        QTemporaryDir dir;
        const QString appdir = dir.filePath("usr/bin"), data = dir.filePath("data");
        const QString entry = QFileInfo(appdir + "/../share/applications/quaylink.desktop").absoluteFilePath();
        QVERIFY(QDir().mkpath(appdir) && QDir().mkpath(data) && !chown(qPrintable(data), user, user));
        QVERIFY(!installed || (QDir().mkpath(QFileInfo(entry).path()) && QFile(entry).open(QIODevice::WriteOnly)));
        QCOMPARE(BookFile::installed(appdir), installed);
        const QString there = appdir + "/ftpurl.txt";
        if (!book.isEmpty()) {
            QFile file(there);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("ftp://kept.example/\r\n") > 0);
            QVERIFY(!chmod(qPrintable(there), book.section(' ', 1).toInt(nullptr, 8))
                    && !chown(qPrintable(there), book.startsWith("mine") ? user : 0, 0));
        }
        QVERIFY(!chmod(qPrintable(dir.path()), 0755) && !chmod(qPrintable(dir.filePath("usr")), 0755)
                && !chmod(qPrintable(appdir), folder));
        const QStringList before = QDir(appdir).entryList(QDir::AllEntries | QDir::Hidden);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));

        // Found, made, loaded and saved as the bar does on a first start and a Save Url.
        QVERIFY(!root || setresuid(user, user, 0) == 0);
        BookFile found(BookFile::locate(appdir));
        bool missing = false;
        const qsizetype entries = found.load(&missing).size();
        const bool made = !missing || found.create();
        const QString saved = found.save({ { "ftp://new.example/", {} } });
        QVERIFY(!root || setresuid(0, 0, 0) == 0);

        QCOMPARE(found.path(), beside ? there : data + "/Quaylink/ftpurl.txt");
        QVERIFY(made);
        QCOMPARE(entries, beside && !book.isEmpty() ? 1 : 0);
        // Where the book cannot be replaced, its owner is told why.
        QVERIFY2(saved.isEmpty() == !(beside && !book.isEmpty() && (folder == 0555 || book.endsWith("0400"))),
                 qPrintable(saved));
        if (!beside) {
            QCOMPARE(QDir(appdir).entryList(QDir::AllEntries | QDir::Hidden), before);
            QCOMPARE(stored(there),
                     book.isEmpty() ? QByteArray("(unreadable)") : QByteArray("ftp://kept.example/\r\n"));
        }
    }
};

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
