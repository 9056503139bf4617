#include "VeskPanelBox.h"

#include <QPainter>

#include <algorithm>
#include <exception>

namespace {

constexpr TColor kDefaultBorderColor = 9342606;
constexpr int kDefaultAnimatorSide = 40;
// Platform timers never fire faster than this; a zero delay must not turn
// the animation into a busy loop.
constexpr int kShortestTimerInterval = 10;

}  // namespace

TVeskPanelBox::TVeskPanelBox(QWidget* parent)
    : QFrame(parent), borderColor_(ColorFromTColor(kDefaultBorderColor)) {
    setFrameShape(QFrame::NoFrame);
    // A panel is opaque in its own colour, like any panel.
    setAutoFillBackground(true);
    BordersChanged();
}

void TVeskPanelBox::SetHasBorder(bool on) {
    hasBorder_ = on;
    BordersChanged();
}

void TVeskPanelBox::SetBorderColor(const QColor& color) {
    borderColor_ = color;
    update();
}

void TVeskPanelBox::SetHasTopBorder(bool on) {
    hasTop_ = on;
    BordersChanged();
}

void TVeskPanelBox::SetHasBottomBorder(bool on) {
    hasBottom_ = on;
    BordersChanged();
}

void TVeskPanelBox::SetHasLeftBorder(bool on) {
    hasLeft_ = on;
    BordersChanged();
}

void TVeskPanelBox::SetHasRightBorder(bool on) {
    hasRight_ = on;
    BordersChanged();
}

void TVeskPanelBox::BordersChanged() {
    // Children and layouts keep clear of every drawn line.
    const auto inset = [this](bool side) { return hasBorder_ && side ? 1 : 0; };
    setContentsMargins(inset(hasLeft_), inset(hasTop_), inset(hasRight_), inset(hasBottom_));
    update();
}

void TVeskPanelBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!hasBorder_) {
        return;
    }
    QPainter painter(this);
    const int w = width();
    const int h = height();
    if (hasTop_) {
        painter.fillRect(0, 0, w, 1, borderColor_);
    }
    if (hasLeft_) {
        painter.fillRect(0, 0, 1, h, borderColor_);
    }
    if (hasRight_) {
        painter.fillRect(w - 1, 0, 1, h, borderColor_);
    }
    if (hasBottom_) {
        painter.fillRect(0, h - 1, w, 1, borderColor_);
    }
}

TVeskImageList::TVeskImageList(QSize frameSize, QObject* parent)
    : QObject(parent), frameSize_(frameSize) {}

int TVeskImageList::Add(const QPixmap& frame) {
    if (frame.size() != frameSize_) {
        return -1;
    }
    frames_.append(frame);
    emit Changed();
    return Count() - 1;
}

void TVeskImageList::Clear() {
    if (frames_.isEmpty()) {
        return;
    }
    frames_.clear();
    emit Changed();
}

QPixmap TVeskImageList::Frame(int index) const {
    return index >= 0 && index < Count() ? frames_[index] : QPixmap();
}

void TVeskImageList::Draw(QPainter& painter, int x, int y, int index) const {
    if (index >= 0 && index < Count()) {
        painter.drawPixmap(x, y, frames_[index]);
    }
}

TVeskAnimator::TVeskAnimator(QWidget* parent)
    : QWidget(parent), color_(palette().color(QPalette::Window)) {
    resize(kDefaultAnimatorSide, kDefaultAnimatorSide);
    SetTimerInterval(delay_);
    connect(&timer_, &QTimer::timeout, this, &TVeskAnimator::Tick);
    timer_.start();
}

void TVeskAnimator::SetAnimate(bool on) {
    if (on == animate_) {
        return;
    }
    animate_ = on;
    if (on) {
        failed_ = false;
        timer_.start();
    } else {
        timer_.stop();
    }
}

void TVeskAnimator::SetDelay(quint16 milliseconds) {
    if (milliseconds == delay_) {
        return;
    }
    delay_ = milliseconds;
    SetTimerInterval(delay_);
}

void TVeskAnimator::SetDelayUntilRepeat(int milliseconds) {
    delayUntilRepeat_ = milliseconds;
}

void TVeskAnimator::SetImageIndex(int index) {
    if (index == imageIndex_) {
        return;
    }
    imageIndex_ = index;
    update();
}

void TVeskAnimator::SetImageList(TVeskImageList* list) {
    disconnect(listChanged_);
    disconnect(listDestroyed_);
    imageList_ = list;
    if (list != nullptr) {
        listChanged_ = connect(list, &TVeskImageList::Changed, this, [this] {
            TakeFrameSize();
            repaint();
        });
        listDestroyed_ =
            connect(list, &QObject::destroyed, this, &TVeskAnimator::ImageListDestroyed);
    }
    TakeFrameSize();
    update();
}

void TVeskAnimator::SetTransparent(bool on) {
    if (on == transparent_) {
        return;
    }
    transparent_ = on;
    update();
}

void TVeskAnimator::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void TVeskAnimator::Tick() {
    if (imageList_ == nullptr || failed_) {
        return;
    }
    try {
        SetTimerInterval(delay_);
        if (imageIndex_ >= imageList_->Count()) {
            imageIndex_ = 0;
        }
        DrawFrame();
        repaint();
        // A frame-change handler may have taken the list away.
        if (imageList_ == nullptr) {
            return;
        }
        ++imageIndex_;
        if (imageIndex_ >= imageList_->Count()) {
            imageIndex_ = 0;
            SetTimerInterval(delayUntilRepeat_);
        }
    } catch (const std::exception& error) {
        StopAfterError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        StopAfterError(QStringLiteral("未知异常"));
    }
}

void TVeskAnimator::StopAfterError(const QString& reason) noexcept {
    // A step that failed once would fail on every tick; and nothing may leave
    // a timer slot or a paint handler, or the host goes down with it.
    try {
        failed_ = true;
        SetAnimate(false);
        logQuery::Error("1", QStringLiteral("动画帧绘制失败，动画已停止：") + reason);
    } catch (...) {
    }
}

void TVeskAnimator::DrawFrame() {
    const QSize size = imageList_->FrameSize();
    if (!size.isEmpty()) {
        if (buffer_.size() != size) {
            buffer_ = QPixmap(size);
        }
        // Transparent: the parent shows through the unpainted pixels, as Qt
        // paints a parent below a child that does not fill its background.
        buffer_.fill(transparent_ ? QColor(Qt::transparent) : color_);
        QPainter painter(&buffer_);
        imageList_->Draw(painter, 0, 0, imageIndex_);
    }
    if (imageIndex_ != lastFrameDrawn_) {
        lastFrameDrawn_ = imageIndex_;
        emit FrameChange(imageIndex_);
    }
}

void TVeskAnimator::paintEvent(QPaintEvent*) {
    // After a failed step the control stays blank until it is started again.
    if (imageList_ == nullptr || failed_) {
        return;
    }
    try {
        DrawFrame();
    } catch (const std::exception& error) {
        StopAfterError(QString::fromLocal8Bit(error.what()));
        return;
    } catch (...) {
        StopAfterError(QStringLiteral("未知异常"));
        return;
    }
    // A frame-change handler may have taken the list away.
    if (imageList_ != nullptr) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, buffer_);
    }
}

void TVeskAnimator::SetTimerInterval(int milliseconds) {
    timer_.setInterval(std::max(milliseconds, kShortestTimerInterval));
}

void TVeskAnimator::TakeFrameSize() {
    // Fixed, so no later resize or layout can give it another size.
    if (imageList_ != nullptr) {
        setFixedSize(imageList_->FrameSize());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void TVeskAnimator::ImageListDestroyed() {
    SetImageList(nullptr);
}
