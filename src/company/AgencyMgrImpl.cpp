#include "AgencyMgrImpl.h"

#include "ChangeSource.h"
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
    std::optional<TStoredRow> row;
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
    // The whole stored texts and their NULLs, for the save to compare with.
    if (found && TStoredRow::Read("XT_QYXX", id, row)) {
        loaded_ = std::move(row);
    }
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
    try {
        return SaveChangedFields();
    } catch (...) {
        logQuery::Warn("1", QStringLiteral("保存代理机构：内存不足，未保存"));
        return false;
    }
}

bool TAgencyMgrImpl::SaveChangedFields() {
    const TChangeSource source(ChangeSources::kAgency);
    changedElsewhere_.clear();
    saveOutcomeUnknown_ = false;
    if (!IsSqlInteger(agencyId_) || !loaded_) {
        return false;
    }
    TRowSave save{"XT_QYXX",
                  agencyId_,
                  QStringLiteral("UPDATE XT_QYXX SET QYSBH ={QYSBH}, QYMC={QYMC}, "
                                 "QYDHHM={QYDHHM}, YZBM={YZBM}, YYDZ={YYDZ}, SSSWJG={SSSWJG}, "
                                 "FDDBRMC={FDDBRMC} where QYID={QYID}"),
                  {{QStringLiteral("QYID"), TSqlValue::Of(agencyId_)}},
                  {}};
    const std::pair<const char*, const QString&> fields[] = {
        {"QYSBH", code_},   {"QYMC", name_},        {"QYDHHM", phone_},     {"YZBM", postCode_},
        {"YYDZ", address_}, {"SSSWJG", taxOffice_}, {"FDDBRMC", legalRep_},
    };
    for (const auto& [column, value] : fields) {
        const QString name = QLatin1String(column);
        if (value == loaded_->Text(name)) {
            save.values.emplace(name, TSqlValue::Itself());
        } else {
            save.values.emplace(name, TSqlValue::Of(value));
            save.written << name;
        }
    }
    QString errorText;
    const RowSaveResult result = SaveRow(save, *loaded_, changedElsewhere_, errorText);
    saveOutcomeUnknown_ = result == RowSaveResult::Unknown;
    switch (result) {
        case RowSaveResult::Saved:
            TStoredRow::Read("XT_QYXX", agencyId_, loaded_);
            return true;
        case RowSaveResult::Gone:
            logQuery::Warn(
                "1", QStringLiteral("保存代理机构：代理机构[%1]的记录已不存在").arg(agencyId_));
            return false;
        case RowSaveResult::Changed:
            return false;
        case RowSaveResult::Failed:
        case RowSaveResult::Unknown:
            break;
    }
    logQuery::Warn("1", QStringLiteral("保存代理机构：") + errorText);
    return false;
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
