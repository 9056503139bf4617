#include "Floor.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <strings.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace Floor {

namespace {

unsigned long long checksum = 0;

void Touch(const char* text, int bytes) {
    checksum += static_cast<unsigned long long>(bytes) + (bytes > 0 ? text[0] : 0);
}

// The rows a replay keeps, one block per row, dropped with the next replay.
std::vector<std::unique_ptr<char[]>> kept;

void Keep(const std::vector<std::pair<const char*, int>>& texts) {
    std::size_t bytes = 0;
    for (const auto& [text, size] : texts) {
        bytes += static_cast<std::size_t>(size) + 1;
    }
    auto block = std::make_unique_for_overwrite<char[]>(bytes);
    char* at = block.get();
    for (const auto& [text, size] : texts) {
        if (size > 0) {
            std::memcpy(at, text, static_cast<std::size_t>(size));
        }
        at[size] = '\0';
        at += size + 1;
        Touch(text, size);
    }
    kept.push_back(std::move(block));
}

}  // namespace

void DropKept() {
    kept.clear();
}

long long KeepSqlite(sqlite3* db, const QStringList& statements, QString& errorText) {
    std::vector<std::pair<const char*, int>> texts;
    for (const QString& sql : statements) {
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &stmt,
                               nullptr) != SQLITE_OK) {
            errorText = QString::fromUtf8(sqlite3_errmsg(db));
            return -1;
        }
        const int count = sqlite3_column_count(stmt);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            texts.clear();
            for (int i = 0; i < count; ++i) {
                texts.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                   sqlite3_column_bytes(stmt, i));
            }
            Keep(texts);
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            errorText = QString::fromUtf8(sqlite3_errmsg(db));
            return -1;
        }
    }
    return static_cast<long long>(statements.size());
}

long long KeepPostgres(pg_conn* db, const QStringList& statements, QString& errorText) {
    std::vector<std::pair<const char*, int>> texts;
    for (const QString& sql : statements) {
        PGresult* result = PQexec(db, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            errorText = QString::fromUtf8(PQerrorMessage(db));
            PQclear(result);
            return -1;
        }
        const int rows = PQntuples(result);
        const int count = PQnfields(result);
        for (int row = 0; row < rows; ++row) {
            texts.clear();
            for (int i = 0; i < count; ++i) {
                texts.emplace_back(PQgetvalue(result, row, i), PQgetlength(result, row, i));
            }
            Keep(texts);
        }
        PQclear(result);
    }
    return static_cast<long long>(statements.size());
}

long long Sqlite(sqlite3* db, const QString& sql, const std::vector<std::string>& columns,
                 QString& errorText) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &stmt, nullptr) !=
        SQLITE_OK) {
        errorText = QString::fromUtf8(sqlite3_errmsg(db));
        return -1;
    }
    std::vector<int> index;
    const int count = sqlite3_column_count(stmt);
    for (const std::string& name : columns) {
        for (int i = 0; i < count; ++i) {
            if (strcasecmp(sqlite3_column_name(stmt, i), name.c_str()) == 0) {
                index.push_back(i);
                break;
            }
        }
    }
    long long rows = 0;
    int rc = SQLITE_ROW;
    std::vector<std::pair<const char*, int>> texts;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++rows;
        texts.clear();
        for (const int i : index) {
            texts.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                               sqlite3_column_bytes(stmt, i));
        }
        Keep(texts);
    }
    if (rc != SQLITE_DONE) {
        errorText = QString::fromUtf8(sqlite3_errmsg(db));
        rows = -1;
    }
    sqlite3_finalize(stmt);
    return rows;
}

long long Postgres(pg_conn* db, const QString& sql, const std::vector<std::string>& columns,
                   QString& errorText) {
    PGresult* result = PQexec(db, sql.toUtf8().constData());
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        errorText = QString::fromUtf8(PQerrorMessage(db));
        PQclear(result);
        return -1;
    }
    std::vector<int> index;
    const int count = PQnfields(result);
    for (const std::string& name : columns) {
        for (int i = 0; i < count; ++i) {
            if (strcasecmp(PQfname(result, i), name.c_str()) == 0) {
                index.push_back(i);
                break;
            }
        }
    }
    const int rows = PQntuples(result);
    std::vector<std::pair<const char*, int>> texts;
    for (int row = 0; row < rows; ++row) {
        texts.clear();
        for (const int i : index) {
            texts.emplace_back(PQgetvalue(result, row, i), PQgetlength(result, row, i));
        }
        Keep(texts);
    }
    PQclear(result);
    return rows;
}

unsigned long long Checksum() {
    return checksum;
}

}  // namespace Floor
