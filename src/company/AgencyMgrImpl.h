// The agency manager over XT_QYXX: the agency's own row and the companies
// it serves, read and written through the host's query service.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

#include "StoredRow.h"

#include "f_AgencyMgr.h"

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
    QStringList ChangedElsewhere() const override { return changedElsewhere_; }
    bool SaveOutcomeUnknown() const override { return saveOutcomeUnknown_; }
    bool DeleteCompany(const QString& companyId) override;
    bool ListServedCompanies(const QString& codeText, const QString& nameText,
                             TAgcyCompanyInfoList& list) override;
    void LoadAgency(const QString& agencyId) override;

  private:
    bool SaveChangedFields();

    QString agencyId_;
    QString code_;
    QString name_;
    QString taxOffice_;
    QString legalRep_;
    QString phone_;
    QString postCode_;
    QString address_;
    std::unique_ptr<TDataVO> extraValues_;
    // The row as loaded: what the fields are compared with at a save.
    std::optional<TStoredRow> loaded_;
    QStringList changedElsewhere_;
    bool saveOutcomeUnknown_ = false;
};
