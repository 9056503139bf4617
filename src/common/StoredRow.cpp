#include "StoredRow.h"

#include "HostServices.h"
#include "SqlQuery.h"
#include "Transaction.h"

bool TStoredRow::Read(std::string_view table, const QString& id, std::optional<TStoredRow>& row) {
    row.reset();
    const TableColumns::Table* found = nullptr;
    for (const TableColumns::Table& t : TableColumns::kTables) {
        found = t.name == table ? &t : found;
    }
    if (found == nullptr || !IsSqlInteger(id)) {
        return false;
    }
    return SqlQuery::ReadRows("read a stored row",
                              QStringLiteral("select * from %1 where QYID=%2")
                                  .arg(TableColumns::Name(table), id.trimmed()),
                              [&](TADOQuery& rows) {
                                  if (rows.Eof()) {
                                      return;
                                  }
                                  row.emplace();
                                  for (const TableColumns::Column& column : found->columns) {
                                      const QString name = TableColumns::Name(column.name);
                                      const int index = rows.FieldIndex(name);
                                      if (index < 0 || rows.FieldIsNull(index)) {
                                          row->nulls_.insert(name);
                                          row->values_[name] = QString();
                                      } else {
                                          row->values_[name] = rows.FieldAsString(index);
                                      }
                                  }
                              });
}

QString TStoredRow::Text(const QString& column) const {
    const auto found = values_.find(column.toUpper());
    return found != values_.end() ? found->second : QString();
}

bool TStoredRow::IsNull(const QString& column) const {
    return nulls_.count(column.toUpper()) > 0 || values_.count(column.toUpper()) == 0;
}

bool TStoredRow::Same(const TStoredRow& other, const QString& column) const {
    return IsNull(column) == other.IsNull(column) && Text(column) == other.Text(column);
}

QStringList ChangedMeanwhile(std::string_view table, const std::optional<TStoredRow>& loaded,
                             const std::optional<TStoredRow>& now, const QStringList& written) {
    const QString name = TableColumns::Name(table);
    if (loaded.has_value() != now.has_value()) {
        return {name};
    }
    QStringList changed;
    if (!loaded) {
        return changed;
    }
    for (const QString& column : written) {
        if (!loaded->Same(*now, column)) {
            changed << name + QLatin1Char('.') + column.toUpper();
        }
    }
    return changed;
}

OtherDeskChoice AskAboutOtherDesk(const QStringList& changed) {
    const QString text = QStringLiteral(
                             "单位信息在打开后已被其他用户修改：%1。\n"
                             "选择“是”覆盖保存，“否”重新读取（放弃本次修改），“取消”暂不保存。")
                             .arg(changed.join(QStringLiteral("、")));
    switch (ModuleLib::InfoMsgBox(text, 2)) {
        case 1:
            return OtherDeskChoice::Overwrite;
        case 2:
            return OtherDeskChoice::Reload;
        default:
            break;
    }
    return OtherDeskChoice::Wait;
}

RowSaveResult SaveRow(const TRowSave& save, const TStoredRow& loaded, QStringList& changed,
                      QString& errorText) {
    changed.clear();
    errorText.clear();
    if (!IsSqlInteger(save.id)) {
        errorText = QStringLiteral("编号[%1]不是有效的数字").arg(save.id);
        return RowSaveResult::Failed;
    }
    QString sql;
    if (!SqlWriter::Fill(save.table, save.statement, save.values, sql, errorText)) {
        return RowSaveResult::Failed;
    }
    // The check and the write in one step: another desk's save of this row
    // waits for this one, and this one for it.
    TTransaction transaction(ModuleLib::TransactionMode::Serialized,
                             save.id.trimmed().toLongLong());
    if (!transaction.IsActive()) {
        errorText = transaction.ErrorText();
        return RowSaveResult::Failed;
    }
    std::optional<TStoredRow> now;
    if (!TStoredRow::Read(save.table, save.id, now)) {
        errorText = QStringLiteral("无法读取保存前的记录");
        return RowSaveResult::Failed;
    }
    if (!now) {
        return RowSaveResult::Gone;
    }
    changed = ChangedMeanwhile(save.table, loaded, now, save.written);
    if (!changed.isEmpty()) {
        return RowSaveResult::Changed;
    }
    qint64 rows = 0;
    if (!SqlQuery::Execute("save a row", sql, errorText, &rows)) {
        return RowSaveResult::Failed;
    }
    if (rows <= 0) {
        return RowSaveResult::Gone;
    }
    if (!transaction.Commit()) {
        errorText = transaction.ErrorText();
        return transaction.OutcomeUnknown() ? RowSaveResult::Unknown : RowSaveResult::Failed;
    }
    return RowSaveResult::Saved;
}
