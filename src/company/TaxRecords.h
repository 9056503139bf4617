// Columns of the local-tax (XT_QYDSXX) and state-tax (XT_QYGSXX) rows, and
// how a row is read into the current-company object.
#pragma once

#include <QString>

#include <memory>
#include <span>

class TADOQuery;
class TDataVO;

namespace TaxRecords {

// Column order of the write statements.
std::span<const char* const> LocalTaxColumns();
std::span<const char* const> StateTaxColumns();

// Key order of the child objects the company load fills.
std::span<const char* const> LocalTaxKeys();
std::span<const char* const> StateTaxKeys();

// The local-tax or state-tax row of a company as a child object for the
// current-company object, converted as the company load reads it; an empty
// object when the row is missing or cannot be read, or the id is no number.
std::unique_ptr<TDataVO> LoadLocalTax(const QString& companyId);
std::unique_ptr<TDataVO> LoadStateTax(const QString& companyId);

// A column's text as the host's copies hold it: at most 255 legacy bytes,
// the IC cards whole.
QString HostCopy(const QString& column, const QString& text);

// "yyyy-MM-dd" form of a stored date; empty gives today, and a text that
// cannot be read as a date stays as it was stored.
QString FormatUpdateDate(const QString& text);

}  // namespace TaxRecords
