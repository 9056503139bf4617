// Statements that store registration data handed in by other modules.
// Values come from a named value object whose entries are named like the
// columns; absent entries read as empty.
#pragma once

#include <QString>

class TDataVO;

namespace WriteBackSql {

// Each returns false, with the reason in errorText, when a value that goes
// into the statement without quotes is not a number (the share capital
// included: one that cannot be read is refused, not written as 0).
bool LocalTax(const QString& companyId, const TDataVO& data, bool rowExists, QString& sql,
              QString& errorText);
bool StateTax(const QString& companyId, const TDataVO& data, bool rowExists, QString& sql,
              QString& errorText);
bool Basic(const QString& companyId, const TDataVO& data, QString& sql, QString& errorText);

// The share capital entry in cents, right-aligned in 19 characters as
// "%19.2f" would write it; empty is 0. False when it is no amount that
// NUMERIC(19,2) holds.
bool ShareCapital(const QString& text, QString& value);

}  // namespace WriteBackSql
