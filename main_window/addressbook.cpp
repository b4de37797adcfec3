#include "addressbook.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace addressbook
{

QList<QByteArray> readlines(QByteArrayView content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (content[i] != '\r')
            continue;
        lines.append(content.sliced(start, i - start).toByteArray());
        if (i + 1 < size && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(content.sliced(start).toByteArray());
    return lines;
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

namespace
{

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

} // namespace

Entry decode(const QByteArray& line)
{
    if (asciibytes(line))
        return { QString::fromLatin1(line), {} };
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = decoder(line);
    if (QStringEncoder(QStringConverter::System, QStringConverter::Flag::Stateless)(text) == line)
        return { text, {} };
    return { text, line };
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
