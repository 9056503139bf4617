// Base of the module's plain dialogs: Tfrm_CustomDlg without the title band
// and the line, with the product name in the button row and a dotted frame
// (Shape1) behind everything, filled in the module's background colour.
//
// Creation follows Tfrm_CustomDlg: the most derived constructor calls
// FormCreate() last.
#pragma once

#include "f_CustomDlg.h"

class TShape;

class Tfrm_CustomDlgEx : public Tfrm_CustomDlg {
    Q_OBJECT

  public:
    explicit Tfrm_CustomDlgEx(QWidget* parent = nullptr);
    ~Tfrm_CustomDlgEx() override;

    // Tfrm_CustomDlg's skin, then Shape1 filled with the module background.
    void ApplySkin() override;

    TShape* Shape1() const { return shape1_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    TShape* shape1_;
};
