#include "CompanyRemoval.h"

#include "SqlQuery.h"
#include "SqlWriter.h"
#include "Transaction.h"
#include "f_CommonUnit.h"

namespace {

// Rows that belong to a company, removed before its own row.
constexpr const char* kDependentDeletes[] = {
    "DELETE FROM QX_CZYQY WHERE QYID=",
    "DELETE FROM QX_CZYZXT WHERE QYID=",
    "DELETE FROM XT_QYDSXX WHERE QYID=",
    "DELETE FROM XT_QYGSXX WHERE QYID=",
};

}  // namespace

namespace CompanyRemoval {

bool DeleteCompany(const QString& companyText, bool* outcomeUnknown) {
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
    for (const char* head : kDependentDeletes) {
        // A dependent table that refuses is tolerated; its savepoint keeps the
        // transaction usable on engines that abort it after an error.
        TTransaction step;
        QString error;
        if (SqlQuery::Execute("delete a company's dependent rows", QLatin1String(head) + companyId,
                              error)) {
            step.Commit();
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
