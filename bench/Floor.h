// The floor: a statement stepped through with the engine's own C library,
// reading the named columns of every row as text and nothing more.
#pragma once

#include <QString>

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

// What the texts read so far add up to, so that reading them is never optimised away.
unsigned long long Checksum();

}  // namespace Floor
