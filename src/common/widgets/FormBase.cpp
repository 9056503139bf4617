#include "FormBase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <map>
#include <utility>

#include "ColorNumber.h"
#include "MainFrameLink.h"
#include "WindowMessage.h"
#include "XPFamerEdit.h"

namespace FormBase {

namespace {

const QString kImeSection = QStringLiteral("RunParameter");
const QString kImeKey = QStringLiteral("SysIME");
const QString kImeUnchosen = QStringLiteral("-请选择-");
const QString kLatinImeName = QStringLiteral("英语");

// Draws a read-only field on the window's colour and keeps it out of the Tab
// chain, following each change of its read-only state. A click still focuses
// it, so its text can be selected and copied.
class TReadOnlyLook : public QObject {
  public:
    using QObject::QObject;

    static void Apply(QLineEdit* edit) {
        QPalette palette = edit->palette();
        const QPalette usual = QApplication::palette(edit);
        palette.setColor(QPalette::Base, edit->isReadOnly() ? usual.color(QPalette::Window)
                                                            : usual.color(QPalette::Base));
        edit->setPalette(palette);
        // Only a field this took out goes back in: one without Tab focus of its
        // own stays as it was made.
        static const char* const kEditablePolicy = "companymgrEditableFocusPolicy";
        if (edit->isReadOnly() && (edit->focusPolicy() & Qt::TabFocus) != 0) {
            edit->setProperty(kEditablePolicy, static_cast<int>(edit->focusPolicy()));
            edit->setFocusPolicy(Qt::ClickFocus);
        } else if (!edit->isReadOnly() && edit->property(kEditablePolicy).isValid()) {
            edit->setFocusPolicy(
                static_cast<Qt::FocusPolicy>(edit->property(kEditablePolicy).toInt()));
            edit->setProperty(kEditablePolicy, QVariant());
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ReadOnlyChange) {
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
                Apply(edit);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

THostContext LoadHostContext(bool withParentForms) {
    THostContext context;
    context.AppHandle = ModuleLib::GetAppHandle();
    context.MainFrameHandle = ModuleLib::GetMainFrameHandle();
    context.AppPath = ModuleLib::GetAppPath();
    context.CurSubAppPath = ModuleLib::GetCurSubAppPath();
    context.CurSubAppCode = ModuleLib::GetCurSubAppCode();
    context.CurFuncCode = ModuleLib::GetCurFuncCode();
    context.CurSubAppInfo = ModuleLib::GetCurSubAppInfo();
    context.CurSubAppVo = ModuleLib::GetCurSubAppVo();
    context.UserInfoVO = ModuleLib::GetUserInfoVO();
    context.CompanyInfoVO = ModuleLib::GetCompanyInfoVO();
    if (withParentForms) {
        context.CurParentForm = ModuleLib::GetCurParentForm();
        context.MainFrameParentForm = ModuleLib::GetgsMainFrameParentForm();
    }
    context.FuncCode = context.CurFuncCode;
    return context;
}

void SetBackgroundColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor BackgroundColor(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

void ApplyWindowSkin(QWidget* window, QWidget* band, TColor bandColor) {
    // Qt fonts are Unicode throughout, so the host's font character set has
    // nothing to select here.
    const int fontSize = ModuleLib::giSysFontSize();
    if (fontSize > 0) {
        QFont font = window->font();
        font.setPointSize(fontSize);
        window->setFont(font);
    }
    QPalette palette = window->palette();
    const QColor fontColor = ColorFromTColor(ModuleLib::gclSysFontColor());
    palette.setColor(QPalette::WindowText, fontColor);
    palette.setColor(QPalette::Text, fontColor);
    palette.setColor(QPalette::ButtonText, fontColor);
    window->setPalette(palette);
    SetBackgroundColor(window, ColorFromTColor(ModuleLib::gclModuleBackColor()));
    SetBackgroundColor(band, ColorFromTColor(bandColor));
    ModuleLib::SetSkinSchemeCtrls(window);
}

QString ShortcutToolTip(const QString& text, const QKeySequence& keys) {
    return QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText));
}

void HookEditIme(QWidget* window) {
    for (TXPFamerEdit* edit : window->findChildren<TXPFamerEdit*>()) {
        if (!edit->hasEnterHandler()) {
            edit->setEnterHandler(&EditImeEnter);
        }
    }
}

void EditImeEnter(TXPFamerEdit* edit) {
    const TXPFamerEdit::ImeMode mode = edit->imeMode();
    if (mode == TXPFamerEdit::imChinese || mode == TXPFamerEdit::imOpen) {
        edit->setImeMode(TXPFamerEdit::imOpen);
        edit->setImeName(ModuleLib::GetUserConfigParam(kImeSection, kImeKey, kImeUnchosen));
    } else {
        edit->setImeMode(TXPFamerEdit::imClose);
        edit->setImeName(kLatinImeName);
    }
}

void ShowWhole(QLineEdit* edit, const QString& text) {
    if (text.size() > edit->maxLength()) {
        edit->setMaxLength(static_cast<int>(text.size()));
    }
    edit->setText(text);
    edit->setCursorPosition(0);
}

void ShowReadOnlyFieldsAsSuch(QWidget* window) {
    // A palette per field, not a style sheet: a sheet on the window would
    // restyle every control under it, most of the time a page takes to open.
    auto* look = new TReadOnlyLook(window);
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        edit->installEventFilter(look);
        TReadOnlyLook::Apply(edit);
    }
}

void MakeFieldsReadOnly(QWidget* window) {
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        edit->setReadOnly(true);
    }
}

QIcon StandardIcon(const QWidget* widget, QStyle::StandardPixmap which) {
    QStyle* style = widget->style();
    // Keyed by the style's class, not its address, which a later style may reuse.
    static std::map<std::pair<QByteArray, int>, QIcon> icons;
    const std::pair<QByteArray, int> key{style->metaObject()->className(), which};
    auto found = icons.find(key);
    if (found == icons.end()) {
        found = icons.emplace(key, style->standardIcon(which)).first;
    }
    return found->second;
}

}  // namespace FormBase

TFormBase::TFormBase(QWidget* window, bool withParentForms)
    : window_(window), withParentForms_(withParentForms) {}

TFormBase::~TFormBase() = default;

void TFormBase::FormCreate() {
    formCreated_ = true;
    LoadHostContext();
    ApplySkin();
    HookEditIme();
}

void TFormBase::LoadHostContext() {
    context_ = FormBase::LoadHostContext(withParentForms_);
}

void TFormBase::HookEditIme() {
    FormBase::HookEditIme(window_);
}

void TFormBase::CreateOnShow() {
    if (formCreated_) {
        return;
    }
    try {
        FormCreate();
    } catch (...) {
        // A window without its skin is still usable; a throw from an event
        // handler would end the host.
    }
}

bool TFormBase::HandleApplySkin(QEvent* event) {
    const THostMessageEvent* message = THostMessageEvent::Cast(event);
    if (message == nullptr || message->Code() != HostMsg::kApplySkin) {
        return false;
    }
    try {
        ApplySkin();
        HookEditIme();
    } catch (...) {
    }
    return true;
}

namespace {

const QString kUnsavedQuestion = QStringLiteral(
    "修改的内容尚未保存。\n选择“是”保存后关闭，“否”放弃修改并关闭，“取消”继续编辑。");

}  // namespace

TFormBase::CloseAnswer TFormBase::QueryClose() {
    try {
        if (!HasUnsavedEdits()) {
            return CloseAnswer::Close;
        }
        switch (ModuleLib::InfoMsgBox(kUnsavedQuestion, 2)) {
            case 1:
                return SaveEdits() ? CloseAnswer::Saved : CloseAnswer::Stay;
            case 2:
                return CloseAnswer::Close;
            default:
                break;
        }
    } catch (...) {
    }
    return CloseAnswer::Stay;
}

void TFormBase::TellHostSaved() const {
    MainFrameLink::SendText(HostMsg::kFormSaved, FuncCode());
}

TEnterPressesButton::TEnterPressesButton(QWidget* window) : QObject(window), window_(window) {
    // The button gets the key first; only the application sees it before.
    QCoreApplication::instance()->installEventFilter(this);
}

TEnterPressesButton::~TEnterPressesButton() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

bool TEnterPressesButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key->isAutoRepeat()) {
        return false;
    }
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr || !button->isEnabled() || !window_->isAncestorOf(button) ||
        (qobject_cast<QPushButton*>(button) == nullptr &&
         qobject_cast<QToolButton*>(button) == nullptr)) {
        return false;
    }
    button->click();
    return true;
}

TKeyPreview::TKeyPreview(QWidget* window, std::function<void()> onHelp)
    : QObject(window), window_(window), onHelp_(std::move(onHelp)) {
    // Filtering the application is the one place that sees a key before the
    // focused control does, whatever controls the window gains later. The
    // window is a widget, so there is an application.
    QCoreApplication::instance()->installEventFilter(this);
}

TKeyPreview::~TKeyPreview() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

bool TKeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
        !watched->isWidgetType() || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != window_ && !window_->isAncestorOf(widget)) {
        return false;
    }
    // Taking the key here stops it at its first receiver: it neither reaches
    // the control nor travels on to the parents, so help is asked for once.
    event->accept();
    if (type == QEvent::KeyPress && onHelp_) {
        try {
            onHelp_();
        } catch (...) {
        }
    }
    return true;
}
