#pragma once

#include "desktopservices.h"

// The real desktop: Qt message boxes, the window manager's keep-above flag, the browser
// pane's own engine, and the platform's default-handler lookup for "Open".
class QtDesktopServices : public DesktopServices
{
public:
    void shellopen(QWidget* owner, const QString& address, const QString& parameters,
                   const QString& directory) override;
    void navigate(WebBrowserHost& pane, const QString& url) override;
    int msgbox(const QString& text, Style style, const QString& title = {}) override;
    void keepontop(QWidget& window) override;
};
