#include "DialogPicker.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>

namespace {

constexpr const char* kListName = "vstCompList";
constexpr const char* kConfirmNames[] = {"sBtnConfirm", "btnSwitch"};
constexpr const char* kCancelName = "sBtnClose";

void Cancel(QWidget* dialog) {
    if (!dialog->isVisible()) {
        return;
    }
    auto* cancel = dialog->findChild<QAbstractButton*>(QLatin1String(kCancelName));
    if (cancel != nullptr && cancel->isEnabled()) {
        cancel->click();
    }
    if (dialog->isVisible()) {
        dialog->close();
    }
    // Still open, as the close question was answered: ended unsaved, so the
    // caller always ends.
    if (auto* asDialog = qobject_cast<QDialog*>(dialog);
        asDialog != nullptr && dialog->isVisible()) {
        asDialog->done(QDialog::Rejected);
    } else if (dialog->isVisible()) {
        dialog->hide();
    }
}

}  // namespace

TDialogPick PickDialogRow(QWidget* dialog, int row) {
    TDialogPick pick;
    pick.dialog = QLatin1String(dialog->metaObject()->className());
    pick.row = row;
    auto* list = dialog->findChild<QAbstractItemView*>(QLatin1String(kListName));
    QAbstractButton* confirm = nullptr;
    for (const char* name : kConfirmNames) {
        if (confirm == nullptr) {
            confirm = dialog->findChild<QAbstractButton*>(QLatin1String(name));
        }
    }
    if (list == nullptr || list->model() == nullptr || confirm == nullptr) {
        pick.outcome = TDialogPick::NoList;
        Cancel(dialog);
        return pick;
    }
    pick.rows = list->model()->rowCount();
    if (row == 0) {
        pick.outcome = TDialogPick::Cancelled;
    } else if (row < 0 || row > pick.rows) {
        pick.outcome = TDialogPick::NoSuchRow;
    } else {
        list->setCurrentIndex(list->model()->index(row - 1, 0));
        confirm->click();
        // Accepting hides the dialog at once; one still open refused the row.
        pick.outcome = dialog->isVisible() ? TDialogPick::NotAccepted : TDialogPick::Chosen;
    }
    Cancel(dialog);
    return pick;
}

QString DescribePick(const TDialogPick& pick) {
    const QString& name = pick.dialog;
    if (pick.outcome == TDialogPick::NoList) {
        return name + QStringLiteral(" shown without a list; closed");
    }
    const QString shown = QStringLiteral("%1 shown with %2 rows; ").arg(name).arg(pick.rows);
    switch (pick.outcome) {
        case TDialogPick::Chosen:
            return shown + QStringLiteral("row %1 chosen").arg(pick.row);
        case TDialogPick::Cancelled:
            return shown + QStringLiteral("cancelled");
        case TDialogPick::NoSuchRow:
            return shown + QStringLiteral("cancelled, there is no row %1").arg(pick.row);
        case TDialogPick::NotAccepted:
            return shown + QStringLiteral("row %1 not accepted; cancelled").arg(pick.row);
        case TDialogPick::NoList:
            break;
    }
    return shown;
}

ModalDialogWatcher::ModalDialogWatcher(Action action) : action_(std::move(action)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(50);
}

void ModalDialogWatcher::Poll() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible() || dialog == last_) {
        return;
    }
    last_ = dialog;
    action_(dialog);
}
