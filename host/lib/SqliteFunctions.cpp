// The text functions right() and mid() on SQLite, counted in characters (UTF-8
// code points), and the search fold, registered on each connection the host opens.
#include "SqliteFunctions.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include "ChangeContext.h"
#include "HalfWidth.h"

namespace {

constexpr const char* kSqliteDriver = "QSQLITE";

bool IsCharStart(unsigned char byte) {
    return (byte & 0xC0) != 0x80;
}

// Byte offset of the character with the given 0-based index, or the length.
int ByteOffsetOfChar(const unsigned char* text, int bytes, sqlite3_int64 index) {
    if (index <= 0) {
        return 0;
    }
    sqlite3_int64 seen = 0;
    for (int i = 0; i < bytes; ++i) {
        if (IsCharStart(text[i])) {
            if (seen == index) {
                return i;
            }
            ++seen;
        }
    }
    return bytes;
}

sqlite3_int64 CharCount(const unsigned char* text, int bytes) {
    sqlite3_int64 count = 0;
    for (int i = 0; i < bytes; ++i) {
        count += IsCharStart(text[i]) ? 1 : 0;
    }
    return count;
}

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            return true;
        }
    }
    return false;
}

// right(text, n): the last n characters.
void SqlRight(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    const unsigned char* text = sqlite3_value_text(argv[0]);
    const int bytes = sqlite3_value_bytes(argv[0]);
    const sqlite3_int64 wanted = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 total = CharCount(text, bytes);
    const sqlite3_int64 skip = wanted <= 0 ? total : (wanted >= total ? 0 : total - wanted);
    const int start = ByteOffsetOfChar(text, bytes, skip);
    sqlite3_result_text(context, reinterpret_cast<const char*>(text) + start, bytes - start,
                        SQLITE_TRANSIENT);
}

// mid(text, start, length): length characters from the 1-based start.
void SqlMid(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    const unsigned char* text = sqlite3_value_text(argv[0]);
    const int bytes = sqlite3_value_bytes(argv[0]);
    sqlite3_int64 first = sqlite3_value_int64(argv[1]);
    sqlite3_int64 length = sqlite3_value_int64(argv[2]);
    if (first < 1) {
        length += first - 1;
        first = 1;
    }
    if (length <= 0) {
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    }
    const int begin = ByteOffsetOfChar(text, bytes, first - 1);
    const int end = ByteOffsetOfChar(text, bytes, first - 1 + length);
    sqlite3_result_text(context, reinterpret_cast<const char*>(text) + begin, end - begin,
                        SQLITE_TRANSIENT);
}

// search_fold(text): the text as searches compare it (FoldForSearch).
void SqlSearchFold(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray folded =
        FoldForSearch(QString::fromUtf8(text, sqlite3_value_bytes(argv[0]))).toUtf8();
    sqlite3_result_text(context, folded.constData(), static_cast<int>(folded.size()),
                        SQLITE_TRANSIENT);
}

// change_context(part): the source, operator or desk of the writes now, or
// NULL when none is known.
void SqlChangeContext(sqlite3_context* context, int, sqlite3_value** argv) {
    const QByteArray value = ChangeContext::Value(sqlite3_value_int(argv[0])).toUtf8();
    if (value.isEmpty()) {
        sqlite3_result_null(context);
    } else {
        sqlite3_result_text(context, value.constData(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT);
    }
}

}  // namespace

namespace SqliteFunctions {

sqlite3* Handle(const QSqlDatabase& database) {
    if (database.driverName() != QLatin1String(kSqliteDriver)) {
        return nullptr;
    }
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool Register(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "right", 2, flags, nullptr, SqlRight, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "mid", 3, flags, nullptr, SqlMid, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "search_fold", 1, flags, nullptr, SqlSearchFold, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "change_context", 1, SQLITE_UTF8, nullptr,
                                      SqlChangeContext, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace SqliteFunctions
