#include "boxedlabel.h"

#include <QPainter>

BoxedLabel::BoxedLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setAutoFillBackground(true);
    // Keeps the text clear of the border; the border itself is drawn below.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
}

void BoxedLabel::setcolours(const QColor& text, const QColor& back)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, text);
    colours.setColor(QPalette::Window, back);
    setPalette(colours);
}

QColor BoxedLabel::textcolour() const
{
    return palette().color(QPalette::WindowText);
}

QColor BoxedLabel::backcolour() const
{
    return palette().color(QPalette::Window);
}

void BoxedLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    // The frame would take the text colour; the border is black.
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // A box that takes the focus (a link) shows it by a dotted frame inside the border, in
    // the text's colour; its colours stay as they are.
    if (hasFocus()) {
        painter.setPen(QPen(textcolour(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}
