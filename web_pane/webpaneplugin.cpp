#include "webpaneplugin.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{

// How each page load ended, for whoever looks into a pane that showed nothing
// (QT_LOGGING_RULES=quaylink.pane.info=true).
Q_LOGGING_CATEGORY(lcpane, "quaylink.pane", QtWarningMsg)

// Started by root with its sandbox on, the engine ends the whole process, bar and all.
// Turning the sandbox off is the user's decision (QTWEBENGINE_DISABLE_SANDBOX or
// --no-sandbox), never ours; without it the pane stays empty and the bar goes on.
bool enginecanstart()
{
#ifdef Q_OS_UNIX
    if (getuid() != 0 && geteuid() != 0)
        return true;
    const QString nosandbox = QStringLiteral("--no-sandbox");
    return qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
        || qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").split(' ').contains(nosandbox)
        || QCoreApplication::arguments().contains(nosandbox);
#else
    return true;
#endif
}

} // namespace

QWidget* WebPanePlugin::createview(QWidget* parent)
{
    if (!enginecanstart())
        return nullptr;
    // On Linux the engine gives screen readers the page only when this is set, which it reads once
    // as it starts; it then builds the page's tree only while the desktop's accessibility is on.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    auto* view = new QWebEngineView(parent);
    // A page that cannot load (no network, no such host) leaves the pane blank, as it is
    // before any page, rather than showing the engine's error page across the bar. Only the
    // latest address counts: one cut short by the next navigation is not a failure, nor one
    // that ended with no error of its own because its page's process ended (see below).
    QObject::connect(view->page(), &QWebEnginePage::loadingChanged, view, [view](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        qCInfo(lcpane).noquote() << info.url().toString() << info.status() << info.errorDomain() << info.errorCode();
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.url() == view->property("asked").toUrl()
            && info.errorDomain() != QWebEngineLoadingInfo::NoErrorDomain)
            view->setHtml(QString());
    });
    // The page's process may end before its page is on the screen (crashed, or killed by a system
    // short of memory); nothing would ever draw the page then, and the pane would stay empty. The
    // latest address loads once more, in a new process; after a second end the pane stays empty.
    QObject::connect(view->page(), &QWebEnginePage::renderProcessTerminated, view,
                     [view](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                         if (status == QWebEnginePage::NormalTerminationStatus)
                             return;
                         const bool again = !view->property("retried").toBool();
                         qWarning().nospace() << "The browser pane's page process ended (" << status << ", " << code
                                              << (again ? "); loading the page again" : ")");
                         view->setProperty("retried", true);
                         if (again)
                             view->load(view->property("asked").toUrl());
                     });
    return view;
}

void WebPanePlugin::navigate(QWidget* view, const QString& url)
{
    if (auto* page = qobject_cast<QWebEngineView*>(view)) {
        page->setProperty("asked", QUrl(url));
        page->setProperty("retried", false);
        page->load(QUrl(url));
    }
}
