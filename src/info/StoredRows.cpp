#include "StoredRows.h"

#include "HostServices.h"
#include "SqlQuery.h"
#include "TableColumns.h"
#include "f_CommonUnit.h"

namespace {

struct Table {
    const char* name;
    TableColumns::ColumnList columns;
};

const Table kTables[] = {
    {"XT_QYXX", TableColumns::kCompany},
    {"XT_QYDSXX", TableColumns::kLocalTax},
    {"XT_QYGSXX", TableColumns::kStateTax},
};

}  // namespace

bool TStoredRows::Take(const QString& companyId) {
    rows_.clear();
    if (!IsSqlInteger(companyId)) {
        return false;
    }
    for (const Table& table : kTables) {
        std::optional<Row> row;
        const bool read = SqlQuery::ReadRows(
            "read a company's rows before writing",
            QStringLiteral("select * from %1 where QYID=%2")
                .arg(QLatin1String(table.name), companyId.trimmed()),
            [&](TADOQuery& rows) {
                if (rows.Eof()) {
                    return;
                }
                row.emplace();
                for (const TableColumns::Column& column : table.columns) {
                    const QString name = QString::fromLatin1(
                        column.name.data(), static_cast<qsizetype>(column.name.size()));
                    const int index = rows.FieldIndex(name);
                    (*row)[name] = index >= 0 ? rows.FieldAsString(index) : QString();
                }
            });
        if (!read) {
            rows_.clear();
            return false;
        }
        rows_[QLatin1String(table.name)] = std::move(row);
    }
    return true;
}

QStringList TStoredRows::Differences(const TStoredRows& before, const TStoredRows& now) {
    QStringList differences;
    for (const Table& table : kTables) {
        const QString name = QLatin1String(table.name);
        const auto was = before.rows_.find(name);
        const auto is = now.rows_.find(name);
        const bool hadRow = was != before.rows_.end() && was->second.has_value();
        const bool hasRow = is != now.rows_.end() && is->second.has_value();
        if (hadRow != hasRow) {
            differences << name;
            continue;
        }
        if (!hadRow) {
            continue;
        }
        // Both readings hold every column of the table.
        for (const auto& [column, value] : *was->second) {
            if (is->second->at(column) != value) {
                differences << name + QLatin1Char('.') + column;
            }
        }
    }
    return differences;
}

RowsCheck CheckRowsAsLoaded(const TStoredRows& loaded, const QString& companyId) {
    if (!loaded.Taken()) {
        return RowsCheck::Write;
    }
    TStoredRows now;
    if (!now.Take(companyId)) {
        return RowsCheck::Unreadable;
    }
    const QStringList differences = TStoredRows::Differences(loaded, now);
    if (differences.isEmpty()) {
        return RowsCheck::Write;
    }
    const QString text = QStringLiteral(
                             "单位信息在打开后已被其他用户修改：%1。\n"
                             "选择“是”覆盖保存，“否”重新读取（放弃本次修改），“取消”暂不保存。")
                             .arg(differences.join(QStringLiteral("、")));
    switch (ModuleLib::InfoMsgBox(text, 2)) {
        case 1:
            return RowsCheck::Write;
        case 2:
            return RowsCheck::Reload;
        default:
            return RowsCheck::Wait;
    }
}
