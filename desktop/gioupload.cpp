#include "gioupload.h"
#include "gio.h"
#include "giologin.h"
#include "siteaddress.h"

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace
{

// Progress goes out at most this often, so a drop of many small files does not flood the window.
constexpr qint64 reportms = 100;

QString words(const std::error_code& error)
{
    return QString::fromLocal8Bit(error.message());
}

QString display(const QByteArray& remote)
{
    return QString::fromUtf8(remote);
}

// A folder's entries in name order, so a drop goes up the same way each time.
void walkfolder(const fs::path& folder, const QByteArray& remote, std::vector<GioUpload::Item>& items,
                std::set<fs::path>& ancestors)
{
    std::error_code error;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    if (error) {
        items.push_back({ folder.native(), remote, true, 0, words(error) });
        return;
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
        const QByteArray name = remote + '/' + QByteArray::fromStdString(entry.filename().native());
        const fs::file_status status = fs::status(entry, error); // a link counts as what it points to
        if (fs::is_regular_file(status)) {
            const auto size = fs::file_size(entry, error);
            items.push_back({ entry.native(), name, false, error ? 0 : qint64(size), {} });
        } else if (fs::is_directory(status)) {
            // A link back up the tree would never end.
            const fs::path real = fs::canonical(entry, error);
            if (error || ancestors.count(real))
                continue;
            items.push_back({ entry.native(), name, true, 0, {} });
            ancestors.insert(real);
            walkfolder(entry, name, items, ancestors);
            ancestors.erase(real);
        }
        // Sockets, FIFOs, devices and broken links hold nothing to upload; a FIFO would wait forever.
    }
}

// The site's URI without the password, the address's folder (decoded) and the address as
// messages show it.
struct Target {
    QByteArray root, folder;
    QString shown;
};

Target target(const QString& address)
{
    const SiteAddress parts = splitaddress(address);
    const QString scheme = parts.scheme.toLower();
    qsizetype hostend = 0;
    while (hostend < parts.site.size() && !QStringLiteral("/?#").contains(parts.site[hostend]))
        ++hostend;
    const QString host = parts.site.left(hostend);
    const QString path = parts.site.mid(hostend).section(QRegularExpression(QStringLiteral("[?#]")), 0, 0);
    const QString user = parts.hasuser ? QString::fromUtf8(QUrl::toPercentEncoding(parts.user)) + u'@' : QString();

    Target t;
    t.root = (scheme + "://" + user + host + '/').toUtf8();
    QByteArray folder = QByteArray::fromPercentEncoding(path.toUtf8());
    while (folder.startsWith('/'))
        folder.remove(0, 1);
    t.folder = folder;
    t.shown = scheme + "://" + user + host + (path.isEmpty() ? QStringLiteral("/") : path);
    return t;
}

} // namespace

// One GIO call under way. The upload may go before GIO answers: the call then finds it gone.
struct GioUpload::Call {
    std::shared_ptr<GioUpload*> self;
    GFile* file = nullptr;
    GFile* source = nullptr;
    bool replacing = false; // the name was on the site before
    bool wrote = false; // bytes of this file have reached the site
    Item item;

    ~Call()
    {
        if (const Gio* g = gio()) {
            if (file)
                g->g_object_unref(file);
            if (source)
                g->g_object_unref(source);
        }
    }
};

GioUpload::GioUpload(const QStringList& paths, const QString& address, std::function<void(const QString&)> refused,
                     QObject* parent)
    : Upload(parent)
    , m_paths(paths)
    , m_address(address)
    , m_refused(std::move(refused))
    , m_self(std::make_shared<GioUpload*>(this))
{
    m_reportlater.setSingleShot(true);
    connect(&m_reportlater, &QTimer::timeout, this, [this] { report(true); });
    const Target t = target(address);
    m_root = t.root;
    m_folder = t.folder;
    m_shown = t.shown;
}

GioUpload::~GioUpload()
{
    *m_self = nullptr;
    if (m_cancel) {
        const Gio& g = *gio();
        g.g_cancellable_cancel(m_cancel);
        g.g_object_unref(m_cancel);
    }
}

std::vector<GioUpload::Item> GioUpload::walk(const QStringList& paths)
{
    std::vector<Item> items;
    for (const QString& path : paths) {
        fs::path local(QFile::encodeName(path).toStdString());
        while (local.has_relative_path() && !local.has_filename()) // "folder/"
            local = local.parent_path();
        const QByteArray name = QByteArray::fromStdString(local.filename().native());
        std::error_code error;
        const fs::file_status status = fs::status(local, error);
        if (fs::is_directory(status)) {
            items.push_back({ local.native(), name, true, 0, {} });
            std::set<fs::path> ancestors { fs::canonical(local, error) };
            walkfolder(local, name, items, ancestors);
        } else if (fs::is_regular_file(status)) {
            const auto size = fs::file_size(local, error);
            items.push_back({ local.native(), name, false, error ? 0 : qint64(size), {} });
        } else if (error) {
            items.push_back({ local.native(), name, false, 0, words(error) });
        }
    }
    return items;
}

void GioUpload::start()
{
    if (m_started)
        return;
    m_started = true;
    // The walk reads the local disk, which may be slow or large: a worker does it while the
    // log-in goes on.
    auto items = std::make_shared<std::vector<Item>>();
    QThread* worker = QThread::create([items, paths = m_paths] { *items = walk(paths); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, items] {
        m_items = std::move(*items);
        m_progress.count = int(std::count_if(m_items.begin(), m_items.end(), [](const Item& i) { return !i.folder; }));
        for (const Item& item : m_items)
            m_progress.total += item.size;
        m_walked = true;
        begin();
    });
    worker->start();

    giologin(m_address, [self = QPointer<GioUpload>(this)](const LoginResult& result) {
        if (!self || self->m_finished)
            return;
        switch (result.outcome) {
        case LoginResult::Mounted:
            self->m_loggedin = true;
            self->begin();
            break;
        case LoginResult::Refused:
            if (self->m_refused)
                self->m_refused(self->m_address);
            self->finish(
                QStringLiteral("Could not log in to %1: the site refused the user ID and password").arg(self->m_shown),
                false);
            break;
        case LoginResult::Declined:
            self->finish({}, true);
            break;
        case LoginResult::Failed:
            self->finish(QStringLiteral("Could not log in to %1: %2").arg(self->m_shown, result.message), false);
            break;
        }
    });
}

// Once both the walk and the log-in are done.
void GioUpload::begin()
{
    if (!m_walked || !m_loggedin || m_finished)
        return;
    m_cancel = gio()->g_cancellable_new();
    m_sincereport.start();
    report(true);
    next();
}

void GioUpload::next()
{
    if (m_finished)
        return;
    if (m_stopping) {
        finish({}, true);
        return;
    }
    if (m_next == m_items.size()) {
        m_progress.done = m_progress.total;
        report(true);
        finish({}, false);
        return;
    }
    const Item& item = m_items[m_next];
    if (!item.error.isEmpty()) {
        finish(QStringLiteral("Could not read %1: %2").arg(QFile::decodeName(item.local.c_str()), item.error), false);
        return;
    }
    if (item.folder) {
        makefolder(item);
        return;
    }
    const QByteArray folder = item.remote.left(std::max<qsizetype>(item.remote.lastIndexOf('/'), 0));
    if (!m_listed.contains(folder)) {
        list(folder, item);
        return;
    }
    if (m_counted != m_next) {
        m_counted = m_next;
        ++m_progress.index;
        m_progress.file = display(item.remote);
        report(false);
    }
    const QByteArray name = item.remote.mid(item.remote.lastIndexOf('/') + 1);
    if (!m_listed[folder].contains(name))
        copy(item, false);
    else if (m_forall == ReplaceAll)
        copy(item, true);
    else if (m_forall == SkipAll)
        skip();
    else {
        m_waiting = true;
        emit exists(display(item.remote));
    }
}

// The names in a folder of the site, read once before the first file goes into it: a copy that
// checked for its own name would make GVfs read the folder again after every file.
void GioUpload::list(const QByteArray& folder, const Item& item)
{
    auto* request = new Call { m_self, remote(folder), nullptr, false, false, item };
    request->item.remote = folder;
    gio()->g_file_enumerate_children_async(
        request->file, G_FILE_ATTRIBUTE_STANDARD_NAME, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, G_PRIORITY_DEFAULT,
        m_cancel,
        [](GObject*, GAsyncResult* result, gpointer data) {
            auto* call = static_cast<Call*>(data);
            const Gio& g = *gio();
            GError* error = nullptr;
            GFileEnumerator* names = g.g_file_enumerate_children_finish(call->file, result, &error);
            GioUpload* self = *call->self;
            if (!names || !self) {
                if (self)
                    self->listed(call, error);
                delete call;
                if (names)
                    g.g_object_unref(names);
                if (error)
                    g.g_error_free(error);
                return;
            }
            self->m_listed[call->item.remote];
            readnames(names, call);
        },
        request);
}

// Reads the names a hundred at a time until there are no more.
void GioUpload::readnames(GFileEnumerator* enumerator, Call* request)
{
    gio()->g_file_enumerator_next_files_async(
        enumerator, 100, G_PRIORITY_DEFAULT, (*request->self)->m_cancel,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* call = static_cast<Call*>(data);
            const Gio& g = *gio();
            auto* names = reinterpret_cast<GFileEnumerator*>(source);
            GError* error = nullptr;
            GList* infos = g.g_file_enumerator_next_files_finish(names, result, &error);
            GioUpload* self = *call->self;
            for (GList* info = infos; info; info = info->next) {
                if (self)
                    self->m_listed[call->item.remote].insert(
                        g.g_file_info_get_name(static_cast<GFileInfo*>(info->data)));
                g.g_object_unref(info->data);
            }
            g.g_list_free(infos);
            if (infos && self) {
                readnames(names, call);
                return;
            }
            g.g_object_unref(names);
            if (self)
                self->listed(call, error);
            delete call;
            if (error)
                g.g_error_free(error);
        },
        request);
}

void GioUpload::listed(Call* call, GError* error)
{
    if (!error) {
        next();
        return;
    }
    m_listed.remove(call->item.remote);
    const bool cancelled = error->domain == gio()->g_io_error_quark() && error->code == G_IO_ERROR_CANCELLED;
    finish(cancelled ? QString()
                     : QStringLiteral("Could not upload %1: %2")
                           .arg(display(m_items[m_next].remote), QString::fromUtf8(error->message)),
           cancelled);
}

GFile* GioUpload::remote(const QByteArray& path) const
{
    const Gio& g = *gio();
    GFile* root = g.g_file_new_for_uri(m_root.constData());
    const QByteArray relative = m_folder.isEmpty() ? path : m_folder + '/' + path;
    GFile* file = g.g_file_resolve_relative_path(root, relative.constData());
    g.g_object_unref(root);
    return file;
}

// A folder that is there already is merged into.
void GioUpload::makefolder(const Item& item)
{
    auto* request = new Call { m_self, remote(item.remote), nullptr, false, false, item };
    gio()->g_file_make_directory_async(
        request->file, G_PRIORITY_DEFAULT, m_cancel,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Call> call(static_cast<Call*>(data));
            const Gio& g = *gio();
            GError* error = nullptr;
            const bool ok = g.g_file_make_directory_finish(call->file, result, &error);
            const bool cancelled
                = error && error->domain == g.g_io_error_quark() && error->code == G_IO_ERROR_CANCELLED;
            if (error)
                g.g_error_free(error);
            GioUpload* self = *call->self;
            if (!self)
                return;
            if (ok)
                self->m_listed[call->item.remote];
            if (ok || cancelled) {
                ++self->m_next;
                self->next();
            } else {
                // Servers say "exists" in their own words: whether it is a folder decides.
                self->folderexists(call->item);
            }
        },
        request);
}

void GioUpload::folderexists(const Item& item)
{
    auto* request = new Call { m_self, remote(item.remote), nullptr, false, false, item };
    gio()->g_file_query_info_async(
        request->file, G_FILE_ATTRIBUTE_STANDARD_TYPE, G_FILE_QUERY_INFO_NONE, G_PRIORITY_DEFAULT, m_cancel,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Call> call(static_cast<Call*>(data));
            const Gio& g = *gio();
            GError* error = nullptr;
            GFileInfo* info = g.g_file_query_info_finish(call->file, result, &error);
            const bool folder = info && g.g_file_info_get_file_type(info) == G_FILE_TYPE_DIRECTORY;
            const QString reason = error ? QString::fromUtf8(error->message) : QStringLiteral("a file has its name");
            if (info)
                g.g_object_unref(info);
            if (error)
                g.g_error_free(error);
            GioUpload* self = *call->self;
            if (!self)
                return;
            if (folder || self->m_stopping) {
                ++self->m_next;
                self->next();
            } else {
                self->finish(QStringLiteral("Could not make the folder %1 on the site: %2")
                                 .arg(display(call->item.remote), reason),
                             false);
            }
        },
        request);
}

// Over whatever has the name by now: the folder's names were read, and one that was there is
// replaced only when the user has said so.
void GioUpload::copy(const Item& item, bool replacing)
{
    auto* request = new Call {
        m_self, remote(item.remote), gio()->g_file_new_for_path(item.local.c_str()), replacing, false, item
    };
    gio()->g_file_copy_async(
        request->source, request->file, G_FILE_COPY_OVERWRITE, G_PRIORITY_DEFAULT, m_cancel,
        [](goffset current, goffset, gpointer data) {
            auto* call = static_cast<Call*>(data);
            call->wrote = call->wrote || current > 0;
            if (GioUpload* self = *call->self) {
                self->m_progress.done = self->m_donebefore + current;
                self->report(false);
            }
        },
        request,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Call> call(static_cast<Call*>(data));
            const Gio& g = *gio();
            GError* error = nullptr;
            const bool ok = g.g_file_copy_finish(call->source, result, &error);
            const QString message = error ? QString::fromUtf8(error->message) : QString();
            if (error)
                g.g_error_free(error);
            if (GioUpload* self = *call->self)
                self->copied(ok, message, call->replacing, call->wrote);
        },
        request);
}

void GioUpload::copied(bool ok, const QString& message, bool replacing, bool wrote)
{
    const Item& item = m_items[m_next];
    const QByteArray folder = item.remote.left(std::max<qsizetype>(item.remote.lastIndexOf('/'), 0));
    if (ok) {
        m_listed[folder].insert(item.remote.mid(item.remote.lastIndexOf('/') + 1));
        ++m_uploaded;
        m_donebefore += item.size;
        m_progress.done = m_donebefore;
        report(false);
        ++m_next;
        next();
    } else if (replacing && !wrote) {
        // Nothing of ours reached the site: what is there under that name, if anything, stays.
        finish(m_stopping ? QString() : QStringLiteral("Could not upload %1: %2").arg(display(item.remote), message),
               m_stopping);
    } else {
        removepartial(m_stopping ? QString()
                                 : QStringLiteral("Could not upload %1: %2").arg(display(item.remote), message));
    }
}

void GioUpload::skip()
{
    m_donebefore += m_items[m_next].size;
    m_progress.done = m_donebefore;
    ++m_next;
    next();
}

void GioUpload::answer(bool replace, bool forall)
{
    if (!m_waiting || m_finished)
        return;
    m_waiting = false;
    if (forall)
        m_forall = replace ? ReplaceAll : SkipAll;
    if (replace)
        copy(m_items[m_next], true);
    else
        skip();
}

void GioUpload::stop()
{
    if (m_finished || m_stopping)
        return;
    m_stopping = true;
    if (m_cancel)
        gio()->g_cancellable_cancel(m_cancel);
    // Nothing under way to wait for: before the log-in has ended, or while a question waits.
    if (!m_loggedin || !m_walked || m_waiting)
        finish({}, true);
}

// The file under way is incomplete on the site: it goes, whatever ended the copy. The removal
// runs without the upload's cancellable, which a stop has cancelled.
void GioUpload::removepartial(const QString& reason)
{
    auto* request = new Call { m_self, remote(m_items[m_next].remote), nullptr, false, true, {} };
    request->item.error = reason;
    gio()->g_file_delete_async(
        request->file, G_PRIORITY_DEFAULT, nullptr,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Call> call(static_cast<Call*>(data));
            const Gio& g = *gio();
            GError* failure = nullptr;
            if (!g.g_file_delete_finish(call->file, result, &failure))
                g.g_error_free(failure);
            if (GioUpload* self = *call->self)
                self->finish(call->item.error, call->item.error.isEmpty());
        },
        request);
}

void GioUpload::finish(const QString& error, bool stopped)
{
    if (m_finished)
        return;
    m_finished = true;
    m_waiting = false;
    m_reportlater.stop();
    emit finished(m_uploaded, error, stopped);
}

// GIO reports in bursts (a socket's buffer filling at once, then nothing while the site reads
// it): what a burst held last goes out at the end of its interval.
void GioUpload::report(bool now)
{
    const qint64 since = m_sincereport.isValid() ? m_sincereport.elapsed() : reportms;
    if (!now && since < reportms) {
        if (!m_reportlater.isActive())
            m_reportlater.start(int(reportms - since));
        return;
    }
    m_reportlater.stop();
    m_sincereport.start();
    emit progress(m_progress);
}
