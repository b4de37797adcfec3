#include "bookfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{

// A new book may come to hold passwords: only its owner reads it.
constexpr QFileDevice::Permissions owneronly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// What is at `path`, telling a place that holds nothing from one that cannot be looked at
// (`none`), which Qt's exists() does not.
std::filesystem::file_type kind(const QString& path)
{
    std::error_code error;
    return std::filesystem::status(std::filesystem::path(path.toStdU16String()), error).type();
}

// Opening a FIFO waits for a writer, a device may never end, and a save would put a regular
// file in the place of either: only regular files are read or replaced.
bool irregular(std::filesystem::file_type type)
{
    using enum std::filesystem::file_type;
    return type != regular && type != not_found && type != none;
}

// A book's owner goes on seeing it whatever its mode, and is told what stands in its way.
bool ownedbyuser(const QFileInfo& info)
{
#ifdef Q_OS_UNIX
    return info.ownerId() == ::geteuid();
#else
    return info.isWritable(); // no owner ids: a book this user may change counts as theirs
#endif
}

const QString unreadable = QStringLiteral("the address book there could not be read, and saving would replace it");
const QString notregular = QStringLiteral("the address book there is not a regular file, so it is neither read nor "
                                          "replaced");

} // namespace

BookFile::BookFile(QString path)
    : m_path(std::move(path))
{
}

bool BookFile::installed(const QString& appdir)
{
#ifdef QUAYLINK_MENUENTRY
    return QFileInfo::exists(appdir + QStringLiteral("/" QUAYLINK_MENUENTRY));
#else
    Q_UNUSED(appdir);
    return false;
#endif
}

QString BookFile::locate(const QString& appdir)
{
    const QString beside = appdir + QStringLiteral("/ftpurl.txt");
    const QFileInfo book(beside);
    const bool here = installed(appdir);
    // An installed program writes nothing under its prefix, whoever runs it.
    if (book.exists() ? ownedbyuser(book) || (book.isReadable() && book.isWritable())
                      : !here && QFileInfo(appdir).isWritable())
        return beside;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (own.isEmpty())
        return here ? QString() : beside;
    // A folder that cannot be made shows as a book that cannot be made.
    QDir().mkpath(own);
    return own + QStringLiteral("/ftpurl.txt");
}

QList<addressbook::Entry> BookFile::load(bool* missing)
{
    const std::filesystem::file_type type = kind(m_path);
    m_unread = irregular(type) ? notregular : QString();
    if (missing)
        *missing = type == std::filesystem::file_type::not_found;
    if (type == std::filesystem::file_type::not_found || !m_unread.isEmpty())
        return {};
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly))
        return addressbook::readentries(file.readAll());
    m_unread = unreadable;
    return {};
}

bool BookFile::create() const
{
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate, owneronly);
}

QString BookFile::save(const QList<addressbook::Entry>& entries) const
{
    if (!m_unread.isEmpty())
        return m_unread;
    if (irregular(kind(m_path)))
        return notregular;
    QFile current(m_path);
    if (current.exists() && !current.open(QIODevice::ReadOnly))
        return current.errorString();
    current.close();

    QList<QByteArray> lines;
    lines.reserve(entries.size());
    for (const addressbook::Entry& entry : entries)
        lines.append(addressbook::encode(entry));
    const QByteArray content = addressbook::writelines(lines);

    // Written aside and put in place whole: the file holds the old book or the new one,
    // never a part of either.
    QSaveFile file(m_path);
    const bool existed = QFile::exists(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!existed)
        file.setPermissions(owneronly);
    // Qt takes a write that a full disk or a size limit cuts short for a success, and would
    // put the cut book in place: count the bytes. A block over 16 KB is written past Qt's
    // buffer, so the short count shows there and not in flush.
    errno = 0;
    if (file.write(content) != content.size() || !file.flush()) {
        // The system's reason, such as "File too large", says more than Qt's "Unknown error".
        const QString reason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
