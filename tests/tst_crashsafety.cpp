// A save must leave ftpurl.txt holding the old book or the new one whatever moment the
// program dies at: a child process saves two large books in turn through BookFile and is
// killed at random. A save that writes the file in place was caught by the fourth kill on
// average, by the 16th at the latest: 40 kills leave a wide margin.
#include "bigbook.h"
#include "main_window/bookfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class tst_crashsafety : public QObject
{
    Q_OBJECT
private slots:
    void killedwhilesaving();
};

void tst_crashsafety::killedwhilesaving()
{
    QTemporaryDir dir;
    const BookFile file(dir.filePath("ftpurl.txt"));
    QList<addressbook::Entry> books[2];
    QByteArray saved[2];
    QElapsedTimer timer;
    for (int i = 0; i < 2; ++i) {
        for (const QString& text : bigbook("ab"[i], 32767))
            books[i].append({ text, {} });
        timer.start();
        QCOMPARE(file.save(books[i]), QString());
        QFile book(file.path());
        QVERIFY(book.open(QIODevice::ReadOnly));
        saved[i] = book.readAll();
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
        QFile book(file.path());
        QVERIFY(book.open(QIODevice::ReadOnly));
        const QByteArray content = book.readAll();
        QVERIFY2(content == saved[0] || content == saved[1], qPrintable(QString("kill %1: neither book").arg(kill)));
        QCOMPARE(book.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
        // Where the system has no unnamed temporary files, a killed save leaves its named one.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            if (name != "ftpurl.txt")
                QFile::remove(dir.filePath(name));
    }
}

QTEST_GUILESS_MAIN(tst_crashsafety)
#include "tst_crashsafety.moc"
