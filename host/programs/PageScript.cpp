#include "PageScript.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

namespace {

// Steps wait this long for the event loop between tries, so a step that
// opened a dialog is inside its loop before the next step looks for it.
constexpr int kTickMs = 5;

QWidget* OpenModal() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal->isVisible() ? modal : nullptr;
}

QString ClassOf(const QWidget* widget) {
    return QLatin1String(widget->metaObject()->className());
}

// What an operator can use: shown and enabled.
bool Usable(const QWidget* control, const QWidget* target, const QString& name, QString& error) {
    if (!control->isVisible()) {
        error = QStringLiteral("%1 in %2 is hidden").arg(name, ClassOf(target));
        return false;
    }
    if (!control->isEnabled()) {
        error = QStringLiteral("%1 in %2 is disabled").arg(name, ClassOf(target));
        return false;
    }
    return true;
}

QToolButton* ButtonFor(QWidget* target, const QAction* action) {
    const QList<QToolButton*> buttons = target->findChildren<QToolButton*>();
    const auto found = std::find_if(buttons.begin(), buttons.end(), [action](QToolButton* button) {
        return button->defaultAction() == action && button->isVisible();
    });
    return found == buttons.end() ? nullptr : *found;
}

}  // namespace

QString TPageStep::Describe() const {
    switch (kind) {
        case Press:
            return QStringLiteral("press ") + name;
        case Type:
            return QStringLiteral("type %1=%2").arg(name, text);
        case Select:
            return QStringLiteral("select %1=%2").arg(name, text);
        case Custom:
            break;
    }
    return name;
}

bool ParsePageStep(TPageStep::Kind kind, const QString& argument, TPageStep& step, QString& error) {
    step = TPageStep{};
    step.kind = kind;
    if (kind == TPageStep::Press) {
        step.name = argument;
        if (step.name.isEmpty() || step.name.contains(QLatin1Char('='))) {
            error = QStringLiteral("--press takes a control name");
            return false;
        }
        return true;
    }
    const qsizetype mark = argument.indexOf(QLatin1Char('='));
    const QString option =
        kind == TPageStep::Type ? QStringLiteral("--type") : QStringLiteral("--select");
    if (mark <= 0) {
        error = option + QStringLiteral(" takes NAME=TEXT");
        return false;
    }
    step.name = argument.left(mark);
    step.text = argument.mid(mark + 1);
    return true;
}

PageScript::PageScript(std::vector<TPageStep> steps, PageFinder page, Reporter report, int pick)
    : steps_(std::move(steps)), page_(std::move(page)), report_(std::move(report)), pick_(pick) {}

PageScript::~PageScript() {
    for (const QPointer<QWidget>& dialog : seen_) {
        if (dialog) {
            dialog->removeEventFilter(this);
        }
    }
}

void PageScript::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    Schedule();
}

void PageScript::Hold() {
    holding_.emplace_back(OpenModal());
}

void PageScript::Release() {
    if (!holding_.empty()) {
        holding_.pop_back();
    }
}

void PageScript::Schedule() {
    QTimer::singleShot(kTickMs, this, [this] { Advance(); });
}

// The next step may go when nothing the script started is running, or when
// what runs has shown a modal dialog and waits for it.
bool PageScript::Ready() const {
    if (holding_.empty()) {
        return true;
    }
    QWidget* modal = OpenModal();
    return modal != nullptr && modal != holding_.back();
}

void PageScript::NoticeDialog() {
    QWidget* modal = OpenModal();
    if (modal == nullptr ||
        std::find(seen_.begin(), seen_.end(), QPointer<QWidget>(modal)) != seen_.end()) {
        return;
    }
    seen_.emplace_back(modal);
    modal->installEventFilter(this);
    report_(QStringLiteral("dialog: %1 shown: %2").arg(ClassOf(modal), modal->windowTitle()));
}

bool PageScript::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide) {
        auto* dialog = qobject_cast<QWidget*>(watched);
        if (dialog != nullptr && dialog->isWindow()) {
            const auto* asDialog = qobject_cast<QDialog*>(dialog);
            const bool confirmed = asDialog != nullptr && asDialog->result() == QDialog::Accepted;
            report_(QStringLiteral("dialog: %1 closed: %2")
                        .arg(ClassOf(dialog), confirmed ? QStringLiteral("confirmed")
                                                        : QStringLiteral("cancelled")));
            dialog->removeEventFilter(this);
        }
    }
    return QObject::eventFilter(watched, event);
}

void PageScript::Advance() {
    if (finished_) {
        return;
    }
    NoticeDialog();
    if (!Ready()) {
        Schedule();
        return;
    }
    if (next_ < steps_.size()) {
        const TPageStep step = steps_[next_++];
        // Scheduled first: when the step opens a modal dialog, the next one
        // runs inside that dialog's event loop.
        Schedule();
        Run(step);
        return;
    }
    closing_ = true;
    if (QWidget* modal = OpenModal()) {
        Schedule();
        const TDialogPick pick = PickDialogRow(modal, pick_);
        if (pick.outcome != TDialogPick::NoList) {
            picks_.push_back(pick);
            report_(QStringLiteral("dialog: ") + DescribePick(pick));
        }
        return;
    }
    finished_ = true;
    if (onFinished) {
        onFinished();
    }
}

void PageScript::Run(const TPageStep& step) {
    QWidget* target = OpenModal();
    const bool inDialog = target != nullptr;
    if (target == nullptr) {
        target = page_ ? page_() : nullptr;
    }
    const QString line = QStringLiteral("step: ") + step.Describe();
    if (step.kind != TPageStep::Custom) {
        report_(inDialog ? line + QStringLiteral(" in ") + ClassOf(target) : line);
    }
    QString error;
    bool done = false;
    // Whatever lets events through while the step runs does not start the
    // next one, unless it shows a modal dialog.
    Hold();
    if (target == nullptr) {
        error = QStringLiteral("no page is shown for ") + step.Describe();
    } else {
        switch (step.kind) {
            case TPageStep::Press:
                done = Press(target, step.name, error);
                break;
            case TPageStep::Type:
                done = Type(target, step.name, step.text, error);
                break;
            case TPageStep::Select:
                done = Select(target, step.name, step.text, error);
                break;
            case TPageStep::Custom:
                done = step.action ? step.action(target, error) : true;
                break;
        }
    }
    Release();
    if (!done) {
        Fail(error);
    }
}

bool PageScript::Press(QWidget* target, const QString& name, QString& error) {
    QPointer<QAbstractButton> button = target->findChild<QAbstractButton*>(name);
    QAction* action = nullptr;
    if (button == nullptr) {
        action = target->findChild<QAction*>(name);
        if (action == nullptr) {
            error = QStringLiteral("%1 has no button or action %2").arg(ClassOf(target), name);
            return false;
        }
        button = ButtonFor(target, action);
    }
    if (button != nullptr && !Usable(button, target, name, error)) {
        return false;
    }
    if (button == nullptr && !action->isEnabled()) {
        error = QStringLiteral("%1 in %2 is disabled").arg(name, ClassOf(target));
        return false;
    }
    if (button != nullptr) {
        button->click();
    } else {
        action->trigger();
    }
    return true;
}

bool PageScript::Type(QWidget* target, const QString& name, const QString& text, QString& error) {
    if (auto* edit = target->findChild<QLineEdit*>(name)) {
        if (!Usable(edit, target, name, error)) {
            return false;
        }
        if (edit->isReadOnly()) {
            error = QStringLiteral("%1 in %2 is read-only").arg(name, ClassOf(target));
            return false;
        }
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        edit->insert(text);
        return true;
    }
    if (auto* combo = target->findChild<QComboBox*>(name)) {
        if (!Usable(combo, target, name, error)) {
            return false;
        }
        if (combo->isEditable()) {
            combo->setFocus(Qt::OtherFocusReason);
            combo->setEditText(text);
            return true;
        }
        const int index = combo->findText(text);
        if (index < 0) {
            error = QStringLiteral("%1 in %2 offers no %3").arg(name, ClassOf(target), text);
            return false;
        }
        combo->setCurrentIndex(index);
        return true;
    }
    error = QStringLiteral("%1 has no edit field %2").arg(ClassOf(target), name);
    return false;
}

bool PageScript::Select(QWidget* target, const QString& name, const QString& text, QString& error) {
    auto* view = target->findChild<QAbstractItemView*>(name);
    if (view == nullptr || view->model() == nullptr) {
        error = QStringLiteral("%1 has no list %2").arg(ClassOf(target), name);
        return false;
    }
    if (!Usable(view, target, name, error)) {
        return false;
    }
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            if (model->data(index, Qt::DisplayRole).toString() != text) {
                continue;
            }
            view->setFocus(Qt::OtherFocusReason);
            view->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return true;
        }
    }
    error = QStringLiteral("%1 in %2 has no row reading %3 (%4 rows)")
                .arg(name, ClassOf(target), text)
                .arg(model->rowCount());
    return false;
}

void PageScript::Fail(const QString& error) {
    if (error_.isEmpty()) {
        error_ = error;
        report_(QStringLiteral("step failed: ") + error);
    }
    // The rest is skipped; open dialogs are still closed on the way out.
    next_ = steps_.size();
}
