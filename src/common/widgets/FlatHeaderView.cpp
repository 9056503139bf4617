#include "FlatHeaderView.h"

#include <QPainter>

#include "ColorNumber.h"

namespace {

constexpr int kTextMargin = 4;

}  // namespace

TFlatHeaderView::TFlatHeaderView(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    SetColor(kDefaultColor);
}

void TFlatHeaderView::SetColor(TColor color) {
    color_ = color;
    viewport()->update();
}

void TFlatHeaderView::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    // The styles paint the area behind the last section in their own colour.
    const int used = length() - offset();
    const QRect area = viewport()->rect();
    const QRect rest = orientation() == Qt::Horizontal
                           ? QRect(used, 0, area.width() - used, area.height())
                           : QRect(0, used, area.width(), area.height() - used);
    if (rest.isValid()) {
        QPainter painter(viewport());
        painter.fillRect(rest, ColorFromTColor(color_));
    }
}

void TFlatHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    painter->save();
    painter->fillRect(rect, ColorFromTColor(color_));

    // Sections only exist for a model, so there is one.
    const QAbstractItemModel& source = *model();
    const QString text = source.headerData(logicalIndex, orientation()).toString();
    const QVariant align = source.headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
    const Qt::Alignment alignment =
        align.isValid() ? Qt::Alignment(align.toInt()) : (Qt::AlignLeft | Qt::AlignVCenter);
    const QRect textRect = rect.adjusted(kTextMargin, 0, -kTextMargin - 2, -2);
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(textRect, static_cast<int>(alignment),
                      fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));

    // Sunken: the shadow line inside, the light line on the outer edge.
    const QColor shadow = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    painter->setPen(shadow);
    painter->drawLine(rect.right() - 1, rect.top(), rect.right() - 1, rect.bottom() - 1);
    painter->drawLine(rect.left(), rect.bottom() - 1, rect.right() - 1, rect.bottom() - 1);
    painter->setPen(light);
    painter->drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    painter->drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter->restore();
}
