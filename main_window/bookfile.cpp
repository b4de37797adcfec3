#include "bookfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <utility>

namespace
{

// A new book may come to hold passwords: only its owner reads it.
constexpr QFileDevice::Permissions owneronly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Opening a FIFO waits for a writer, a device may never end, and a save would put a regular
// file in the place of either: only regular files are read or replaced.
bool irregular(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

const QString unreadable = QStringLiteral("the address book there could not be read, and saving would replace it");
const QString notregular = QStringLiteral("the address book there is not a regular file, so it is neither read nor "
                                          "replaced");

} // namespace

BookFile::BookFile(QString path)
    : m_path(std::move(path))
{
}

QString BookFile::locate(const QString& appdir)
{
    const QString beside = appdir + QStringLiteral("/ftpurl.txt");
    if (QFileInfo::exists(beside) || QFileInfo(appdir).isWritable())
        return beside;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (own.isEmpty() || !QDir().mkpath(own))
        return beside;
    return own + QStringLiteral("/ftpurl.txt");
}

QList<addressbook::Entry> BookFile::load(bool* missing)
{
    QFile file(m_path);
    const bool regular = !irregular(m_path);
    m_unread = regular ? QString() : notregular;
    if (missing)
        *missing = false;
    if (regular && file.open(QIODevice::ReadOnly))
        return addressbook::readentries(file.readAll());
    if (regular && (file.exists() || file.error() != QFileDevice::OpenError))
        m_unread = unreadable;
    if (missing)
        *missing = m_unread.isEmpty();
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
    if (irregular(m_path))
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
