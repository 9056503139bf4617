#include "XPFamerEdit.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>

namespace {

constexpr Qt::InputMethodHints kLatinHints = Qt::ImhLatinOnly | Qt::ImhPreferLatin;

}  // namespace

TXPFamerEdit::TXPFamerEdit(QWidget* parent) : QLineEdit(parent) {}

void TXPFamerEdit::setImeMode(ImeMode mode) {
    const ImeMode previous = imeMode_;
    imeMode_ = mode;

    Qt::InputMethodHints hints = inputMethodHints() & ~kLatinHints;
    if (mode == imClose) {
        hints |= kLatinHints;
    }
    setInputMethodHints(hints);
    if (mode == imDisable) {
        setAttribute(Qt::WA_InputMethodEnabled, false);
    } else if (previous == imDisable) {
        // Password echo keeps the input method off on its own account.
        setAttribute(Qt::WA_InputMethodEnabled, echoMode() == Normal);
    }
    if (hasFocus()) {
        QGuiApplication::inputMethod()->update(Qt::ImHints | Qt::ImEnabled);
    }
}

void TXPFamerEdit::setImeName(const QString& name) {
    imeName_ = name;
}

void TXPFamerEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (!enterHandler_ || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        return;
    }
    try {
        enterHandler_(this);
    } catch (...) {
        // A focus change must never fail; the edit just keeps its mode.
    }
}
