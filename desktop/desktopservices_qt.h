#pragma once

#include "desktopservices.h"

#include <QPointer>

// The real desktop: Qt message boxes, the window manager's keep-above flag, the browser
// pane's own engine, and the platform's default-handler lookup for "Open".
class QtDesktopServices : public DesktopServices
{
public:
    // Picks the window system the bar runs on; call before the application object is made.
    // On a Wayland desktop no client may keep itself on top or choose its place, so the bar
    // goes through XWayland there, unless the user has named a platform.
    static void chooseplatform();

    void shellopen(QWidget* owner, const QString& address, const QString& parameters,
                   const QString& directory) override;
    void navigate(BrowserPane& pane, const QString& url) override;
    int msgbox(const QString& text, Style style, const QString& title = {}) override;
    void keepontop(QWidget& window) override;
    Upload* upload(const QStringList& paths, const QString& address, QObject* parent) override;
    void taskprogress(double fraction) override;
    void notify(const QString& text, std::function<void()> unheard) override;

private:
    // A pane whose engine waits for the shell open that follows its first navigation.
    QPointer<BrowserPane> m_heldpane;
    // The taskbar progress last published; below 0 when none is shown.
    double m_taskprogress = -1;
};
