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
#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    FakeDesktopServices services;
    const QString appdir = QString::fromLocal8Bit(argv[1]);
    frmquaylink windows[] = { { services, appdir }, { services, appdir } };
    for (int i = 0; i < 2; ++i) {
        windows[i].combourl->clear();
        windows[i].combourl->addItems(bigbook("ab"[i], std::atoi(argv[2])));
    }
    QElapsedTimer timer;
    timer.start();
    for (int save = 0;; ++save) {
        const QString error = windows[save % 2].saveurls();
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
