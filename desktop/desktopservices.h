#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class BrowserPane;
class QObject;
class Upload;

// The four ways the windows reach the desktop. The windows get one of these in their
// constructor, so the tests can put a recording fake in place of the real desktop.
class DesktopServices
{
public:
    // Message box styles and the answers they give.
    enum Style { OkOnly = 0, YesNoCritical = 20 };
    enum Answer { Ok = 1, Yes = 6, No = 7 };

    virtual ~DesktopServices() = default;

    // What the windows do when a site refuses the user ID and password that an address holds
    // (ask for them again). Set once by the bar; the log-ins of an open and of a drop call it.
    std::function<void(const QString& address)> loginrefused;

    // Hands `address` to the desktop's default handler ("Open"). A null `parameters` or
    // `directory` means none; the result is never reported back.
    virtual void shellopen(QWidget* owner, const QString& address, const QString& parameters, const QString& directory)
        = 0;

    // Sends the browser pane to `url` without waiting for the page.
    virtual void navigate(BrowserPane& pane, const QString& url) = 0;

    // Modal; returns the answer. An empty title shows the application's title "Quaylink".
    virtual int msgbox(const QString& text, Style style, const QString& title = {}) = 0;

    // Keeps `window` above every window that is not itself kept on top.
    virtual void keepontop(QWidget& window) = 0;

    // Uploads `paths` (local files and folders) into the folder `address` names. The caller
    // owns the result (made with `parent`) and calls start(). Null when the address's scheme
    // cannot be uploaded to here.
    virtual Upload* upload(const QStringList& paths, const QString& address, QObject* parent) = 0;

    // The drop's progress where the desktop shows it for the program's taskbar entry:
    // `fraction` from 0 to 1, or below 0 to clear it.
    virtual void taskprogress(double fraction) = 0;

    // Says `text` once, as a desktop notification, without blocking; `unheard` runs later
    // instead where no notification service runs, so the caller can say it itself.
    virtual void notify(const QString& text, std::function<void()> unheard) = 0;
};
