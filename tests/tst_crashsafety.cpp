// A save must leave ftpurl.txt holding the old book or the new one whatever moment the
// program dies at: a child process saves large books through BookFile over and over and is
// killed at random. A save that writes the file in place was caught by the fourth kill on
// average in 30 runs, by the 16th at the latest: 40 kills leave a wide margin.
#include "bigbook.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class tst_crashsafety : public QObject
{
    Q_OBJECT
private slots:
    void killedwhilesaving();
};

void tst_crashsafety::killedwhilesaving()
{
    const int entries = 32767;
    const int kills = qEnvironmentVariableIsSet("QUAYLINK_KILLS") ? qEnvironmentVariableIntValue("QUAYLINK_KILLS") : 40;
    QByteArray books[2];
    for (int i = 0; i < 2; ++i)
        for (const QString& text : bigbook("ab"[i], entries))
            books[i] += text.toLatin1() + "\r\n";
    const quint32 seed = qEnvironmentVariableIsSet("QUAYLINK_SEED")
        ? quint32(qEnvironmentVariableIntValue("QUAYLINK_SEED"))
        : QRandomGenerator::global()->generate();
    qInfo("random seed %u (set QUAYLINK_SEED to repeat)", seed);
    QRandomGenerator random(seed);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ftpurl.txt"));
    QFile book(path);
    QVERIFY(book.open(QIODevice::WriteOnly) && book.write(books[0]) == books[0].size());
    book.close();
    QVERIFY(book.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    for (int round = 0; round < kills; ++round) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/crashsaver"),
                    { dir.path(), QString::number(entries) });
        QVERIFY2(child.waitForReadyRead(30000), "the child never got to saving");
        // Aim the kill anywhere in the next few saves, whatever speed this machine has now.
        const qint64 save = child.readLine().trimmed().toLongLong();
        QVERIFY(save > 0);
        const qint64 delay = random.bounded(3 * save);
        QThread::usleep(delay);
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QVERIFY2(book.open(QIODevice::ReadOnly), qPrintable(book.errorString()));
        const QByteArray content = book.readAll();
        book.close();
        QVERIFY2(content == books[0] || content == books[1],
                 qPrintable(QStringLiteral("after kill %1 (%2 us into saving) ftpurl.txt holds %3 bytes, neither book")
                                .arg(round + 1)
                                .arg(delay)
                                .arg(content.size())));
        QCOMPARE(book.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
        // Where the system has no unnamed temporary files, a killed save leaves its named one.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            if (name != QStringLiteral("ftpurl.txt"))
                QFile::remove(dir.filePath(name));
    }
}

QTEST_GUILESS_MAIN(tst_crashsafety)
#include "tst_crashsafety.moc"
