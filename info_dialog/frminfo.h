#pragma once

#include <QWidget>

class BoxedLabel;
class DesktopServices;
class PictureButton;
class QLabel;

// Help on using the bar, the maker's link and the copyright notice.
class frminfo : public QWidget
{
    Q_OBJECT
public:
    // Runs the load steps; the caller shows the dialog. It deletes itself when closed, so
    // every showing starts again from the layout's captions.
    explicit frminfo(DesktopServices& services);

    // The help text that load puts into `Label`.
    static QString helptext();
    // The copyright notice that load puts into `Label2`.
    static QString copyright();

    // The link's two colour pairs: text, then background.
    static const QColor linktext;
    static const QColor linkback;

    // The controls, in tab order.
    BoxedLabel* Label2; // the copyright notice, in a box
    PictureButton* cmdok; // "OK": closes the dialog
    QLabel* Label; // the help text, white on the tiles
    QLabel* P1; // never shown; holds the background tile
    BoxedLabel* Label1; // the maker's link, which lights up under the pointer
    QLabel* Label3; // the question that states the program's idea
    BoxedLabel* Label4; // the program's name, in a box

    // Control events.
    void cmdok_click();
    void Label1_click();
    void Label1_mousemove();
    void form_mousemove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createcontrols();
    void load();

    DesktopServices& m_services;
};
