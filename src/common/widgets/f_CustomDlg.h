// Base of the module's dialogs: a fixed-size window centred on the desktop,
// with a title band (pnlTop with lbBusinessName), a client area, a line
// (Bevel1) and a button row that ends with sBtnClose. It takes the host's
// context at creation, wears the host's skin, reports F1 (1296) and applies
// the skin again on the host's message 1303.
//
// Dialogs are owned by whoever creates them (run them with exec() and read
// their results afterwards). The modal result is mrOk (1) or mrCancel (2);
// closing the window any other way, sBtnClose and Escape included, counts as
// cancel. Enter presses the default button, or the button that has the focus.
// A dialog holding unsaved edits asks before it cancels: saved, it ends with
// mrOk; kept, it stays open.
//
// Without key preview (the default) F1 counts only when the dialog itself has
// the focus; SetKeyPreview(true) makes it count wherever the focus is inside.
//
// Creation is TFormBase's two-phase creation, as for pages: the most derived
// constructor calls FormCreate() as its last step.
//
// The product name in the button row (lbProductName, shown by
// Tfrm_CustomDlgEx) is the host's, from its setting SysCofig/ProductName.
//
//     Tfrm_CompanyAdd::Tfrm_CompanyAdd(QWidget* parent)
//         : Tfrm_CustomDlgEx(parent), ui_(std::make_unique<Ui::frm_CompanyAdd>()) {
//         ui_->setupUi(ClientArea());
//         AddButton(ui_->sBtnConfirm);  // placed before sBtnClose
//         sBtnClose()->setText(QStringLiteral("取消"));
//         SetTitle(QStringLiteral("新增单位"), QStringLiteral("新增单位"));
//         connect(ui_->sBtnConfirm, &QPushButton::clicked, this, &Tfrm_CompanyAdd::Confirm);
//         FormCreate();
//     }
#pragma once

#include <QDialog>

#include <memory>

#include "FormBase.h"

class QAbstractButton;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class TKeyPreview;

namespace Ui {
class frm_CustomDlg;
}

class Tfrm_CustomDlg : public QDialog, public TFormBase {
    Q_OBJECT

  public:
    enum ModalResults { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit Tfrm_CustomDlg(QWidget* parent = nullptr);
    ~Tfrm_CustomDlg() override;

    // Font size and colour and window colour from the host, pnlTop in the
    // host's title band colour, then the host's own skinning.
    void ApplySkin() override;

    // The window caption and the text of the title band.
    void SetTitle(const QString& caption, const QString& moduleName);

    bool KeyPreview() const { return keyPreview_ != nullptr; }
    void SetKeyPreview(bool on);

    // Where a derived dialog sets up its own Ui (no layout of its own).
    QWidget* ClientArea() const;
    QFrame* pnlTop() const;
    QLabel* lbBusinessName() const;
    QFrame* Bevel1() const;
    QLabel* lbProductName() const;
    QPushButton* sBtnClose() const;
    // The row of buttons at the bottom; AddButton moves a button (also one
    // from the derived window's own layouts) into it just before sBtnClose.
    QHBoxLayout* ButtonRow() const;
    void AddButton(QAbstractButton* button);

    // Rejection becomes mrCancel; rejected() is still emitted for it.
    void done(int result) override;
    // Showing leaves the text of the first focused field unselected.
    void setVisible(bool visible) override;
    // Every way of cancelling comes here: asks about unsaved edits first.
    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // A dialog larger than the screen's work area scrolls its client area.
    void FitInto(const QRect& available);

    std::unique_ptr<Ui::frm_CustomDlg> ui_;
    TKeyPreview* keyPreview_ = nullptr;
    bool placed_ = false;
};
