#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The address book file, ftpurl.txt: one address per line, CR LF after every line, 8-bit
// text in the system's encoding, no header. These functions only turn bytes into entries
// and back; BookFile reads and writes the file.
namespace addressbook
{

// Each line followed by CR LF. No lines give no bytes.
QByteArray writelines(const QList<QByteArray>& lines);

// One entry as the combo box shows it. `bytes` keeps the line exactly as read when the
// system encoding cannot turn `text` back into the same bytes, so that saving the book
// does not mangle an address it cannot display faithfully; otherwise it is empty.
struct Entry {
    QString text;
    QByteArray bytes;
};

// The entries of file content, one a line. CR LF or a CR alone ends a line and is not part of
// it; a line feed that follows no CR stays inside its line. Empty lines count; the last line
// may lack its line end.
QList<Entry> readentries(QByteArrayView content);

// The bytes an entry is written as: the line it was read from, or its text encoded.
QByteArray encode(const Entry& entry);

} // namespace addressbook
