#pragma once

#include <QtPlugin>

class QString;
class QWidget;

// What the browser-pane plugin offers the host. The plugin is the only part of the program
// that links the web engine, so the interface speaks in plain widgets and strings.
class WebPane
{
public:
    virtual ~WebPane() = default;

    // Makes a page view as a child of `parent`, which the caller places; null when the
    // engine cannot start here.
    virtual QWidget* createview(QWidget* parent) = 0;

    // Starts loading `url` into a view made by createview and returns at once.
    virtual void navigate(QWidget* view, const QString& url) = 0;
};

#define WebPane_iid "example.tarnholt.Quaylink.WebPane/1"
Q_DECLARE_INTERFACE(WebPane, WebPane_iid)
