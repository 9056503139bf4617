// The module's one waiting window: a framed line of text over a moving strip,
// with a soft shadow, shown while a long job keeps the user-interface thread.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class TVeskAnimator;
class TVeskImageList;

namespace Ui {
class frm_Status;
}

class Tfrm_Status : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_Status(QWidget* parent = nullptr);
    ~Tfrm_Status() override;

    void SetStatusText(const QString& text);
    // Shows or hides the moving strip; the first call makes it.
    void SetAnimating(bool on);

    // Deletes the window (deleteLater) once none of its own code is running:
    // showing it runs pending events, and one of them may end it.
    void Release();

    // Null until the window has first been shown.
    TVeskAnimator* Animator() const { return animator_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    friend class TStatusBusy;

    void FormCreate();
    void SetColor(const QColor& color);

    std::unique_ptr<Ui::frm_Status> ui_;
    TVeskImageList* imageListAff_;
    TVeskAnimator* animator_ = nullptr;
    // Depth of the window's own calls that run pending events.
    int busy_ = 0;
    bool released_ = false;
    // The window's colour with the shadow, made on the first paint and kept,
    // since the window never paints its background over it.
    QImage background_;
};

// Creates the window on first use, shows it and sets its text. Does nothing
// without a QApplication.
void ShowStatus(const QString& text);
// Hides the window and lets it go once control is back in the event loop.
void HideStatus();
// The window ShowStatus made, or null.
Tfrm_Status* StatusWindow();

// Frames of the moving strip, each 94 x 7.
void AddProgressStripFrames(TVeskImageList& list);

// Blends a shadow of the given depth into image along the right and bottom
// edges of rect, ring by ring with alphas falling from 128; pixels outside
// the image are skipped. A depth of 0 or less draws nothing.
void DrawDropShadow(QImage& image, const QRect& rect, int depth, const QColor& shadowColor);
