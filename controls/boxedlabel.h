#pragma once

#include <QLabel>

// An opaque label with a single black border and its lines centred, wrapped at word
// boundaries from the top. The text and background colours are the palette's
// WindowText and Window; the border stays black whatever they are.
class BoxedLabel : public QLabel
{
    Q_OBJECT
public:
    BoxedLabel(const QString& caption, QWidget* parent);

    void setcolours(const QColor& text, const QColor& back);
    QColor textcolour() const;
    QColor backcolour() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
