// The tax agency's own row (class 19) and the companies it serves (class 10).
// Stored in the current-company object under "DLJGXX"; everyone reaches it
// through the abstract class.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

#include "CompanyRecord.h"
#include "f_DataVO.h"

// A served company as the agency lists it: QYID, QYSBH, QYMC, FDDBRMC, CWFZR,
// ZCDZ, YYDZ, YZBM, EMAIL, QYDHHM, QYCZHM, HYDM and HYMC are filled.
using TAgcyCompanyInfo = TCompanyRecord;
using TAgcyCompanyInfoList = std::vector<TAgcyCompanyInfo>;

class TAgencyMgr : public TObject {
  public:
    virtual QString GetAgencyId() const = 0;
    virtual QString GetCode() const = 0;
    virtual void SetCode(const QString& value) = 0;
    virtual QString GetName() const = 0;
    virtual void SetName(const QString& value) = 0;
    virtual QString GetTaxOffice() const = 0;
    virtual void SetTaxOffice(const QString& value) = 0;
    virtual QString GetLegalRep() const = 0;
    virtual void SetLegalRep(const QString& value) = 0;
    virtual QString GetPhone() const = 0;
    virtual void SetPhone(const QString& value) = 0;
    virtual QString GetPostCode() const = 0;
    virtual void SetPostCode(const QString& value) = 0;
    virtual QString GetAddress() const = 0;
    virtual void SetAddress(const QString& value) = 0;
    virtual int CountServedCompanies() = 0;
    virtual void GetExtraValue(const QString& name, QVariant& value) const = 0;
    virtual void SetExtraValue(const QString& name, const QVariant& value) = 0;
    virtual bool SaveAgency() = 0;
    virtual bool DeleteCompany(const QString& companyId) = 0;
    virtual bool ListServedCompanies(const QString& codeText, const QString& nameText,
                                     TAgcyCompanyInfoList& list) = 0;
    virtual void LoadAgency(const QString& agencyId) = 0;
};

class TAgencyMgrImpl : public TAgencyMgr {
  public:
    explicit TAgencyMgrImpl(const QString& agencyId);
    ~TAgencyMgrImpl() override;

    QString GetAgencyId() const override { return agencyId_; }
    QString GetCode() const override { return code_; }
    void SetCode(const QString& value) override { code_ = value; }
    QString GetName() const override { return name_; }
    void SetName(const QString& value) override { name_ = value; }
    QString GetTaxOffice() const override { return taxOffice_; }
    void SetTaxOffice(const QString& value) override { taxOffice_ = value; }
    QString GetLegalRep() const override { return legalRep_; }
    void SetLegalRep(const QString& value) override { legalRep_ = value; }
    QString GetPhone() const override { return phone_; }
    void SetPhone(const QString& value) override { phone_ = value; }
    QString GetPostCode() const override { return postCode_; }
    void SetPostCode(const QString& value) override { postCode_ = value; }
    QString GetAddress() const override { return address_; }
    void SetAddress(const QString& value) override { address_ = value; }
    int CountServedCompanies() override;
    void GetExtraValue(const QString& name, QVariant& value) const override;
    void SetExtraValue(const QString& name, const QVariant& value) override;
    bool SaveAgency() override;
    bool DeleteCompany(const QString& companyId) override;
    bool ListServedCompanies(const QString& codeText, const QString& nameText,
                             TAgcyCompanyInfoList& list) override;
    void LoadAgency(const QString& agencyId) override;

  private:
    QString agencyId_;
    QString code_;
    QString name_;
    QString taxOffice_;
    QString legalRep_;
    QString phone_;
    QString postCode_;
    QString address_;
    std::unique_ptr<TDataVO> extraValues_;
};
