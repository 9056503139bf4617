// The floor: a statement stepped through with the engine's own C library,
// reading the named columns of every row as text and keeping them, one block
// per row, as a list keeps its rows; nothing more.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct pg_conn;

namespace Floor {

// Rows read, or -1 when the statement failed (errorText says why).
long long Sqlite(sqlite3* db, const QString& sql, const std::vector<std::string>& columns,
                 QString& errorText);
long long Postgres(pg_conn* db, const QString& sql, const std::vector<std::string>& columns,
                   QString& errorText);

// Runs the statements one after the other and keeps what they return: every
// row's texts copied into one block of their own, as a list keeps its rows.
// The count of statements run, or -1 when one failed.
long long KeepSqlite(sqlite3* db, const QStringList& statements, QString& errorText);
long long KeepPostgres(pg_conn* db, const QStringList& statements, QString& errorText);

// Frees what the last replay kept, outside the timed part.
void DropKept();

// What the texts read so far add up to, so that reading them is never optimised away.
unsigned long long Checksum();

}  // namespace Floor
