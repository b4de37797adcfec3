// libFuzzer target for the address-book reader and writer: whatever bytes ftpurl.txt holds,
// loading must not crash or hang, and saving what was loaded must keep every byte of every
// address.
#undef NDEBUG // the properties are checked in every build
#include "main_window/addressbook.h"

#include <cassert>
#include <cstdint>

// What a save after a load writes, one entry a line: the entries as loaded, encoded again.
static QByteArray saved(QByteArrayView content)
{
    QList<QByteArray> lines;
    for (const addressbook::Entry& entry : addressbook::readentries(content)) {
        lines << addressbook::encode(entry);
        assert(!lines.last().contains('\r') && "an entry holds a CR");
    }
    return addressbook::writelines(lines);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView content(reinterpret_cast<const char*>(data), qsizetype(size));
    // Worked out another way than the reader does: every line end becomes CR LF, a last line
    // without one gets one, and nothing else changes.
    QByteArray expected = content.toByteArray().replace("\r\n", "\r").replace("\r", "\r\n");
    if (!content.isEmpty() && !expected.endsWith("\r\n"))
        expected.append("\r\n", 2);
    const QByteArray written = saved(content);
    assert(written == expected && "saving what was read changes more than line ends");
    assert(saved(written) == written && "reading what was saved gives other entries");
    return 0;
}
