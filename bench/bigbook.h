#pragma once

#include <QString>
#include <QStringList>

// A large address book of 40-character addresses, distinct for each `tag`, for the tests
// and benchmarks that need one.
inline QStringList bigbook(char tag, int count)
{
    QStringList book;
    book.reserve(count);
    for (int i = 0; i < count; ++i)
        book << QStringLiteral("ftp://%1%2.example.com/pub/")
                    .arg(QChar(tag))
                    .arg(i, 7, 10, QChar('0'))
                    .leftJustified(40, 'x');
    return book;
}
