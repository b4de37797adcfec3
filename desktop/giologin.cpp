#include "giologin.h"
#include "gio.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <QUrl>

namespace
{

// One login under way: the credentials the address holds, percent-decoded as the login dialog
// encodes them, and what to do once GIO is done.
struct Login {
    QByteArray user, password;
    bool haspassword = false; // "user@host" leaves the password to the file manager's prompt
    bool answered = false;
    bool refused = false; // a second question for the password: the first answer was refused
    GMountOperation* operation = nullptr;
    GFile* file = nullptr;
    std::function<void(const LoginResult&)> done;
};

// The user ID and password between "//" and the host; none when the address has no "@" there.
void readcredentials(const QString& address, Login& login)
{
    const qsizetype start = address.indexOf(QLatin1String("://")) + 3;
    qsizetype end = start;
    while (end < address.size() && !QStringLiteral("/?#").contains(address[end]))
        ++end;
    const QString authority = address.mid(start, end - start);
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at < 0)
        return;
    const QString userinfo = authority.left(at);
    const qsizetype colon = userinfo.indexOf(u':');
    login.user = QUrl::fromPercentEncoding(userinfo.left(colon).toUtf8()).toUtf8();
    login.password = colon < 0 ? QByteArray() : QUrl::fromPercentEncoding(userinfo.mid(colon + 1).toUtf8()).toUtf8();
    login.haspassword = colon >= 0;
}

// GVfs asks once for the login. A second question means the site refused it: that one is
// left unanswered, so the file manager asks the user itself instead of us trying again.
void askpassword(GMountOperation* operation, const char*, const char*, const char*, GAskPasswordFlags flags,
                 gpointer data)
{
    auto* login = static_cast<Login*>(data);
    const Gio& g = *gio();
    if (login->answered) {
        login->refused = true;
        g.g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    login->answered = true;
    if (!login->user.isEmpty() && login->haspassword) {
        g.g_mount_operation_set_anonymous(operation, FALSE);
        g.g_mount_operation_set_username(operation, login->user.constData());
        g.g_mount_operation_set_password(operation, login->password.constData());
    } else if (login->user.isEmpty() && (flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED)) {
        g.g_mount_operation_set_anonymous(operation, TRUE);
    } else {
        g.g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    g.g_mount_operation_reply(operation, G_MOUNT_OPERATION_HANDLED);
}

void mounted(GObject*, GAsyncResult* result, gpointer data)
{
    auto* login = static_cast<Login*>(data);
    const Gio& g = *gio();
    GError* error = nullptr;
    LoginResult outcome { LoginResult::Mounted, {} };
    if (!g.g_file_mount_enclosing_volume_finish(login->file, result, &error)) {
        if (login->refused)
            outcome.outcome = LoginResult::Refused;
        else if (error->domain != g.g_io_error_quark() || error->code != G_IO_ERROR_ALREADY_MOUNTED)
            outcome = { LoginResult::Failed, QString::fromUtf8(error->message) };
        g.g_error_free(error);
    }
    g.g_object_unref(login->operation);
    g.g_object_unref(login->file);
    const auto done = std::move(login->done);
    delete login;
    done(outcome);
}

void mount(Login* login)
{
    if (!login->file) {
        const auto done = std::move(login->done);
        delete login;
        done({ LoginResult::Failed, QStringLiteral("GIO is not available here") });
        return;
    }
    const Gio& g = *gio();
    login->operation = g.g_mount_operation_new();
    g.g_signal_connect_data(login->operation, "ask-password", G_CALLBACK(askpassword), login, nullptr,
                            GConnectFlags(0));
    g.g_file_mount_enclosing_volume(login->file, G_MOUNT_MOUNT_NONE, login->operation, nullptr, mounted, login);
}

} // namespace

void giologin(const QString& address, std::function<void(const LoginResult&)> done)
{
    auto* login = new Login;
    readcredentials(address, *login);
    login->done = std::move(done);
    // GIO reports back through GLib's main loop, which is the window's event loop only when Qt
    // runs on GLib's dispatcher (it does unless built or told otherwise).
    const auto* dispatcher = QAbstractEventDispatcher::instance();
    const bool glibloop = dispatcher && dispatcher->inherits("QEventDispatcherGlib");
    // The first time, loading GIO and its GVfs client (modules, a bus connection) takes a
    // while: a worker does it, and the mount starts on the window's thread once it is done.
    QThread* worker = QThread::create([login, uri = address.toUtf8(), glibloop] {
        if (const Gio* g = glibloop ? gio() : nullptr)
            login->file = g->g_file_new_for_uri(uri.constData());
    });
    QObject::connect(worker, &QThread::finished, worker, [login, worker] {
        worker->deleteLater();
        mount(login);
    });
    worker->start();
}
