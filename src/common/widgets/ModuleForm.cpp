#include "ModuleForm.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QList>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include "MainFrameLink.h"
#include "WindowMessage.h"

namespace {

// The forms shown so far; one that is gone reads as null.
QList<QPointer<QWidget>>& Shown() {
    static QList<QPointer<QWidget>> forms;
    return forms;
}

// Keeps a docked form the size of a container that has no layout.
class TFillContainer : public QObject {
  public:
    TFillContainer(QWidget* form, QWidget* container) : QObject(form), form_(form) {
        container->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == form_->parentWidget()) {
            form_->setGeometry(form_->parentWidget()->rect());
        }
        return false;
    }

  private:
    QWidget* form_;
};

bool IsWithin(const QWidget* widget, const QWidget* ancestor) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (widget == ancestor) {
            return true;
        }
    }
    return false;
}

void Dock(QWidget* form, QWidget* container) {
    form->setParent(container, Qt::Widget);
    if (QLayout* layout = container->layout()) {
        layout->addWidget(form);
    } else {
        form->setGeometry(container->rect());
        new TFillContainer(form, container);
    }
    form->show();
}

void SetHelpPage(const QString& helpFile, const QString& messageText) {
    QString page = helpFile;
    if (page.isEmpty()) {
        QString rest = messageText;
        QString field;
        ModuleLib::FetchHeadstrTrim(true, QStringLiteral("|"), rest, field);
        ModuleLib::FetchHeadstrTrim(false, QStringLiteral("|"), rest, field);
        page = field + QStringLiteral(".htm");
    }
    ModuleLib::SetgsHelpHtml(page);
}

void TellHostShown(QWidget* form, const QString& modalFormMsg, bool helpFlag,
                   const QString& helpFile, bool flag) {
    if (modalFormMsg.isEmpty()) {
        return;
    }
    const QString text = modalFormMsg + QLatin1Char('|') + QString::number(form->winId()) +
                         QLatin1Char('|') + QLatin1Char(helpFlag ? '1' : '0') + QLatin1Char('|') +
                         QLatin1Char(flag ? '1' : '0');
    if (helpFlag) {
        SetHelpPage(helpFile, text);
    }
    MainFrameLink::SendText(HostMsg::kFormShown, text);
}

// The frame a window manager puts around a window, as it did for the main
// window: a window's frame is only known once it is shown.
QMargins FrameMargins(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void ShowFree(QWidget* form) {
    form->setWindowFlags(form->windowFlags() | Qt::Window | Qt::WindowStaysOnTopHint);
    if (!form->testAttribute(Qt::WA_Resized)) {
        form->adjustSize();
    }
    QRect area;
    QMargins margins;
    if (QWidget* mainWindow = MainFrameLink::MainWindow()) {
        area = mainWindow->frameGeometry();
        margins = FrameMargins(mainWindow);
    } else if (QScreen* screen = form->screen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        // Before it is shown, a window's position is that of its frame.
        QRect frame = QRect(QPoint(0, 0), form->size()).marginsAdded(margins);
        frame.moveCenter(area.center());
        form->move(frame.topLeft());
    }
    form->show();
}

}  // namespace

bool ModuleGuiAvailable() {
    const QCoreApplication* app = QCoreApplication::instance();
    return qobject_cast<const QApplication*>(app) != nullptr && !QCoreApplication::closingDown() &&
           app->thread() == QThread::currentThread();
}

bool ShowModuleForm(THandle parent, QWidget* form, const QString& modalFormMsg, bool helpFlag,
                    const QString& helpFile, const QString& caption, bool flag) {
    if (form == nullptr || !ModuleGuiAvailable()) {
        return false;
    }
    QWidget* container = nullptr;
    try {
        if (!caption.isEmpty()) {
            form->setWindowTitle(caption);
        }
        container = parent != 0 ? QWidget::find(static_cast<WId>(parent)) : nullptr;
        if (container != nullptr && !IsWithin(container, form)) {
            Dock(form, container);
        } else {
            container = nullptr;
            ShowFree(form);
        }
    } catch (...) {
        return false;
    }
    if (container != nullptr) {
        // The form is the container's now, whatever the host makes of the news.
        try {
            TellHostShown(form, modalFormMsg, helpFlag, helpFile, flag);
        } catch (...) {
        }
    }
    if (form->isHidden()) {
        return false;
    }
    Shown().removeAll(nullptr);
    Shown().append(form);
    return true;
}

QList<QWidget*> ShownModuleForms() {
    Shown().removeAll(nullptr);
    QList<QWidget*> forms;
    for (const QPointer<QWidget>& form : Shown()) {
        forms.append(form.data());
    }
    return forms;
}
