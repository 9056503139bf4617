// Registration data that other modules hand in, written for one company.
#include <exception>

#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "TaxRecords.h"
#include "WriteBackSql.h"
#include "f_CommonUnit.h"

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

bool IsCurrentCompany(const QString& companyId) {
    const TDataVO* company = ModuleLib::GetCompanyInfoVO();
    return company != nullptr && company->GetStrValue("QYID") == companyId;
}

bool Execute(const QString& sql, QString& errorText) {
    TADOQuery query;
    return ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, errorText, 0);
}

// Runs the write; anything it raises becomes the operation's error text and
// an error line in the log.
template <typename Write>
bool Guarded(const Failure& failure, QString& errorText, Write write) {
    auto report = [&](const QString& message) {
        const QString phrase = QString::fromUtf8(failure.phrase);
        errorText = phrase.startsWith(QLatin1Char('+')) ? phrase.mid(1) : phrase;
        logQuery::Error("1", QLatin1String(failure.code) + QStringLiteral("：") + phrase +
                                 QStringLiteral("：") + message + errorText);
        return false;
    };
    try {
        return write();
    } catch (const std::exception& error) {
        return report(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return report(QStringLiteral("未知异常"));
    }
}

// Replaces a child of the current-company object with a freshly read row.
void RefreshChild(const char* name, std::unique_ptr<TDataVO> child) {
    if (TDataVO* company = ModuleLib::GetCompanyInfoVO()) {
        company->SetObjValue(QLatin1String(name), child.release());
    }
}

// What differs between the local-tax and the state-tax row.
struct TaxRowKind {
    const char* requiredKey;
    const char* missingText;
    Failure failure;
    bool (*buildSql)(const QString&, const TDataVO&, bool, QString&, QString&);
    std::unique_ptr<TDataVO> (*load)(const QString&);
    const char* child;
};

const TaxRowKind kLocalTaxRow{"KJYWRBM",
                              "传入的企业ID或扣缴义务人编码为空",
                              kLocalTaxFailure,
                              &WriteBackSql::LocalTax,
                              &TaxRecords::LoadLocalTax,
                              "QYDSXX"};
const TaxRowKind kStateTaxRow{"NSRSBH",
                              "传入的企业ID或纳税人识别号为空",
                              kStateTaxFailure,
                              &WriteBackSql::StateTax,
                              &TaxRecords::LoadStateTax,
                              "QYGSXX"};

bool WriteTaxRow(const TaxRowKind& kind, const QString& companyId, const TDataVO* data,
                 bool rowExists, QString& errorText) {
    QString sql;
    if (!kind.buildSql(companyId, *data, rowExists, sql, errorText) || !Execute(sql, errorText)) {
        return false;
    }
    if (IsCurrentCompany(companyId)) {
        RefreshChild(kind.child, kind.load(companyId));
    }
    return true;
}

// The checks every write starts with; false with errorText set when refused.
bool Acceptable(const QString& companyId, const TDataVO* data, const char* requiredKey,
                const char* missingText, QString& errorText) {
    if (data == nullptr) {
        errorText = QString::fromUtf8(kNoData);
        return false;
    }
    if (companyId.isEmpty() ||
        (requiredKey != nullptr && data->GetStrValue(QLatin1String(requiredKey)).isEmpty())) {
        errorText = QString::fromUtf8(missingText);
        return false;
    }
    return true;
}

}  // namespace

bool TCompanySelectMgr::WriteLocalTaxInfo(const QString& companyId, const TDataVO* data,
                                          QString& errorText) {
    const TaxRowKind& kind = kLocalTaxRow;
    if (!Acceptable(companyId, data, kind.requiredKey, kind.missingText, errorText)) {
        return false;
    }
    return Guarded(kind.failure, errorText, [&] {
        return WriteTaxRow(kind, companyId, data, LocalTaxInfoExists(companyId), errorText);
    });
}

bool TCompanySelectMgr::WriteStateTaxInfo(const QString& companyId, const TDataVO* data,
                                          QString& errorText) {
    const TaxRowKind& kind = kStateTaxRow;
    if (!Acceptable(companyId, data, kind.requiredKey, kind.missingText, errorText)) {
        return false;
    }
    return Guarded(kind.failure, errorText, [&] {
        return WriteTaxRow(kind, companyId, data, StateTaxInfoExists(companyId), errorText);
    });
}

bool TCompanySelectMgr::WriteBasicInfo(const QString& companyId, const TDataVO* data,
                                       QString& errorText) {
    if (!Acceptable(companyId, data, nullptr, "传入的企业ID为空", errorText)) {
        return false;
    }
    return Guarded(kBasicFailure, errorText, [&] {
        QString sql;
        if (!WriteBackSql::Basic(companyId, *data, sql, errorText) || !Execute(sql, errorText)) {
            return false;
        }
        if (IsCurrentCompany(companyId)) {
            LoadCompanyInfo(companyId);
        }
        return true;
    });
}
