#include "AgencyMgrImpl.h"

#include "CompanyRemoval.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "f_CommonUnit.h"

namespace {

constexpr CompanyField kServedCompanyFields[] = {
    CompanyField::QYID,  CompanyField::QYSBH,  CompanyField::QYMC,   CompanyField::FDDBRMC,
    CompanyField::CWFZR, CompanyField::ZCDZ,   CompanyField::YYDZ,   CompanyField::YZBM,
    CompanyField::EMAIL, CompanyField::QYDHHM, CompanyField::QYCZHM, CompanyField::HYDM,
    CompanyField::HYMC,
};

}  // namespace

TAgencyMgrImpl::TAgencyMgrImpl(const QString& agencyId)
    : extraValues_(std::make_unique<TDataVO>()) {
    LoadAgency(agencyId);
}

TAgencyMgrImpl::~TAgencyMgrImpl() = default;

void TAgencyMgrImpl::LoadAgency(const QString& agencyId) {
    // An id that is no number names no agency row; nothing is asked.
    if (!IsSqlInteger(agencyId)) {
        return;
    }
    const QString id = agencyId.trimmed();
    bool found = false;
    SqlQuery::ReadRows("load the agency",
                       QStringLiteral("select * from XT_QYXX where QYID=") + id +
                           QStringLiteral(" and LBDM=") + QStringLiteral("19"),
                       [&](TADOQuery& row) {
                           if (row.Eof()) {
                               return;
                           }
                           found = true;
                           agencyId_ = id;
                           code_ = row.FieldByName("QYSBH");
                           name_ = row.FieldByName("QYMC");
                           taxOffice_ = row.FieldByName("SSSWJG");
                           legalRep_ = row.FieldByName("FDDBRMC");
                           phone_ = row.FieldByName("QYDHHM");
                           postCode_ = row.FieldByName("YZBM");
                           address_ = row.FieldByName("YYDZ");
                       });
    if (found) {
        ModuleLib::SetgsAgencyInfo(name_);
        ModuleLib::SetgbAgencyVerExist(true);
    }
}

int TAgencyMgrImpl::CountServedCompanies() {
    if (!IsSqlInteger(agencyId_)) {
        return 0;
    }
    QString count;
    if (!SqlQuery::ReadValue(
            "count the served companies",
            QStringLiteral("select count(*) as cnt from XT_QYXX where LBDM=10 and SSDLJGID=") +
                agencyId_,
            "cnt", count)) {
        return 0;
    }
    return count.toInt();
}

void TAgencyMgrImpl::GetExtraValue(const QString& name, QVariant& value) const {
    extraValues_->GetVarValue(name, value);
}

void TAgencyMgrImpl::SetExtraValue(const QString& name, const QVariant& value) {
    extraValues_->SetVarValue(name, value);
}

bool TAgencyMgrImpl::SaveAgency() {
    if (!IsSqlInteger(agencyId_)) {
        return false;
    }
    const QString sql =
        QStringLiteral("UPDATE XT_QYXX SET QYSBH ='") + QuoteSqlValue(code_) +
        QStringLiteral("', QYMC='") + QuoteSqlValue(name_) + QStringLiteral("', QYDHHM='") +
        QuoteSqlValue(phone_) + QStringLiteral("', YZBM='") + QuoteSqlValue(postCode_) +
        QStringLiteral("', YYDZ='") + QuoteSqlValue(address_) + QStringLiteral("', SSSWJG='") +
        QuoteSqlValue(taxOffice_) + QStringLiteral("', FDDBRMC='") + QuoteSqlValue(legalRep_) +
        QStringLiteral("' where QYID=") + agencyId_;
    return SqlQuery::Execute("save the agency", sql);
}

bool TAgencyMgrImpl::DeleteCompany(const QString& companyId) {
    return CompanyRemoval::DeleteCompany(companyId);
}

bool TAgencyMgrImpl::ListServedCompanies(const QString& codeText, const QString& nameText,
                                         TAgcyCompanyInfoList& list) {
    const TDataVO* user = ModuleLib::GetUserInfoVO();
    if (user == nullptr) {
        return false;
    }
    return ReadCompanyList(
        "list the served companies",
        BuildOperatorCompanyListSql(user->GetStrValue("CZY_LB"), codeText, nameText, false, true),
        kServedCompanyFields, list);
}
