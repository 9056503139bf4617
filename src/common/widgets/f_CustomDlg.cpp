#include "f_CustomDlg.h"

#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

#include "MainFrameLink.h"
#include "WindowMessage.h"
#include "ui_f_CustomDlg.h"

namespace {

// What the product is called is the host's to say; the module's own name
// never shows.
const QString kProductNameSection = QStringLiteral("SysCofig");
const QString kProductNameKey = QStringLiteral("ProductName");
const QString kDefaultProductName = QStringLiteral("纳税申报客户端");

void SendHelp() {
    MainFrameLink::Send(HostMsg::kHelp, 0, 0);
}

}  // namespace

Tfrm_CustomDlg::Tfrm_CustomDlg(QWidget* parent)
    : QDialog(parent), TFormBase(this, false), ui_(std::make_unique<Ui::frm_CustomDlg>()) {
    ui_->setupUi(this);
    ui_->lbProductName->setText(
        ModuleLib::GetSysConfigParam(kProductNameSection, kProductNameKey, kDefaultProductName));
    // A single border with the system menu only: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    connect(ui_->sBtnClose, &QPushButton::clicked, this, &Tfrm_CustomDlg::reject);
    new TEnterPressesButton(this);
}

Tfrm_CustomDlg::~Tfrm_CustomDlg() = default;

void Tfrm_CustomDlg::ApplySkin() {
    FormBase::ApplyWindowSkin(this, ui_->pnlTop, ModuleLib::gclTopBarColor());
}

void Tfrm_CustomDlg::SetTitle(const QString& caption, const QString& moduleName) {
    setWindowTitle(caption);
    ui_->lbBusinessName->setText(moduleName);
}

void Tfrm_CustomDlg::SetKeyPreview(bool on) {
    if (on && keyPreview_ == nullptr) {
        keyPreview_ = new TKeyPreview(this, &SendHelp);
    } else if (!on && keyPreview_ != nullptr) {
        delete keyPreview_;
        keyPreview_ = nullptr;
    }
}

QWidget* Tfrm_CustomDlg::ClientArea() const {
    return ui_->pnlClient;
}

QFrame* Tfrm_CustomDlg::pnlTop() const {
    return ui_->pnlTop;
}

QLabel* Tfrm_CustomDlg::lbBusinessName() const {
    return ui_->lbBusinessName;
}

QFrame* Tfrm_CustomDlg::Bevel1() const {
    return ui_->Bevel1;
}

QLabel* Tfrm_CustomDlg::lbProductName() const {
    return ui_->lbProductName;
}

QPushButton* Tfrm_CustomDlg::sBtnClose() const {
    return ui_->sBtnClose;
}

QHBoxLayout* Tfrm_CustomDlg::ButtonRow() const {
    return ui_->layButtons;
}

void Tfrm_CustomDlg::AddButton(QAbstractButton* button) {
    // A button designed in the derived window's own layout leaves it: a layout
    // taking a widget takes it out of its parent's layout, nested rows too.
    ui_->layButtons->insertWidget(ui_->layButtons->indexOf(ui_->sBtnClose), button);
}

void Tfrm_CustomDlg::done(int result) {
    if (result != QDialog::Rejected) {
        QDialog::done(result);
        return;
    }
    QDialog::done(mrCancel);
    emit rejected();
}

void Tfrm_CustomDlg::setVisible(bool visible) {
    const bool opening = visible && !isVisible();
    QDialog::setVisible(visible);
    // QDialog hands the first focus over as Tab would, and a line edit then
    // selects all its text: the first key typed would overwrite it.
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()); opening && edit != nullptr) {
        edit->deselect();
    }
}

void Tfrm_CustomDlg::reject() {
    switch (QueryClose()) {
        case CloseAnswer::Close:
            QDialog::reject();
            return;
        case CloseAnswer::Saved:
            // A dialog whose save ends it has ended already.
            if (isVisible()) {
                done(mrOk);
            }
            return;
        case CloseAnswer::Stay:
            return;
    }
}

bool Tfrm_CustomDlg::event(QEvent* event) {
    if (HandleApplySkin(event)) {
        return true;
    }
    return QDialog::event(event);
}

void Tfrm_CustomDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        // A control that ignores F1 passes it up to us: that is not the
        // dialog's own key press.
        QWidget* focus = focusWidget();
        if (focus == nullptr || focus == this) {
            SendHelp();
            event->accept();
            return;
        }
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // QDialog presses push buttons only; the tool buttons some dialogs
        // carry answer Enter too when they have the focus.
        auto* button = qobject_cast<QAbstractButton*>(focusWidget());
        if (button != nullptr && qobject_cast<QPushButton*>(button) == nullptr) {
            if (button->isEnabled()) {
                button->click();
            }
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void Tfrm_CustomDlg::FitInto(const QRect& available) {
    // The window manager's frame is not known before the first show: room
    // for a title bar and borders of up to 8 pixels is kept.
    constexpr int kBorders = 16;
    const QSize frame(kBorders,
                      style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + kBorders);
    const QSize room = available.size() - frame;
    if (size().width() <= room.width() && size().height() <= room.height()) {
        return;
    }
    // Too large for the screen (a small one, or a large scale): the client
    // area scrolls and the buttons below it stay in reach.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scbClient"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    // A scroll bar in one direction takes room the other had.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
    QSize wanted = size();
    wanted +=
        QSize(wanted.height() > room.height() ? bar : 0, wanted.width() > room.width() ? bar : 0);
    delete layout()->replaceWidget(ui_->pnlClient, scroller);  // the item that held it
    scroller->setWidget(ui_->pnlClient);
    layout()->activate();  // the window's smallest size is now the scroller's
    resize(wanted.boundedTo(room));
}

void Tfrm_CustomDlg::showEvent(QShowEvent* event) {
    CreateOnShow();
    if (!placed_) {
        placed_ = true;
        if (QScreen* desktop = screen()) {
            FitInto(desktop->availableGeometry());
            if (!testAttribute(Qt::WA_Moved)) {
                QRect frame = geometry();
                frame.moveCenter(desktop->availableGeometry().center());
                move(frame.topLeft());
            }
        }
        setFixedSize(size());
    }
    QDialog::showEvent(event);
}
