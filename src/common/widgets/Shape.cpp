#include "Shape.h"

#include <QPainter>

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::SetBrushColor(const QColor& color) {
    brushColor_ = color;
    update();
}

void TShape::SetPenColor(const QColor& color) {
    penColor_ = color;
    update();
}

void TShape::SetPenStyle(Qt::PenStyle style) {
    penStyle_ = style;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setBrush(brushColor_);
    painter.setPen(QPen(penColor_, 1, penStyle_));
    // The pen sits inside the rectangle, so the right and bottom lines show.
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
