#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

// A push button in the graphical style: the face colour, the button face picture laid
// over it, and the caption drawn on top in the button's own font.
class PictureButton : public QPushButton
{
    Q_OBJECT
public:
    PictureButton(const QString& caption, const QColor& face, QWidget* parent);

    QColor facecolor() const { return m_face; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_face;
    QPixmap m_picture;
};
