// libFuzzer target for the address-book reader and writer: whatever bytes ftpurl.txt holds,
// loading must not crash or hang, and saving what was loaded must keep every byte of every
// address.
#include "main_window/addressbook.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

void require(bool ok, const char* what)
{
    if (ok)
        return;
    std::fprintf(stderr, "address book property broken: %s\n", what);
    std::abort();
}

// What a save after a load must write, worked out another way than the reader does: every
// line end becomes CR LF, a last line without one gets one, and nothing else changes.
QByteArray normalised(QByteArrayView content)
{
    QByteArray out;
    out.reserve(content.size() * 2 + 2);
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] != '\r') {
            out.append(content[i]);
            continue;
        }
        out.append("\r\n", 2);
        if (i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
    }
    if (!content.isEmpty() && content.back() != '\r' && !content.endsWith("\r\n"))
        out.append("\r\n", 2);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> lines = addressbook::readlines(content);
    for (const QByteArray& line : lines)
        require(!line.contains('\r'), "a line holds a CR");

    const QByteArray written = addressbook::writelines(lines);
    require(written == normalised(content), "saving what was read changes more than line ends");
    require(addressbook::readlines(written) == lines, "reading what was saved gives other lines");

    const QList<addressbook::Entry> entries = addressbook::readentries(content);
    require(entries.size() == lines.size(), "the window would load another number of entries");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const addressbook::Entry entry = addressbook::decode(lines[i]);
        require(addressbook::encode(entry) == lines[i], "an address does not come back byte for byte");
        require(entries[i].text == entry.text && entries[i].bytes == entry.bytes,
                "the window would load an entry other than the one read");
    }
    return 0;
}
