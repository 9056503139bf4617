#include "f_AgencyMgr.h"

#include "HostServices.h"
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
    try {
        TADOQuery query;
        QString error;
        if (!ModuleLib::ExecADOQueryMsg(kMainConnection,
                                        QStringLiteral("select * from XT_QYXX where QYID=") +
                                            agencyId + QStringLiteral(" and LBDM=") +
                                            QStringLiteral("19"),
                                        query, error, 1) ||
            query.IsEmpty()) {
            return;
        }
        agencyId_ = agencyId;
        code_ = query.FieldByName("QYSBH");
        name_ = query.FieldByName("QYMC");
        taxOffice_ = query.FieldByName("SSSWJG");
        legalRep_ = query.FieldByName("FDDBRMC");
        phone_ = query.FieldByName("QYDHHM");
        postCode_ = query.FieldByName("YZBM");
        address_ = query.FieldByName("YYDZ");
        ModuleLib::SetgsAgencyInfo(name_);
        ModuleLib::SetgbAgencyVerExist(true);
    } catch (...) {
    }
}

int TAgencyMgrImpl::CountServedCompanies() {
    if (!IsSqlInteger(agencyId_)) {
        return 0;
    }
    try {
        TADOQuery query;
        QString error;
        if (!ModuleLib::ExecADOQueryMsg(
                kMainConnection,
                QStringLiteral("select count(*) as cnt from XT_QYXX where LBDM=10 and SSDLJGID=") +
                    agencyId_,
                query, error, 1) ||
            query.Eof()) {
            return 0;
        }
        return query.FieldByName("cnt").toInt();
    } catch (...) {
        return 0;
    }
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
    try {
        const QString sql =
            QStringLiteral("UPDATE XT_QYXX SET QYSBH ='") + QuoteSqlValue(code_) +
            QStringLiteral("', QYMC='") + QuoteSqlValue(name_) + QStringLiteral("', QYDHHM='") +
            QuoteSqlValue(phone_) + QStringLiteral("', YZBM='") + QuoteSqlValue(postCode_) +
            QStringLiteral("', YYDZ='") + QuoteSqlValue(address_) + QStringLiteral("', SSSWJG='") +
            QuoteSqlValue(taxOffice_) + QStringLiteral("', FDDBRMC='") + QuoteSqlValue(legalRep_) +
            QStringLiteral("' where QYID=") + agencyId_;
        TADOQuery query;
        QString error;
        return ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, error, 0);
    } catch (...) {
        return false;
    }
}

bool TAgencyMgrImpl::DeleteCompany(const QString& companyId) {
    if (!IsSqlInteger(companyId)) {
        return false;
    }
    static const char* const kDependentDeletes[] = {
        "DELETE FROM QX_CZYQY WHERE QYID=",
        "DELETE FROM QX_CZYZXT WHERE QYID=",
        "DELETE FROM XT_QYDSXX WHERE QYID=",
        "DELETE FROM XT_QYGSXX WHERE QYID=",
    };
    try {
        TADOQuery query;
        QString error;
        for (const char* head : kDependentDeletes) {
            // Each dependent table on its own; one that fails does not stop the rest.
            ModuleLib::ExecADOQueryMsg(kMainConnection, QLatin1String(head) + companyId, query,
                                       error, 0);
        }
        // Done only when the company's own row went.
        return ModuleLib::ExecADOQueryMsg(
                   kMainConnection, QStringLiteral("delete from XT_QYXX WHERE QYID=") + companyId,
                   query, error, 0) &&
               query.RowsAffected() > 0;
    } catch (...) {
        return false;
    }
}

bool TAgencyMgrImpl::ListServedCompanies(const QString& codeText, const QString& nameText,
                                         TAgcyCompanyInfoList& list) {
    try {
        const QString operatorClass = ModuleLib::GetUserInfoVO()->GetStrValue("CZY_LB");
        const QString sql =
            BuildOperatorCompanyListSql(operatorClass, codeText, nameText, false, true);
        TADOQuery query;
        QString error;
        if (!ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, error, 1)) {
            return false;
        }
        int columns[std::size(kServedCompanyFields)];
        for (std::size_t i = 0; i < std::size(kServedCompanyFields); ++i) {
            columns[i] = query.FieldIndex(CompanyFieldName(kServedCompanyFields[i]));
        }
        TAgcyCompanyInfoList rows;
        if (query.SizeHint() > 0) {
            rows.reserve(static_cast<std::size_t>(query.SizeHint()));
        }
        for (; !query.Eof(); query.Next()) {
            TAgcyCompanyInfo& row = rows.emplace_back();
            for (std::size_t i = 0; i < std::size(kServedCompanyFields); ++i) {
                row.SetField(kServedCompanyFields[i], query.FieldAsString(columns[i]));
            }
        }
        list = std::move(rows);
        return true;
    } catch (...) {
        return false;
    }
}
