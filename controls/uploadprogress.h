#pragma once

#include "desktop/upload.h"

#include <QProgressBar>

class QTimer;

// How far the files dropped on the bar have gone: a thin strip, seen at a glance, hidden while
// nothing goes up. Its tooltip, and its name to a screen reader, say which file, how many of
// how many and how much; a click on it asks to stop.
class UploadProgress : public QProgressBar
{
    Q_OBJECT
public:
    explicit UploadProgress(QWidget* parent);

    // Shows `progress`; `waiting` drops are queued behind this one.
    void setprogress(const Upload::Progress& progress, int waiting);

    // The end, said by the strip itself for a few seconds: full, or in red when `failed`.
    void showend(const QString& text, bool failed);

    // What the tooltip and the accessible name say.
    static QString describe(const Upload::Progress& progress, int waiting);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void settext(const QString& text);

    QTimer* m_hide; // ends the showing of the end
    bool m_failed = false;
};
