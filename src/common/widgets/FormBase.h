// What the four window bases share: the creation steps (TFormBase), the host
// context they take at creation, the skin, the input-method hook and F1 seen
// ahead of the window's controls.
#pragma once

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStyle>

#include <functional>

#include "HostServices.h"

class QEvent;
class QKeySequence;
class QWidget;
class QLineEdit;
class TXPFamerEdit;

// Taken from the host once, when the window is created; never refreshed.
struct THostContext {
    QString FuncCode;  // the function the window was opened for
    THandle AppHandle = 0;
    THandle MainFrameHandle = 0;
    QString AppPath;
    QString CurSubAppPath;
    QString CurSubAppCode;
    QString CurFuncCode;
    const TSubAppInfo* CurSubAppInfo = nullptr;
    TObject* CurSubAppVo = nullptr;
    TDataVO* UserInfoVO = nullptr;     // owned by the host
    TDataVO* CompanyInfoVO = nullptr;  // owned by the host
    // Pages only; dialogs leave them empty.
    QPointer<QWidget> CurParentForm;
    QPointer<QWidget> MainFrameParentForm;
};

namespace FormBase {

// Asks the host in the order of the fields above, then copies CurFuncCode
// into FuncCode.
THostContext LoadHostContext(bool withParentForms);

// Paints the widget's own background in the colour.
void SetBackgroundColor(QWidget* widget, const QColor& color);
QColor BackgroundColor(const QWidget* widget);

// Font size and colour and window colour for a whole window, then the colour
// of its top band (toolbar or title band), then the host's own skinning.
void ApplyWindowSkin(QWidget* window, QWidget* band, TColor bandColor);

// Gives every skinned edit of the window without an enter handler of its own
// the input-method switch of EditImeEnter.
void HookEditIme(QWidget* window);
// Chinese or open mode: open, with the operator's chosen input method;
// anything else: closed, Latin input.
void EditImeEnter(TXPFamerEdit* edit);

// Shows a stored text whole, from its start: the field's maximum length grows
// for it, since Qt would cut it and a save would write the cut text back.
void ShowWhole(QLineEdit* edit, const QString& text);
// Fields the operator cannot change are drawn on the window's colour, so they
// do not look like ones he can, and Tab passes them by.
void ShowReadOnlyFieldsAsSuch(QWidget* window);
// Makes every field of the window read-only.
void MakeFieldsReadOnly(QWidget* window);
// The style's standard icon, read from its image files once per process.
QIcon StandardIcon(const QWidget* widget, QStyle::StandardPixmap which);
// A tooltip that names the key doing the same: "保存 (Ctrl+S)".
QString ShortcutToolTip(const QString& text, const QKeySequence& keys);

}  // namespace FormBase

// The creation steps both window bases share, written once: the page base
// (Tfrm_Custom) and the dialog base (Tfrm_CustomDlg) derive from this beside
// their widget class and call it from their showEvent and event.
//
// Two-phase creation: ApplySkin is virtual, and a base constructor cannot reach
// an override. So the base constructor only builds the base controls, and the
// constructor of the most derived class calls FormCreate() as its last step,
// once its own controls exist. A window shown before FormCreate ran gets it
// then.
class TFormBase {
  public:
    virtual ~TFormBase();
    TFormBase(const TFormBase&) = delete;
    TFormBase& operator=(const TFormBase&) = delete;

    // LoadHostContext, then ApplySkin, then HookEditIme. Called by the most
    // derived constructor; overrides call the base first.
    virtual void FormCreate();
    // Takes the host context, FuncCode included.
    void LoadHostContext();
    // Font size and colour and window colour from the host, the window's top
    // band in its own colour, then the host's own skinning.
    virtual void ApplySkin() = 0;
    // Switches the input method of every skinned edit that has no enter
    // handler of its own (FormBase::EditImeEnter).
    void HookEditIme();

    // Edits the operator made and has not saved yet; windows that edit
    // nothing never hold any.
    virtual bool HasUnsavedEdits() { return false; }
    // Saves those edits as the window's save button does, telling the
    // operator as it does, but without closing; true when they were stored.
    virtual bool SaveEdits() { return false; }

    const THostContext& HostContext() const { return context_; }
    const QString& FuncCode() const { return context_.FuncCode; }
    bool IsFormCreated() const { return formCreated_; }

  protected:
    enum class CloseAnswer {
        Close,  // nothing unsaved, or the operator gave it up
        Saved,  // the operator had it saved first
        Stay,   // the operator keeps his edits, or the save failed
    };

    // window is the widget this is a base of; pages also take the host's
    // parent forms into their context, dialogs leave them empty.
    TFormBase(QWidget* window, bool withParentForms);

    // For showEvent: FormCreate, unless it ran already. Never throws.
    void CreateOnShow();
    // For event: the host's 1303 applies the skin again (and hooks edits
    // added since). True when the event was that message; never throws.
    bool HandleApplySkin(QEvent* event);
    // Every way of closing a window asks this first: with edits unsaved the
    // operator chooses to save them, to give them up or to stay. Never
    // throws; a failure keeps the window and its edits.
    CloseAnswer QueryClose();
    // A save tells the host, which may note it where the operator looks.
    void TellHostSaved() const;

  private:
    QWidget* window_;
    bool withParentForms_;
    THostContext context_;
    bool formCreated_ = false;
};

// Enter (or the keypad's) on a focused push or tool button of the window
// presses it, as Space does: a dialog would press its default button instead,
// and a tool button takes no Enter at all. Owned by the window.
class TEnterPressesButton : public QObject {
  public:
    explicit TEnterPressesButton(QWidget* window);
    ~TEnterPressesButton() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
};

// F1 for a window, seen before any of its controls can act on it: the window
// gets it once per key press wherever the focus is inside it, and the key goes
// no further. Also claims F1 from the application's shortcuts while the focus
// is inside the window. Owned by the window.
class TKeyPreview : public QObject {
  public:
    TKeyPreview(QWidget* window, std::function<void()> onHelp);
    ~TKeyPreview() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::function<void()> onHelp_;
};
