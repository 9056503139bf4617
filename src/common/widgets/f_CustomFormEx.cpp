#include "f_CustomFormEx.h"

#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "FormBase.h"
#include "MainFrameLink.h"
#include "WindowMessage.h"
#include "ui_f_CustomFormEx.h"

namespace {

const QString kMaximised = QStringLiteral("max");
const QString kRestored = QStringLiteral("reset");

}  // namespace

Tfrm_CustomEx::Tfrm_CustomEx(QWidget* parent)
    : Tfrm_Custom(parent),
      pnlToolResize_(new QFrame(this)),
      uiEx_(std::make_unique<Ui::frm_CustomEx>()) {
    uiEx_->setupUi(pnlToolResize_);
    uiEx_->spToolPageForm->setIcon(FormBase::StandardIcon(this, QStyle::SP_TitleBarNormalButton));
    uiEx_->spToolPageMax->setIcon(FormBase::StandardIcon(this, QStyle::SP_TitleBarMaxButton));
    uiEx_->spToolPageClose->setIcon(FormBase::StandardIcon(this, QStyle::SP_TitleBarCloseButton));
    connect(uiEx_->spToolPageMax, &QToolButton::clicked, this, &Tfrm_CustomEx::PageMaxClick);
    connect(uiEx_->spToolPageForm, &QToolButton::clicked, this, &Tfrm_CustomEx::PageFormClick);
    connect(uiEx_->spToolPageClose, &QToolButton::clicked, this, &Tfrm_CustomEx::PageCloseClick);
    pnlToolResize_->adjustSize();
}

Tfrm_CustomEx::~Tfrm_CustomEx() = default;

void Tfrm_CustomEx::FormCreate() {
    Tfrm_Custom::FormCreate();
    SetPageState(psNormal);
}

void Tfrm_CustomEx::ApplySkin() {
    Tfrm_Custom::ApplySkin();
    FormBase::SetBackgroundColor(pnlToolResize_, FormBase::BackgroundColor(ModuleToolbar()));
}

void Tfrm_CustomEx::SetPageState(int state) {
    pageState_ = state;
    if (state != psNormal && state != psMaximised) {
        return;
    }
    uiEx_->spToolPageMax->setVisible(state == psNormal);
    uiEx_->spToolPageForm->setVisible(state == psMaximised);
    pnlToolResize_->adjustSize();
    PlaceToolResize();
}

QToolButton* Tfrm_CustomEx::spToolPageForm() const {
    return uiEx_->spToolPageForm;
}

QToolButton* Tfrm_CustomEx::spToolPageMax() const {
    return uiEx_->spToolPageMax;
}

QToolButton* Tfrm_CustomEx::spToolPageClose() const {
    return uiEx_->spToolPageClose;
}

void Tfrm_CustomEx::resizeEvent(QResizeEvent* event) {
    Tfrm_Custom::resizeEvent(event);
    PlaceToolResize();
}

void Tfrm_CustomEx::showEvent(QShowEvent* event) {
    Tfrm_Custom::showEvent(event);
    PlaceToolResize();
}

void Tfrm_CustomEx::PageMaxClick() {
    MainFrameLink::SendText(HostMsg::kPageState, kMaximised);
    SetPageState(psMaximised);
}

void Tfrm_CustomEx::PageFormClick() {
    MainFrameLink::SendText(HostMsg::kPageState, kRestored);
    SetPageState(psNormal);
}

void Tfrm_CustomEx::PageCloseClick() {
    // Asked first: a page the operator keeps open stays maximised.
    if (!AllowClose()) {
        return;
    }
    // The host's frame must be back to normal before the page goes.
    if (pageState_ == psMaximised) {
        MainFrameLink::SendText(HostMsg::kPageState, kRestored);
    }
    close();
}

void Tfrm_CustomEx::PlaceToolResize() {
    const QRect toolbar = ModuleToolbar()->geometry();
    pnlToolResize_->raise();
    pnlToolResize_->move(toolbar.right() + 1 - pnlToolResize_->width(), toolbar.top() + 2);
}
