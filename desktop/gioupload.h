#pragma once

#include "upload.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct _GCancellable GCancellable;
typedef struct _GFile GFile;
typedef struct _GFileEnumerator GFileEnumerator;
typedef struct _GError GError;

// A drop's upload through GIO (and so GVfs): logged in as "Go" logs in, then each local folder
// made on the site and each file copied into the address's folder, one at a time, all on the
// window's event loop.
class GioUpload : public Upload
{
    Q_OBJECT
public:
    // `refused` (may be empty) runs with the address when the site refuses its user ID and
    // password, so the windows can ask for them again.
    GioUpload(const QStringList& paths, const QString& address, std::function<void(const QString&)> refused,
              QObject* parent = nullptr);
    ~GioUpload() override;

    void start() override;
    void stop() override;
    void answer(bool replace, bool forall) override;

    // One step of the upload: a folder to make or a file to copy, found by walking the drop.
    struct Item {
        std::string local; // the local path's bytes, as the file system has them
        QByteArray remote; // the path below the address's folder, '/' between names
        bool folder = false;
        qint64 size = 0;
        QString error; // why the walk could not read it; empty when it could
    };
    // Walks the dropped paths, folders first before what they hold. Runs on a worker.
    static std::vector<Item> walk(const QStringList& paths);

private:
    enum Forall { Ask, ReplaceAll, SkipAll };
    struct Call; // one GIO call under way; its callback finds the upload through it

    void begin();
    void next();
    void makefolder(const Item& item);
    void folderexists(const Item& item);
    void list(const QByteArray& folder, const Item& item);
    static void readnames(GFileEnumerator* names, Call* call);
    void listed(Call* call, GError* error);
    void copy(const Item& item, bool replacing);
    void copied(bool ok, const QString& message, bool replacing, bool wrote);
    void skip();
    void removepartial(const QString& error);
    void finish(const QString& error, bool stopped);
    void report(bool now);
    GFile* remote(const QByteArray& path) const;

    QStringList m_paths;
    QString m_address; // as the user has it: the log-in reads its credentials
    QString m_shown; // without the password, for messages
    QByteArray m_root; // the site's URI, without the password
    QByteArray m_folder; // the address's folder below it, decoded
    std::function<void(const QString&)> m_refused;

    std::vector<Item> m_items;
    bool m_walked = false, m_loggedin = false;
    size_t m_next = 0; // the item under way, or the next one
    size_t m_counted = size_t(-1); // the last item counted in the progress's index
    QHash<QByteArray, QSet<QByteArray>> m_listed; // the names in each site folder read so far
    bool m_started = false, m_stopping = false, m_finished = false, m_waiting = false;
    Forall m_forall = Ask;
    int m_uploaded = 0;
    qint64 m_donebefore = 0; // bytes of the files before the one under way
    Progress m_progress;
    QElapsedTimer m_sincereport;
    QTimer m_reportlater; // the last of a burst of progress, held back
    GCancellable* m_cancel = nullptr;
    std::shared_ptr<GioUpload*> m_self; // cleared when the upload goes, for calls still under way
};
