#include "DemoTour.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "MainFrame.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

}  // namespace

DemoTour::DemoTour(MainFrame& frame, const QString& folder) : frame_(frame), folder_(folder) {}

bool DemoTour::Save(QWidget* window, const QString& name) {
    Settle();
    const QString path = QDir(folder_).filePath(name);
    if (!window->grab().save(path, "PNG")) {
        ok_ = false;
        return false;
    }
    screenshots_ << path;
    return true;
}

bool DemoTour::Run() {
    if (!QDir().mkpath(folder_)) {
        return false;
    }
    frame_.show();
    Save(&frame_, QStringLiteral("01-main-window-before-log-in.png"));

    // The selection dialog is modal: photograph it and choose the first row
    // while the log-in waits for it.
    bool dialogSeen = false;
    bool loggedIn = false;
    {
        ModalDialogWatcher watcher([&](QWidget* dialog) {
            if (!dialogSeen) {
                dialogSeen = true;
                Save(dialog, QStringLiteral("02-company-selection.png"));
            }
            dialogs_.push_back(PickDialogRow(dialog, 1));
        });
        loggedIn = frame_.LogIn();
    }
    ok_ = ok_ && loggedIn;

    Save(&frame_, QStringLiteral("03-main-window.png"));
    return ok_;
}
