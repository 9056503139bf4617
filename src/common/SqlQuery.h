// Every statement the module runs goes through here, on "MainAppCon": the
// query is made, run and freed in one place, a failure is logged with the
// operation's name and the database's reason, and nothing escapes as an
// exception.
#pragma once

#include <QString>

#include <functional>

class TADOQuery;

namespace SqlQuery {

// Runs a statement that returns no rows. errorText gets the reason on failure;
// rowsAffected, when given, the number of rows the statement changed.
bool Execute(const char* operation, const QString& sql, QString& errorText,
             qint64* rowsAffected = nullptr);
bool Execute(const char* operation, const QString& sql);

// False for a statement with a NUL character: no engine keeps one, and the
// host refuses it. A save of several statements without a transaction asks
// this of each before it runs the first, so it writes all of them or none.
bool Storable(const QString& sql);

// Reads a column of the first row. True when the statement ran; found tells
// whether there was a row (value is empty then); errorText, when given, why
// the statement failed.
bool ReadValue(const char* operation, const QString& sql, const char* column, QString& value,
               bool* found = nullptr, QString* errorText = nullptr);

// Opens the statement and hands the open result to read, which steps through
// its rows (looking column indexes up once). True when the statement ran and
// read raised nothing.
bool ReadRows(const char* operation, const QString& sql,
              const std::function<void(TADOQuery& rows)>& read);

}  // namespace SqlQuery
