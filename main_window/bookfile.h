#pragma once

#include "addressbook.h"

#include <QString>

// ftpurl.txt on disk: reading it whole, creating it empty and replacing it whole. No
// widgets; the window's loadurls, saveurls and createurlfile go through it.
class BookFile
{
public:
    explicit BookFile(QString path);

    // Where the book of a program in `appdir` lives. An installed program keeps it in the user's
    // own data folder, made if need be, whoever runs it; a program run from its own folder keeps
    // it beside itself while that folder can be written. A book already beside the program stays
    // in use for its owner and for whoever may read and write it, so older layouts go on working;
    // anyone else's is left alone for the user's own.
    static QString locate(const QString& appdir);

    // Whether the program in `appdir` was installed: an install lays its menu entry out beside
    // it, where a build folder or a copied program has none.
    static bool installed(const QString& appdir);

    const QString& path() const { return m_path; }

    // The book's entries. `missing` tells whether there was no file at all, so that the
    // caller can say so and create one. A file that is there but cannot be read, or whose
    // folder cannot be looked into, gives no entries, and saves are refused until a load reads
    // it; so does anything in its place that is not a regular file (a folder, a FIFO, a
    // device), which is never opened.
    QList<addressbook::Entry> load(bool* missing = nullptr);

    // A new empty book, or the book cut to 0 bytes; false when it could not be made.
    bool create() const;

    // Replaces the file with `entries`, whole or not at all: the reason it failed, or an
    // empty string.
    QString save(const QList<addressbook::Entry>& entries) const;

private:
    QString m_path;
    // Why saves are refused, or empty: the last load found the file but could not read it,
    // and saving would replace addresses the caller never saw.
    QString m_unread;
};
