#include "CompanyHistory.h"

#include "CompanySelectMgr.h"
#include "HostServices.h"
#include "SqlQuery.h"
#include "SqlWriter.h"

namespace CompanyHistory {

namespace {

constexpr std::string_view kTable = "XT_QYBGJL";

// The company as the statement spells it, once the operator may see it.
bool Company(const QString& companyId, QString& spelled) {
    QString ignored;
    return TCompanySelectMgr::ForLoggedInOperator().MayWorkFor(companyId) &&
           SqlWriter::Spell(kTable, QStringLiteral("QYID"), TSqlValue::Of(companyId), spelled,
                            ignored);
}

QString Spelled(const char* column, const QString& value) {
    QString spelled, ignored;
    SqlWriter::Spell(kTable, QLatin1String(column), TSqlValue::Of(value), spelled, ignored);
    return spelled;
}

std::optional<QString> Nullable(const TADOQuery& rows, int column) {
    return rows.FieldIsNull(column) ? std::nullopt
                                    : std::optional<QString>(rows.FieldAsString(column));
}

}  // namespace

bool ReadPage(const QString& companyId, const QString& column, const std::optional<TAfter>& after,
              int count, std::vector<TChange>& changes) {
    changes.clear();
    QString company;
    if (!Company(companyId, company)) {
        return false;
    }
    QString sql = QStringLiteral(
                      "select JLID, BGSJ, CZY_DM, ZJM, BM, ZD, JZ, XZ, LY, CZ from XT_QYBGJL "
                      "where QYID=%1")
                      .arg(company);
    if (!column.isEmpty()) {
        sql += QStringLiteral(" and BM=%1 and ZD=%2")
                   .arg(Spelled("BM", column.section(QLatin1Char('.'), 0, 0)),
                        Spelled("ZD", column.section(QLatin1Char('.'), 1)));
    }
    if (after) {
        // The index on company and time finds the page's start at once.
        sql += QStringLiteral(" and (BGSJ < %1 or (BGSJ = %1 and JLID < %2))")
                   .arg(Spelled("BGSJ", after->time))
                   .arg(after->id);
    }
    sql += QStringLiteral(" order by BGSJ desc, JLID desc limit %1").arg(count);
    return SqlQuery::ReadRows("read a company's history", sql, [&](TADOQuery& rows) {
        for (; !rows.Eof(); rows.Next()) {
            TChange change;
            change.id = rows.FieldAsString(0).toLongLong();
            change.time = rows.FieldAsString(1);
            change.operatorCode = rows.FieldAsString(2);
            change.desk = rows.FieldAsString(3);
            change.table = rows.FieldAsString(4);
            change.column = rows.FieldAsString(5);
            change.oldValue = Nullable(rows, 6);
            change.newValue = Nullable(rows, 7);
            change.source = rows.FieldAsString(8);
            change.action = rows.FieldAsString(9);
            changes.push_back(std::move(change));
        }
    });
}

bool ReadColumns(const QString& companyId, QStringList& columns) {
    columns.clear();
    QString company;
    return Company(companyId, company) &&
           SqlQuery::ReadRows(
               "read a company's history",
               QStringLiteral("select distinct BM, ZD from XT_QYBGJL where QYID=%1 order by BM, ZD")
                   .arg(company),
               [&](TADOQuery& rows) {
                   for (; !rows.Eof(); rows.Next()) {
                       columns << rows.FieldAsString(0) + QLatin1Char('.') + rows.FieldAsString(1);
                   }
               });
}

}  // namespace CompanyHistory
