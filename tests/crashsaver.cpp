// Child process of tst_crashsafety: saves two different large books in turn to DIR/ftpurl.txt
// through BookFile until it is killed. Once warmed up it prints how long one save takes, in
// microseconds, so the test can aim its kills at the saves.
#include "bigbook.h"
#include "main_window/bookfile.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    const BookFile file(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/ftpurl.txt"));
    QList<addressbook::Entry> books[2];
    for (int i = 0; i < 2; ++i)
        for (const QString& text : bigbook("ab"[i], std::atoi(argv[2])))
            books[i].append({ text, {} });
    QElapsedTimer timer;
    timer.start();
    for (int save = 0;; ++save) {
        const QString error = file.save(books[save % 2]);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 1;
        }
        if (save == 3) { // warmed up
            std::printf("%lld\n", timer.nsecsElapsed() / 1000 / 4);
            std::fflush(stdout);
        }
    }
}
