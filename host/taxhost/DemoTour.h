// A walk through the host without an operator: log in through the selection
// dialog, then open what the menus offer, with a screenshot of every window.
// On an agency's installation that includes the agency settings and the
// company switch, which then changes the current company.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "DialogPicker.h"

class MainFrame;
class QWidget;

class DemoTour {
  public:
    DemoTour(MainFrame& frame, const QString& folder);

    // True when every step worked and every screenshot was written.
    bool Run();
    const QStringList& Screenshots() const { return screenshots_; }
    // The dialogs met on the way and what was done with them.
    const std::vector<TDialogPick>& Dialogs() const { return dialogs_; }
    // What was done in the module's pages, one line per step and dialog.
    const QStringList& PageLines() const { return pageLines_; }

  private:
    bool Save(QWidget* window, const QString& name);
    // The company manager: the page, its search panel, its add dialog.
    bool VisitCompanyManager();
    // The current company's information page, one screenshot per tab it
    // shows, then its dialog, photographed and closed unsaved.
    bool VisitCompanyInfo();
    bool VisitCompanyInfoDialog();
    // A company with a local-tax row only, whose page shows the
    // local-tax-only layout; true when the data has none.
    bool VisitLocalTaxOnlyCompany();
    // A settings page: opened, photographed, closed.
    bool VisitPage(bool (MainFrame::*open)(), const QString& name);
    // The agency's switch: the dialog, a row other than the first chosen, and
    // the main window showing the new company.
    bool SwitchCompany();

    MainFrame& frame_;
    QString folder_;
    QStringList screenshots_;
    std::vector<TDialogPick> dialogs_;
    QStringList pageLines_;
    bool ok_ = true;
};
