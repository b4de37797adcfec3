#pragma once

#include "desktop/desktopservices.h"

#include <QList>
#include <QStringList>
#include <QWidget>

// Records every call to the desktop in one ordered log and answers message boxes from a
// queue, so a test sees what happened, in which order, without a real dialog or browser.
// Log lines: "ontop WINDOW", "ask [TEXT] STYLE [TITLE]", "navigate [URL]",
// "open OWNER [ADDRESS] [PARAMETERS] [DIRECTORY]", where a null string shows as null.
class FakeDesktopServices : public DesktopServices
{
public:
    QStringList log;
    QList<int> answers; // the answers to the next Yes/No questions, first first

    static QString quoted(const QString& text) { return text.isNull() ? "null" : '[' + text + ']'; }
    void shellopen(QWidget* owner, const QString& address, const QString& parameters, const QString& directory) override
    {
        log << "open " + owner->objectName() + ' ' + quoted(address) + ' ' + quoted(parameters) + ' '
                + quoted(directory);
    }
    void navigate(BrowserPane&, const QString& url) override { log << "navigate " + quoted(url); }
    int msgbox(const QString& text, Style style, const QString& title = {}) override
    {
        log << "ask " + quoted(text) + ' ' + QString::number(style) + ' ' + quoted(title);
        if (style == YesNoCritical && answers.isEmpty())
            log << "(no answer queued)";
        return style == OkOnly ? Ok : answers.isEmpty() ? No : answers.takeFirst();
    }
    void keepontop(QWidget& window) override { log << "ontop " + window.objectName(); }
    Upload* upload(const QStringList&, const QString&, QObject*) override { return nullptr; }
    void taskprogress(double) override { }
    void notify(const QString& text, std::function<void()>) override { log << "notify " + quoted(text); }
};
