#include "f_CustomForm.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTextEdit>
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
    new TEnterPressesButton(this);
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
    // A tool bar keeps its buttons out of the Tab chain; a page is worked by
    // keyboard too.
    button->setFocusPolicy(Qt::TabFocus);
    AddPageShortcut(action);
    return button;
}

void Tfrm_Custom::AddPageShortcut(QAction* action) {
    // The page sits in the host's window beside the host's own panels: its
    // keys act only while the focus is inside it. An action with a narrower
    // context of its own keeps it.
    if (action->shortcutContext() == Qt::WindowShortcut) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    const QList<QKeySequence> keys = action->shortcuts();
    if (!keys.isEmpty()) {
        action->setToolTip(FormBase::ShortcutToolTip(action->iconText(), keys.first()));
    }
}

bool Tfrm_Custom::event(QEvent* event) {
    const THostMessageEvent* message = THostMessageEvent::Cast(event);
    if (message != nullptr && message->Code() == HostMsg::kClosePage) {
        // The answer tells the host whether the page went.
        try {
            return close();
        } catch (...) {
            return false;
        }
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

void Tfrm_Custom::closeEvent(QCloseEvent* event) {
    event->setAccepted(AllowClose());
}

bool Tfrm_Custom::AllowClose() {
    if (!closeAllowed_) {
        closeAllowed_ = QueryClose() != CloseAnswer::Stay;
    }
    return closeAllowed_;
}

void Tfrm_Custom::CloseSaved() {
    closeAllowed_ = true;
    close();
}

void Tfrm_Custom::showEvent(QShowEvent* event) {
    CreateOnShow();
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        FocusFirstField();
    }
}

namespace {

// A field takes what is typed; scroll areas, tab bars and buttons do not.
bool IsField(const QWidget* widget) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return !edit->isReadOnly();
    }
    return qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr;
}

}  // namespace

void Tfrm_Custom::FocusFirstField() {
    // Keys typed into a page that just came up go to it, not to whatever the
    // host had focused; a field already focused inside stays.
    const QWidget* focus = window()->focusWidget();
    if (focus != nullptr && isAncestorOf(focus) && IsField(focus)) {
        return;
    }
    QWidget* client = ClientArea();
    QWidget* first = nullptr;
    for (QWidget* next = client->nextInFocusChain(); next != client;
         next = next->nextInFocusChain()) {
        if (client->isAncestorOf(next) && next->isVisibleTo(this) && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) != 0) {
            if (IsField(next)) {
                first = next;
                break;
            }
            if (first == nullptr) {
                first = next;
            }
        }
    }
    if (first != nullptr) {
        first->setFocus(Qt::OtherFocusReason);
    }
}
