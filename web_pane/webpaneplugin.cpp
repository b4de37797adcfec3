#include "webpaneplugin.h"

#include <QUrl>
#include <QWebEngineView>

QWidget* WebPanePlugin::createview(QWidget* parent)
{
    return new QWebEngineView(parent);
}

void WebPanePlugin::navigate(QWidget* view, const QString& url)
{
    if (auto* page = qobject_cast<QWebEngineView*>(view))
        page->load(QUrl(url));
}
