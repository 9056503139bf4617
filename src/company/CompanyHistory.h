// A company's history as the database keeps it (XT_QYBGJL): every column a
// write changed, with who, where, when and through what, newest first.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace CompanyHistory {

struct TChange {
    qint64 id = 0;
    QString time;  // yyyy-MM-dd HH:mm:ss.zzz
    QString operatorCode;
    QString desk;
    QString table;
    QString column;
    std::optional<QString> oldValue;  // empty when NULL
    std::optional<QString> newValue;
    QString source;  // 信息页, 新增, an entry point's name ...
    QString action;  // I, U or D
};

// Where a page of changes starts: after this one, in the newest-first order.
struct TAfter {
    QString time;
    qint64 id = 0;
};

// Up to count changes of the company, newest first, after after (the first
// page without one); of one column ("XT_QYXX.QYMC") only, when given. False
// when the operator may not work for the company or the rows cannot be read.
bool ReadPage(const QString& companyId, const QString& column, const std::optional<TAfter>& after,
              int count, std::vector<TChange>& changes);

// The columns the company's history names ("XT_QYXX.QYMC"), for a filter.
bool ReadColumns(const QString& companyId, QStringList& columns);

}  // namespace CompanyHistory
