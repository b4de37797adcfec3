#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// One drop's upload: local files and folders copied into the folder that an ftp, ftps or sftp
// address names, logged in as "Go" logs in. It runs on the window's event loop and never
// makes the window wait; it reports as it goes and ends with finished(), once.
class Upload : public QObject
{
    Q_OBJECT
public:
    // How far the drop has come: the file being written, its number among all the drop's files
    // (folders walked), and the bytes written of all the drop's bytes.
    struct Progress {
        QString file; // the name as it goes to the site, relative to the address's folder
        int index = 0; // 1-based
        int count = 0;
        qint64 done = 0;
        qint64 total = 0;
    };

    using QObject::QObject;

    // Starts the upload; returns at once.
    virtual void start() = 0;

    // Ends the transfer under way at once and removes the partial file it was writing; what was
    // complete stays. finished() follows, with `stopped` set.
    virtual void stop() = 0;

    // The answer to exists(): replace the site's copy or keep it (skip this file); `forall`
    // gives the same answer to every later name of this drop without asking.
    virtual void answer(bool replace, bool forall) = 0;

signals:
    void progress(const Upload::Progress& progress);
    // `name` is already in the site's folder; nothing is written until answer() is called.
    void exists(const QString& name);
    // `uploaded` files were written. `error` is empty when everything went (or was stopped);
    // otherwise it names the file and the reason in words.
    void finished(int uploaded, const QString& error, bool stopped);
};
