// The log-in's company selection: the dialog that lists the operator's
// companies, searches them and returns the chosen one, and the choice itself
// (one company is taken at once, none is reported, several are offered).
#pragma once

#include <memory>

#include "CompanyRecord.h"
#include "f_CustomDlgEx.h"

class TCompanySelectMgr;
class TSearchableCompanyList;

namespace Ui {
class frm_CompanySelect;
}

class Tfrm_CompanySelect : public Tfrm_CustomDlgEx {
    Q_OBJECT

  public:
    // Lists and searches through manager, which outlives the dialog.
    explicit Tfrm_CompanySelect(TCompanySelectMgr& manager, QWidget* parent = nullptr);
    ~Tfrm_CompanySelect() override;

    // The chosen company after the dialog ended with mrOk.
    const TCompanyRecord& Result() const { return result_; }

    void ApplySkin() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Search();
    void Accept();

    std::unique_ptr<Ui::frm_CompanySelect> ui_;
    TCompanySelectMgr& manager_;
    TSearchableCompanyList* list_;  // a child: outlives the base's hiding
    TCompanyRecord result_;
};

enum class SelectOutcome { Chosen, NoCompany, NotChosen };

// Picks the operator's company: the only one at once (also the first of
// several in the single-company edition), otherwise through the dialog.
SelectOutcome ChooseCompany(TCompanySelectMgr& manager, TCompanyRecord& chosen);

// Above this many companies the waiting window shows while the list loads.
inline constexpr int kStatusWindowThreshold = 500;
