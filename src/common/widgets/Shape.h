// A rectangle outlined with a pen and filled with a brush. It lets clicks
// through, so it can lie behind a window's controls as a frame.
#pragma once

#include <QColor>
#include <QWidget>

class TShape : public QWidget {
    Q_OBJECT

  public:
    explicit TShape(QWidget* parent = nullptr);

    QColor BrushColor() const { return brushColor_; }
    void SetBrushColor(const QColor& color);
    QColor PenColor() const { return penColor_; }
    void SetPenColor(const QColor& color);
    Qt::PenStyle PenStyle() const { return penStyle_; }
    void SetPenStyle(Qt::PenStyle style);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor brushColor_ = Qt::white;
    QColor penColor_ = Qt::black;
    Qt::PenStyle penStyle_ = Qt::SolidLine;
};
