#pragma once

#include "desktop/desktopservices.h"
#include "desktop/upload.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// An upload that does nothing of itself: the test plays the engine through its signals. It
// logs what the bar asks of it; stop() ends it a moment later, as the engine does, one file up.
class FakeUpload : public Upload
{
public:
    FakeUpload(QStringList& log, QObject* parent)
        : Upload(parent)
        , m_log(log)
    {
    }
    void start() override { m_log << "start"; }
    void stop() override
    {
        m_log << "stop";
        QTimer::singleShot(0, this, [this] { emit finished(1, {}, true); });
    }
    void answer(bool replace, bool forall) override
    {
        m_log << QStringLiteral("answer %1%2").arg(replace ? "replace" : "skip", forall ? " all" : "");
    }

private:
    QStringList& m_log;
};

// Records every call to the desktop in one ordered log and answers message boxes from a
// queue, so a test sees what happened, in which order, without a real dialog or browser.
// Log lines: "ontop WINDOW", "ask [TEXT] STYLE [TITLE]", "navigate [URL]",
// "open OWNER [ADDRESS] [PARAMETERS] [DIRECTORY]", "upload [PATH|PATH] [ADDRESS]", then the
// upload's "start", "stop", "answer replace|skip[ all]", and "notify [TEXT]", where a null
// string shows as null.
class FakeDesktopServices : public DesktopServices
{
public:
    QStringList log;
    QList<int> answers; // the answers to the next Yes/No questions, first first
    QList<QPointer<FakeUpload>> uploads; // every upload made, first first
    QList<double> taskbar; // every taskbar progress, not logged
    bool heard = true; // whether a notification service runs

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
    Upload* upload(const QStringList& paths, const QString& address, QObject* parent) override
    {
        log << "upload " + quoted(paths.join('|')) + ' ' + quoted(address);
        uploads << new FakeUpload(log, parent);
        return uploads.last();
    }
    void taskprogress(double fraction) override { taskbar << fraction; }
    void notify(const QString& text, std::function<void()> unheard) override
    {
        log << "notify " + quoted(text);
        if (!heard)
            unheard();
    }
};
