// Working the module's list dialogs (company selection, company switch) as an
// operator would: choose a row and confirm, or cancel.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

struct TDialogPick {
    enum Outcome {
        Chosen,       // the row was chosen and the dialog accepted it
        Cancelled,    // asked to cancel (row 0)
        NoSuchRow,    // the list has fewer rows than asked for: cancelled
        NotAccepted,  // the row was chosen but the dialog stayed open: cancelled
        NoList,       // not a list dialog: closed
    };
    QString dialog;  // the dialog's class name
    int rows = 0;    // rows the list offered
    int row = 0;     // row asked for, from 1; 0 cancels
    Outcome outcome = Cancelled;
};

// Chooses row (from 1) of the dialog's list and confirms it; row 0 cancels.
// Whatever happens the dialog is closed afterwards, so the call that showed it
// returns.
TDialogPick PickDialogRow(QWidget* dialog, int row);

// One line for a person, e.g. "Tfrm_CompanySelect shown with 3 rows; row 2 chosen".
QString DescribePick(const TDialogPick& pick);

// Runs an action once on every modal dialog that comes up while the module's
// entry point waits for it.
class ModalDialogWatcher {
  public:
    using Action = std::function<void(QWidget* dialog)>;
    explicit ModalDialogWatcher(Action action);
    ModalDialogWatcher(const ModalDialogWatcher&) = delete;
    ModalDialogWatcher& operator=(const ModalDialogWatcher&) = delete;

  private:
    void Poll();

    Action action_;
    QTimer timer_;
    // Guarded, so that a new dialog at a freed one's address is still seen as new.
    QPointer<QWidget> last_;
};
