#include "f_CustomForm.h"

#include <QAction>
#include <QToolBar>

#include "MainFrameLink.h"
#include "WindowMessage.h"
#include "ui_f_CustomForm.h"

namespace {

constexpr QSize kToolButtonSize(85, 30);

}  // namespace

Tfrm_Custom::Tfrm_Custom(QWidget* parent)
    : QWidget(parent), TFormBase(this, true), ui_(std::make_unique<Ui::frm_Custom>()) {
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    new TKeyPreview(this, [] { MainFrameLink::Send(HostMsg::kHelp, 0, 0); });
}

Tfrm_Custom::~Tfrm_Custom() {
    MainFrameLink::SendText(HostMsg::kFormDestroyed, FuncCode());
}

void Tfrm_Custom::ApplySkin() {
    FormBase::ApplyWindowSkin(this, ui_->ModuleToolbar, ModuleLib::gclModuleToolBarColor());
}

QWidget* Tfrm_Custom::ClientArea() const {
    return ui_->pnlClient;
}

QToolBar* Tfrm_Custom::ModuleToolbar() const {
    return ui_->ModuleToolbar;
}

QFrame* Tfrm_Custom::Shape1() const {
    return ui_->Shape1;
}

QWidget* Tfrm_Custom::AddToolAction(QAction* action, const QString& buttonName) {
    ui_->ModuleToolbar->addAction(action);
    // A tool bar makes a tool button for every action that is no widget action.
    QWidget* button = ui_->ModuleToolbar->widgetForAction(action);
    button->setObjectName(buttonName);
    button->setMinimumSize(kToolButtonSize);
    return button;
}

bool Tfrm_Custom::event(QEvent* event) {
    const THostMessageEvent* message = THostMessageEvent::Cast(event);
    if (message != nullptr && message->Code() == HostMsg::kClosePage) {
        try {
            close();
        } catch (...) {
        }
        return true;
    }
    if (HandleApplySkin(event)) {
        return true;
    }
    return QWidget::event(event);
}

void Tfrm_Custom::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The host frame would otherwise draw its caption as inactive while a
    // module page has the focus.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        MainFrameLink::Send(HostMsg::kNcActivate, 1, 0);
    }
}

void Tfrm_Custom::showEvent(QShowEvent* event) {
    CreateOnShow();
    QWidget::showEvent(event);
}
