#include "f_Status.h"

#include <QApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QThread>

#include <cmath>
#include <iterator>
#include <utility>

#include "HostServices.h"
#include "VeskPanelBox.h"
#include "ui_f_Status.h"

namespace {

constexpr TColor kStatusBackColor = 16710131;
constexpr TColor kStripBorderColor = 14731681;
constexpr int kShadowDepth = 6;
constexpr quint16 kStripDelay = 50;
constexpr QRect kStripBounds(90, 48, 94, 7);

// The strip: a framed track in which a group of blocks slides from beyond
// the left end to beyond the right end, one block pitch per frame.
constexpr int kTrackWidth = kStripBounds.width() - 2;
constexpr int kBlockWidth = 6;
constexpr int kBlockPitch = 8;
constexpr int kBlocksPerGroup = 3;
constexpr int kGroupWidth = kBlocksPerGroup * kBlockPitch - (kBlockPitch - kBlockWidth);
constexpr int kStripFrameCount = (kTrackWidth + kGroupWidth + kBlockPitch - 1) / kBlockPitch;

QPointer<Tfrm_Status> g_status;
// Hidden windows whose deletion is still pending.
QList<QPointer<Tfrm_Status>> g_retired;
bool g_cleanupRegistered = false;

// Runs as the QApplication goes away, while widgets can still be deleted:
// the window in use and any hidden one still waiting for its deletion.
void DestroyStatusWindowAtExit() {
    g_cleanupRegistered = false;
    g_retired.append(g_status);
    g_status.clear();
    for (const QPointer<Tfrm_Status>& window : std::as_const(g_retired)) {
        delete window.data();
    }
    g_retired.clear();
}

QImage ProgressStripFrame(int frame) {
    // Light at the top, darker below, so the blocks look raised.
    constexpr QRgb kBlockRows[] = {0xFF9CC8F0, 0xFF6AAAE6, 0xFF3D8BDA, 0xFF2F7BCB, 0xFF286CB4};
    const QSize size = kStripBounds.size();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QColor border = ColorFromTColor(kStripBorderColor);
    // Rounded ends: the corner pixels stay clear.
    painter.fillRect(1, 0, size.width() - 2, 1, border);
    painter.fillRect(1, size.height() - 1, size.width() - 2, 1, border);
    painter.fillRect(0, 1, 1, size.height() - 2, border);
    painter.fillRect(size.width() - 1, 1, 1, size.height() - 2, border);
    const QRect track(1, 1, size.width() - 2, size.height() - 2);
    painter.fillRect(track, Qt::white);

    painter.setClipRect(track);
    const int groupLeft = track.left() - kGroupWidth + frame * kBlockPitch;
    for (int block = 0; block < kBlocksPerGroup; ++block) {
        const int x = groupLeft + block * kBlockPitch;
        for (int row = 0; row < track.height(); ++row) {
            painter.fillRect(x, track.top() + row, kBlockWidth, 1,
                             QColor::fromRgb(kBlockRows[row % std::size(kBlockRows)]));
        }
    }
    return image;
}

void BlendPixel(QImage& image, int x, int y, double weight, const QColor& shadow) {
    if (!image.valid(x, y)) {
        return;
    }
    const QColor old = image.pixelColor(x, y);
    // Ties would go to even; with alpha over 255 they cannot actually occur.
    const auto mix = [weight](int shadowChannel, int oldChannel) {
        return static_cast<int>(std::nearbyint(weight * shadowChannel + (1 - weight) * oldChannel));
    };
    image.setPixelColor(x, y,
                        QColor(mix(shadow.red(), old.red()), mix(shadow.green(), old.green()),
                               mix(shadow.blue(), old.blue()), old.alpha()));
}

}  // namespace

// Marks the window's own code as running for a scope; a release asked for
// meanwhile takes effect when the outermost scope ends.
class TStatusBusy {
  public:
    explicit TStatusBusy(Tfrm_Status* window) : window_(window) { ++window->busy_; }
    ~TStatusBusy() {
        if (window_.isNull()) {
            return;
        }
        if (--window_->busy_ == 0 && window_->released_) {
            window_->deleteLater();
        }
    }
    TStatusBusy(const TStatusBusy&) = delete;
    TStatusBusy& operator=(const TStatusBusy&) = delete;

  private:
    QPointer<Tfrm_Status> window_;
};

Tfrm_Status::Tfrm_Status(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui_(std::make_unique<Ui::frm_Status>()),
      imageListAff_(new TVeskImageList(kStripBounds.size(), this)) {
    ui_->setupUi(this);
    AddProgressStripFrames(*imageListAff_);
    FormCreate();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect bounds = rect();
        bounds.moveCenter(screen->availableGeometry().center());
        move(bounds.topLeft());
    }
}

Tfrm_Status::~Tfrm_Status() = default;

void Tfrm_Status::FormCreate() {
    if (ModuleLib::gclFrameBackColor() != 0) {
        SetColor(ColorFromTColor(kStatusBackColor));
    }
    // paintEvent covers every pixel with the shadowed background.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Tfrm_Status::SetColor(const QColor& color) {
    QPalette colors = palette();
    colors.setColor(QPalette::Window, color);
    setPalette(colors);
}

void Tfrm_Status::SetStatusText(const QString& text) {
    ui_->lblStatus->setText(text);
}

void Tfrm_Status::Release() {
    released_ = true;
    if (busy_ == 0) {
        deleteLater();
    }
}

void Tfrm_Status::SetAnimating(bool on) {
    const TStatusBusy busy(this);
    if (animator_ == nullptr) {
        animator_ = new TVeskAnimator(ui_->Panel1);
        animator_->setVisible(false);
        animator_->SetAnimate(false);
        animator_->setGeometry(0, 0, 0, 0);
        animator_->SetImageList(imageListAff_);
        animator_->SetDelay(kStripDelay);
        animator_->SetTransparent(true);
    }
    // Pending events may close this window; it must not be touched after.
    const QPointer<Tfrm_Status> alive(this);
    animator_->setVisible(on);
    QCoreApplication::processEvents();
    if (alive.isNull()) {
        return;
    }
    if (on) {
        animator_->setGeometry(kStripBounds);
    }
    QCoreApplication::processEvents();
    if (alive.isNull()) {
        return;
    }
    animator_->SetAnimate(on);
}

void Tfrm_Status::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        SetAnimating(true);
    }
}

void Tfrm_Status::paintEvent(QPaintEvent*) {
    const QColor color = palette().color(QPalette::Window);
    if (background_.isNull()) {
        try {
            QImage image(size(), QImage::Format_RGB32);
            image.fill(color);
            DrawDropShadow(image, ui_->Panel1->geometry(), kShadowDepth, Qt::black);
            background_ = std::move(image);
        } catch (...) {
            // Without its shadow the window still does its job.
        }
    }
    QPainter painter(this);
    if (background_.isNull()) {
        painter.fillRect(rect(), color);
    } else {
        painter.drawImage(0, 0, background_);
    }
}

void ShowStatus(const QString& text) {
    const auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return;
    }
    if (g_status.isNull()) {
        g_status = new Tfrm_Status;
        if (!g_cleanupRegistered) {
            qAddPostRoutine(&DestroyStatusWindowAtExit);
            g_cleanupRegistered = true;
        }
    }
    const QPointer<Tfrm_Status> window = g_status;
    const TStatusBusy busy(window);
    window->show();
    if (window.isNull()) {
        return;
    }
    window->SetStatusText(text);
    window->repaint();
}

void HideStatus() {
    Tfrm_Status* window = g_status.data();
    g_status.clear();
    if (window != nullptr) {
        // The window's own code may be below us on the stack (an event run by
        // SetAnimating's processEvents): it goes once that code is done and
        // control is back in the event loop, never under its own feet.
        window->close();
        window->Release();
        g_retired.removeIf([](const QPointer<Tfrm_Status>& gone) { return gone.isNull(); });
        g_retired.append(window);
    }
}

Tfrm_Status* StatusWindow() {
    return g_status.data();
}

void AddProgressStripFrames(TVeskImageList& list) {
    for (int frame = 0; frame < kStripFrameCount; ++frame) {
        list.Add(QPixmap::fromImage(ProgressStripFrame(frame)));
    }
}

void DrawDropShadow(QImage& image, const QRect& rect, int depth, const QColor& shadowColor) {
    if (depth <= 0 || image.isNull()) {
        return;
    }
    if (image.colorCount() > 0) {
        // Blends need true colour; palette images cannot hold them.
        image.convertTo(QImage::Format_ARGB32);
    }
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();
    const int step = 128 / depth;
    int alpha = 128;
    for (int i = 1; i <= depth; ++i) {
        const double weight = alpha / 255.0;
        const auto blend = [&](int x, int y) { BlendPixel(image, x, y, weight, shadowColor); };
        const int o = left + 2 * depth - i;
        const int p = top + 2 * depth - i;
        for (int y = bottom - 1; y <= bottom + i - 2; ++y) {
            blend(o, y);
        }
        blend(o + 1, bottom + i - 2);
        for (int x = o + 1; x <= right + i - 2; ++x) {
            blend(x, bottom + i - 1);
        }
        blend(right + i - 2, bottom + i - 2);
        for (int x = right - 1; x <= right + i - 2; ++x) {
            blend(x, p);
        }
        blend(right + i - 2, p + 1);
        for (int y = p + 1; y <= bottom + i - 2; ++y) {
            blend(right + i - 1, y);
        }
        alpha -= step;
    }
}
