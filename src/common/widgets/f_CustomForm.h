// Base of the module's embedded pages.
//
// A page is a plain widget that the host docks into one of its containers or
// shows on its own (ShowModuleForm). Pages are created with new: a page
// deletes itself when it is closed, and tells the host's main window when it
// is destroyed (1302 with FuncCode). It takes the host's context at creation,
// wears the host's skin, sees F1 ahead of its controls (1296), tells the host
// when it becomes active, closes on the host's message 1280 and applies the
// skin again on 1303.
//
// However it is closed (its own buttons, the host's 1280, the host going
// away), a page holding unsaved edits asks the operator first and stays open
// when he keeps them; 1280 is then refused, so the host knows.
//
// Creation is TFormBase's two-phase creation: the constructor of the most
// derived class calls FormCreate() as its last step.
//
// A derived page has its own .ui whose root is a plain QWidget, set up into
// ClientArea() (which has no layout of its own), and adds its tool buttons to
// ModuleToolbar():
//
//     Tfrm_CompanyManage::Tfrm_CompanyManage(QWidget* parent)
//         : Tfrm_CustomEx(parent), ui_(std::make_unique<Ui::frm_CompanyManage>()) {
//         ui_->setupUi(ClientArea());
//         AddToolAction(ui_->actCompanyAdd, QStringLiteral("tbtCompanyAdd"));
//         connect(ui_->actCompanyAdd, &QAction::triggered, this, &Tfrm_CompanyManage::Add);
//         FormCreate();
//     }
#pragma once

#include <QWidget>

#include <memory>

#include "FormBase.h"

class QAction;
class QFrame;
class QToolBar;
class QToolButton;

namespace Ui {
class frm_Custom;
}

class Tfrm_Custom : public QWidget, public TFormBase {
    Q_OBJECT

  public:
    explicit Tfrm_Custom(QWidget* parent = nullptr);
    ~Tfrm_Custom() override;

    // Font size and colour and window colour from the host, the toolbar in
    // the host's toolbar colour, then the host's own skinning.
    void ApplySkin() override;

    // Where a derived page sets up its own Ui.
    QWidget* ClientArea() const;
    QToolBar* ModuleToolbar() const;
    QFrame* Shape1() const;
    // Adds an action to ModuleToolbar as a button of the page's size
    // (85 x 30, caption beside a 24 x 24 image) named buttonName, the name the
    // host and scripts press it by.
    // The button takes Tab focus; the action's shortcuts go as
    // AddPageShortcut says, so set them first.
    QWidget* AddToolAction(QAction* action, const QString& buttonName);
    // The action's shortcuts work while the focus is inside the page (unless
    // the action has a narrower context), and its tooltip names the first.
    void AddPageShortcut(QAction* action);

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // True when the page may close: asks about unsaved edits, once.
    bool AllowClose();
    // Closes the page whose edits were just saved, without asking.
    void CloseSaved();

  private:
    // The first control of the client area that Tab reaches.
    void FocusFirstField();

    std::unique_ptr<Ui::frm_Custom> ui_;
    // Once the operator let the page go, every later close goes unasked.
    bool closeAllowed_ = false;
};
