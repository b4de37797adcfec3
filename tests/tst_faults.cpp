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

#include <memory>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

const char* const childvariable = "QUAYLINK_FAULTS_CHILD";

// Where a test body has to run. Permission bits do not stop root, so those cases run as
// nobody; a file size limit would hit the test's own output, so that case gets a process.
enum class Where { Unprivileged, Child };

struct Elsewhere {
    bool ran = false;
    bool passed = false;
    QString output;
};

// Runs the current test function again in a process of its own, as `where` says, unless
// this already is that process.
Elsewhere runelsewhere(Where where)
{
    if (qEnvironmentVariableIsSet(childvariable) || (where == Where::Unprivileged && geteuid() != 0))
        return {};
    Elsewhere result { true, false, {} };
    // Everything nobody needs must be reachable by nobody, wherever the build tree is.
    QTemporaryDir scratch;
    QFile::setPermissions(scratch.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    const QString self = scratch.filePath(QStringLiteral("tst_faults"));
    if (!QFile::copy(QCoreApplication::applicationFilePath(), self)) {
        result.output = QStringLiteral("cannot copy the test to %1").arg(self);
        return result;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(childvariable), QStringLiteral("1"));
    env.insert(QStringLiteral("TMPDIR"), scratch.path());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), scratch.path());
    env.insert(QStringLiteral("HOME"), scratch.path());
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        function += ':' + QString::fromLatin1(QTest::currentDataTag());
    const QStringList arguments { function };
    if (where == Where::Unprivileged)
        child.start(QStringLiteral("setpriv"),
                    QStringList { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                  QStringLiteral("--clear-groups"), self }
                        + arguments);
    else
        child.start(self, arguments);
    child.waitForFinished(120000);
    result.output = QString::fromLocal8Bit(child.readAll());
    result.passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (!result.passed && child.error() == QProcess::FailedToStart)
        result.output = QStringLiteral("cannot start %1: %2").arg(child.program(), child.errorString());
    return result;
}

#define RUN_ELSEWHERE(where)                                                                                           \
    do {                                                                                                               \
        const Elsewhere elsewhere = runelsewhere(where);                                                               \
        if (elsewhere.ran) {                                                                                           \
            QVERIFY2(elsewhere.passed, qPrintable(elsewhere.output));                                                  \
            return;                                                                                                    \
        }                                                                                                              \
    } while (false)

QByteArray lines(std::initializer_list<const char*> entries)
{
    QByteArray content;
    for (const char* entry : entries)
        content += QByteArray(entry) + "\r\n";
    return content;
}

const QFileDevice::Permissions ownerall = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
const QFileDevice::Permissions ownerreadonly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;

// The bar on its own application directory, with the desktop faked.
class Bar
{
public:
    Bar() { QVERIFY(m_dir.isValid()); }
    ~Bar()
    {
        window.reset();
        QFile::setPermissions(m_dir.path(), ownerall);
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QString appdir() const { return m_dir.path(); }
    QString path() const { return m_dir.filePath(QStringLiteral("ftpurl.txt")); }
    QByteArray content() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
    void write(const QByteArray& content) const
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    void start()
    {
        window = std::make_unique<frmquaylink>(services, appdir());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QStringList list() const
    {
        QStringList texts;
        for (int i = 0; i < window->combourl->count(); ++i)
            texts << window->combourl->itemText(i);
        return texts;
    }
    void type(const QString& text)
    {
        window->combourl->lineEdit()->setFocus();
        QTest::keyClicks(window->combourl->lineEdit(), text);
    }
    void pick(int index)
    {
        // As the arrow keys pick an entry in the list; the go-online prompt is no part of this.
        window->combourl->setCurrentIndex(index);
    }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString typed() const { return window->combourl->currentText(); }

    // The message boxes shown since the last call, as "TEXT STYLE TITLE".
    QStringList asked()
    {
        QStringList asks;
        for (const QString& line : std::as_const(services.log))
            if (line.startsWith(QStringLiteral("ask ")))
                asks << line.mid(4);
        services.log.clear();
        return asks;
    }
    // What the user is told when a save fails, up to the system's reason.
    QString savefailure() const
    {
        return QStringLiteral("[The address book could not be saved to %1: ").arg(QDir::toNativeSeparators(path()));
    }

    FakeDesktopServices services;
    std::unique_ptr<frmquaylink> window;

private:
    QTemporaryDir m_dir;
};

const QString missingnotice
    = QStringLiteral("[Previous record of FTP addresses -- as ftpurl.txt -- cannot be found or "
                     "has not been created yet. A new empty record will now be created.] 0 null");

// A failed save told the user why, left the file and the list as they were and kept what
// was typed.
void verifyrefused(Bar& bar, const QByteArray& before, const QStringList& list, const QString& typed)
{
    const QStringList asks = bar.asked();
    QCOMPARE(asks.size(), 1);
    QVERIFY2(asks[0].startsWith(bar.savefailure()) && asks[0].endsWith(QStringLiteral("] 0 null"))
                 && asks[0].size() > bar.savefailure().size() + 9,
             qPrintable(asks[0]));
    QCOMPARE(bar.content(), before);
    QCOMPARE(bar.list(), list);
    QCOMPARE(bar.typed(), typed);
    QCOMPARE(bar.window->combourl->currentIndex(), -1);
}

#define VERIFY_REFUSED(...)                                                                                            \
    do {                                                                                                               \
        verifyrefused(__VA_ARGS__);                                                                                    \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (false)

} // namespace

class tst_faults : public QObject
{
    Q_OBJECT
private slots:
    void readonlyappdirfirststart();
    void refusedsave_data();
    void refusedsave();
    void fileisdirectory();
    void diskfull();
    void binaryfile();
    void hugefiles_data();
    void hugefiles();
};

void tst_faults::readonlyappdirfirststart()
{
    RUN_ELSEWHERE(Where::Unprivileged);
    Bar bar;
    QVERIFY(QFile::setPermissions(bar.appdir(), ownerreadonly));
    bar.start();
    QCOMPARE(bar.asked(), QStringList { missingnotice });
    QVERIFY(bar.list().isEmpty());
    QVERIFY(!QFile::exists(bar.path()));

    // A save then says why it failed, after the reload has found the file still missing.
    bar.type(QStringLiteral("ftp://first.example.com/"));
    bar.click(bar.window->cmdadd);
    const QStringList asks = bar.asked();
    QCOMPARE(asks.size(), 2);
    QCOMPARE(asks[0], missingnotice);
    QVERIFY2(asks[1].startsWith(bar.savefailure()), qPrintable(asks[1]));
    QCOMPARE(bar.typed(), QStringLiteral("ftp://first.example.com/"));
    QVERIFY(bar.list().isEmpty());
}

void tst_faults::refusedsave_data()
{
    QTest::addColumn<bool>("directory"); // whether the directory loses permissions, or the file
    QTest::addColumn<int>("permissions");
    QTest::newRow("read-only directory") << true << int(ownerreadonly);
    QTest::newRow("read-only file") << false << int(QFileDevice::ReadOwner);
    QTest::newRow("file with no access") << false << 0;
    // The book cannot be shown, but it could be written over: that would lose it.
    QTest::newRow("write-only file") << false << int(QFileDevice::WriteOwner);
}

void tst_faults::refusedsave()
{
    RUN_ELSEWHERE(Where::Unprivileged);
    QFETCH(bool, directory);
    QFETCH(int, permissions);
    Bar bar;
    const QByteArray before = lines({ "ftp://a.example.com/", "ftp://b.example.com/" });
    bar.write(before);
    QVERIFY(QFile::setPermissions(directory ? bar.appdir() : bar.path(), QFileDevice::Permissions(permissions)));
    const bool readable = directory || (permissions & QFileDevice::ReadOwner);
    bar.start();
    // A book that cannot be read loads as an empty list, quietly: it is there, so it is not
    // created anew.
    QVERIFY(bar.asked().isEmpty());
    const QStringList list = readable ? QStringList { "ftp://a.example.com/", "ftp://b.example.com/" } : QStringList {};
    QCOMPARE(bar.list(), list);

    bar.type(QStringLiteral("ftp://new.example.com/"));
    bar.click(bar.window->cmdadd);
    if (!readable)
        QVERIFY(QFile::setPermissions(bar.path(), QFileDevice::ReadOwner)); // to see what it holds
    VERIFY_REFUSED(bar, before, list, QStringLiteral("ftp://new.example.com/"));
    if (!readable)
        return;

    bar.window->combourl->clearEditText();
    bar.pick(0);
    bar.click(bar.window->cmddelete);
    VERIFY_REFUSED(bar, before, list, QStringLiteral("ftp://a.example.com/"));
}

void tst_faults::fileisdirectory()
{
    Bar bar;
    QVERIFY(QDir(bar.appdir()).mkdir(QStringLiteral("ftpurl.txt")));
    bar.start();
    QVERIFY(bar.asked().isEmpty());
    QVERIFY(bar.list().isEmpty());
    bar.type(QStringLiteral("ftp://new.example.com/"));
    bar.click(bar.window->cmdadd);
    const QStringList asks = bar.asked();
    QCOMPARE(asks.size(), 1);
    QVERIFY2(asks[0].startsWith(bar.savefailure()), qPrintable(asks[0]));
    QVERIFY(QFileInfo(bar.path()).isDir());
    QCOMPARE(bar.typed(), QStringLiteral("ftp://new.example.com/"));
}

void tst_faults::diskfull()
{
    RUN_ELSEWHERE(Where::Child);
    Bar bar;
    QByteArray before;
    for (int i = 0; i < 100; ++i)
        before += QStringLiteral("ftp://host%1.example.com/pub/\r\n").arg(i, 3, 10, QChar('0')).toLatin1();
    bar.write(before);
    bar.start();
    const QStringList list = bar.list();
    QCOMPARE(list.size(), 100);

    // Room for the book as it is and a little more; going past it fails the write (EFBIG)
    // rather than ending the process.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    limit.rlim_cur = rlim_t(before.size() + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);

    bar.type(QStringLiteral("ftp://one.too.many.example.com/"));
    bar.click(bar.window->cmdadd);
    VERIFY_REFUSED(bar, before, list, QStringLiteral("ftp://one.too.many.example.com/"));

    // Deleting makes the book smaller, so it fits.
    bar.window->combourl->clearEditText();
    bar.pick(99);
    bar.click(bar.window->cmddelete);
    QVERIFY(bar.asked().isEmpty());
    QCOMPARE(bar.list(), list.mid(0, 99));
}

void tst_faults::binaryfile()
{
    // Random bytes shown in the combo call for glyphs no installed font has; that is no fault.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.startsWith(QStringLiteral("OpenType support missing")))
            previous(type, context, message);
    });
    const auto restore = qScopeGuard([] { qInstallMessageHandler(previous); });
    Bar bar;
    // Every byte value, NUL, lone CRs and LFs and bytes that are no valid UTF-8 among them.
    QRandomGenerator random(5);
    QByteArray before(65536, '\0');
    for (char& byte : before)
        byte = char(random.bounded(256));
    bar.write(before);
    bar.start();
    const QList<QByteArray> read = addressbook::readlines(before);
    QCOMPARE(bar.list().size(), read.size());

    bar.type(QStringLiteral("ftp://added.example.com/"));
    bar.click(bar.window->cmdadd);
    QVERIFY(bar.asked().isEmpty());
    QCOMPARE(bar.content(), addressbook::writelines(read) + "ftp://added.example.com/\r\n");

    int victim = 0;
    while (bar.list().at(victim).isEmpty())
        ++victim;
    bar.pick(victim);
    bar.click(bar.window->cmddelete);
    QList<QByteArray> left = read;
    left.removeAt(victim);
    QCOMPARE(bar.content(), addressbook::writelines(left) + "ftp://added.example.com/\r\n");
}

void tst_faults::hugefiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("entries");

    QByteArray line(1000, 'x');
    line.replace(0, 6, "ftp://");
    line[500] = '\xe9'; // Latin-1, no valid UTF-8: kept byte for byte
    line += "\r\n";
    QTest::newRow("50 MB") << line.repeated(52429) << 52429;

    QByteArray longline(10 * 1024 * 1024, 'y');
    longline.replace(0, 6, "ftp://");
    QTest::newRow("one 10 MB line") << longline << 1;

    QByteArray million;
    million.reserve(42 * 1000000);
    for (int i = 0; i < 1000000; ++i)
        million
            += QByteArray("ftp://") + QByteArray::number(i).rightJustified(7, '0') + ".example.com/pub/xxxxxxxxxxx\r\n";
    QTest::newRow("1,000,000 lines") << million << 1000000;
}

void tst_faults::hugefiles()
{
    QFETCH(QByteArray, content);
    QFETCH(int, entries);
    Bar bar;
    bar.write(content);
    QElapsedTimer timer;
    timer.start();
    bar.start();
    const qint64 load = timer.elapsed();
    QCOMPARE(bar.window->combourl->count(), entries);

    // Still usable: typing, saving the whole book back, picking, deleting.
    timer.restart();
    bar.type(QStringLiteral("ftp://added.example.com/"));
    bar.click(bar.window->cmdadd);
    const qint64 save = timer.elapsed();
    QVERIFY(bar.asked().isEmpty());
    QCOMPARE(bar.window->combourl->count(), entries + 1);
    QCOMPARE(bar.content(), addressbook::writelines(addressbook::readlines(content)) + "ftp://added.example.com/\r\n");

    timer.restart();
    bar.pick(entries);
    bar.click(bar.window->cmddelete);
    QCOMPARE(bar.content(), addressbook::writelines(addressbook::readlines(content)));
    bar.pick(entries - 1);
    QTest::qWait(1);
    const qint64 pick = timer.elapsed();
    qint64 popup = -1;
    if (entries > 1) {
        timer.restart();
        bar.window->combourl->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(bar.window->combourl->view()));
        bar.window->combourl->hidePopup();
        popup = timer.elapsed();
        // Measuring every entry took over 10 s; drawing a page of them takes a few ms.
        QVERIFY2(popup < 5000, qPrintable(QString::number(popup)));
    }
    qInfo("%s: shown in %lld ms, Save Url %lld ms, Delete Url and a pick %lld ms, list dropped down in %lld ms",
          QTest::currentDataTag(), load, save, pick, popup);
}

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
