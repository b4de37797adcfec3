#include "giologin.h"
#include "gio.h"
#include "loginquestion.h"
#include "siteaddress.h"

#include <QAbstractEventDispatcher>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace
{

// One login under way: the credentials the address holds, percent-decoded as the login dialog
// encodes them, and what to do once GIO is done.
struct Login {
    QByteArray user, password;
    bool haspassword = false; // "user@host" leaves the password to the file manager's prompt
    bool answered = false;
    bool refused = false; // a second question for the password: the first answer was refused
    bool declined = false; // the user refused one of GVfs's questions
    QPointer<QWidget> question; // the question on screen, if any
    GMountOperation* operation = nullptr;
    GFile* file = nullptr;
    std::function<void(const LoginResult&)> done;
};

void readcredentials(const QString& address, Login& login)
{
    const SiteAddress parts = splitaddress(address);
    if (!parts.hasuser)
        return;
    login.user = parts.user.toUtf8();
    login.password = parts.password.toUtf8();
    login.haspassword = parts.haspassword;
}

// GVfs asks about a host key or a certificate it cannot vouch for. The user answers, in the
// bar's own window, later: GLib's default handler, which would answer "unhandled" at once, is
// kept from running.
void askquestion(GMountOperation* operation, const char* message, const char** choices, gpointer data)
{
    auto* login = static_cast<Login*>(data);
    const Gio& g = *gio();
    g.g_signal_stop_emission_by_name(operation, "ask-question");
    QStringList labels;
    for (const char** choice = choices; choice && *choice; ++choice)
        labels << QString::fromUtf8(*choice);
    if (labels.isEmpty()) { // nothing the user could say yes with
        login->declined = true;
        g.g_mount_operation_reply(operation, G_MOUNT_OPERATION_ABORTED);
        return;
    }
    delete login->question; // a question GVfs has asked anew stands for the old one
    login->question
        = askloginquestion(QString::fromUtf8(message), labels, [login, last = labels.size() - 1](int chosen) {
              const Gio& gi = *gio();
              login->declined = chosen == last;
              gi.g_mount_operation_set_choice(login->operation, chosen);
              gi.g_mount_operation_reply(login->operation, G_MOUNT_OPERATION_HANDLED);
          });
}

// GVfs gave up waiting for an answer: the question goes with it.
void aborted(GMountOperation*, gpointer data)
{
    delete static_cast<Login*>(data)->question;
}

// GVfs asks once for the login. A second question means the site refused it: the login ends
// there as refused, so that the user is asked again in the login dialog rather than the same
// user ID and password being tried over and over.
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
    LoginResult outcome;
    outcome.outcome = LoginResult::Mounted;
    if (!g.g_file_mount_enclosing_volume_finish(login->file, result, &error)) {
        if (login->declined)
            outcome.outcome = LoginResult::Declined;
        else if (login->refused)
            outcome.outcome = LoginResult::Refused;
        else if (error->domain != g.g_io_error_quark() || error->code != G_IO_ERROR_ALREADY_MOUNTED) {
            outcome.outcome = LoginResult::Failed;
            outcome.message = QString::fromUtf8(error->message);
        }
        g.g_error_free(error);
    }
    if (outcome.outcome == LoginResult::Mounted) {
        // A quick question to GVfs on this machine, answered from the mount it has just made.
        if (char* path = g.g_file_get_path(login->file)) {
            outcome.localpath = QString::fromUtf8(path);
            g.g_free(path);
        }
    }
    delete login->question;
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
        done({ LoginResult::Failed, QStringLiteral("GIO is not available here"), {} });
        return;
    }
    const Gio& g = *gio();
    login->operation = g.g_mount_operation_new();
    g.g_signal_connect_data(login->operation, "ask-password", G_CALLBACK(askpassword), login, nullptr,
                            GConnectFlags(0));
    g.g_signal_connect_data(login->operation, "ask-question", G_CALLBACK(askquestion), login, nullptr,
                            GConnectFlags(0));
    g.g_signal_connect_data(login->operation, "aborted", G_CALLBACK(aborted), login, nullptr, GConnectFlags(0));
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
