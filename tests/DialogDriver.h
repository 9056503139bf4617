// Works a module's modal dialog while the entry point that shows it runs:
// the action gets the dialog once it is up, as an operator would. A driver
// that expected a dialog fails the test when none appeared, so checks placed
// in its action cannot pass by never running.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

class DialogDriver {
  public:
    using Action = std::function<void(QWidget* dialog)>;
    enum class Expect {
        OneDialog,    // the action runs on the first modal dialog shown
        EveryDialog,  // the action runs on each modal dialog, one after the other
        NoDialog,     // a dialog shown is a failure
    };

    explicit DialogDriver(Action action, Expect expect = Expect::OneDialog)
        : action_(std::move(action)), expect_(expect) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(20);
    }

    ~DialogDriver() {
        if (expect_ == Expect::NoDialog) {
            EXPECT_EQ(shown_, 0) << "a dialog appeared where none was expected";
        } else {
            EXPECT_GT(shown_, 0) << "the expected dialog never appeared";
        }
    }

    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    int Shown() const { return shown_; }

    template <typename T>
    static T* Child(QWidget* dialog, const char* name) {
        T* child = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << "no control named " << name;
        return child;
    }

  private:
    void Poll() {
        QWidget* dialog = QApplication::activeModalWidget();
        // A guarded pointer, so a new dialog at a freed one's address still counts.
        if (dialog == nullptr || !dialog->isVisible() || dialog == last_.data()) {
            return;
        }
        last_ = dialog;
        ++shown_;
        if (expect_ == Expect::OneDialog) {
            timer_.stop();
        }
        action_(dialog);
    }

    Action action_;
    Expect expect_;
    QTimer timer_;
    QPointer<QWidget> last_;
    int shown_ = 0;
};
