#include "WindowMessage.h"

#include <QCoreApplication>
#include <QThread>

namespace {

bool Deliver(QObject* target, THostMessageEvent& event) {
    // Synchronous delivery only works on the target's own thread.
    if (target == nullptr || QCoreApplication::instance() == nullptr ||
        target->thread() != QThread::currentThread()) {
        return false;
    }
    return QCoreApplication::sendEvent(target, &event);
}

}  // namespace

QEvent::Type THostMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

THostMessageEvent* THostMessageEvent::Cast(QEvent* event) {
    return event != nullptr && event->type() == EventType() ? static_cast<THostMessageEvent*>(event)
                                                            : nullptr;
}

THostMessageEvent::THostMessageEvent(int code, qintptr wParam, qintptr lParam)
    : QEvent(EventType()), code_(code), wParam_(wParam), lParam_(lParam), copyData_(false) {}

THostMessageEvent::THostMessageEvent(int code, const QString& text, qintptr wParam)
    : QEvent(EventType()), code_(code), wParam_(wParam), lParam_(0), copyData_(true), text_(text) {}

THostMessageEvent::~THostMessageEvent() = default;

bool SendHostMessage(QObject* target, int code, qintptr wParam, qintptr lParam) {
    THostMessageEvent event(code, wParam, lParam);
    return Deliver(target, event);
}

bool SendHostText(QObject* target, int code, const QString& text, qintptr wParam) {
    THostMessageEvent event(code, text, wParam);
    return Deliver(target, event);
}
