// Every value the module splices into a statement is spelled here, by the
// type its column has in TableColumns: a text or date between single quotes
// with every quote doubled, a number bare and only when it is one, NULL, the
// column itself (an unchanged column keeps its bytes), or the host's own date
// literal. No other code quotes a value or decides that one may go bare.
#pragma once

#include <QString>

#include <map>
#include <optional>
#include <string_view>

#include "TableColumns.h"

// Every single quote doubled, for a text placed between single quotes.
QString QuoteSqlValue(const QString& text);
// A text that may go into SQL without quotes: an optional minus sign and at
// most 18 decimal digits, with blanks around them. Splice text.trimmed().
bool IsSqlInteger(const QString& text);

// What a statement gets for one column.
class TSqlValue {
  public:
    enum class Kind { Value, Null, Itself, Literal };

    // A value, spelled as its column's type asks.
    static TSqlValue Of(const QString& text) { return {Kind::Value, text}; }
    static TSqlValue Null() { return {Kind::Null, QString()}; }
    // "COL=COL": the column keeps what it holds, byte for byte.
    static TSqlValue Itself() { return {Kind::Itself, QString()}; }
    // An expression the host made for this connection (its date literal).
    static TSqlValue Literal(const QString& expression) { return {Kind::Literal, expression}; }

    Kind kind() const { return kind_; }
    const QString& text() const { return text_; }

  private:
    TSqlValue(Kind kind, QString text) : kind_(kind), text_(std::move(text)) {}
    Kind kind_;
    QString text_;
};

namespace SqlWriter {

// The type of a column of one of the module's tables (letter case ignored).
std::optional<TableColumns::ColumnType> TypeOf(std::string_view table, const QString& column);

// Appends a text between single quotes, in place.
void AppendQuoted(QString& sql, const QString& text);

// Spells a value for a column of a table. False, with the reason, when the
// column's type refuses it: a number that is none, or an unknown column.
bool Spell(std::string_view table, const QString& column, const TSqlValue& value, QString& spelled,
           QString& errorText);

// Fills each "{COLUMN}" of a statement's text with the value given for the
// column. False, with the reason, when a value is refused or a placeholder
// has no value; sql is then empty.
bool Fill(std::string_view table, const QString& text, const std::map<QString, TSqlValue>& values,
          QString& sql, QString& errorText);

}  // namespace SqlWriter
