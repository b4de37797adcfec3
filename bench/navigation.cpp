// Cost of the browser pane's first navigation (plugin load, engine start, page loaded) and of
// a second one, pages served on 127.0.0.1, against the same two navigations of a program that
// links the engine directly and shares its OpenGL contexts from the start, the usual way,
// making its view at the first navigation too (bench_navigation_direct, built from this file). Each run is a fresh
// process, since the engine starts once per process; runs of the two alternate, and the figures are medians.
//
//   bench_navigation [RUNS]      needs a display (xvfb-run -a bench_navigation)

#include "alternate.h"

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
#include <functional>
#include <unistd.h>

#ifdef QUAYLINK_BENCH_DIRECT
#include <QWebEngineView>
#else
#include "controls/webbrowserhost.h"
#endif

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
double timednavigation(const std::function<QWidget*()>& view, const std::function<void(const QString&)>& navigate,
                       const QString& url)
{
    QEventLoop loop;
    bool ok = false;
    QMetaObject::Connection finished;
    auto watch = [&] {
        // The view is the engine's: reach its loadFinished(bool) without linking the engine.
        const int index = view()->metaObject()->indexOfSignal("loadFinished(bool)");
        finished = QObject::connect(view(), view()->metaObject()->method(index), &loop,
                                    loop.metaObject()->method(loop.metaObject()->indexOfSlot("quit()")));
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (view() && !finished) {
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
    if (view()) {
        watch();
        ok = true;
    } else {
        poll.start(0);
    }
    navigate(url);
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(finished);
    return ok ? ms : -1;
}

int runonce(int argc, char* argv[])
{
#ifdef QUAYLINK_BENCH_DIRECT
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    QApplication app(argc, argv);
    PageServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 2;
    QWidget window;
    window.resize(356, 104);
#ifdef QUAYLINK_BENCH_DIRECT
    // Like the pane, the view and its engine come only with the first navigation.
    auto* pane = new QWidget(&window);
    QWebEngineView* page = nullptr;
    const auto view = [&page]() -> QWidget* {
        return page;
    };
    const auto navigate = [pane, &page](const QString& url) {
        if (!page) {
            page = new QWebEngineView(pane);
            page->resize(pane->size());
            page->show();
        }
        page->load(QUrl(url));
    };
#else
    auto* pane = new WebBrowserHost(&window);
    pane->setplugindirs({ QStringLiteral(WEBPANEDIR) });
    const auto view = [pane] {
        return pane->view();
    };
    const auto navigate = [pane](const QString& url) {
        pane->navigate(url);
    };
#endif
    pane->setGeometry(2, 0, 352, 65);
    window.show();
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();

    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    const double first = timednavigation(view, navigate, base + QStringLiteral("/ads.asp"));
    const double second = timednavigation(view, navigate, base + QStringLiteral("/ads/ads.asp"));
    std::printf("%.1f %.1f\n", first, second);
    // Both pages really came from the server.
    return first < 0 || second < 0 || server.pagesserved < 2 ? 1 : 0;
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

    // figures[0] and [1]: the pane's first and second navigation; [2] and [3]: the direct
    // program's.
    QList<double> figures[4];
    const QStringList commands[2]
        = { { QCoreApplication::applicationFilePath(), "--once" },
            { QCoreApplication::applicationDirPath() + "/bench_navigation_direct", "--once" } };
    if (!alternate(runs, env, commands, figures))
        return 1;
    const char* names[2] = { "first navigation (engine start, page loaded)", "second navigation" };
    for (int n = 0; n < 2; ++n) {
        const double pane = median(figures[n]);
        const double direct = median(figures[n + 2]);
        std::printf("| %s, pane's plugin vs engine linked directly | %.2f | %.0f ms | %.0f ms |\n", names[n],
                    pane / direct, pane, direct);
    }
    return 0;
}
