#pragma once

#include <QWidget>

class DesktopServices;
class PictureButton;
class QCheckBox;
class QLabel;

// Asks whether a dropped file replaces the site's file of the same name, and whether that
// answer holds for the rest of the drop. Not modal: the bar stays usable meanwhile, and the
// upload waits for the answer. Closed without one, it skips the file: nothing is replaced unasked.
class frmreplace : public QWidget
{
    Q_OBJECT
public:
    // `name` as it goes to the site; `folder` the address shown, without its credentials.
    frmreplace(const QString& name, const QString& folder, DesktopServices& services);

    QLabel* Label1; // the question
    QCheckBox* Check1; // "For all the rest of this drop"
    PictureButton* cmdreplace; // "Replace"
    PictureButton* cmdskip; // "Skip", which holds the focus first
    QLabel* P1; // never shown; holds the background tile

    // Closes without answering, when the upload has ended meanwhile.
    void dismiss();

signals:
    void answered(bool replace, bool forall);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void answer(bool replace);

    bool m_answered = false;
};
