#include "desktopservices_xdg.h"
#include "browserpane.h"
#include "desktopservices_qt.h"
#include "giologin.h"
#include "gioupload.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QEventLoopLocker>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <unistd.h>
#include <utility>

namespace
{

// The schemes that GNOME Files (through GVfs), Dolphin (through KIO) and their kind show as
// folders, though no browser or file manager registers itself as their handler.
QString folderscheme(const QString& address)
{
    const qsizetype colon = address.indexOf(u':');
    const QString scheme = address.left(colon).toLower();
    return colon > 0 && QStringList { "ftp", "ftps", "sftp" }.contains(scheme) ? scheme : QString();
}

// Runs `program` without waiting for it; `done` gets whether it ended with status 0, and what
// it printed when `mode` keeps its output; `started` runs once it is under way. Started in a
// session of its own, as a detached start would be, so that what it opens outlives a Ctrl+C
// to the bar's terminal. The program runs on past its last window until the step has done its
// part: until `program` ends, or only until it has started when `handsover`, since a handler
// it starts may run for hours.
void run(
    const QString& program, const QStringList& arguments, const QString& directory, QProcess::ProcessChannelMode mode,
    bool handsover, const std::function<void(bool, const QByteArray&)>& done,
    const std::function<void()>& started = [] {})
{
    auto* process = new QProcess;
    auto keep = std::make_shared<std::unique_ptr<QEventLoopLocker>>(std::make_unique<QEventLoopLocker>());
    // The program's own folder may be gone by now; a process started in it could not start,
    // and one that inherits it as a removed folder fails in the shell.
    process->setWorkingDirectory(QFileInfo(directory).isDir() ? directory : QDir::homePath());
    process->setProcessChannelMode(mode);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    process->setChildProcessModifier([] { ::setsid(); });
    QObject::connect(process, &QProcess::started, process, [keep, handsover, started] {
        if (handsover)
            keep->reset();
        started();
    });
    // Each step's end starts the next before it lets go of the program.
    QObject::connect(process, &QProcess::finished, process,
                     [process, done, keep](int code, QProcess::ExitStatus status) {
                         done(status == QProcess::NormalExit && code == 0, process->readAllStandardOutput());
                         keep->reset();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, done, keep](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            done(false, {});
            keep->reset();
            process->deleteLater();
        }
    });
    process->start(program, arguments);
}

// The file manager's own interface on the session bus, which GNOME Files, Dolphin, Nemo and
// others serve. The bus is first reached here, on the first such open, not at start-up. The
// program runs on until the file manager has answered.
void showfolder(const QString& address)
{
    auto call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                               "org.freedesktop.FileManager1", "ShowFolders");
    call << QStringList { address } << QString();
    auto* answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    auto keep = std::make_shared<QEventLoopLocker>();
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, answer, [answer, keep] { answer->deleteLater(); });
}

// What an open does besides its steps: `handedover` runs once the address is on its way to the
// program that shows it, or once nothing will show it, or a second into a step that may take much
// longer (a handler that stays open, a log-in), more than once; `refused` once the site has refused
// the user ID and password the address holds.
struct RouteEnds {
    std::function<void()> handedover;
    std::function<void(const QString&)> refused;
};

void route(const QString& address, const QString& directory, std::optional<bool> handler, std::optional<bool> opened,
           bool loggedin, const RouteEnds& ends)
{
    const auto next = [=](std::optional<bool> handlerfound, std::optional<bool> openedok, bool loginrun) {
        route(address, directory, handlerfound, openedok, loginrun, ends);
    };
    const auto& handedover = ends.handedover;
    switch (nextshellstep(address, handler, opened, loggedin)) {
    case ShellStep::AskHandler:
        // The same lookup xdg-open makes. Asked first, because with no handler xdg-open may
        // start a web browser, which cannot show the site, and still report success.
        run("xdg-mime", { "query", "default", "x-scheme-handler/" + folderscheme(address) }, {},
            QProcess::ForwardedErrorChannel, false,
            [=](bool ok, const QByteArray& output) { next(ok && !output.trimmed().isEmpty(), opened, loggedin); });
        break;
    case ShellStep::XdgOpen:
        run(
            "xdg-open", { address }, directory, QProcess::ForwardedChannels, true,
            [=](bool ok, const QByteArray&) {
                handedover();
                next(handler, ok, loggedin);
            },
            // xdg-open ends once the handler has the address, or, for a handler that stays
            // open, when that ends: what waits for it waits a second at most.
            [=] { QTimer::singleShot(1000, handedover); });
        break;
    case ShellStep::LogIn:
        // The program runs on until the site is shown, also when its last window has closed. A
        // log-in may wait for the network or for the user's answers as long as it takes; what
        // waits for it waits a second at most.
        QTimer::singleShot(1000, handedover);
        giologin(address, [=, keep = std::make_shared<QEventLoopLocker>()](const LoginResult& result) {
            // A site that refused the login, or a question the user said no to, shows nothing:
            // the file manager would only ask again, or show nothing at all.
            if (result.outcome == LoginResult::Refused || result.outcome == LoginResult::Declined) {
                handedover();
                if (result.outcome == LoginResult::Refused && ends.refused)
                    ends.refused(address);
                return;
            }
            // GVfs's local path for the mount, where it gives one, shows the site logged in
            // everywhere: Dolphin has no FTPS of its own, and for SFTP it would ask its own host
            // key question and password again. GNOME Files and Thunar show that path as the site.
            if (folderscheme(address) != QLatin1String("ftp") && !result.localpath.isEmpty()) {
                showfolder(QUrl::fromLocalFile(result.localpath).toString());
                handedover();
                return;
            }
            next(handler, opened, true);
        });
        break;
    case ShellStep::FileManager:
        showfolder(address);
        handedover();
        break;
    case ShellStep::Done:
        handedover(); // in case nothing could be started
        break;
    }
}

} // namespace

ShellStep nextshellstep(const QString& address, std::optional<bool> handler, std::optional<bool> opened, bool loggedin)
{
    if (folderscheme(address).isEmpty())
        return opened ? ShellStep::Done : ShellStep::XdgOpen;
    if (!handler)
        return ShellStep::AskHandler;
    if (*handler && !opened)
        return ShellStep::XdgOpen;
    if (*handler && *opened)
        return ShellStep::Done;
    return loggedin ? ShellStep::FileManager : ShellStep::LogIn;
}

// Freedesktop systems: xdg-open looks up the default handler for the address's scheme. The
// address goes over as one argument, exactly as the user has it, and never through a shell;
// xdg-open takes no parameters of its own. Nothing here waits: each step runs when the one
// before it has ended. A browser pane held back by navigate() starts its engine once the
// address is on its way.
void QtDesktopServices::shellopen(QWidget*, const QString& address, const QString&, const QString& directory)
{
    const auto release = [pane = QPointer<BrowserPane>(std::exchange(m_heldpane, nullptr))] {
        if (pane)
            pane->releaseload();
    };
    route(address, directory, {}, {}, false, { release, loginrefused });
}

// Through GIO, which GVfs extends with the schemes a file manager browses.
Upload* QtDesktopServices::upload(const QStringList& paths, const QString& address, QObject* parent)
{
    if (folderscheme(address).isEmpty() || !address.contains(QLatin1String("://")))
        return nullptr;
    return new GioUpload(paths, address, loginrefused, parent);
}

void QtDesktopServices::chooseplatform()
{
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland && qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
