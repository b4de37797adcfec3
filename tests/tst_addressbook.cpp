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
        // In the book's place at the load (none, file, fifo or folder), then by the save if that changes.
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<int>("entries"); // in the book saved, 33 bytes each
        QTest::addColumn<QString>("reason"); // why the save fails; empty: it succeeds
        QTest::addColumn<int>("mode"); // of ftpurl.txt afterwards

        const QString unread = "the address book there is not a regular file, so it is neither read nor replaced";
        const QString toolarge = QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("missing: made at load, private") << QStringList { "none" } << 2 << QString() << 0600;
        QTest::newRow("gone by the save: made by it, private")
            << QStringList { "file", "none" } << 2 << QString() << 0600;
        QTest::newRow("existing keeps its mode") << QStringList { "file" } << 2 << QString() << 0664;
        QTest::newRow("a FIFO in its place: never opened") << QStringList { "fifo" } << 2 << unread << 010600;
        QTest::newRow("a FIFO by the save") << QStringList { "file", "fifo" } << 2 << unread << 010600;
        QTest::newRow("unread at load, there by the save") << QStringList { "folder", "file" } << 2 << unread << 0664;
        QTest::newRow("size limit, small book") << QStringList { "file" } << 2 << toolarge << 0664;
        QTest::newRow("size limit, book over 16 KB") << QStringList { "file" } << 1000 << toolarge << 0664;
    }

    void faults()
    {
        QFETCH(QStringList, places);
        QFETCH(int, entries);
        QFETCH(QString, reason);
        QFETCH(int, mode);
        alarm(2); // a FIFO opened waits for a writer: fail rather than hang
        const auto noalarm = qScopeGuard([] { alarm(0); });
        QTemporaryDir dir;
        BookFile book(dir.filePath("ftpurl.txt"));
        const QByteArray old = "ftp://a.example.com/\r\nftp://b.example.com/\r\n";
        const auto put = [&](const QString& kind) { // the old book, or something else in its place, or nothing
            QFile file(book.path());
            return kind == "fifo"  ? !mkfifo(qPrintable(book.path()), 0600)
                : kind == "folder" ? QDir(dir.path()).mkdir("ftpurl.txt")
                                   : kind == "none"
                    || (file.open(QIODevice::WriteOnly) && file.write(old) == old.size()
                        && chmod(qPrintable(book.path()), 0664) == 0);
        };
        QVERIFY(put(places[0]));

        bool missing = false;
        QCOMPARE(book.load(&missing).size(), places[0] == "file" ? 2 : 0);
        QCOMPARE(missing, places[0] == "none");
        QVERIFY(!missing || (book.create() && stored(book.path()).isEmpty()));
        if (places.size() > 1) // what was there goes, and something else or nothing takes its place
            QVERIFY((QFile::remove(book.path()) || QDir(dir.path()).rmdir("ftpurl.txt")) && put(places[1]));
        const QByteArray kept = stored(book.path());

        const QList<addressbook::Entry> newbook = bigbook('n', entries);
        // Under a size limit, room for the old book and a little more: a save past it fails.
        rlimit limit {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = reason == QString::fromLocal8Bit(std::strerror(EFBIG)) ? old.size() + 10 : limit.rlim_cur;
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
    // user's own data folder, whoever runs it; for a program in its own folder, beside it while
    // the folder can be written. A book already beside it stays in use for its owner and whoever
    // may read and write it; anyone else's is passed over. Root may write anywhere, so the rows
    // look as an ordinary user. (Root's own run, and root's private book passed over, are the
    // package test's.)
    void location()
    {
        struct Row {
            const char* name;
            bool installed;
            int folder; // the program's folder's mode
            int book; // the mode of a book beside the program, 0: none
            bool mine; // whether that book is the user's (nobody's), else root's
            bool beside; // whether the book is the one beside the program
        };
        for (const auto& [name, installed, folder, book, mine, beside] : {
                 Row { "build folder", false, 0777, 0, false, true },
                 Row { "own folder, read-only", false, 0555, 0, false, false },
                 Row { "own folder, root's book", false, 0777, 0600, false, false },
                 Row { "installed in a folder the user may write", true, 0777, 0, false, false },
                 Row { "installed, root's readable book", true, 0755, 0644, false, false },
                 Row { "installed, an older layout's book", true, 0777, 0600, true, true },
                 Row { "installed, the user's read-only book", true, 0777, 0400, true, true },
             }) {
            if (geteuid() != 0)
                QSKIP("needs root to look as two users");
            QTemporaryDir dir;
            const QString appdir = dir.filePath("usr/bin"), there = appdir + "/ftpurl.txt";
            const QString entry = dir.filePath("usr/share/applications/quaylink.desktop");
            QVERIFY(QDir().mkpath(appdir) && QDir().mkpath(QFileInfo(entry).path()));
            QVERIFY(!installed || QFile(entry).open(QIODevice::WriteOnly));
            QVERIFY(!book
                    || (QFile(there).open(QIODevice::WriteOnly) && !chmod(qPrintable(there), book)
                        && !chown(qPrintable(there), mine ? 65534 : 0, 0)));
            QVERIFY(!chmod(qPrintable(dir.path()), 0755) && !chmod(qPrintable(dir.filePath("usr")), 0755)
                    && !chmod(qPrintable(appdir), folder));
            qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
            QVERIFY(setresuid(65534, 65534, 0) == 0);
            const QString found = BookFile::locate(appdir);
            QVERIFY(setresuid(0, 0, 0) == 0);
            QCOMPARE(std::pair(name, found),
                     std::pair(name, beside ? there : dir.filePath("data/Quaylink/ftpurl.txt")));
        }
    }
};

QTEST_APPLESS_MAIN(tst_addressbook)
#include "tst_addressbook.moc"
