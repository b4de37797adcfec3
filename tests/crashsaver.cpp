// Child process of tst_crashsafety: two windows on the same ftpurl.txt, each holding a
// different large book, save in turn through the window's own saveurls until the process is
// killed. Once warmed up it prints how long one save takes, in microseconds, so the test can
// aim its kills at the saves.
#include "bigbook.h"
#include "fakedesktopservices.h"
#include "main_window/frmquaylink.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString appdir = QString::fromLocal8Bit(argv[1]);
    const int count = QByteArray(argv[2]).toInt();
    FakeDesktopServices services;
    frmquaylink windows[] = { { services, appdir }, { services, appdir } };
    for (int i = 0; i < 2; ++i) {
        windows[i].combourl->clear();
        windows[i].combourl->addItems(bigbook(i == 0 ? 'a' : 'b', count));
    }
    int next = 0;
    const auto save = [&] {
        const QString error = windows[next].saveurls();
        if (!error.isEmpty()) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            std::exit(1);
        }
        next = 1 - next;
    };
    QElapsedTimer timer;
    timer.start();
    const int warmup = 4;
    for (int i = 0; i < warmup; ++i)
        save();
    std::printf("%lld\n", timer.nsecsElapsed() / 1000 / warmup);
    std::fflush(stdout);
    for (;;)
        save();
}
