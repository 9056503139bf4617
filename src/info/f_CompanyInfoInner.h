// The company information page: one company's basic, state-tax and local-tax
// data on three tabs, the fields the command configuration allows editable,
// saved back to XT_QYXX, XT_QYDSXX and XT_QYGSXX and, for the current company,
// to the host's current-company object. The host docks it
// (ShowComapnayInfoInnerProc).
#pragma once

#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

#include "CmdCompanyInfo.h"
#include "CompanyInfoModel.h"
#include "FieldTable.h"
#include "IndustryList.h"
#include "f_CustomFormEx.h"

class QLineEdit;
class THistoryTab;

namespace Ui {
class frm_CompanyInfoInner;
}

class Tfrm_CompanyInfoInner : public Tfrm_CustomEx {
    Q_OBJECT

  public:
    struct TICCardEntry {
        int sequence = 0;
        QString ICBH;
        QString ICLX;
        QString KPJH;
    };

    explicit Tfrm_CompanyInfoInner(QWidget* parent = nullptr);
    ~Tfrm_CompanyInfoInner() override;

    void ApplySkin() override;
    bool HasUnsavedEdits() override;
    bool SaveEdits() override;

    // Loads the company and everything the page shows of it. An id that is
    // no number or finds no row leaves the page empty; false then.
    bool LoadCompany(const QString& companyId, bool viewOnly, bool showBack);
    // Brings the tab of the company's changes to the front.
    void ShowHistory();

    bool HasLocalTaxRecord() const { return hasLocalTax_; }
    bool HasStateTaxRecord() const { return hasStateTax_; }
    bool LocalTaxOnly() const { return localTaxOnly_; }
    const std::vector<TICCardEntry>& ICCardEntries() const { return icCards_; }

    // The CLOSEPREV value of the last opening.
    static bool& ClosePrevious();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FitLocalTaxPanel();
    void DeclareFields();
    void SetEditable();
    void FillLocalTax();
    void FillStateTax();
    // Only the tabs and the panel in view take focus and input.
    void ShowTab(QWidget* tab, bool shown);
    QHash<QString, QString> FieldCaptions() const;
    void ApplyViewOnly();
    // The toolbar's save: the page closes once its edits are stored.
    void Save();
    void Back();

    std::unique_ptr<Ui::frm_CompanyInfoInner> ui_;
    THistoryTab* history_ = nullptr;
    bool historyFirst_ = false;
    // The tool bar's buttons, which do not follow their actions' visibility.
    QWidget* saveButton_ = nullptr;
    QWidget* backButton_ = nullptr;
    TCmdCompanyInfo config_;
    TCompanyInfoModel model_;
    TFieldTable fields_;
    std::vector<TICCardEntry> icCards_;
    QString companyId_;
    bool hasLocalTax_ = false;
    bool hasStateTax_ = false;
    bool localTaxOnly_ = false;
    bool viewOnly_ = false;
    bool showBack_ = false;
};
