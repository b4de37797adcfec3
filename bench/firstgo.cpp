// Time from a click on "Go" until the desktop's ftp:// handler has the address: the first "Go"
// after start, which also starts the browser pane's engine, against a later one, in the same
// process. The handler is a recorder registered in a private XDG folder; it notes the time it
// ran, so the window's own thread cannot skew the figure. Each run is a fresh process.
//
//   bench_firstgo [RUNS]      needs a display (xvfb-run -a bench_firstgo)

#include "alternate.h"
#include "controls/picturebutton.h"
#include "controls/webbrowserhost.h"
#include "desktop/desktopservices_qt.h"
#include "main_window/frmquaylink.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace
{

qint64 nowns()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The previous way, for reference: the engine starts right after the handler that asked for
// the page, whatever the shell open is doing.
class Unheld : public QtDesktopServices
{
public:
    void navigate(BrowserPane& pane, const QString& url) override { pane.navigate(url); }
};

// The times the recorder noted, one a call.
QList<QByteArray> recorded(const QString& records)
{
    QFile file(records);
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
}

// Clicks "Go" with `address` in the combo; the ms until the recorder's `line`th call, or -1.
double go(frmquaylink& window, const QString& address, const QString& records, int line)
{
    window.combourl->setEditText(address);
    const qint64 clicked = nowns();
    QTest::mouseClick(window.cmdftp, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return recorded(records).size() > line; }, 30000))
        return -1;
    return (recorded(records)[line - 1].toLongLong() - clicked) / 1e6;
}

int runonce(int argc, char* argv[], bool unheld)
{
    QApplication app(argc, argv);
    QtDesktopServices held;
    Unheld previous;
    const QString dir = qEnvironmentVariable("BENCH_DIR");
    frmquaylink window(unheld ? previous : static_cast<QtDesktopServices&>(held), dir);
    window.WebBrowser1->setplugindirs({ QStringLiteral(WEBPANEDIR) });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    QTest::qWait(200);
    const QString records = dir + QStringLiteral("/records");
    const double first = go(window, QStringLiteral("ftp://first.example/"), records, 1);
    // The engine up and its page done with before the later "Go".
    if (!QTest::qWaitFor([&] { return window.WebBrowser1->view() != nullptr; }, 30000))
        return 3;
    QTest::qWait(1000);
    const double later = go(window, QStringLiteral("ftp://later.example/"), records, 2);
    QFile::remove(records);
    std::printf("%.1f %.1f\n", first, later);
    return first < 0 || later < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && (QByteArray(argv[1]) == "--once" || QByteArray(argv[1]) == "--once-unheld"))
        return runonce(argc, argv, QByteArray(argv[1]) == "--once-unheld");

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    QTemporaryDir dir;
    const QString recorder = dir.filePath("record-ftp");
    QFile script(recorder);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\ndate +%s%N >>\"$BENCH_DIR/records\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    QFile book(dir.filePath("ftpurl.txt")); // an empty address book, so no question at start
    book.open(QIODevice::WriteOnly);
    book.close();
    QDir(dir.path()).mkpath("data/applications");
    QFile entry(dir.filePath("data/applications/recorder.desktop"));
    entry.open(QIODevice::WriteOnly);
    entry.write("[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder.toUtf8()
                + " %u\nMimeType=x-scheme-handler/ftp;\n");
    entry.close();

    // A desktop of no known kind, so that xdg-open takes its generic way through xdg-mime.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         { "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID" })
        env.remove(QString::fromLatin1(name));
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("BENCH_DIR", dir.path());
    // No network needed: the advertisement page fails at once, as it does offline.
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--host-resolver-rules=\"MAP * ~NOTFOUND\"");
    if (geteuid() == 0)
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    QProcess mime;
    mime.setProcessEnvironment(env);
    mime.start("xdg-mime", { "default", "recorder.desktop", "x-scheme-handler/ftp" });
    if (!mime.waitForFinished() || mime.exitCode() != 0)
        return 1;

    // [0], [1]: first and later "Go"; [2], [3]: the same with the engine started at once.
    QList<double> figures[4];
    const QString self = QCoreApplication::applicationFilePath();
    if (!alternate(runs, env, { { self, "--once" }, { self, "--once-unheld" } }, figures))
        return 1;
    std::printf("| click on \"Go\" to the ftp:// handler, first \"Go\" vs a later one | %.2f | %.0f ms | %.0f ms |\n",
                median(figures[0]) / median(figures[1]), median(figures[0]), median(figures[1]));
    std::printf("| the same, engine started right after the click (before) | %.2f | %.0f ms | %.0f ms |\n",
                median(figures[2]) / median(figures[3]), median(figures[2]), median(figures[3]));
    return 0;
}
