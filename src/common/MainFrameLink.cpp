#include "MainFrameLink.h"

#include <QApplication>
#include <QWidget>

#include "HostServices.h"
#include "ModuleForm.h"
#include "WindowMessage.h"

namespace MainFrameLink {

namespace {

const QLatin1String kMainFrameName("Tfrm_MainFrame");

bool IsMainFrame(const QWidget* widget) {
    return widget->objectName() == kMainFrameName ||
           kMainFrameName == QLatin1String(widget->metaObject()->className());
}

}  // namespace

QWidget* MainWindow() {
    if (!ModuleGuiAvailable()) {
        return nullptr;
    }
    const THandle handle = ModuleLib::GetMainFrameHandle();
    if (handle != 0) {
        if (QWidget* named = QWidget::find(static_cast<WId>(handle))) {
            return named;
        }
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (IsMainFrame(widget)) {
            return widget;
        }
    }
    return nullptr;
}

bool Send(int code, qintptr wParam, qintptr lParam) noexcept {
    try {
        return SendHostMessage(MainWindow(), code, wParam, lParam);
    } catch (...) {
        return false;
    }
}

bool SendText(int code, const QString& text) noexcept {
    try {
        QWidget* target = MainWindow();
        if (target == nullptr) {
            return false;
        }
        return SendHostText(target, code, text, static_cast<qintptr>(ModuleLib::GetAppHandle()));
    } catch (...) {
        return false;
    }
}

}  // namespace MainFrameLink
