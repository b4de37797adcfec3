#include "giologin.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <QUrl>
#include <dlfcn.h>
// GIO names a field `signals`, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace
{

// GIO is loaded on the first login, not at start-up: most runs never open an FTP site.
struct Gio {
    decltype(&g_file_new_for_uri) file_new_for_uri;
    decltype(&g_file_mount_enclosing_volume) mount_enclosing_volume;
    decltype(&g_file_mount_enclosing_volume_finish) mount_enclosing_volume_finish;
    decltype(&g_mount_operation_new) mount_operation_new;
    decltype(&g_mount_operation_set_username) set_username;
    decltype(&g_mount_operation_set_password) set_password;
    decltype(&g_mount_operation_set_anonymous) set_anonymous;
    decltype(&g_mount_operation_reply) reply;
    decltype(&g_signal_connect_data) signal_connect_data;
    decltype(&g_object_unref) object_unref;
    decltype(&g_error_free) error_free;
};

const Gio* gio()
{
    static const Gio* loaded = []() -> const Gio* {
        void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static Gio functions;
        bool all = true;
        const auto find = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            all = all && function;
        };
        find(functions.file_new_for_uri, "g_file_new_for_uri");
        find(functions.mount_enclosing_volume, "g_file_mount_enclosing_volume");
        find(functions.mount_enclosing_volume_finish, "g_file_mount_enclosing_volume_finish");
        find(functions.mount_operation_new, "g_mount_operation_new");
        find(functions.set_username, "g_mount_operation_set_username");
        find(functions.set_password, "g_mount_operation_set_password");
        find(functions.set_anonymous, "g_mount_operation_set_anonymous");
        find(functions.reply, "g_mount_operation_reply");
        find(functions.signal_connect_data, "g_signal_connect_data");
        find(functions.object_unref, "g_object_unref");
        find(functions.error_free, "g_error_free");
        // GIO stays loaded: the types it registers cannot be unloaded.
        return all ? &functions : nullptr;
    }();
    return loaded;
}

// One login under way: the credentials the address holds, percent-decoded as the login dialog
// encodes them, and what to do once GIO is done.
struct Login {
    QByteArray user, password;
    bool haspassword = false; // "user@host" leaves the password to the file manager's prompt
    bool answered = false;
    GMountOperation* operation = nullptr;
    GFile* file = nullptr;
    std::function<void()> done;
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
        g.reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    login->answered = true;
    if (!login->user.isEmpty() && login->haspassword) {
        g.set_anonymous(operation, FALSE);
        g.set_username(operation, login->user.constData());
        g.set_password(operation, login->password.constData());
    } else if (login->user.isEmpty() && (flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED)) {
        g.set_anonymous(operation, TRUE);
    } else {
        g.reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    g.reply(operation, G_MOUNT_OPERATION_HANDLED);
}

void mounted(GObject*, GAsyncResult* result, gpointer data)
{
    auto* login = static_cast<Login*>(data);
    const Gio& g = *gio();
    GError* error = nullptr;
    // Whether it worked or not, the file manager is asked to show the site next; a site that
    // was mounted already, or a failed login, is its to show or to ask about.
    if (!g.mount_enclosing_volume_finish(login->file, result, &error))
        g.error_free(error);
    g.object_unref(login->operation);
    g.object_unref(login->file);
    const std::function<void()> done = std::move(login->done);
    delete login;
    done();
}

void mount(Login* login)
{
    if (!login->file) {
        const std::function<void()> done = std::move(login->done);
        delete login;
        done();
        return;
    }
    const Gio& g = *gio();
    login->operation = g.mount_operation_new();
    g.signal_connect_data(login->operation, "ask-password", G_CALLBACK(askpassword), login, nullptr, GConnectFlags(0));
    g.mount_enclosing_volume(login->file, G_MOUNT_MOUNT_NONE, login->operation, nullptr, mounted, login);
}

} // namespace

void giologin(const QString& address, std::function<void()> done)
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
            login->file = g->file_new_for_uri(uri.constData());
    });
    QObject::connect(worker, &QThread::finished, worker, [login, worker] {
        worker->deleteLater();
        mount(login);
    });
    worker->start();
}
