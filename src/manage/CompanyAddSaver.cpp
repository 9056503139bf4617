#include "CompanyAddSaver.h"

#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "TaxIdKey.h"
#include "Transaction.h"
#include "f_CommonUnit.h"

namespace {

constexpr const char* kAgencyServedClass = "10";
constexpr const char* kOrdinaryClass = "0";

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + QuoteSqlValue(text) + QLatin1Char('\'');
}

// True when the statement ran; exists tells whether the number is taken.
bool TaxIdExists(const QString& taxId, bool& exists) {
    exists = false;
    return SqlQuery::ReadRows("look for a taxpayer id",
                              QStringLiteral("Select 1 from XT_QYXX where QYSBH =") + Quoted(taxId),
                              [&](TADOQuery& query) { exists = !query.Eof(); });
}

// The agency's own row; empty when there is none.
QString AgencyId() {
    QString id;
    SqlQuery::ReadValue("find the agency row",
                        QStringLiteral("select QYID from XT_QYXX where LBDM=19"), "QYID", id);
    return IsSqlInteger(id) ? id : QString();
}

QString InsertSql(const QString& taxId, const QString& name, const QString& phone,
                  const QString& agencyId) {
    const QString values = Quoted(taxId) + QLatin1Char(',') + Quoted(name) + QLatin1Char(',') +
                           Quoted(phone) + QLatin1Char(',');
    if (!agencyId.isEmpty()) {
        return QStringLiteral("INSERT INTO XT_QYXX(QYSBH,QYMC,QYDHHM,LBDM,SSDLJGID) VALUES(") +
               values + QLatin1String(kAgencyServedClass) + QStringLiteral(", ") + agencyId +
               QStringLiteral(") RETURNING QYID");
    }
    return QStringLiteral("INSERT INTO XT_QYXX(QYSBH,QYMC,QYDHHM,LBDM) VALUES(") + values +
           QLatin1String(kOrdinaryClass) + QStringLiteral(") RETURNING QYID");
}

}  // namespace

namespace CompanyAddSaver {

Outcome CheckEntries(const QString& taxIdText, const QString& name, const QString& phone) {
    const QString taxId = taxIdText.trimmed();
    if (taxId.isEmpty()) {
        return Outcome::MissingTaxId;
    }
    if (HasInvisibleCharacter(taxId)) {
        return Outcome::InvisibleTaxId;
    }
    if (taxId.size() > kTaxIdMaxLength) {
        return Outcome::TaxIdTooLong;
    }
    if (name.size() > kNameMaxLength) {
        return Outcome::NameTooLong;
    }
    if (phone.size() > kPhoneMaxLength) {
        return Outcome::PhoneTooLong;
    }
    if (!IsValidPhone(phone)) {
        return Outcome::InvalidPhone;
    }
    return Outcome::Saved;
}

QString RefusalText(Outcome outcome) {
    switch (outcome) {
        case Outcome::MissingTaxId:
            return QStringLiteral("缺少纳税人识别号");
        case Outcome::InvisibleTaxId:
            return QStringLiteral("纳税人识别号含有控制字符或不可见字符");
        case Outcome::TaxIdTooLong:
            return QStringLiteral("纳税人识别号超过%1个字符").arg(kTaxIdMaxLength);
        case Outcome::NameTooLong:
            return QStringLiteral("单位名称超过%1个字符").arg(kNameMaxLength);
        case Outcome::PhoneTooLong:
            return QStringLiteral("联系电话超过%1个字符").arg(kPhoneMaxLength);
        case Outcome::InvalidPhone:
            return QStringLiteral("电话号码无效");
        default:
            return QString();
    }
}

Result Save(const QString& taxIdText, const QString& name, const QString& phone,
            const ConfirmSimilar& confirmSimilar,
            const ConfirmCheckCharacter& confirmCheckCharacter) {
    Result result;
    result.taxId = taxIdText.trimmed();
    result.outcome = CheckEntries(taxIdText, name, phone);
    if (result.outcome != Outcome::Saved) {
        return result;
    }
    result.outcome = Outcome::Failed;
    try {
        if (confirmSimilar) {
            bool exists = false;
            if (!TaxIdExists(result.taxId, exists)) {
                return result;
            }
            if (exists) {
                result.outcome = Outcome::Duplicate;
                return result;
            }
            QStringList similar;
            if (!FindSimilarTaxIds(result.taxId, similar)) {
                return result;
            }
            // Another role's companies are not named, only said to exist.
            if (!similar.isEmpty() &&
                !confirmSimilar(TCompanySelectMgr::ForLoggedInOperator().NameableTaxIds(similar))) {
                result.outcome = Outcome::Declined;
                return result;
            }
        }
        if (confirmCheckCharacter && !HasValidCheckCharacter(result.taxId) &&
            !confirmCheckCharacter()) {
            result.outcome = Outcome::Declined;
            return result;
        }
        // Check and insert as one step for every desk: two desks adding the
        // same number cannot both find it free.
        TTransaction transaction(ModuleLib::TransactionMode::Serialized);
        if (!transaction.IsActive()) {
            logQuery::Warn("1", QStringLiteral("新增企业：") + transaction.ErrorText());
            return result;
        }
        bool exists = false;
        if (!TaxIdExists(result.taxId, exists)) {
            return result;
        }
        if (exists) {
            result.outcome = Outcome::Duplicate;
            return result;
        }
        QString agencyId;
        if (ModuleLib::CheckAgencyExist()) {
            agencyId = AgencyId();
            if (agencyId.isEmpty()) {
                logQuery::Warn("1", QStringLiteral("新增企业：没有代理机构的企业信息"));
                return result;
            }
        }
        QString companyId;
        if (!SqlQuery::ReadValue("add a company", InsertSql(result.taxId, name, phone, agencyId),
                                 "QYID", companyId)) {
            return result;
        }
        // Both engines hand the new id back; a row without one is not kept.
        if (!IsSqlInteger(companyId) || !transaction.Commit()) {
            return result;
        }
        result.companyId = companyId;
        result.outcome = Outcome::Saved;
        return result;
    } catch (...) {
        return result;
    }
}

}  // namespace CompanyAddSaver
