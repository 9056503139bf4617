// What the four window bases share: the host context they take at creation,
// the skin, the input-method hook and F1 seen ahead of the window's controls.
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "HostServices.h"

class QWidget;
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

}  // namespace FormBase

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
