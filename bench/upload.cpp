// One drop's upload, started as the bar starts it (the desktop services' upload(), then start()),
// on a shown window's thread: bench_upload ADDRESS PATH... prints the seconds from start() to
// finished(), the longest a 10 ms timer on that thread waited past its time (ms), and how far the
// process's peak memory rose above its memory at the start (KB). Run on a session bus with GVfs.
#include "desktop/upload.h"
#include "desktop/desktopservices_qt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

// A field of /proc/self/status, in KB.
static qint64 status(const char* field)
{
    QFile file("/proc/self/status");
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_upload ADDRESS PATH...\n");
        return 2;
    }
    QWidget window;
    window.resize(320, 100);
    window.show();
    QtDesktopServices services;
    Upload* upload = services.upload(args.mid(1), args.first(), &app);
    if (!upload)
        return 2;

    QElapsedTimer clock, tick;
    qint64 latest = 0, before = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { latest = std::max(latest, tick.restart() - 10); });
    int code = 1;
    QObject::connect(upload, &Upload::finished, [&](int, const QString& error, bool) {
        const double seconds = clock.elapsed() / 1000.0;
        if (!error.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(error));
        std::printf("%.3f %lld %lld\n", seconds, static_cast<long long>(latest),
                    static_cast<long long>(status("VmHWM:") - before));
        code = error.isEmpty() ? 0 : 1;
        app.quit();
    });
    QTimer::singleShot(0, [&] {
        // The peak from here on, measured against what the process holds now.
        QFile clear("/proc/self/clear_refs");
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        before = status("VmRSS:");
        clock.start();
        tick.start();
        timer.start(10);
        upload->start();
    });
    app.exec();
    return code;
}
