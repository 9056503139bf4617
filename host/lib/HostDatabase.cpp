// The host's database: the connection "MainAppCon" through Qt SQL, its schema,
// and the query class the module reads and writes with.
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <cctype>

#include "HostSchema.h"
#include "HostState.h"

namespace {

constexpr const char* kSqliteDriver = "QSQLITE";
constexpr const char* kPostgresDriver = "QPSQL";
constexpr int kBusyTimeoutMs = 5000;

// --- SQL functions the company-list statements use on SQLite -------------

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

sqlite3* SqliteHandle(const QSqlDatabase& db) {
    if (db.driverName() != QLatin1String(kSqliteDriver)) {
        return nullptr;
    }
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool RegisterSqliteFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "right", 2, flags, nullptr, SqlRight, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "mid", 3, flags, nullptr, SqlMid, nullptr, nullptr,
                                      nullptr) == SQLITE_OK;
}

bool IsIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') ||
           c == QLatin1Char('"');
}

// SQLite reads RIGHT as the keyword of RIGHT JOIN, so a call of right() is
// written as a quoted name, which SQLite takes as the function. Literals are
// left alone.
QString AdaptToSqlite(const QString& sql) {
    static const QLatin1String kRight("right");
    QString out;
    out.reserve(sql.size() + 8);
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            out += c;
            if (c == quote) {
                quote = QChar();
            }
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        const bool wordStart = i == 0 || !IsIdentifierChar(sql[i - 1]);
        if (wordStart &&
            QStringView(sql).mid(i, kRight.size()).compare(kRight, Qt::CaseInsensitive) == 0) {
            qsizetype next = i + kRight.size();
            while (next < sql.size() && sql[next].isSpace()) {
                ++next;
            }
            if (next < sql.size() && sql[next] == QLatin1Char('(')) {
                out += QLatin1String("\"right\"");
                i += kRight.size() - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool OnlyBlanksOrSeparators(const char* tail) {
    for (; tail != nullptr && *tail != '\0'; ++tail) {
        if (*tail != ';' && !std::isspace(static_cast<unsigned char>(*tail))) {
            return false;
        }
    }
    return true;
}

// True when text follows the first statement's closing ";" outside quotes
// and comments. Dollar-quoted and escape strings are not used by the module,
// so a text with them counts as more than one statement too.
bool HasSecondStatement(const QString& sql) {
    enum class State { Plain, Quote, Identifier, LineComment, BlockComment };
    State state = State::Plain;
    bool ended = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        switch (state) {
            case State::Quote:
                if (c == QLatin1Char('\'')) {
                    state = State::Plain;
                }
                continue;
            case State::Identifier:
                if (c == QLatin1Char('"')) {
                    state = State::Plain;
                }
                continue;
            case State::LineComment:
                if (c == QLatin1Char('\n')) {
                    state = State::Plain;
                }
                continue;
            case State::BlockComment:
                if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                    state = State::Plain;
                    ++i;
                }
                continue;
            case State::Plain:
                break;
        }
        if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            state = State::LineComment;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            state = State::BlockComment;
        } else if (ended && c != QLatin1Char(';') && !c.isSpace()) {
            return true;
        } else if (c == QLatin1Char(';')) {
            ended = true;
        } else if (c == QLatin1Char('$') ||
                   ((c == QLatin1Char('E') || c == QLatin1Char('e')) && next == QLatin1Char('\'') &&
                    (i == 0 || !sql[i - 1].isLetterOrNumber()))) {
            return true;
        } else if (c == QLatin1Char('\'')) {
            state = State::Quote;
        } else if (c == QLatin1Char('"')) {
            state = State::Identifier;
        }
    }
    return false;
}

QString EngineName(const QString& driver) {
    if (driver == QLatin1String(kSqliteDriver)) {
        return QStringLiteral("SQLITE");
    }
    if (driver == QLatin1String(kPostgresDriver)) {
        return QStringLiteral("POSTGRESQL");
    }
    return driver.toUpper();
}

}  // namespace

// --- TADOQuery -------------------------------------------------------------

struct TADOQuery::Impl {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    std::unique_ptr<QSqlQuery> query;
    QStringList columns;
    bool active = false;
    bool eof = true;
    bool hadRows = false;
    qint64 sizeHint = -1;
    qint64 affected = -1;

    ~Impl() { Reset(); }

    void Reset() {
        if (stmt != nullptr) {
            sqlite3_finalize(stmt);
            stmt = nullptr;
        }
        query.reset();
        db = nullptr;
        columns.clear();
        active = false;
        eof = true;
        hadRows = false;
        sizeHint = -1;
        affected = -1;
    }

    bool Run(const QString& connection, const QString& sql, bool keepRows, QString& errorText);
    bool RunSqlite(const QString& sql, bool keepRows, QString& errorText);
    bool RunQt(QSqlDatabase& database, const QString& sql, bool keepRows, QString& errorText);
    bool SqliteStep(QString& errorText);
};

bool TADOQuery::Impl::Run(const QString& connection, const QString& sql, bool keepRows,
                          QString& errorText) {
    Reset();
    errorText.clear();
    if (!QSqlDatabase::contains(connection)) {
        errorText = QStringLiteral("数据库连接[%1]不存在").arg(connection);
        return false;
    }
    QSqlDatabase database = QSqlDatabase::database(connection, false);
    if (!database.isOpen()) {
        errorText = QStringLiteral("数据库连接[%1]未打开").arg(connection);
        return false;
    }
    if (sql.trimmed().isEmpty()) {
        errorText = QStringLiteral("SQL语句为空");
        return false;
    }
    db = SqliteHandle(database);
    return db != nullptr ? RunSqlite(sql, keepRows, errorText)
                         : RunQt(database, sql, keepRows, errorText);
}

bool TADOQuery::Impl::SqliteStep(QString& errorText) {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        eof = false;
        return true;
    }
    eof = true;
    if (rc == SQLITE_DONE) {
        return true;
    }
    errorText = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}

bool TADOQuery::Impl::RunSqlite(const QString& sql, bool keepRows, QString& errorText) {
    const QByteArray text = AdaptToSqlite(sql).toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &stmt, &tail) !=
        SQLITE_OK) {
        errorText = QString::fromUtf8(sqlite3_errmsg(db));
        Reset();
        return false;
    }
    if (stmt == nullptr) {
        errorText = QStringLiteral("SQL语句为空");
        Reset();
        return false;
    }
    // One statement per call: whatever follows it would otherwise be dropped
    // silently, or, on engines that run it, be a way to splice in a second one.
    if (!OnlyBlanksOrSeparators(tail)) {
        errorText = QStringLiteral("一次只能执行一条SQL语句");
        Reset();
        return false;
    }
    const int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        columns.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
    }
    if (!SqliteStep(errorText)) {
        Reset();
        return false;
    }
    if (!keepRows) {
        while (!eof) {
            if (!SqliteStep(errorText)) {
                Reset();
                return false;
            }
        }
        affected = sqlite3_changes(db);
        sqlite3_finalize(stmt);
        stmt = nullptr;
        return true;
    }
    active = true;
    hadRows = !eof;
    return true;
}

bool TADOQuery::Impl::RunQt(QSqlDatabase& database, const QString& sql, bool keepRows,
                            QString& errorText) {
    query = std::make_unique<QSqlQuery>(database);
    query->setForwardOnly(true);
    query->setNumericalPrecisionPolicy(QSql::HighPrecision);
    // Server engines would run every statement of the text; one per call.
    if (HasSecondStatement(sql)) {
        errorText = QStringLiteral("一次只能执行一条SQL语句");
        Reset();
        return false;
    }
    if (!query->exec(sql)) {
        errorText = query->lastError().text();
        Reset();
        return false;
    }
    affected = query->numRowsAffected();
    if (!keepRows || !query->isSelect()) {
        query.reset();
        return true;
    }
    const QSqlRecord record = query->record();
    for (int i = 0; i < record.count(); ++i) {
        columns.append(record.fieldName(i));
    }
    sizeHint = query->size();
    eof = !query->next();
    hadRows = !eof;
    active = true;
    return true;
}

TADOQuery::TADOQuery() : d_(std::make_unique<Impl>()) {}

TADOQuery::~TADOQuery() = default;

bool TADOQuery::Open(const QString& connection, const QString& sql, QString& errorText) {
    return d_->Run(connection, sql, true, errorText);
}

bool TADOQuery::Execute(const QString& connection, const QString& sql, QString& errorText) {
    return d_->Run(connection, sql, false, errorText);
}

void TADOQuery::Close() {
    d_->Reset();
}

bool TADOQuery::Active() const {
    return d_->active;
}

bool TADOQuery::Eof() const {
    return d_->eof;
}

bool TADOQuery::IsEmpty() const {
    return !d_->active || !d_->hadRows;
}

bool TADOQuery::Next() {
    if (!d_->active || d_->eof) {
        return false;
    }
    if (d_->stmt != nullptr) {
        QString ignored;
        return d_->SqliteStep(ignored) && !d_->eof;
    }
    d_->eof = !d_->query->next();
    return !d_->eof;
}

int TADOQuery::FieldCount() const {
    return static_cast<int>(d_->columns.size());
}

int TADOQuery::FieldIndex(const QString& name) const {
    for (qsizetype i = 0; i < d_->columns.size(); ++i) {
        if (d_->columns[i].compare(name, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool TADOQuery::FieldIsNull(int index) const {
    if (!d_->active || d_->eof || index < 0 || index >= FieldCount()) {
        return true;
    }
    if (d_->stmt != nullptr) {
        return sqlite3_column_type(d_->stmt, index) == SQLITE_NULL;
    }
    return d_->query->isNull(index);
}

QString TADOQuery::FieldAsString(int index) const {
    if (FieldIsNull(index)) {
        return QString();
    }
    if (d_->stmt != nullptr) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(d_->stmt, index));
        return QString::fromUtf8(text, sqlite3_column_bytes(d_->stmt, index));
    }
    const QVariant value = d_->query->value(index);
    if (value.metaType().id() == QMetaType::QDate) {
        return value.toDate().toString(Qt::ISODate);
    }
    if (value.metaType().id() == QMetaType::QDateTime) {
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return value.toString();
}

QString TADOQuery::FieldByName(const QString& name) const {
    return FieldAsString(FieldIndex(name));
}

qint64 TADOQuery::SizeHint() const {
    return d_->sizeHint;
}

qint64 TADOQuery::RowsAffected() const {
    return d_->affected;
}

// --- Connection and schema -------------------------------------------------

namespace HostState {

bool OpenDatabase(State& state, QString& errorText) {
    CloseDatabase();
    const IniFile& config = state.sysConfig;
    const QString driver = config.Value("Database", "Driver", kSqliteDriver);
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        errorText = QStringLiteral("数据库驱动[%1]不可用").arg(driver);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, kMainConnection);
    state.driver = driver;
    QString name = config.Value("Database", "Database", "Data/main.db");
    if (driver == QLatin1String(kSqliteDriver)) {
        if (QFileInfo(name).isRelative()) {
            name = state.appPath + name;
        }
        QDir().mkpath(QFileInfo(name).absolutePath());
        bool ok = false;
        int busyTimeout = config.Value("Database", "BusyTimeout").toInt(&ok);
        if (!ok || busyTimeout < 0) {
            busyTimeout = kBusyTimeoutMs;
        }
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
    } else {
        db.setHostName(config.Value("Database", "HostName"));
        const QString port = config.Value("Database", "Port");
        if (!port.isEmpty()) {
            db.setPort(port.toInt());
        }
        db.setUserName(config.Value("Database", "UserName"));
        db.setPassword(config.Value("Database", "Password"));
        db.setConnectOptions(config.Value("Database", "ConnectOptions"));
    }
    db.setDatabaseName(name);
    if (!db.open()) {
        errorText = db.lastError().text();
        CloseDatabase();
        return false;
    }
    if (sqlite3* handle = SqliteHandle(db)) {
        if (!RegisterSqliteFunctions(handle)) {
            errorText = QString::fromUtf8(sqlite3_errmsg(handle));
            CloseDatabase();
            return false;
        }
    }
    for (const QString& statement : HostSchema::Statements(EngineName(driver))) {
        TADOQuery query;
        if (!query.Execute(kMainConnection, statement, errorText)) {
            errorText = QStringLiteral("创建数据库结构失败：%1").arg(errorText);
            CloseDatabase();
            return false;
        }
    }
    return true;
}

void CloseDatabase() {
    if (QSqlDatabase::contains(kMainConnection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(kMainConnection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(kMainConnection);
    }
}

}  // namespace HostState

// --- Database services -----------------------------------------------------

namespace ModuleLib {

bool ExecADOQueryMsg(const QString& connection, const QString& sql, TADOQuery& query,
                     QString& errorText, int open, int /*reserved*/) {
    const bool ok = open == 1 ? query.Open(connection, sql, errorText)
                              : query.Execute(connection, sql, errorText);
    if (!ok) {
        logQuery::Error("1", QStringLiteral("执行SQL语句失败：%1；语句：%2").arg(errorText, sql));
    }
    return ok;
}

QString GetDBType(const QString& connection) {
    if (!QSqlDatabase::contains(connection)) {
        return QString();
    }
    return EngineName(QSqlDatabase::database(connection, false).driverName());
}

QString GetSQLDataTime(const QString& connection, const QString& dateText) {
    const QString text = dateText.trimmed();
    QString normalized = text;
    static const char* const kDateTimeFormats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                                                   "yyyy/M/d H:mm:ss"};
    static const char* const kDateFormats[] = {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyyMMdd"};
    bool isDateTime = false;
    bool parsed = false;
    for (const char* format : kDateTimeFormats) {
        const QDateTime value = QDateTime::fromString(text, QLatin1String(format));
        if (value.isValid()) {
            normalized = value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            isDateTime = parsed = true;
            break;
        }
    }
    for (const char* format : kDateFormats) {
        if (parsed) {
            break;
        }
        const QDate value = QDate::fromString(text, QLatin1String(format));
        if (value.isValid()) {
            normalized = value.toString(Qt::ISODate);
            parsed = true;
        }
    }
    // The text is quoted even when it is no date: the engine then rejects it
    // or stores it, but it never becomes part of the statement.
    const QString quoted =
        QLatin1Char('\'') + ReplaceStr(normalized, "'", "''") + QLatin1Char('\'');
    if (GetDBType(connection) == QLatin1String("POSTGRESQL")) {
        return (isDateTime ? QStringLiteral("TIMESTAMP ") : QStringLiteral("DATE ")) + quoted;
    }
    return quoted;
}

}  // namespace ModuleLib
