// Working a module page as an operator would, from a short script of steps
// run in order:
//
//   press NAME        click the button NAME, or the toolbar button of the
//                     action NAME (an action without a button is triggered)
//   type NAME=TEXT    replace the text of the edit field NAME by TEXT, as
//                     typed (the field's maximum length applies); for a combo
//                     box, choose the item TEXT
//   select NAME=TEXT  make the first row of the list NAME that has a cell
//                     reading TEXT the focused, selected row
//
// Each step works on the modal dialog that is up, or else on the page, and
// runs to its end before the next one begins, unless it shows a modal dialog.
// So a step that opens a modal dialog sends the steps after it into that
// dialog until it closes; the steps after that wait until the step that
// opened it has returned, and go to the page again.
//
// Controls must be visible and enabled, as for an operator; a step that
// cannot be done ends the script as failed, and the rest is skipped. A modal
// dialog still open when the steps have run out is closed (a list dialog
// gets the row to pick, from 1; 0 cancels), so every call that showed one
// returns.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

#include "DialogPicker.h"

class QWidget;

struct TPageStep {
    enum Kind { Press, Type, Select, Custom };
    Kind kind = Press;
    QString name;
    QString text;
    // Custom: what a host wants done at this point, on the dialog or page
    // that is up; false, with a reason, fails the script.
    std::function<bool(QWidget* target, QString& error)> action;

    // "press tbtQuery", "type edtQysbh=9111", "select vstCompList=9111".
    QString Describe() const;
};

// One step from its command-line form: "NAME" for press, "NAME=TEXT" for
// type and select. False with the reason when the argument does not fit.
bool ParsePageStep(TPageStep::Kind kind, const QString& argument, TPageStep& step, QString& error);

class PageScript : public QObject {
  public:
    using PageFinder = std::function<QWidget*()>;
    using Reporter = std::function<void(const QString& line)>;

    // page names the page the steps work on when no modal dialog is up (it
    // is asked anew for every step); report gets one line per step and per
    // dialog shown or closed.
    PageScript(std::vector<TPageStep> steps, PageFinder page, Reporter report, int pick = 0);
    ~PageScript() override;

    // Runs the steps from the event loop; onFinished is called once all ran
    // (or one failed) and nothing the script started is still running.
    void Start();
    // Around a call that may show a modal dialog (the entry point itself):
    // the steps wait for the call to return, unless it shows a dialog.
    void Hold();
    void Release();

    bool Finished() const { return finished_; }
    // The steps have run out and the dialogs left open are being closed.
    bool Closing() const { return closing_; }
    bool Failed() const { return !error_.isEmpty(); }
    QString Error() const { return error_; }
    // The list dialogs left open at the end and what was picked in them.
    const std::vector<TDialogPick>& Picks() const { return picks_; }

    std::function<void()> onFinished;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Schedule();
    void Advance();
    bool Ready() const;
    void NoticeDialog();
    void Run(const TPageStep& step);
    bool Press(QWidget* target, const QString& name, QString& error);
    bool Type(QWidget* target, const QString& name, const QString& text, QString& error);
    bool Select(QWidget* target, const QString& name, const QString& text, QString& error);
    void Fail(const QString& error);

    std::vector<TPageStep> steps_;
    std::size_t next_ = 0;
    PageFinder page_;
    Reporter report_;
    int pick_;
    // The modal dialog that was up when each call now running began.
    std::vector<QPointer<QWidget>> holding_;
    std::vector<QPointer<QWidget>> seen_;
    std::vector<TDialogPick> picks_;
    QString error_;
    bool started_ = false;
    bool finished_ = false;
    bool closing_ = false;
};
