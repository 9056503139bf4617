// The company information dialog: one company's basic data and, where the
// company has them, its local-tax and state-tax rows, with a fixed small set
// of fields the operator may correct. Modal; ends with mrOk after a save (or
// a save that found nothing to change), with mrCancel otherwise.
#pragma once

#include <memory>

#include "CompanyInfoModel.h"
#include "FieldTable.h"
#include "IndustryList.h"
#include "f_CustomDlg.h"

class QToolButton;

namespace Ui {
class frm_CompanyInfo;
}

class Tfrm_CompanyInfo : public Tfrm_CustomDlg {
    Q_OBJECT

  public:
    // The dialog ends with this when the operator chose to read the company
    // anew after another desk changed it.
    static constexpr int mrReload = 100;

    explicit Tfrm_CompanyInfo(QWidget* parent = nullptr);
    ~Tfrm_CompanyInfo() override;

    // Fills the dialog from a loaded company.
    void Load(const TCompanyInfoModel& company, bool viewOnly);

    void ApplySkin() override;
    bool HasUnsavedEdits() override;
    bool SaveEdits() override;

    QToolButton* tbtnSave() const { return tbtnSave_; }
    QToolButton* tbtnClose() const { return tbtnClose_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void DeclareFields();
    void Save();
    void Shrink(QWidget* group);

    std::unique_ptr<Ui::frm_CompanyInfo> ui_;
    QToolButton* tbtnSave_;
    QToolButton* tbtnClose_;
    TCompanyInfoModel model_;
    TFieldTable fields_;
    bool viewOnly_ = false;
    bool placed_ = false;
};

// Loads the company and shows the dialog modally. False without showing it
// when the id is empty or the company query fails; otherwise true exactly
// when the dialog ended with mrOk.
bool ShowCompanyInfoDialog(const QString& companyId, bool viewOnly);
