// Cost of the browser pane's first navigation (plugin load, engine start, page loaded) and of
// a second one, pages served on 127.0.0.1. Each run is a fresh process, since the engine
// starts once per process; the figures are medians over the runs.
//
//   bench_navigation [RUNS]      needs a display (xvfb-run -a bench_navigation)
//
// Prints shell-style lines another script can include or `eval`:
//   navigation_runs=5
//   navigation_first_ms=...
//   navigation_second_ms=...

#include "common/webbrowserhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaMethod>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace
{

// Answers every request with a small page once its request line and headers are in, and
// counts the advertisement pages it served.
class PageServer : public QTcpServer
{
public:
    int pagesserved = 0;

    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
                    socket->setProperty("request", request);
                    if (!request.contains("\r\n\r\n"))
                        return;
                    const QByteArray body = "<!DOCTYPE html><html><body style=\"background:#ff8000\">ad</body></html>";
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                    if (request.startsWith("GET /ads"))
                        ++pagesserved;
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
};

// Sends the pane to `url` and waits for the page to finish loading; the time in ms, or -1.
double timednavigation(WebBrowserHost& pane, const QString& url)
{
    QEventLoop loop;
    bool ok = false;
    QMetaObject::Connection finished;
    auto watch = [&] {
        // The view is the engine's: reach its loadFinished(bool) without linking the engine.
        const int index = pane.view()->metaObject()->indexOfSignal("loadFinished(bool)");
        finished = QObject::connect(pane.view(), pane.view()->metaObject()->method(index), &loop,
                                    loop.metaObject()->method(loop.metaObject()->indexOfSlot("quit()")));
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (pane.view() && !finished) {
            watch();
            ok = true;
        }
    });
    QTimer::singleShot(60000, &loop, [&] {
        ok = false;
        loop.quit();
    });

    QElapsedTimer clock;
    clock.start();
    if (pane.view()) {
        watch();
        ok = true;
    } else {
        poll.start(0);
    }
    pane.navigate(url);
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(finished);
    return ok ? ms : -1;
}

int runonce(int argc, char* argv[])
{
    QApplication app(argc, argv);
    PageServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 2;
    QWidget window;
    window.resize(356, 104);
    auto* pane = new WebBrowserHost(&window);
    pane->setGeometry(2, 0, 352, 65);
    pane->setplugindirs({ QStringLiteral(WEBPANEDIR) });
    window.show();
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();

    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    const double first = timednavigation(*pane, base + QStringLiteral("/ads.asp"));
    const double second = timednavigation(*pane, base + QStringLiteral("/ads/ads.asp"));
    std::printf("%.1f %.1f\n", first, second);
    // Both pages really came from the server.
    return first < 0 || second < 0 || server.pagesserved < 2 ? 1 : 0;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && QByteArray(argv[1]) == "--once")
        return runonce(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The engine's sandbox refuses to run as root; only the benchmark's own runs are told.
    if (geteuid() == 0)
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));

    QList<double> firsts, seconds;
    for (int i = 0; i < runs; ++i) {
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--once") });
        if (!run.waitForFinished(90000) || run.exitCode() != 0) {
            // The engine talks a lot on its error channel; shown only when a run fails.
            std::fprintf(stderr, "%s\nrun %d failed (no plugin at " WEBPANEDIR ", or no display?)\n",
                         run.readAllStandardError().constData(), i + 1);
            return 1;
        }
        const QList<QByteArray> figures = run.readAllStandardOutput().trimmed().split(' ');
        firsts << figures.value(0).toDouble();
        seconds << figures.value(1).toDouble();
    }
    std::printf("navigation_runs=%d\nnavigation_first_ms=%.0f\nnavigation_second_ms=%.0f\n", runs, median(firsts),
                median(seconds));
    return 0;
}
