#pragma once

#include "desktop/browserpane.h"

#include <QStringList>
#include <memory>

class WebPane;

// The browser pane's place on the window. It shows nothing until its first navigation,
// which loads the web-pane plugin and puts the plugin's page view inside it. Without the
// plugin, or when it fails to load, the pane stays empty and says nothing.
class WebBrowserHost : public BrowserPane
{
    Q_OBJECT
public:
    explicit WebBrowserHost(QWidget* parent);
    ~WebBrowserHost() override;

    // Starts loading `url` and returns at once. The first call only notes the address: the
    // plugin loads as soon as the caller has returned to the event loop, so that whatever
    // the caller does next (opening the site) does not wait for the web engine to start.
    void navigate(const QString& url) override;

    // Keeps the plugin from loading, until releaseload(), for what must not wait for the
    // engine's start: the address opened right after the first navigation.
    void holdload() override { m_held = true; }
    void releaseload() override;
    bool loaded() const override { return m_view != nullptr; }

    // Where the plugin is looked for, first match first: beside the executable, then where
    // `cmake --install` puts it. Only useful before the first navigation.
    QStringList plugindirs() const { return m_plugindirs; }
    void setplugindirs(const QStringList& dirs) { m_plugindirs = dirs; }

    // The plugin's page view once it is in place, otherwise null.
    QWidget* view() const { return m_view; }

    // The file name the plugin has in each of the directories.
    static QString pluginfilename();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadpane();

    QStringList m_plugindirs;
    WebPane* m_pane = nullptr;
    std::unique_ptr<QWidget> m_holder; // the page view's own window, set into the pane
    QWidget* m_view = nullptr;
    QString m_pending; // the latest address asked for while the plugin was not yet loaded
    bool m_loadasked = false;
    bool m_held = false;
    bool m_waiting = false; // the load was asked for while held
};
