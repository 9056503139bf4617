// Base of the pages the host can maximise: Tfrm_Custom plus the page buttons
// at the right end of ModuleToolbar (restore, maximise, close) and the page
// state. The buttons tell the host what to do with its frame (1329 "max" or
// "reset"); the host does the resizing.
//
// Creation follows Tfrm_Custom: the most derived constructor calls
// FormCreate() last, which here also sets the page state to normal.
#pragma once

#include <memory>

#include "f_CustomForm.h"

class QFrame;
class QToolButton;

namespace Ui {
class frm_CustomEx;
}

class Tfrm_CustomEx : public Tfrm_Custom {
    Q_OBJECT

  public:
    enum PageStates { psNormal = 1, psMaximised = 2 };

    explicit Tfrm_CustomEx(QWidget* parent = nullptr);
    ~Tfrm_CustomEx() override;

    // Tfrm_Custom's creation, then page state normal.
    void FormCreate() override;
    // Tfrm_Custom's skin, then pnlToolResize in the toolbar's colour.
    void ApplySkin() override;

    // 1 shows the maximise button and hides the restore button, 2 the
    // reverse; any other value is only stored.
    int PageState() const { return pageState_; }
    void SetPageState(int state);

    QFrame* pnlToolResize() const { return pnlToolResize_; }
    QToolButton* spToolPageForm() const;
    QToolButton* spToolPageMax() const;
    QToolButton* spToolPageClose() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void PageMaxClick();
    void PageFormClick();
    void PageCloseClick();
    // Over the toolbar: 2 pixels below its top, flush with its right end.
    void PlaceToolResize();

    QFrame* pnlToolResize_;
    std::unique_ptr<Ui::frm_CustomEx> uiEx_;
    int pageState_ = 0;
};
