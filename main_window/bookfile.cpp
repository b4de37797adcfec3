#include "bookfile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <utility>

namespace
{

// A new book may come to hold passwords: only its owner reads it.
constexpr QFileDevice::Permissions owneronly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

BookFile::BookFile(QString path)
    : m_path(std::move(path))
{
}

QList<addressbook::Entry> BookFile::load(bool* missing)
{
    QFile file(m_path);
    const bool opened = file.open(QIODevice::ReadOnly);
    m_unread = !opened && (file.exists() || file.error() != QFileDevice::OpenError);
    if (missing)
        *missing = !opened && !m_unread;
    if (!opened)
        return {};
    return addressbook::readentries(file.readAll());
}

bool BookFile::create() const
{
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate, owneronly);
}

QString BookFile::save(const QList<addressbook::Entry>& entries) const
{
    if (m_unread)
        return QStringLiteral("the address book there could not be read, and saving would replace it");
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
