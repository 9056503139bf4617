#include "CompanySelectMgr.h"

#include <QSet>

#include <exception>
#include <memory>

#include "AgencyMgrImpl.h"
#include "ChangeSource.h"
#include "CommitOutcome.h"
#include "ContextValues.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "TaxRecords.h"
#include "Transaction.h"
#include "WriteBackSql.h"
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
    QString id;
    SqlQuery::ReadValue("find the agency row",
                        QStringLiteral("select QYID from XT_QYXX where LBDM=19"), "QYID", id);
    return id;
}

}  // namespace

TCompanySelectMgr::TCompanySelectMgr(const QString& operatorCode, const QString& operatorClass)
    : operatorCode_(operatorCode), operatorClass_(operatorClass) {}

TCompanySelectMgr::~TCompanySelectMgr() = default;

QString TCompanySelectMgr::ListSql(const QString& taxIdText, const QString& nameText,
                                   bool countOnly) const {
    return BuildOperatorCompanyListSql(operatorClass_, taxIdText, nameText, countOnly, false);
}

TCompanySelectMgr TCompanySelectMgr::ForLoggedInOperator() {
    const TDataVO* user = ModuleLib::GetUserInfoVO();
    return TCompanySelectMgr(ContextValues::Text(user, "CZY_DM"),
                             ContextValues::Text(user, "CZY_LB"));
}

int TCompanySelectMgr::CountCompanies(const QString& taxIdText, const QString& nameText) {
    QString count;
    if (!SqlQuery::ReadValue("count the companies", ListSql(taxIdText, nameText, true), "cnt",
                             count)) {
        return 0;
    }
    return count.toInt();
}

namespace {
constexpr CompanyField kListed[] = {CompanyField::QYID, CompanyField::QYSBH, CompanyField::QYMC};
}  // namespace

bool TCompanySelectMgr::ListCompanies(const QString& taxIdText, const QString& nameText,
                                      TCompanyRecordArray& records) {
    try {
        return ReadCompanyList("list the companies", ListSql(taxIdText, nameText, false), kListed,
                               records);
    } catch (...) {
        return false;
    }
}

bool TCompanySelectMgr::FirstCompany(TCompanyRecord& record) {
    try {
        TCompanyRecordArray first;
        if (!ReadCompanyList("list the companies", ListSql(QString(), QString(), false), kListed,
                             first, 1) ||
            first.empty()) {
            return false;
        }
        record = std::move(first.front());
        return true;
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
        TCompanyRecordArray records;
        if (!ListCompanies(taxIdText, nameText, records)) {
            return false;
        }
        list->reserve(records.size());
        for (TCompanyRecord& record : records) {
            list->push_back(std::make_unique<TCompanyRecord>(std::move(record)));
        }
        return true;
    } catch (...) {
        return false;
    }
}

TCompanySelectMgr::Access TCompanySelectMgr::AccessTo(const QString& companyId) {
    if (companyId.trimmed().isEmpty()) {
        return Access::NoCompany;
    }
    QString id, refused;
    if (!SqlWriter::Spell("XT_QYXX", QStringLiteral("QYID"), TSqlValue::Of(companyId), id,
                          refused)) {
        return Access::NotANumber;
    }
    QString companyClass;
    bool found = false;
    if (!SqlQuery::ReadValue("check the company's class",
                             QStringLiteral("select LBDM from XT_QYXX where QYID=") + id, "LBDM",
                             companyClass, &found)) {
        return Access::Unreadable;
    }
    if (!found) {
        return Access::NoCompany;
    }
    if (IsOwnRowClass(companyClass)) {
        return Access::OwnRow;
    }
    if (IsAllCompanyClass(operatorClass_)) {
        return Access::Granted;
    }
    QString count;
    if (!SqlQuery::ReadValue("check a company grant",
                             BuildRoleCompanyListSql(operatorClass_, "", "", true, false) +
                                 QStringLiteral(" AND t2.QYID=") + id,
                             "cnt", count)) {
        return Access::Unreadable;
    }
    return count.toInt() > 0 ? Access::Granted : Access::NotGranted;
}

bool TCompanySelectMgr::MayWorkFor(const QString& companyId) {
    const Access access = AccessTo(companyId);
    if (access == Access::Granted ||
        (access == Access::NoCompany && IsAllCompanyClass(operatorClass_))) {
        return true;
    }
    const char* why = access == Access::NotANumber   ? "企业ID不是数字"
                      : access == Access::Unreadable ? "无法读取企业或授权"
                      : access == Access::NoCompany  ? "没有该企业"
                      : access == Access::OwnRow     ? "该记录是代理机构或办税员的"
                                                     : "角色未获授权";
    logQuery::Error("1",
                    QStringLiteral("操作员[%1]的角色[%2]无权使用企业[%3]：%4")
                        .arg(operatorCode_, operatorClass_, companyId, QString::fromUtf8(why)));
    return false;
}

QStringList TCompanySelectMgr::NameableTaxIds(const QStringList& taxIds) {
    if (IsAllCompanyClass(operatorClass_) || taxIds.isEmpty()) {
        return taxIds;
    }
    QSet<QString> granted;
    TCompanyRecordArray records;
    if (ListCompanies(QString(), QString(), records)) {
        for (const TCompanyRecord& record : records) {
            granted.insert(record.QYSBH().trimmed());
        }
    }
    QStringList nameable;
    for (const QString& taxId : taxIds) {
        if (granted.contains(taxId.trimmed())) {
            nameable << taxId;
        }
    }
    return nameable;
}

bool TCompanySelectMgr::LoadCompanyInfo(const QString& companyText) {
    if (!IsSqlInteger(companyText)) {
        return false;
    }
    const QString companyId = companyText.trimmed();
    try {
        TCompanyRecord record;
        bool found = false;
        const QString sql = QStringLiteral("select * from XT_QYXX where QYID=") + companyId;
        const auto readRow = [&](TADOQuery& query) {
            if (query.Eof()) {
                return;
            }
            found = true;
            for (const CompanyField field : kCompanyKeys) {
                record.SetField(field, query.FieldByName(QLatin1String(CompanyFieldName(field))));
            }
        };
        if (!SqlQuery::ReadRows("load a company", sql, readRow) || !found) {
            return false;
        }
        TDataVO* company = ModuleLib::GetCompanyInfoVO();
        if (company == nullptr) {
            return false;
        }
        for (const CompanyField field : kCompanyKeys) {
            company->SetStrValue(QLatin1String(CompanyFieldName(field)), record.Field(field));
        }
        company->SetObjValue(kLocalTaxChild, TaxRecords::LoadLocalTax(companyId).release());
        std::unique_ptr<TDataVO> stateTax = TaxRecords::LoadStateTax(companyId);
        const QString stateTaxNumber = stateTax->GetStrValue("NSRSBH");
        company->SetObjValue(kStateTaxChild, stateTax.release());
        if (ModuleLib::CheckAgencyExist()) {
            AttachAgency(*company);
        }

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

bool TCompanySelectMgr::RowExists(const char* table, const QString& companyId, bool* ran,
                                  QString* errorText) {
    if (ran != nullptr) {
        *ran = false;
    }
    if (!IsSqlInteger(companyId)) {
        return false;
    }
    QString ignored;
    bool found = false;
    const bool ok = SqlQuery::ReadValue(
        "look for a company's row",
        QStringLiteral("select QYID from %1 where QYID=").arg(QLatin1String(table)) +
            companyId.trimmed(),
        "QYID", ignored, &found, errorText);
    if (ran != nullptr) {
        *ran = ok;
    }
    return ok && found;
}

bool TCompanySelectMgr::CompanyInfoExists(const QString& companyId, bool* ran) {
    return RowExists("XT_QYXX", companyId, ran);
}

bool TCompanySelectMgr::LocalTaxInfoExists(const QString& companyId) {
    return RowExists("XT_QYDSXX", companyId);
}

bool TCompanySelectMgr::StateTaxInfoExists(const QString& companyId) {
    return RowExists("XT_QYGSXX", companyId);
}

// Registration data that other modules hand in, written for one company.

namespace {

constexpr const char* kNoData = "传入的DataVO为nil";

struct Failure {
    const char* code;
    const char* phrase;
};

constexpr Failure kLocalTaxFailure{"70019502", "更新指定企业的地税信息发生异常"};
constexpr Failure kStateTaxFailure{"70019503", "更新指定企业的国税信息发生异常"};
// The basic-data log line has always carried a "+" after the code; log readers match it.
constexpr Failure kBasicFailure{"70019504", "+更新指定企业的基础信息发生异常"};

// The current-company object when it holds the given company, else null.
TDataVO* CurrentCompanyIf(const QString& companyId) {
    TDataVO* company = ModuleLib::GetCompanyInfoVO();
    return ContextValues::IsCompany(company, companyId) ? company : nullptr;
}

// What a write that raised leaves: the operation's error text and an error
// line in the log. Always false.
bool ReportRaised(const Failure& failure, const QString& message, QString& errorText) {
    const QString phrase = QString::fromUtf8(failure.phrase);
    errorText = phrase.startsWith(QLatin1Char('+')) ? phrase.mid(1) : phrase;
    logQuery::Error("1", QLatin1String(failure.code) + QStringLiteral("：") + phrase +
                             QStringLiteral("：") + message + errorText);
    return false;
}

// Runs the write; anything it raises is reported as above.
template <typename Write>
bool Guarded(const Failure& failure, QString& errorText, Write write) {
    try {
        return write();
    } catch (const std::exception& error) {
        return ReportRaised(failure, QString::fromLocal8Bit(error.what()), errorText);
    } catch (...) {
        return ReportRaised(failure, QStringLiteral("未知异常"), errorText);
    }
}

// What differs between the local-tax and the state-tax row.
struct TaxRowKind {
    const char* table;
    const char* requiredKey;
    const char* missingText;
    Failure failure;
    bool (*buildSql)(const QString&, const TDataVO&, bool, QString&, QString&);
    std::unique_ptr<TDataVO> (*load)(const QString&);
    const char* child;
};

const TaxRowKind kLocalTaxRow{"XT_QYDSXX",
                              "KJYWRBM",
                              "传入的企业ID或扣缴义务人编码为空",
                              kLocalTaxFailure,
                              &WriteBackSql::LocalTax,
                              &TaxRecords::LoadLocalTax,
                              "QYDSXX"};
const TaxRowKind kStateTaxRow{"XT_QYGSXX",
                              "NSRSBH",
                              "传入的企业ID或纳税人识别号为空",
                              kStateTaxFailure,
                              &WriteBackSql::StateTax,
                              &TaxRecords::LoadStateTax,
                              "QYGSXX"};

// Nothing is written for an id without a company: a tax row would be an
// orphan, and the basic-data update would match no row yet report success.
// Nor for a company the operator may not work for, asked of the one gate.
bool CompanyExists(TCompanySelectMgr& manager, const QString& companyId, QString& errorText) {
    using Access = TCompanySelectMgr::Access;
    const char* format = nullptr;
    switch (manager.AccessTo(companyId)) {
        case Access::Granted:
            return true;
        case Access::NotANumber:
            format = "传入的企业ID[%1]不是有效的数字";
            break;
        case Access::Unreadable:
            format = "无法确认ID为[%1]的企业是否存在";
            break;
        case Access::NoCompany:
            format = "企业信息中没有ID为[%1]的企业";
            break;
        case Access::OwnRow:
            // Their settings windows write them, a write-back never.
            format = "ID为[%1]的记录是代理机构或办税员的，不写入企业信息";
            break;
        case Access::NotGranted:
            format = "操作员无权写入ID为[%1]的企业";
            break;
    }
    errorText = QString::fromUtf8(format).arg(companyId);
    return false;
}

// The company's check and the write as one step, serialised with the
// company's delete: a delete between them would leave a tax row without its
// company, or an update of no row reported as written.
template <typename Write>
bool AsOneStep(const QString& companyId, QString& errorText, Write write) {
    TTransaction transaction(ModuleLib::TransactionMode::Serialized,
                             companyId.trimmed().toLongLong());
    if (!transaction.IsActive()) {
        errorText = transaction.ErrorText();
        return false;
    }
    if (!write()) {
        return false;
    }
    if (!transaction.Commit()) {
        errorText =
            transaction.OutcomeUnknown() ? CommitOutcome::UnknownText() : transaction.ErrorText();
        return false;
    }
    return true;
}

bool WriteTaxRow(const TaxRowKind& kind, const QString& companyId, const TDataVO* data,
                 bool rowExists, QString& errorText) {
    QString sql;
    if (!kind.buildSql(companyId, *data, rowExists, sql, errorText) ||
        !SqlQuery::Execute("write registration data", sql, errorText)) {
        return false;
    }
    // The current company's child is replaced with the row as written.
    if (TDataVO* company = CurrentCompanyIf(companyId)) {
        company->SetObjValue(QLatin1String(kind.child), kind.load(companyId).release());
    }
    return true;
}

// The company's tax row inserted, or updated when it has one: false with the
// reason when the company is gone or its row could not be looked for.
bool WriteTaxInfo(TCompanySelectMgr& manager, const TaxRowKind& kind, const QString& companyId,
                  const TDataVO* data, QString& errorText) {
    bool ran = false;
    if (!CompanyExists(manager, companyId, errorText)) {
        return false;
    }
    const bool rowExists = manager.RowExists(kind.table, companyId, &ran, &errorText);
    return ran && WriteTaxRow(kind, companyId, data, rowExists, errorText);
}

// A key the write requires that the data leaves empty; none required, none lacking.
bool LacksKey(const TDataVO& data, const char* key) {
    if (key == nullptr) {
        return false;
    }
    return data.GetStrValue(QLatin1String(key)).isEmpty();
}

// The checks every write starts with; false with errorText set when refused.
bool Acceptable(const QString& companyId, const TDataVO* data, const char* requiredKey,
                const char* missingText, QString& errorText) {
    if (data == nullptr) {
        errorText = QString::fromUtf8(kNoData);
        return false;
    }
    if (companyId.isEmpty() || LacksKey(*data, requiredKey)) {
        errorText = QString::fromUtf8(missingText);
        return false;
    }
    return true;
}

}  // namespace

bool TCompanySelectMgr::WriteLocalTaxInfo(const QString& companyId, const TDataVO* data,
                                          QString& errorText) {
    const TChangeSource source(ChangeSources::kLocalTaxWriteBack);
    const TaxRowKind& kind = kLocalTaxRow;
    if (!Acceptable(companyId, data, kind.requiredKey, kind.missingText, errorText)) {
        return false;
    }
    return Guarded(kind.failure, errorText, [&] {
        return AsOneStep(companyId, errorText,
                         [&] { return WriteTaxInfo(*this, kind, companyId, data, errorText); });
    });
}

bool TCompanySelectMgr::WriteStateTaxInfo(const QString& companyId, const TDataVO* data,
                                          QString& errorText) {
    const TChangeSource source(ChangeSources::kStateTaxWriteBack);
    const TaxRowKind& kind = kStateTaxRow;
    if (!Acceptable(companyId, data, kind.requiredKey, kind.missingText, errorText)) {
        return false;
    }
    return Guarded(kind.failure, errorText, [&] {
        return AsOneStep(companyId, errorText,
                         [&] { return WriteTaxInfo(*this, kind, companyId, data, errorText); });
    });
}

bool TCompanySelectMgr::WriteBasicInfo(const QString& companyId, const TDataVO* data,
                                       QString& errorText) {
    const TChangeSource source(ChangeSources::kBasicWriteBack);
    if (!Acceptable(companyId, data, nullptr, "传入的企业ID为空", errorText)) {
        return false;
    }
    return Guarded(kBasicFailure, errorText, [&] {
        return AsOneStep(companyId, errorText, [&] {
            QString sql;
            if (!CompanyExists(*this, companyId, errorText) ||
                !WriteBackSql::Basic(companyId, *data, sql, errorText) ||
                !SqlQuery::Execute("write basic company data", sql, errorText)) {
                return false;
            }
            if (CurrentCompanyIf(companyId) != nullptr) {
                LoadCompanyInfo(companyId);
            }
            return true;
        });
    });
}
