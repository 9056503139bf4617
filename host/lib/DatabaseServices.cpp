// The database calls the module makes besides transactions: run a statement
// on a connection (failures logged), name the engine, spell a date for SQL.
#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>

#include "DatabaseConnection.h"
#include "HostServices.h"

namespace ModuleLib {

bool ExecADOQueryMsg(const QString& connection, const QString& sql, TADOQuery& query,
                     QString& errorText, int open, int /*reserved*/) {
    const bool ok = open == 1 ? query.Open(connection, sql, errorText)
                              : query.Execute(connection, sql, errorText);
    if (!ok) {
        logQuery::Error("1", QStringLiteral("执行SQL语句失败：%1；语句：%2").arg(errorText, sql));
    }
    return ok;
}

QString GetDBType(const QString& connection) {
    if (!QSqlDatabase::contains(connection)) {
        return QString();
    }
    return DatabaseConnection::EngineName(QSqlDatabase::database(connection, false).driverName());
}

QString GetSQLDataTime(const QString& connection, const QString& dateText) {
    const QString text = dateText.trimmed();
    QString normalized = text;
    static const char* const kDateTimeFormats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                                                   "yyyy/M/d H:mm:ss"};
    static const char* const kDateFormats[] = {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyyMMdd"};
    bool isDateTime = false;
    bool parsed = false;
    for (const char* format : kDateTimeFormats) {
        const QDateTime value = QDateTime::fromString(text, QLatin1String(format));
        if (value.isValid()) {
            normalized = value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            isDateTime = parsed = true;
            break;
        }
    }
    for (const char* format : kDateFormats) {
        if (parsed) {
            break;
        }
        const QDate value = QDate::fromString(text, QLatin1String(format));
        if (value.isValid()) {
            normalized = value.toString(Qt::ISODate);
            parsed = true;
        }
    }
    // The text is quoted even when it is no date: the engine then rejects it
    // or stores it, but it never becomes part of the statement.
    const QString quoted =
        QLatin1Char('\'') + ReplaceStr(normalized, "'", "''") + QLatin1Char('\'');
    if (GetDBType(connection) == QLatin1String("POSTGRESQL")) {
        return (isDateTime ? QStringLiteral("TIMESTAMP ") : QStringLiteral("DATE ")) + quoted;
    }
    return quoted;
}

}  // namespace ModuleLib
