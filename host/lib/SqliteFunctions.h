// The text functions right() and mid() on SQLite, which lacks them: the
// company-list statements use them, and each SQLite connection gets them.
#pragma once

struct sqlite3;
class QSqlDatabase;

namespace SqliteFunctions {

// The sqlite3 handle under a Qt SQLite connection; null for other engines.
sqlite3* Handle(const QSqlDatabase& database);
// Registers right(text, n) and mid(text, start, length), counting characters,
// search_fold(text) (SqlText::FoldLikeOperands calls it) and
// change_context(part), which the history triggers read (ChangeContext).
bool Register(sqlite3* db);

}  // namespace SqliteFunctions
