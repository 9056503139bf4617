// The module's list header: flat sections in one colour, each closed by a
// sunken edge on its right and bottom sides, the empty rest of the header in
// the same colour.
#pragma once

#include <QHeaderView>

#include "HostServices.h"

class TFlatHeaderView : public QHeaderView {
    Q_OBJECT

  public:
    // A pale blue-white.
    static constexpr TColor kDefaultColor = 16773860;

    explicit TFlatHeaderView(Qt::Orientation orientation = Qt::Horizontal,
                             QWidget* parent = nullptr);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

  private:
    TColor color_ = kDefaultColor;
};
