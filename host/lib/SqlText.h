// Checks and rewrites of SQL text before it reaches an engine: one statement
// per call, and the spelling of right() that SQLite accepts.
#pragma once

#include <QString>

namespace SqlText {

// SQLite reads RIGHT as the keyword of RIGHT JOIN; calls of right() become
// "right"(...), which SQLite takes as the function. Literals and comments stay
// as they are.
QString AdaptToSqlite(const QString& sql);

// Both sides of "column like 'pattern'", and of the tail match's
// "mid(...)='text'" (substr, SUBSTRING), wrapped in search_fold(), so every
// engine compares them with letter case and full-width forms folded, as
// typing in a list does. Quoted names as operands are left as they are.
QString FoldLikeOperands(const QString& sql);

// text as an SQL literal: between single quotes, every quote in it doubled.
// The one spelling of a text the host puts into its own statements.
QString Literal(QString text);

// True when nothing but blanks and ";" follows the statement SQLite prepared.
bool OnlyBlanksOrSeparators(const char* tail);

// True when text follows the first statement's closing ";" outside quotes and
// comments. Dollar-quoted and escape strings, and the identifiers in backticks
// or brackets that SQLite also reads, are not used by the module, so a text
// with them counts as more than one statement too.
bool HasSecondStatement(const QString& sql);

}  // namespace SqlText
