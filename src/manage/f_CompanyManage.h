// The company manager: the companies the operator may work for, a search by
// taxpayer id and name, adding, deleting and editing companies, and the
// list out to and in from CSV files. The host
// docks it into its main window (ShowCompanyMgrProc).
#pragma once

#include <memory>
#include <vector>

#include "CompanyFilter.h"
#include "CompanyRecord.h"
#include "f_CustomFormEx.h"

class TCompanyListModel;

namespace Ui {
class frm_CompanyManage;
}

class Tfrm_CompanyManage : public Tfrm_CustomEx {
    Q_OBJECT

  public:
    explicit Tfrm_CompanyManage(QWidget* parent = nullptr);
    ~Tfrm_CompanyManage() override;

    // The base's creation, then the search panel as tbtQuery says, the
    // company-code caption and the unfiltered list.
    void FormCreate() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Lists the companies matching the filters. A failed query keeps the
    // previous list. Either way the list starts without a selection.
    bool LoadList(const QString& taxIdText, const QString& nameText);
    // Lists again with the search fields, trimmed.
    void Search();
    // Shows the loaded companies that match the search fields as they are typed.
    void Narrow();
    TCompanySearch CurrentSearch() const;
    void Reset();
    void UpdateActions();
    void Add();
    void Delete();
    void Modify();
    // The listed companies to a CSV file, in the encoding the file type says.
    void Export();
    void Import();
    // Lists again now, or as each page opened meanwhile goes away.
    void RefreshAfter(const QList<QWidget*>& pages);
    int SelectedRow() const;

    std::unique_ptr<Ui::frm_CompanyManage> ui_;
    TCompanyRecordArray companies_;
    TCompanySearchIndex index_;
    std::vector<int> rows_;  // shown rows of companies_
    bool fullList_ = false;  // companies_ is every company listed without a filter
    TCompanyListModel* model_;
};
