#include "picturebutton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

PictureButton::PictureButton(const QString& caption, const QColor& face, QWidget* parent)
    : QPushButton(caption, parent)
    , m_face(face)
    , m_picture(QStringLiteral(":/resources/buttonface.jpg"))
{
    // A button that holds the focus is pressed by Enter as well as by the space bar.
    setAutoDefault(true);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect face = rect();
    painter.fillRect(face, m_face);

    // The picture is larger than any face: centre it and let the face clip it. Multiplying
    // keeps the pale sheen and lets each button's own colour read through it.
    QRect picture(QPoint(), m_picture.size());
    picture.moveCenter(face.center());
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.drawPixmap(picture, m_picture);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    const bool sunken = isDown() || isChecked();
    qDrawWinButton(&painter, face, palette(), sunken, nullptr);

    const QRect caption = sunken ? face.translated(1, 1) : face;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = face.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
