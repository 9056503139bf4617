// The host's SQL text scanners against SQLite's own reading of the text: what
// the second-statement check calls one statement is one statement for SQLite
// too (nothing but blanks, comments and ";" after the first complete one),
// before and after the rewrite for SQLite; what the tail check lets through
// holds no statement; and the rewrite is stable when applied twice.
#include <sqlite3.h>

#include <string>

#include "FuzzSupport.h"
#include "SqlText.h"

namespace {

sqlite3* Database() {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        Require(sqlite3_open(":memory:", &opened) == SQLITE_OK);
        return opened;
    }();
    return db;
}

// True when SQLite finds no statement at all in text: only blanks, comments
// and separators.
bool NoStatement(const std::string& text) {
    const char* rest = text.c_str();
    while (*rest != '\0') {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(Database(), rest, -1, &stmt, &tail);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_OK || stmt != nullptr || tail == rest) {
            return false;
        }
        rest = tail;
    }
    return true;
}

// SQLite's statements end where sqlite3_complete first says the text so far is
// complete; nothing but blanks, comments and ";" may follow that point.
bool AtMostOneStatement(const std::string& text) {
    for (std::size_t at = text.find(';'); at != std::string::npos; at = text.find(';', at + 1)) {
        if (sqlite3_complete(text.substr(0, at + 1).c_str()) != 0) {
            return NoStatement(text.substr(at + 1));
        }
    }
    return true;
}

// Both engines read a text up to its first NUL.
std::string UpToNul(const QString& sql) {
    const QByteArray bytes = sql.toUtf8();
    return std::string(bytes.constData());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString sql =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString adapted = SqlText::AdaptToSqlite(sql);
    Require(SqlText::AdaptToSqlite(adapted) == adapted);
    if (!sql.contains(QLatin1String("right"), Qt::CaseInsensitive)) {
        Require(adapted == sql);
    }
    if (!SqlText::HasSecondStatement(sql)) {
        Require(AtMostOneStatement(UpToNul(sql)));
        Require(AtMostOneStatement(UpToNul(adapted)));
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (SqlText::OnlyBlanksOrSeparators(bytes.c_str())) {
        Require(NoStatement(bytes.c_str()));
    }
    return 0;
}
