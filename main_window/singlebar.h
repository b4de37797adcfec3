#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QLockFile;
class QWidget;

// One bar per address book, so that two bars never save over each other's addresses. The first
// start on a book holds its lock for as long as it runs; a later start asks that bar to come to
// the front and ends. A lock left by a bar that no longer runs counts for nothing.
class SingleBar : public QObject
{
public:
    // Takes the lock of the book at `book`, or knocks on the bar that holds it. Needs the
    // application object.
    explicit SingleBar(const QString& book);
    ~SingleBar() override;

    // False when another bar has the book; it has been asked to come forward.
    bool first() const { return m_first; }

    // What comes to the front when another start knocks: the dialog the bar waits on, or the bar.
    void setwindow(QWidget& window) { m_window = &window; }

private:
    void comeforward();

    std::unique_ptr<QLockFile> m_lock;
    QString m_knock; // a file the next start on this book touches
    QPointer<QWidget> m_window;
    bool m_first = true;
};
