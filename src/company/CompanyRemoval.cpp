#include "CompanyRemoval.h"

#include "ChangeSource.h"
#include "SqlQuery.h"
#include "SqlWriter.h"
#include "Transaction.h"
#include "f_CommonUnit.h"

namespace {

// Tables of rows that belong to a company, removed before its own row.
constexpr const char* kDependentTables[] = {"QX_CZYQY", "QX_CZYZXT", "XT_QYDSXX", "XT_QYGSXX"};

// Whether the database has the table; a failed look counts as having it.
bool HasTable(const char* table) {
    TTransaction step;
    return SqlQuery::Execute(
               "look for a table",
               QStringLiteral("SELECT 1 FROM %1 WHERE 1=0").arg(QLatin1String(table))) ||
           !step.IsActive();
}

}  // namespace

namespace CompanyRemoval {

bool DeleteCompany(const QString& companyText, bool* outcomeUnknown) {
    const TChangeSource source(ChangeSources::kDelete);
    QString companyId, ignored;
    if (!SqlWriter::Spell("XT_QYXX", QStringLiteral("QYID"), TSqlValue::Of(companyText), companyId,
                          ignored)) {
        return false;
    }
    // All or nothing: a company is never left stripped of its grants and tax
    // rows while its own row stays. Serialised with the write-backs, which
    // check the company before they write its rows.
    TTransaction transaction(ModuleLib::TransactionMode::Serialized, companyId.toLongLong());
    if (!transaction.IsActive()) {
        return false;
    }
    for (const char* table : kDependentTables) {
        // A dependent table the database lacks is passed over; its savepoint
        // keeps the transaction usable on engines that abort it after an error.
        TTransaction step;
        QString error;
        if (SqlQuery::Execute(
                "delete a company's dependent rows",
                QStringLiteral("DELETE FROM %1 WHERE QYID=%2").arg(QLatin1String(table), companyId),
                error)) {
            step.Commit();
            continue;
        }
        step.Rollback();
        // Any other failure (a full disk) would leave rows of a company
        // that is gone.
        if (HasTable(table)) {
            return false;
        }
    }
    QString error;
    qint64 deleted = 0;
    const QString sql = QStringLiteral("delete from XT_QYXX WHERE QYID=") + companyId;
    if (!SqlQuery::Execute("delete a company", sql, error, &deleted) || deleted <= 0) {
        return false;
    }
    const bool committed = transaction.Commit();
    if (outcomeUnknown != nullptr) {
        *outcomeUnknown = transaction.OutcomeUnknown();
    }
    return committed;
}

}  // namespace CompanyRemoval
