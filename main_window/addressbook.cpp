#include "addressbook.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace addressbook
{

namespace
{

// Hands each line of `content` to `take`, as a view into it.
template<typename Take> void splitlines(QByteArrayView content, Take take)
{
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (content[i] != '\r')
            continue;
        take(content.sliced(start, i - start));
        if (i + 1 < size && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        take(content.sliced(start));
}

// Plain ASCII, as nearly every address is, reads the same in every system encoding there
// is, so it needs no converter: making one per line was most of the time a large book took
// to load.
bool asciibytes(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

bool asciitext(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

Entry decodeline(QByteArrayView line)
{
    if (asciibytes(line))
        return { QString::fromLatin1(line), {} };
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = decoder(line);
    const QByteArray back = QStringEncoder(QStringConverter::System, QStringConverter::Flag::Stateless)(text);
    if (QByteArrayView(back) == line)
        return { text, {} };
    return { text, line.toByteArray() };
}

} // namespace

QList<Entry> readentries(QByteArrayView content)
{
    QList<Entry> entries;
    splitlines(content, [&entries](QByteArrayView line) { entries.append(decodeline(line)); });
    return entries;
}

QByteArray writelines(const QList<QByteArray>& lines)
{
    qsizetype size = 0;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    QByteArray content;
    content.reserve(size);
    for (const QByteArray& line : lines) {
        content.append(line);
        content.append("\r\n", 2);
    }
    return content;
}

QByteArray encode(const Entry& entry)
{
    if (!entry.bytes.isNull())
        return entry.bytes;
    if (asciitext(entry.text))
        return entry.text.toLatin1();
    return QStringEncoder(QStringConverter::System, QStringConverter::Flag::Stateless)(entry.text);
}

} // namespace addressbook
