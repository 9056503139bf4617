// Window messages between the module's windows and the host's main window.
// Both sides exchange them as one event type, sent synchronously; the type is
// registered here, in the library host and module share, so that both agree
// on its number.
#pragma once

#include <QEvent>
#include <QString>

#include "SharedApi.h"

class QObject;

namespace HostMsg {

inline constexpr int kClosePage = 1280;      // host -> page: close, unless the operator keeps edits
inline constexpr int kFormShown = 1282;      // text: a window was docked into a host container
inline constexpr int kHelp = 1296;           // F1 pressed, wParam 0, lParam 0
inline constexpr int kFormDestroyed = 1302;  // text: FuncCode of a page being destroyed
inline constexpr int kApplySkin = 1303;      // host -> window: apply the skin again
inline constexpr int kPageState = 1329;      // text: "max" or "reset"
inline constexpr int kFormSaved = 1330;      // text: FuncCode of a window that saved its edits
inline constexpr int kNcActivate = 134;      // a page became active, wParam 1, lParam 0

}  // namespace HostMsg

// One window message. A plain message carries code, wParam and lParam; a
// copy-data message carries its code (the data word), the sender's
// application handle in wParam and a text.
class SHARED_API THostMessageEvent : public QEvent {
  public:
    // The registered event type, the same in every library of the process.
    static QEvent::Type EventType();
    // The event as a host message, or null when it is another event.
    static THostMessageEvent* Cast(QEvent* event);

    THostMessageEvent(int code, qintptr wParam, qintptr lParam);
    THostMessageEvent(int code, const QString& text, qintptr wParam);
    ~THostMessageEvent() override;

    int Code() const { return code_; }
    qintptr WParam() const { return wParam_; }
    qintptr LParam() const { return lParam_; }
    bool IsCopyData() const { return copyData_; }
    const QString& Text() const { return text_; }

  private:
    int code_;
    qintptr wParam_;
    qintptr lParam_;
    bool copyData_;
    QString text_;
};

// Deliver a message to a window before returning. False when there is no
// target or no application to deliver through, or the target ignored it.
SHARED_API bool SendHostMessage(QObject* target, int code, qintptr wParam = 0, qintptr lParam = 0);
SHARED_API bool SendHostText(QObject* target, int code, const QString& text, qintptr wParam = 0);
