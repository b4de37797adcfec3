#pragma once

#include <QString>
#include <QWidget>

// The browser pane as the desktop services see it: a place that loads a page when asked, and
// whose first load can be held back while an address is being opened. The windows' pane
// control implements it; the desktop services know nothing else of the controls.
class BrowserPane : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Starts loading `url` and returns at once.
    virtual void navigate(const QString& url) = 0;

    // Whether the page engine is running already, so that a load starts at once.
    virtual bool loaded() const = 0;

    // Keeps the engine from starting until releaseload(), for what must not wait for it.
    virtual void holdload() = 0;
    virtual void releaseload() = 0;
};
