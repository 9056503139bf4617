#include "CompanySelectMgr.h"

#include "HostServices.h"
#include "TaxRecords.h"
#include "f_AgencyMgr.h"
#include "f_CommonUnit.h"

namespace {

// Key order of the current-company object.
constexpr CompanyField kCompanyKeys[] = {
    CompanyField::QYID,      CompanyField::QYSBH,     CompanyField::QYMC,   CompanyField::FDDBRMC,
    CompanyField::CWFZR,     CompanyField::ZCDZ,      CompanyField::YYDZ,   CompanyField::YZBM,
    CompanyField::EMAIL,     CompanyField::QYDHHM,    CompanyField::QYCZHM, CompanyField::HYDM,
    CompanyField::HYMC,      CompanyField::ZSID,      CompanyField::CZY_DM, CompanyField::NSRSBH,
    CompanyField::CWFZRLXHM, CompanyField::CWFZRBGDH, CompanyField::BSY,    CompanyField::BSYLXHM,
    CompanyField::BSYBGDH,   CompanyField::XZQHDM,
};

constexpr const char* kLocalTaxChild = "QYDSXX";
constexpr const char* kStateTaxChild = "QYGSXX";
constexpr const char* kAgencyChild = "DLJGXX";

QString AgencyRowId() {
    TADOQuery query;
    QString error;
    if (!ModuleLib::ExecADOQueryMsg(kMainConnection,
                                    QStringLiteral("select QYID from XT_QYXX where LBDM=19"), query,
                                    error, 1) ||
        query.Eof()) {
        return QString();
    }
    return query.FieldByName("QYID");
}

}  // namespace

TCompanySelectMgr::TCompanySelectMgr(const QString& operatorCode, const QString& operatorClass)
    : operatorCode_(operatorCode), operatorClass_(operatorClass) {}

TCompanySelectMgr::~TCompanySelectMgr() = default;

QString TCompanySelectMgr::ListSql(const QString& taxIdText, const QString& nameText,
                                   bool countOnly) const {
    return BuildOperatorCompanyListSql(operatorClass_, taxIdText, nameText, countOnly, false);
}

int TCompanySelectMgr::CountCompanies(const QString& taxIdText, const QString& nameText) {
    try {
        TADOQuery query;
        QString error;
        if (!ModuleLib::ExecADOQueryMsg(kMainConnection, ListSql(taxIdText, nameText, true), query,
                                        error, 1) ||
            query.Eof()) {
            return 0;
        }
        return query.FieldByName("cnt").toInt();
    } catch (...) {
        return 0;
    }
}

template <typename Visit>
bool TCompanySelectMgr::ReadList(const QString& taxIdText, const QString& nameText, Visit visit) {
    TADOQuery query;
    QString error;
    if (!ModuleLib::ExecADOQueryMsg(kMainConnection, ListSql(taxIdText, nameText, false), query,
                                    error, 1)) {
        return false;
    }
    const int id = query.FieldIndex("QYID");
    const int taxId = query.FieldIndex("QYSBH");
    const int name = query.FieldIndex("QYMC");
    for (; !query.Eof(); query.Next()) {
        TCompanyRecord record;
        record.SetField(CompanyField::QYID, query.FieldAsString(id));
        record.SetField(CompanyField::QYSBH, query.FieldAsString(taxId));
        record.SetField(CompanyField::QYMC, query.FieldAsString(name));
        visit(std::move(record), query.SizeHint());
    }
    return true;
}

bool TCompanySelectMgr::ListCompanies(const QString& taxIdText, const QString& nameText,
                                      TCompanyRecordArray& records) {
    try {
        TCompanyRecordArray rows;
        const bool ok =
            ReadList(taxIdText, nameText, [&rows](TCompanyRecord&& record, qint64 size) {
                if (rows.empty() && size > 0) {
                    rows.reserve(static_cast<std::size_t>(size));
                }
                rows.push_back(std::move(record));
            });
        if (ok) {
            records = std::move(rows);
        }
        return ok;
    } catch (...) {
        return false;
    }
}

bool TCompanySelectMgr::FillCompanyList(TCompanyRecordList* list, const QString& taxIdText,
                                        const QString& nameText) {
    if (list == nullptr) {
        return false;
    }
    try {
        list->clear();
        return ReadList(taxIdText, nameText, [list](TCompanyRecord&& record, qint64) {
            list->push_back(std::make_unique<TCompanyRecord>(std::move(record)));
        });
    } catch (...) {
        return false;
    }
}

bool TCompanySelectMgr::LoadCompanyInfo(const QString& companyId) {
    if (!IsSqlInteger(companyId)) {
        return false;
    }
    try {
        TCompanyRecord record;
        {
            TADOQuery query;
            QString error;
            if (!ModuleLib::ExecADOQueryMsg(
                    kMainConnection,
                    QStringLiteral("select * from XT_QYXX where QYID=") + companyId, query, error,
                    1) ||
                query.IsEmpty()) {
                return false;
            }
            for (const CompanyField field : kCompanyKeys) {
                record.SetField(field, query.FieldByName(QLatin1String(CompanyFieldName(field))));
            }
        }
        TDataVO* company = ModuleLib::GetCompanyInfoVO();
        if (company == nullptr) {
            return false;
        }
        for (const CompanyField field : kCompanyKeys) {
            company->SetStrValue(QLatin1String(CompanyFieldName(field)), record.Field(field));
        }
        company->SetObjValue(kLocalTaxChild, TaxRecords::LoadLocalTax(companyId).release());
        company->SetObjValue(kStateTaxChild, TaxRecords::LoadStateTax(companyId).release());
        if (ModuleLib::CheckAgencyExist()) {
            AttachAgency(*company);
        }

        const auto* stateTax = dynamic_cast<const TDataVO*>(company->GetObjValue(kStateTaxChild));
        const QString stateTaxNumber = stateTax ? stateTax->GetStrValue("NSRSBH") : QString();
        const QString taxId = company->GetStrValue("QYSBH");
        if (!stateTaxNumber.isEmpty() && stateTaxNumber != taxId) {
            logQuery::Error("1", QStringLiteral("70019503：国税信息纳税人识别号[") +
                                     stateTaxNumber + QStringLiteral("]与基本信息纳税人识别号[") +
                                     taxId + QStringLiteral("]不一致"));
        }
        return true;
    } catch (...) {
        return false;
    }
}

void TCompanySelectMgr::AttachAgency(TDataVO& company) {
    try {
        const QString agencyId = AgencyRowId();
        // The manager stored in the company object is the one to reuse; a
        // reference of our own could outlive it when the host replaces the entry.
        if (auto* agency = dynamic_cast<TAgencyMgr*>(company.GetObjValue(kAgencyChild))) {
            agency->LoadAgency(agencyId);
        } else {
            company.SetObjValue(kAgencyChild, new TAgencyMgrImpl(agencyId));
        }
    } catch (...) {
    }
}

bool TCompanySelectMgr::RowExists(const char* table, const QString& companyId) {
    if (!IsSqlInteger(companyId)) {
        return false;
    }
    try {
        TADOQuery query;
        QString error;
        return ModuleLib::ExecADOQueryMsg(
                   kMainConnection,
                   QStringLiteral("select 1 from %1 where QYID=").arg(QLatin1String(table)) +
                       companyId,
                   query, error, 1) &&
               !query.IsEmpty();
    } catch (...) {
        return false;
    }
}

bool TCompanySelectMgr::LocalTaxInfoExists(const QString& companyId) {
    return RowExists("XT_QYDSXX", companyId);
}

bool TCompanySelectMgr::StateTaxInfoExists(const QString& companyId) {
    return RowExists("XT_QYGSXX", companyId);
}
