#pragma once

#include "controls/webpane.h"

#include <QObject>

// The browser pane's engine: a QWebEngineView per pane.
class WebPanePlugin : public QObject, public WebPane
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID WebPane_iid)
    Q_INTERFACES(WebPane)
public:
    QWidget* createview(QWidget* parent) override;
    void navigate(QWidget* view, const QString& url) override;
};
