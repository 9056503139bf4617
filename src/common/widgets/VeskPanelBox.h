// Two small controls of the status window: a panel that draws chosen edges as
// one-pixel lines, and a control that loops over the frames of an image list.
#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include <cstdint>

#include "ColorNumber.h"
#include "HostServices.h"

class QPainter;

class TVeskPanelBox : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool HasBorder READ HasBorder WRITE SetHasBorder)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(bool HasTopBorder READ HasTopBorder WRITE SetHasTopBorder)
    Q_PROPERTY(bool HasBottomBorder READ HasBottomBorder WRITE SetHasBottomBorder)
    Q_PROPERTY(bool HasLeftBorder READ HasLeftBorder WRITE SetHasLeftBorder)
    Q_PROPERTY(bool HasRightBorder READ HasRightBorder WRITE SetHasRightBorder)

  public:
    explicit TVeskPanelBox(QWidget* parent = nullptr);

    bool HasBorder() const { return hasBorder_; }
    QColor BorderColor() const { return borderColor_; }
    bool HasTopBorder() const { return hasTop_; }
    bool HasBottomBorder() const { return hasBottom_; }
    bool HasLeftBorder() const { return hasLeft_; }
    bool HasRightBorder() const { return hasRight_; }

    void SetHasBorder(bool on);
    void SetBorderColor(const QColor& color);
    void SetHasTopBorder(bool on);
    void SetHasBottomBorder(bool on);
    void SetHasLeftBorder(bool on);
    void SetHasRightBorder(bool on);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void BordersChanged();

    bool hasBorder_ = true;
    QColor borderColor_;
    bool hasTop_ = true;
    bool hasBottom_ = true;
    bool hasLeft_ = true;
    bool hasRight_ = true;
};

// Frames of one size. Users hear of changes through Changed and of the
// list's end through QObject::destroyed.
class TVeskImageList : public QObject {
    Q_OBJECT

  public:
    explicit TVeskImageList(QSize frameSize, QObject* parent = nullptr);

    QSize FrameSize() const { return frameSize_; }
    int Count() const { return static_cast<int>(frames_.size()); }

    // Index of the new frame; -1 when the frame is not of the list's size.
    int Add(const QPixmap& frame);
    void Clear();
    // A null pixmap for an index out of range.
    QPixmap Frame(int index) const;
    void Draw(QPainter& painter, int x, int y, int index) const;

  signals:
    void Changed();

  private:
    QSize frameSize_;
    QList<QPixmap> frames_;
};

class TVeskAnimator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Animate READ Animate WRITE SetAnimate)
    Q_PROPERTY(quint16 Delay READ Delay WRITE SetDelay)
    Q_PROPERTY(int DelayUntilRepeat READ DelayUntilRepeat WRITE SetDelayUntilRepeat)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)

  public:
    explicit TVeskAnimator(QWidget* parent = nullptr);

    bool Animate() const { return animate_; }
    quint16 Delay() const { return delay_; }
    int DelayUntilRepeat() const { return delayUntilRepeat_; }
    int ImageIndex() const { return imageIndex_; }
    TVeskImageList* ImageList() const { return imageList_; }
    bool Transparent() const { return transparent_; }
    QColor Color() const { return color_; }

    virtual void SetAnimate(bool on);
    virtual void SetDelay(quint16 milliseconds);
    void SetDelayUntilRepeat(int milliseconds);
    virtual void SetImageIndex(int index);
    // The control takes the list's frame size and follows the list until it
    // is replaced or destroyed.
    virtual void SetImageList(TVeskImageList* list);
    virtual void SetTransparent(bool on);
    void SetColor(const QColor& color);

    // One step of the animation, as the timer runs it; public so the frame
    // sequence can be driven without a clock. A step that fails stops the
    // animation with an error in the log; nothing leaves it.
    void Tick();
    int TimerInterval() const { return timer_.interval(); }
    bool TimerActive() const { return timer_.isActive(); }

  signals:
    // A frame other than the one drawn last has been drawn.
    void FrameChange(int frame);

  protected:
    // Composes frame ImageIndex over the background and reports a new frame.
    // Runs only while there is a list.
    virtual void DrawFrame();

    void paintEvent(QPaintEvent* event) override;

  private:
    void StopAfterError(const QString& reason) noexcept;
    void SetTimerInterval(int milliseconds);
    void TakeFrameSize();
    void ImageListDestroyed();

    bool animate_ = true;
    quint16 delay_ = 100;
    int delayUntilRepeat_ = 100;
    int imageIndex_ = 0;
    int lastFrameDrawn_ = -1;
    bool failed_ = false;
    bool transparent_ = false;
    QColor color_;
    TVeskImageList* imageList_ = nullptr;
    QMetaObject::Connection listChanged_;
    QMetaObject::Connection listDestroyed_;
    QPixmap buffer_;
    QTimer timer_;
};
