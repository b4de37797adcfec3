// A save must leave ftpurl.txt holding the old book or the new one whatever moment the
// program dies at: a child process saves large books over and over and is killed at random.
#include "bigbook.h"
#include "main_window/addressbook.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace
{

QByteArray filebytes(const QStringList& book)
{
    QList<QByteArray> lines;
    for (const QString& text : book)
        lines << addressbook::encode({ text, {} });
    return addressbook::writelines(lines);
}

} // namespace

class tst_crashsafety : public QObject
{
    Q_OBJECT
private slots:
    void killedwhilesaving();
};

void tst_crashsafety::killedwhilesaving()
{
    const int entries = 32767;
    const int kills
        = qEnvironmentVariableIntValue("QUAYLINK_KILLS") > 0 ? qEnvironmentVariableIntValue("QUAYLINK_KILLS") : 200;
    const QByteArray books[] = { filebytes(bigbook('a', entries)), filebytes(bigbook('b', entries)) };
    const quint32 seed = qEnvironmentVariableIsSet("QUAYLINK_SEED")
        ? quint32(qEnvironmentVariableIntValue("QUAYLINK_SEED"))
        : QRandomGenerator::global()->generate();
    qInfo("random seed %u (set QUAYLINK_SEED to repeat)", seed);
    QRandomGenerator random(seed);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ftpurl.txt"));
    {
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        file.write(books[0]);
        QVERIFY(file.commit());
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/crashsaver");
    int strays = 0; // kills that left a file of a save's own beside the book
    qint64 savetime = 0;
    for (int round = 0; round < kills; ++round) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(helper, { dir.path(), QString::number(entries) });
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        QVERIFY2(child.waitForReadyRead(30000), "the child never got to saving");
        // Aim the kill anywhere in the next few saves, whatever speed this machine has now.
        const qint64 save = child.readLine().trimmed().toLongLong();
        QVERIFY(save > 0);
        savetime = std::max(savetime, save);
        const qint64 delay = random.bounded(3 * save);
        QThread::usleep(delay);
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
        const QByteArray content = file.readAll();
        if (content != books[0] && content != books[1])
            QFAIL(qPrintable(QStringLiteral("after kill %1 (%2 us into saving) ftpurl.txt holds %3 bytes, neither book")
                                 .arg(round + 1)
                                 .arg(delay)
                                 .arg(content.size())));
        QCOMPARE(file.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());

        // Where the system has no unnamed temporary files, a killed save leaves its named one.
        const QStringList leftovers = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        strays += leftovers.size() - 1;
        for (const QString& name : leftovers)
            if (name != QStringLiteral("ftpurl.txt"))
                QFile::remove(dir.filePath(name));
    }
    qInfo("%d kills within 3 saves of %lld us at most: the book intact after every one, %d stray files", kills,
          savetime, strays);
}

QTEST_GUILESS_MAIN(tst_crashsafety)
#include "tst_crashsafety.moc"
