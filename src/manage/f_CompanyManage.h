// The company manager: the companies the operator may work for, a search by
// taxpayer id and name, adding, deleting and editing companies, and the
// list out to and in from CSV files. The host
// docks it into its main window (ShowCompanyMgrProc).
#pragma once

#include <memory>

#include "f_CustomFormEx.h"

class TSearchableCompanyList;

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
    // Shows or hides the search panel, the focus with it.
    void ShowSearch(bool shown);
    // Lists again with the search fields, trimmed.
    void Search();
    void Reset();
    void UpdateActions();
    void Add();
    void Delete();
    void Modify();
    // Opens the selected company's information page, on its changes.
    void History();
    void OpenPage(bool history);
    // The shown companies to a CSV file, in the encoding the file type says.
    void Export();
    // What the file dialog proposes: the day's list in the documents folder.
    static QString ExportFileName();
    void Import();
    // Lists again now, or as each page opened meanwhile goes away, with the
    // company's row in view.
    void RefreshAfter(const QList<QWidget*>& pages, const QString& companyId);
    QString CurrentCompanyId() const;

    std::unique_ptr<Ui::frm_CompanyManage> ui_;
    TSearchableCompanyList* list_;
    bool shownOnce_ = false;
};
