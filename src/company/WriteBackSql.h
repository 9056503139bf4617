// Statements that store registration data handed in by other modules.
// Values come from a named value object whose entries are named like the
// columns; absent entries read as empty.
#pragma once

#include <QString>

class TDataVO;

namespace WriteBackSql {

// Each returns false, with the reason in errorText, when a value that goes
// into the statement without quotes is not a number.
bool LocalTax(const QString& companyId, const TDataVO& data, bool rowExists, QString& sql,
              QString& errorText);
bool StateTax(const QString& companyId, const TDataVO& data, bool rowExists, QString& sql,
              QString& errorText);
bool Basic(const QString& companyId, const TDataVO& data, QString& sql, QString& errorText);

// "%19.2f" form of a share capital entry; anything but a number counts as 0.
QString ShareCapital(const QString& text);

}  // namespace WriteBackSql
