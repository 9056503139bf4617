// The company information page: one company's basic, state-tax and local-tax
// data on three tabs, the fields the command configuration allows editable,
// saved back to XT_QYXX, XT_QYDSXX and XT_QYGSXX and, for the current company,
// to the host's current-company object. The host docks it
// (ShowComapnayInfoInnerProc).
#pragma once

#include <QStringList>

#include <memory>
#include <vector>

#include "CmdCompanyInfo.h"
#include "CompanyInfoInnerSave.h"
#include "CompanyRecord.h"
#include "StoredRows.h"
#include "f_CustomFormEx.h"

class QLineEdit;

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

    // Loads the company and everything the page shows of it. An id that is
    // no number or finds no row leaves the page empty; false then.
    bool LoadCompany(const QString& companyId, bool viewOnly, bool showBack);

    bool HasLocalTaxRecord() const { return hasLocalTax_; }
    bool HasStateTaxRecord() const { return hasStateTax_; }
    bool LocalTaxOnly() const { return localTaxOnly_; }
    const std::vector<TICCardEntry>& ICCardEntries() const { return icCards_; }

    // The CLOSEPREV value of the last opening.
    static bool& ClosePrevious();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void LoadRegistrationFlags();
    void FillBasic();
    void FillLocalTax();
    void FillStateTax();
    void FillIndustries();
    void SelectIndustry(const QString& code, const QString& name);
    void SelectedIndustry(QString& code, QString& name) const;
    void ApplyViewOnly();
    QStringList Fingerprint() const;
    bool IsChanged() const;
    void CollectCompany();
    void CollectStateTax();
    void Save();
    // False when a statement failed (reported already).
    bool WriteRows();
    // True when the stored rows are as loaded, or the operator chose to
    // overwrite another desk's changes; on "reload" the page reads them anew.
    bool ConfirmRowsAsLoaded();
    void Back();
    // The text whole, even beyond the field's length.
    static void ShowText(QLineEdit* edit, const QString& text);
    void SetEditable(QLineEdit* edit, bool editable);

    std::unique_ptr<Ui::frm_CompanyInfoInner> ui_;
    // The tool bar's buttons, which do not follow their actions' visibility.
    QWidget* saveButton_ = nullptr;
    QWidget* backButton_ = nullptr;
    TCmdCompanyInfo config_;
    TCompanyRecord company_;
    CompanyInfoInnerSave::TStateTaxRecord stateTax_;
    std::vector<TICCardEntry> icCards_;
    QString companyId_;
    QString taxRegistrationNumber_;
    QString shareCapital_ = QStringLiteral("0.00");
    bool hasLocalTax_ = false;
    bool hasStateTax_ = false;
    bool localTaxOnly_ = false;
    bool viewOnly_ = false;
    QStringList fingerprint_;
    TStoredRows loadedRows_;
    bool showBack_ = false;
};
