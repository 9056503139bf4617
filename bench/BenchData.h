// The databases the benchmarks read: an agency's installation with its own
// row (class 19) and the given number of served companies (class 10), every
// one also granted to one role. Made once per size and engine and kept: an
// SQLite file under the bench's folder, a schema of its own on PostgreSQL.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace BenchData {

inline constexpr int kAgencyId = 1;
inline constexpr const char* kRole = "R01";
// Served companies have ids from 2 on, in the order made.
inline constexpr int kFirstCompanyId = 2;

// The server COMPANYMGR_TEST_PGSQL names, empty when none.
bool PostgresConfigured();
// A setting of that server (HostName, Port, ...), empty when not given.
QString PostgresSetting(const QString& key);
// libpq's connection text for that server, searching schema first.
std::string PostgresConnInfo(const QString& schema);
QString PostgresSchema(long long rows);

// Makes sure the application folder for rows companies on engine ("SQLITE"
// or "POSTGRESQL") exists, with its settings and a finished database, making
// the database when it is missing or unfinished. The folder goes under root.
bool Prepare(const QString& engine, long long rows, const QString& root, QString& appPath,
             QString& errorText);

// An application folder for the database Prepare made for rows companies on
// that server, reaching it at host and port instead (a relay in front of it).
bool PostgresVia(long long rows, const QString& root, const QString& host, int port,
                 QString& appPath, QString& errorText);

// An application folder at appPath whose database is schema on that server,
// made afresh with the host's tables and no rows.
bool FreshPostgres(const QString& schema, const QString& appPath, QString& errorText);

// Text columns of company number index (0-based), as XT_QYXX holds them from
// QYSBH to CZY_DM, in UTF-8.
std::vector<std::string> CompanyTexts(long long index);
// The names of those columns, in that order.
std::vector<const char*> CompanyTextColumns();

}  // namespace BenchData
