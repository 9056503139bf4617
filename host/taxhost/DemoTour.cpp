#include "DemoTour.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

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
    // from a timer while the log-in waits for it.
    bool dialogSeen = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible() || dialogSeen) {
            return;
        }
        dialogSeen = true;
        Save(dialog, QStringLiteral("02-company-selection.png"));
        auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("vstCompList"));
        auto* confirm = dialog->findChild<QAbstractButton*>(QStringLiteral("sBtnConfirm"));
        if (list != nullptr && confirm != nullptr && list->model()->rowCount() > 0) {
            list->setCurrentIndex(list->model()->index(0, 0));
            confirm->click();
        } else {
            dialog->close();
        }
    });
    watcher.start(50);
    const bool loggedIn = frame_.LogIn();
    watcher.stop();
    ok_ = ok_ && loggedIn;

    Save(&frame_, QStringLiteral("03-main-window.png"));
    return ok_;
}
