#pragma once

#include "common/desktopservices.h"

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

    static QString quoted(const QString& text) { return text.isNull() ? QStringLiteral("null") : '[' + text + ']'; }

    void shellopen(QWidget* owner, const QString& address, const QString& parameters, const QString& directory) override
    {
        log << QStringLiteral("open %1 %2 %3 %4")
                   .arg(owner ? owner->objectName() : QStringLiteral("null"), quoted(address), quoted(parameters),
                        quoted(directory));
    }
    void navigate(WebBrowserHost&, const QString& url) override { log << QStringLiteral("navigate ") + quoted(url); }
    int msgbox(const QString& text, Style style, const QString& title = {}) override
    {
        log << QStringLiteral("ask %1 %2 %3").arg(quoted(text)).arg(int(style)).arg(quoted(title));
        if (style == OkOnly)
            return Ok;
        if (answers.isEmpty()) {
            log << QStringLiteral("(no answer queued)");
            return No;
        }
        return answers.takeFirst();
    }
    void keepontop(QWidget& window) override { log << QStringLiteral("ontop ") + window.objectName(); }
};
