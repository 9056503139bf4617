#include "CompanyAddSaver.h"

#include <cstddef>
#include <unordered_map>

#include "ChangeSource.h"
#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "SqlWriter.h"
#include "TaxIdKey.h"
#include "Transaction.h"
#include "f_CommonUnit.h"

namespace {

constexpr const char* kAgencyServedClass = "10";
constexpr const char* kOrdinaryClass = "0";

// Appended in place: a statement of many rows is written once, not copied
// piece by piece.
using SqlWriter::AppendQuoted;

void AppendValues(QString& sql, const CompanyAddSaver::Entry& entry, const QString& placement) {
    sql += QLatin1Char('(');
    AppendQuoted(sql, entry.taxId);
    sql += QLatin1Char(',');
    AppendQuoted(sql, entry.name);
    sql += QLatin1Char(',');
    AppendQuoted(sql, entry.phone);
    sql += QLatin1Char(',');
    sql += placement;
    sql += QLatin1Char(')');
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

bool FindStored(const QStringList& taxIds, TaxIdSet& stored) {
    stored.clear();
    if (taxIds.isEmpty()) {
        return true;
    }
    QString sql = QStringLiteral("select QYSBH from XT_QYXX where QYSBH in (");
    qsizetype length = sql.size() + 1;
    for (const QString& taxId : taxIds) {
        length += taxId.size() + 3;
    }
    sql.reserve(length);
    for (const QString& taxId : taxIds) {
        if (&taxId != &taxIds.front()) {
            sql += QLatin1Char(',');
        }
        AppendQuoted(sql, taxId);
    }
    sql += QLatin1Char(')');
    return SqlQuery::ReadRows("look for taxpayer ids", sql, [&](TADOQuery& query) {
        for (; !query.Eof(); query.Next()) {
            stored.insert(query.FieldAsString(0));
        }
    });
}

bool AgencyOfNewCompanies(QString& agencyId) {
    agencyId.clear();
    if (!ModuleLib::CheckAgencyExist()) {
        return true;
    }
    QString id;
    SqlQuery::ReadValue("find the agency row",
                        QStringLiteral("select QYID from XT_QYXX where LBDM=19"), "QYID", id);
    if (!IsSqlInteger(id)) {
        logQuery::Warn("1", QStringLiteral("新增企业：没有代理机构的企业信息"));
        return false;
    }
    agencyId = id;
    return true;
}

bool Insert(const std::vector<Entry>& entries, const QString& agencyId, QStringList& companyIds) {
    companyIds.clear();
    QString agency, ignored;
    if (!agencyId.isEmpty() && !SqlWriter::Spell("XT_QYXX", QStringLiteral("SSDLJGID"),
                                                 TSqlValue::Of(agencyId), agency, ignored)) {
        return false;
    }
    const QString placement = agencyId.isEmpty()
                                  ? QLatin1String(kOrdinaryClass)
                                  : QLatin1String(kAgencyServedClass) + QLatin1Char(',') + agency;
    QString sql =
        agencyId.isEmpty()
            ? QStringLiteral("INSERT INTO XT_QYXX(QYSBH,QYMC,QYDHHM,LBDM) VALUES")
            : QStringLiteral("INSERT INTO XT_QYXX(QYSBH,QYMC,QYDHHM,LBDM,SSDLJGID) VALUES");
    // Taxpayer id -> its entry. A std container: QHash's growth may not
    // throw, and an add that runs out of memory must fail, not end the program.
    std::unordered_map<QString, std::size_t> indexOf;
    indexOf.reserve(entries.size());
    // Room for every row unless quotes are doubled.
    qsizetype length = sql.size() + 24;
    for (const Entry& entry : entries) {
        length +=
            entry.taxId.size() + entry.name.size() + entry.phone.size() + placement.size() + 12;
    }
    sql.reserve(length);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!indexOf.emplace(entries[i].taxId, i).second) {
            return false;
        }
        if (i > 0) {
            sql += QLatin1Char(',');
        }
        AppendValues(sql, entries[i], placement);
    }
    if (entries.empty()) {
        return true;
    }
    sql += QStringLiteral(" RETURNING QYID,QYSBH");
    // Neither engine promises the order of returned rows: they are matched
    // by the taxpayer id, which the entries hold once each. They mostly come
    // in the entries' order, so the next entry is tried first.
    std::vector<QString> idOf(entries.size());
    const bool ran = SqlQuery::ReadRows("add companies", sql, [&](TADOQuery& query) {
        std::size_t next = 0;
        for (; !query.Eof(); query.Next()) {
            const QString taxId = query.FieldAsString(1);
            std::size_t at = next;
            if (at >= entries.size() || entries[at].taxId != taxId) {
                const auto it = indexOf.find(taxId);
                if (it == indexOf.end()) {
                    continue;
                }
                at = it->second;
            }
            idOf[at] = query.FieldAsString(0);
            next = at + 1;
        }
    });
    if (!ran) {
        return false;
    }
    QStringList ids;
    ids.reserve(static_cast<qsizetype>(entries.size()));
    for (const QString& id : idOf) {
        // Both engines hand the new id back; a row without one is not kept.
        if (!IsSqlInteger(id)) {
            return false;
        }
        ids << id;
    }
    companyIds = std::move(ids);
    return true;
}

Result Save(const QString& taxIdText, const QString& name, const QString& phone,
            const ConfirmSimilar& confirmSimilar,
            const ConfirmCheckCharacter& confirmCheckCharacter) {
    const TChangeSource source(ChangeSources::kAdd);
    Result result;
    result.taxId = taxIdText.trimmed();
    result.outcome = CheckEntries(taxIdText, name, phone);
    if (result.outcome != Outcome::Saved) {
        return result;
    }
    result.outcome = Outcome::Failed;
    try {
        if (confirmSimilar) {
            TaxIdSet stored;
            if (!FindStored({result.taxId}, stored)) {
                return result;
            }
            if (!stored.empty()) {
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
        TaxIdSet stored;
        if (!FindStored({result.taxId}, stored)) {
            return result;
        }
        if (!stored.empty()) {
            result.outcome = Outcome::Duplicate;
            return result;
        }
        QString agencyId;
        QStringList companyIds;
        if (!AgencyOfNewCompanies(agencyId) ||
            !Insert({{result.taxId, name, phone}}, agencyId, companyIds)) {
            return result;
        }
        if (!transaction.Commit()) {
            if (transaction.OutcomeUnknown()) {
                result.outcome = Outcome::Unknown;
            }
            return result;
        }
        result.companyId = companyIds.front();
        result.outcome = Outcome::Saved;
        return result;
    } catch (...) {
        // Nothing was committed; the log says why the add failed.
        logQuery::Warn("1", QStringLiteral("新增企业：处理中出错，没有新增"));
        result.outcome = Outcome::Failed;
        return result;
    }
}

}  // namespace CompanyAddSaver
