#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

// The open-file pane of the bar: a file dialog set up through a few properties before each
// show. Its point is the drag: the user drags files out of it into the browser's FTP view,
// and the browser uploads them.
class CommonDialog : public QObject
{
    Q_OBJECT
public:
    // The flag bits that mean something here; others are accepted and have no effect.
    enum Flag {
        HideReadOnly = 0x4, // no read-only check box: Qt's dialog never has one
        AllowMultiSelect = 0x200, // several files at once
        NoLongNames = 0x40000, // short names: not honoured by this dialog style
        Explorer = 0x80000, // the full dialog with its folder views: the only style here
    };

    // The dialog is modal to `owner`.
    explicit CommonDialog(QWidget* owner);

    // Whether closing the dialog with Cancel makes ShowOpen fail.
    bool CancelError = false;
    // A combination of Flag bits.
    int Flags = 0;
    // Description and pattern pairs separated by "|"; a lone pattern is its own
    // description. Patterns within one entry are separated by ";".
    QString Filter;

    // Shows a new open dialog with the settings above and waits until it is closed. False
    // when it was cancelled and CancelError is set.
    bool ShowOpen();

    // What the dialog's file-type list holds for `filter`. "*.*" lists every file, with a
    // dot in its name or not.
    static QStringList namefilters(const QString& filter);

    // Runs once the dialog is up, inside its modal loop: lets a test look at it and close it.
    void setshownhook(std::function<void(QFileDialog&)> hook) { m_shownhook = std::move(hook); }

private:
    QWidget* m_owner;
    std::function<void(QFileDialog&)> m_shownhook;
};
