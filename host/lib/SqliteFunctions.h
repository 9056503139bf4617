// The text functions right() and mid() on SQLite, which lacks them: the
// company-list statements use them, and each SQLite connection gets them.
#pragma once

struct sqlite3;
class QSqlDatabase;

namespace SqliteFunctions {

// The sqlite3 handle under a Qt SQLite connection; null for other engines.
sqlite3* Handle(const QSqlDatabase& database);
// Registers right(text, n) and mid(text, start, length), counting characters,
// and search_fold(text) (SqlText::FoldLikeOperands calls it).
bool Register(sqlite3* db);

}  // namespace SqliteFunctions
