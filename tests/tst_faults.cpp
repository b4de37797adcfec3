// Faults thrown at the real window: directories and files it may not write or read, a full
// disk, and files no one would write by hand. Whatever happens, the window stays up and
// nothing the user saved is lost.
#include "common/picturebutton.h"
#include "fakedesktopservices.h"
#include "main_window/addressbook.h"
#include "main_window/frmquaylink.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char* const childvariable = "QUAYLINK_FAULTS_CHILD";

// Runs the current test row again in a process of its own: a file size limit would hit the
// test's own output, and permission bits do not stop root, so under root the row runs as nobody.
void runchild()
{
    // Everything nobody needs must be reachable by nobody, wherever the build tree is.
    QTemporaryDir scratch;
    QVERIFY(chmod(QFile::encodeName(scratch.path()).constData(), 0707) == 0);
    const QString self = scratch.filePath(QStringLiteral("tst_faults"));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), self));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(childvariable), QStringLiteral("1"));
    for (const char* name : { "TMPDIR", "XDG_CACHE_HOME", "HOME" })
        env.insert(QString::fromLatin1(name), scratch.path());
    QStringList arguments { QString::fromLatin1(QTest::currentTestFunction()) + ':'
                            + QString::fromLatin1(QTest::currentDataTag()) };
    if (geteuid() == 0)
        arguments = QStringList { "--reuid=nobody", "--regid=nogroup", "--clear-groups", self } + arguments;
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(geteuid() == 0 ? QStringLiteral("setpriv") : self, arguments);
    const bool finished = child.waitForFinished(120000);
    QVERIFY2(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(child.readAll()) + child.errorString()));
}

enum Fault { Nothing, ReadOnlyDir, FilePermissions, FileIsDirectory, SizeLimit };

} // namespace

class tst_faults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void saves_data();
    void saves();
};

void tst_faults::initTestCase()
{
    // Random bytes shown in the combo call for glyphs no installed font has; that is no fault.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.startsWith(QStringLiteral("OpenType support missing")))
            previous(type, context, message);
    });
}

void tst_faults::saves_data()
{
    QTest::addColumn<QByteArray>("content"); // what ftpurl.txt holds; null: there is none
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("permissions"); // of the directory or the file, as the fault says
    QTest::addColumn<bool>("listed"); // whether the book loads into the list

    const QByteArray two = "ftp://a.example.com/\r\nftp://b.example.com/\r\n";
    const int readonlydir = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QTest::newRow("read-only directory, first start") << QByteArray() << int(ReadOnlyDir) << readonlydir << false;
    QTest::newRow("read-only directory") << two << int(ReadOnlyDir) << readonlydir << true;
    QTest::newRow("read-only file") << two << int(FilePermissions) << int(QFileDevice::ReadOwner) << true;
    QTest::newRow("file with no access") << two << int(FilePermissions) << 0 << false;
    // The book cannot be shown, but it could be written over: that would lose it.
    QTest::newRow("write-only file") << two << int(FilePermissions) << int(QFileDevice::WriteOwner) << false;
    QTest::newRow("file is a directory") << QByteArray() << int(FileIsDirectory) << -1 << false;
    QTest::newRow("file size limit") << two << int(SizeLimit) << -1 << true;

    // Every byte value, NUL, lone CRs and LFs and bytes that are no valid UTF-8 among them.
    QRandomGenerator random(5);
    QByteArray binary(65536, '\0');
    for (char& byte : binary)
        byte = char(random.bounded(256));
    QTest::newRow("binary") << binary << int(Nothing) << -1 << true;
    QByteArray line(1000, 'x');
    line.replace(0, 6, "ftp://");
    line[500] = '\xe9'; // Latin-1, no valid UTF-8: kept byte for byte
    QTest::newRow("50 MB") << (line + "\r\n").repeated(52429) << int(Nothing) << -1 << true;
    QTest::newRow("one 10 MB line") << QByteArray(10 * 1024 * 1024, 'y').replace(0, 6, "ftp://") << int(Nothing) << -1
                                    << true;
    QByteArray million;
    million.reserve(42 * 1000000);
    for (int i = 0; i < 1000000; ++i)
        million
            += QByteArray("ftp://") + QByteArray::number(i).rightJustified(7, '0') + ".example.com/pub/xxxxxxxxxxx\r\n";
    QTest::newRow("1,000,000 lines") << million << int(Nothing) << -1 << true;
}

void tst_faults::saves()
{
    QFETCH(QByteArray, content);
    QFETCH(int, fault);
    QFETCH(int, permissions);
    QFETCH(bool, listed);
    if (fault != Nothing && !qEnvironmentVariableIsSet(childvariable))
        return runchild();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    const QString path = dir.filePath(QStringLiteral("ftpurl.txt"));
    // What the file holds, even where the window may not read it.
    const auto stored = [&] {
        const QFileInfo info(path);
        if (!info.exists() || info.isDir())
            return QByteArray(info.exists() ? "(directory)" : "(missing)");
        QFile::setPermissions(path, info.permissions() | QFileDevice::ReadOwner);
        QFile file(path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
        QFile::setPermissions(path, info.permissions());
        return bytes;
    };
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    if (fault == FileIsDirectory)
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ftpurl.txt")));
    const QByteArray before = stored();
    if (permissions >= 0)
        QVERIFY(QFile::setPermissions(fault == ReadOnlyDir ? dir.path() : path, QFileDevice::Permissions(permissions)));
    if (fault == SizeLimit) {
        // Room for the book as it is and a little more; going past it fails the write (EFBIG)
        // rather than ending the process.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { rlim_t(content.size() + 10), RLIM_INFINITY };
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }

    FakeDesktopServices services;
    const auto asked = [&] { // the message boxes shown since the last look
        const QStringList asks = services.log.filter(QStringLiteral("ask ["));
        services.log.clear();
        return asks;
    };
    QElapsedTimer timer;
    timer.start();
    frmquaylink window(services, dir.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    qInfo("shown in %lld ms", timer.elapsed());
    QComboBox* const combo = window.combourl;
    // Only a missing book is created anew, with a notice; one that cannot be read loads as an
    // empty list, quietly. Every reload after a save repeats that.
    const QStringList startasks = before != "(missing)"
        ? QStringList()
        : QStringList { QStringLiteral("ask [Previous record of FTP addresses -- as ftpurl.txt -- cannot be found or "
                                       "has not been created yet. A new empty record will now be created.] 0 null") };
    QCOMPARE(asked(), startasks);
    QList<QByteArray> book = listed ? addressbook::readlines(content) : QList<QByteArray>();
    QCOMPARE(combo->count(), book.size());

    // A save writes the whole book back; a failed one says where and why, and leaves the
    // file, the list and the typing alone.
    const auto verifysave = [&](bool refused, const QString& typed) {
        const QStringList asks = asked();
        QCOMPARE(combo->count(), book.size());
        if (!refused) {
            QCOMPARE(asks, QStringList());
            QCOMPARE(stored(), addressbook::writelines(book));
            return;
        }
        const QString failure
            = QStringLiteral("ask [The address book could not be saved to %1: ").arg(QDir::toNativeSeparators(path));
        QCOMPARE(asks.mid(0, asks.size() - 1), startasks);
        QVERIFY2(asks.last().startsWith(failure) && asks.last().endsWith(QStringLiteral("] 0 null"))
                     && asks.last().size() > failure.size() + 9,
                 qPrintable(asks.join('\n')));
        QCOMPARE(stored(), before);
        QCOMPARE(combo->currentText(), typed);
        QCOMPARE(combo->currentIndex(), -1);
    };
    combo->lineEdit()->setFocus();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("ftp://added.example.com/"));
    QTest::mouseClick(window.cmdadd, Qt::LeftButton);
    if (fault == Nothing)
        book << "ftp://added.example.com/";
    verifysave(fault != Nothing, QStringLiteral("ftp://added.example.com/"));
    if (QTest::currentTestFailed() || book.isEmpty())
        return;

    int victim = 0;
    while (combo->itemText(victim).isEmpty())
        ++victim;
    combo->clearEditText();
    combo->setCurrentIndex(victim); // as the arrow keys pick an entry
    const QString picked = combo->currentText();
    QTest::mouseClick(window.cmddelete, Qt::LeftButton);
    // Deleting makes the book smaller, so it fits under a size limit.
    const bool refused = fault != Nothing && fault != SizeLimit;
    if (!refused)
        book.removeAt(victim);
    verifysave(refused, picked);

    if (book.size() > 1) {
        timer.restart();
        combo->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(combo->view()));
        combo->hidePopup();
        // Measuring every entry took over 10 s; drawing a page of them takes a few ms.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }
}

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
