// The log-in's company selection: the dialog that lists the operator's
// companies, searches them and returns the chosen one, and the choice itself
// (one company is taken at once, none is reported, several are offered).
#pragma once

#include <QSet>
#include <QStringList>

#include <memory>
#include <vector>

#include "CompanyFilter.h"
#include "CompanyRecord.h"
#include "f_CustomDlgEx.h"

class QModelIndex;
class TCompanyListModel;
class TCompanySelectMgr;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Search();
    void Accept();
    void Fill(const QString& taxIdText, const QString& nameText);
    // Shows the loaded records that match the filter fields, recent ones first.
    void Narrow();
    TCompanySearch CurrentSearch() const;
    // The record shown in the selected row, or null.
    const TCompanyRecord* SelectedRecord() const;

    std::unique_ptr<Ui::frm_CompanySelect> ui_;
    TCompanySelectMgr& manager_;
    TCompanyRecordList records_;
    TCompanySearchIndex index_;
    std::vector<int> rows_;  // shown rows of records_
    QStringList recent_;
    QSet<QString> visibleIds_;  // every company the operator may choose
    // Makes visibleIds_ from a full listing, only when a choice or a narrower
    // listing needs it: opening the dialog does not pay for it.
    void KeepVisibleIds();
    bool fullList_ = false;  // records_ is every such company, no query filter
    TCompanyListModel* model_;
    TCompanyRecord result_;
    bool filled_ = false;
};

enum class SelectOutcome { Chosen, NoCompany, NotChosen };

// Picks the operator's company: the only one at once (also the first of
// several in the single-company edition), otherwise through the dialog.
SelectOutcome ChooseCompany(TCompanySelectMgr& manager, TCompanyRecord& chosen);

// Above this many companies the waiting window shows while the list loads.
inline constexpr int kStatusWindowThreshold = 500;
