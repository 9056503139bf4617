#include "SqlQuery.h"

#include <exception>

#include "HostServices.h"

namespace SqlQuery {

namespace {

void LogFailure(const char* operation, const QString& reason) {
    logQuery::Warn("1", QString::fromUtf8(operation) + QStringLiteral("：") + reason);
}

// Runs work, turning anything it raises into a logged failure.
template <typename Work>
bool Guarded(const char* operation, QString& errorText, Work work) {
    try {
        if (work()) {
            return true;
        }
    } catch (const std::exception& error) {
        errorText = QString::fromLocal8Bit(error.what());
    } catch (...) {
        errorText = QStringLiteral("unknown exception");
    }
    LogFailure(operation, errorText);
    return false;
}

}  // namespace

bool Execute(const char* operation, const QString& sql, QString& errorText, qint64* rowsAffected) {
    errorText.clear();
    if (rowsAffected != nullptr) {
        *rowsAffected = 0;
    }
    return Guarded(operation, errorText, [&] {
        TADOQuery query;
        if (!ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, errorText, 0)) {
            return false;
        }
        if (rowsAffected != nullptr) {
            *rowsAffected = query.RowsAffected();
        }
        return true;
    });
}

bool Storable(const QString& sql) {
    return !sql.contains(QChar(0));
}

bool Execute(const char* operation, const QString& sql) {
    QString ignored;
    return Execute(operation, sql, ignored);
}

bool ReadValue(const char* operation, const QString& sql, const char* column, QString& value,
               bool* found, QString* reason) {
    value.clear();
    if (found != nullptr) {
        *found = false;
    }
    QString ignored;
    QString& errorText = reason != nullptr ? *reason : ignored;
    return Guarded(operation, errorText, [&] {
        TADOQuery query;
        if (!ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, errorText, 1)) {
            return false;
        }
        if (!query.Eof()) {
            value = query.FieldByName(QLatin1String(column));
            if (found != nullptr) {
                *found = true;
            }
        }
        return true;
    });
}

bool ReadRows(const char* operation, const QString& sql,
              const std::function<void(TADOQuery& rows)>& read) {
    QString errorText;
    return Guarded(operation, errorText, [&] {
        TADOQuery query;
        if (!ModuleLib::ExecADOQueryMsg(kMainConnection, sql, query, errorText, 1)) {
            return false;
        }
        read(query);
        return true;
    });
}

}  // namespace SqlQuery
