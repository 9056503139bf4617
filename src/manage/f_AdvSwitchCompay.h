// The agency's company switch: finds a served company by the tail of its
// identification number or by name and returns the one chosen. It changes
// nothing itself; the host switches to the choice.
#pragma once

#include <memory>
#include <optional>

#include "f_AgencyMgr.h"
#include "f_CustomDlgEx.h"

class TSearchableCompanyList;

namespace Ui {
class frmAdvSwitchCompay;
}

class TfrmAdvSwitchCompay : public Tfrm_CustomDlgEx {
    Q_OBJECT

  public:
    explicit TfrmAdvSwitchCompay(QWidget* parent = nullptr);
    ~TfrmAdvSwitchCompay() override;

    // The company chosen with "选择切换"; empty until then.
    const std::optional<TAgcyCompanyInfo>& Choice() const { return choice_; }

    void ApplySkin() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Lists with the fields; a search that finds nothing says so, and how a
    // number is matched.
    void Search();
    void Switch();
    QString TailMatchRule() const;

    std::unique_ptr<Ui::frmAdvSwitchCompay> ui_;
    TSearchableCompanyList* list_;  // a child: outlives the base's hiding
    std::optional<TAgcyCompanyInfo> choice_;
    int queryLength_ = 6;
};

// Shows the switch modally. True with chosen filled when a company was chosen.
bool ChooseServedCompany(TAgcyCompanyInfo& chosen);
