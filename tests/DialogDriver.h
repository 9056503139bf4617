// Works a module's modal dialog while the entry point that shows it runs:
// the action gets the dialog once it is up, as an operator would.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

class DialogDriver {
  public:
    using Action = std::function<void(QWidget* dialog)>;

    // Runs action on the next modal dialog shown.
    explicit DialogDriver(Action action) : action_(std::move(action)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(20);
    }

    // Runs action on every modal dialog shown, one after the other.
    DialogDriver(Action action, bool everyDialog) : DialogDriver(std::move(action)) {
        everyDialog_ = everyDialog;
    }

    int Shown() const { return shown_; }

    template <typename T>
    static T* Child(QWidget* dialog, const char* name) {
        return dialog->findChild<T*>(QLatin1String(name));
    }

  private:
    void Poll() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible() || dialog == last_) {
            return;
        }
        last_ = dialog;
        ++shown_;
        if (!everyDialog_) {
            timer_.stop();
        }
        action_(dialog);
    }

    Action action_;
    QTimer timer_;
    QWidget* last_ = nullptr;
    bool everyDialog_ = false;
    int shown_ = 0;
};
