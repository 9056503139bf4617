// The agency's company switch: finds a served company by the tail of its
// identification number or by name and returns the one chosen. It changes
// nothing itself; the host switches to the choice.
#pragma once

#include <QSet>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

#include "CompanyFilter.h"
#include "f_AgencyMgr.h"
#include "f_CustomDlgEx.h"

class TCompanyListModel;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Load(const QString& taxIdText, const QString& nameText);
    void Search();
    // Shows the loaded companies that match the filter fields, recent ones first.
    void Narrow();
    TCompanySearch CurrentSearch() const;
    void Switch();

    std::unique_ptr<Ui::frmAdvSwitchCompay> ui_;
    TAgcyCompanyInfoList entries_;
    TCompanySearchIndex index_;
    std::vector<int> rows_;  // shown rows of entries_
    QStringList recent_;
    QSet<QString> visibleIds_;  // every company the operator may switch to
    // Makes visibleIds_ from a full listing, only when a choice or a narrower
    // listing needs it: opening the dialog does not pay for it.
    void KeepVisibleIds();
    bool fullList_ = false;  // entries_ is every such company, no query filter
    int queryLength_ = 6;
    TCompanyListModel* model_;
    std::optional<TAgcyCompanyInfo> choice_;
    bool loaded_ = false;
};

// Shows the switch modally. True with chosen filled when a company was chosen.
bool ChooseServedCompany(TAgcyCompanyInfo& chosen);
