// The tax agency's own row (class 19) and the companies it serves (class 10).
// Stored in the current-company object under "DLJGXX"; everyone reaches it
// through the abstract class.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

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
    // Writes the fields that differ from the row as loaded; the others keep
    // what is stored. False when the row changed no row, or when another desk
    // changed a column it writes since it was loaded (ChangedElsewhere).
    virtual bool SaveAgency() = 0;
    // Those columns after a SaveAgency that found them ("XT_QYXX.QYMC");
    // empty after any other.
    virtual QStringList ChangedElsewhere() const = 0;
    // True after a SaveAgency whose commit nobody knows the outcome of (the
    // connection dropped during it); false after any other.
    virtual bool SaveOutcomeUnknown() const = 0;
    virtual bool DeleteCompany(const QString& companyId) = 0;
    virtual bool ListServedCompanies(const QString& codeText, const QString& nameText,
                                     TAgcyCompanyInfoList& list) = 0;
    virtual void LoadAgency(const QString& agencyId) = 0;
};
