// The host's database connection "MainAppCon": opened from the settings at
// start (SQLite file or PostgreSQL server), given the schema, closed at stop.
#include "DatabaseConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "ChangeContext.h"
#include "DatabaseSchema.h"
#include "PostgresRows.h"
#include "SqliteFunctions.h"
#include "TableColumns.h"
#include "Transaction.h"
#include "Transactions.h"

#include <sqlite3.h>

namespace {

constexpr const char* kSqliteDriver = "QSQLITE";
constexpr const char* kPostgresDriver = "QPSQL";
constexpr int kBusyTimeoutMs = 5000;
// The PostgreSQL advisory lock held while the schema is made.
constexpr qint64 kSchemaLockKey = 0x436F4D53;

// The SQLite file the settings name, relative to the application folder. The
// application's own data folder is made when missing; any other folder must
// exist, so a misread setting fails instead of starting on a new, empty file.
bool ResolveSqliteFile(const ServiceState::State& state, QString& path, QString& errorText) {
    path = state.sysConfig.Value("Database", "Database", "Data/main.db");
    if (QFileInfo(path).isRelative()) {
        path = state.appPath + path;
    }
    path = QDir::cleanPath(path);
    const QString folder = QFileInfo(path).absolutePath();
    const QString dataFolder = QDir::cleanPath(state.appPath + QStringLiteral("Data"));
    if (folder == dataFolder && !QFileInfo::exists(folder) && !QDir().mkpath(folder)) {
        errorText = QStringLiteral("无法创建数据文件夹[%1]").arg(folder);
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        errorText = QStringLiteral("数据库文件[%1]所在的文件夹[%2]不存在").arg(path, folder);
        return false;
    }
    return true;
}

// SQLite opens a file lazily and falls back to reading one it may not write:
// either would only show at the first statement that needs it, so the host
// refuses such a file at the start, before anything was written into it.
bool CheckSqliteFile(sqlite3* handle, const QString& path, QString& errorText) {
    sqlite3_stmt* statement = nullptr;
    int rc =
        sqlite3_prepare_v2(handle, "SELECT count(*) FROM sqlite_master", -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement) == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(handle);
    }
    sqlite3_finalize(statement);
    if (rc == SQLITE_NOTADB) {
        errorText = QStringLiteral("文件[%1]不是数据库文件：%2")
                        .arg(path, QString::fromUtf8(sqlite3_errmsg(handle)));
        return false;
    }
    if (rc != SQLITE_OK) {
        errorText = QStringLiteral("无法读取数据库文件[%1]：%2")
                        .arg(path, QString::fromUtf8(sqlite3_errmsg(handle)));
        return false;
    }
    if (sqlite3_db_readonly(handle, "main") == 1) {
        errorText = QStringLiteral("数据库文件[%1]是只读的，无法保存数据").arg(path);
        return false;
    }
    return true;
}

// Adds and opens the connection; its handle is gone when this returns, so a
// failed open can be removed without Qt's "still in use" warning.
bool Connect(const ServiceState::State& state, const QString& driver, const QString& sqliteFile,
             QString& errorText) {
    const IniFile& config = state.sysConfig;
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, kMainConnection);
    if (driver == QLatin1String(kSqliteDriver)) {
        bool ok = false;
        int busyTimeout = config.Value("Database", "BusyTimeout").toInt(&ok);
        if (!ok || busyTimeout < 0) {
            busyTimeout = kBusyTimeoutMs;
        }
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
        db.setDatabaseName(sqliteFile);
    } else {
        const QString hosts = config.Value("Database", "HostName");
        const QString port = config.Value("Database", "Port");
        QString options = config.Value("Database", "ConnectOptions");
        db.setHostName(hosts);
        // Several servers ("a,b", ports "5432,5433"): libpq tries them in
        // turn and, unless told otherwise, keeps the one that takes writes,
        // so a desk reaches whichever server is the primary now.
        const bool several = hosts.contains(QLatin1Char(',')) || port.contains(QLatin1Char(','));
        if (port.contains(QLatin1Char(','))) {
            options += QStringLiteral(" port=") + port;
        } else if (!port.isEmpty()) {
            db.setPort(port.toInt());
        }
        if (several && !options.contains(QLatin1String("target_session_attrs"))) {
            options += QStringLiteral(" target_session_attrs=read-write");
        }
        db.setUserName(config.Value("Database", "UserName"));
        db.setPassword(config.Value("Database", "Password"));
        db.setConnectOptions(options.trimmed());
        db.setDatabaseName(config.Value("Database", "Database"));
    }
    if (!db.open()) {
        errorText = driver == QLatin1String(kSqliteDriver)
                        ? QStringLiteral("无法打开或创建数据库文件[%1]：%2")
                              .arg(sqliteFile, db.lastError().text())
                        : db.lastError().text();
        return false;
    }
    if (sqlite3* handle = SqliteFunctions::Handle(db)) {
        if (!SqliteFunctions::Register(handle)) {
            errorText = QString::fromUtf8(sqlite3_errmsg(handle));
            return false;
        }
        return CheckSqliteFile(handle, sqliteFile, errorText);
    }
    return true;
}

// A backslash in a literal is a plain character on every connection, as on
// SQLite; with the old escaping a company name could end a literal early.
bool MakeStringsStandard(QString& errorText) {
    TADOQuery query;
    if (!query.Execute(kMainConnection, QStringLiteral("SET standard_conforming_strings = on"),
                       errorText) ||
        !query.Open(kMainConnection, QStringLiteral("SHOW standard_conforming_strings"),
                    errorText) ||
        query.FieldAsString(0) != QLatin1String("on")) {
        errorText =
            QStringLiteral("数据库连接不能设置standard_conforming_strings=on：%1").arg(errorText);
        return false;
    }
    return true;
}

// Whether the server holds every object of the schema already.
bool ReadSchemaComplete(bool& complete, QString& errorText) {
    TADOQuery query;
    if (!query.Open(kMainConnection, DatabaseSchema::CountMissingOnServer(), errorText)) {
        errorText = QStringLiteral("读取数据库结构失败：%1").arg(errorText);
        return false;
    }
    complete = query.FieldAsString(0) == QLatin1String("0");
    return true;
}

// The history's triggers on SQLite, from the columns each table has.
bool CreateSqliteHistoryTriggers(QString& errorText) {
    for (std::string_view table : TableColumns::kHistoryTables) {
        const QString name = TableColumns::Name(table);
        QStringList columns;
        TADOQuery query;
        if (!query.Open(kMainConnection, QStringLiteral("PRAGMA table_info(%1)").arg(name),
                        errorText)) {
            errorText = QStringLiteral("创建数据库结构失败：%1").arg(errorText);
            return false;
        }
        for (; !query.Eof(); query.Next()) {
            columns << query.FieldAsString(1);
        }
        for (const QString& statement : DatabaseSchema::SqliteHistoryTriggers(name, columns)) {
            TADOQuery trigger;
            if (!trigger.Execute(kMainConnection, statement, errorText)) {
                errorText = QStringLiteral("创建数据库结构失败：%1").arg(errorText);
                return false;
            }
        }
    }
    return true;
}

// Makes what the schema lacks. On a server a complete schema is left alone
// unless always is set: a desk's role may read and write rows, not run DDL.
bool CreateSchema(const QString& driver, bool always, QString& errorText) {
    const bool server = driver == QLatin1String(kPostgresDriver);
    bool complete = false;
    if (server && !always && (!ReadSchemaComplete(complete, errorText) || complete)) {
        return complete;
    }
    // Desks starting at once on one server would change the same catalog rows
    // ("tuple concurrently updated"): one desk at a time makes the schema.
    if (server) {
        TADOQuery lock;
        if (!lock.Open(kMainConnection,
                       QStringLiteral("SELECT pg_advisory_lock(%1)").arg(kSchemaLockKey),
                       errorText)) {
            errorText = QStringLiteral("创建数据库结构失败：%1").arg(errorText);
            return false;
        }
    }
    bool created = true;
    for (const QString& statement :
         DatabaseSchema::Statements(DatabaseConnection::EngineName(driver))) {
        TADOQuery query;
        if (!query.Execute(kMainConnection, statement, errorText)) {
            errorText = QStringLiteral("创建数据库结构失败：%1").arg(errorText);
            created = false;
            break;
        }
    }
    if (created && !server) {
        created = CreateSqliteHistoryTriggers(errorText);
    }
    if (server) {
        TADOQuery unlock;
        QString ignored;
        unlock.Open(kMainConnection,
                    QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kSchemaLockKey), ignored);
    }
    return created;
}

}  // namespace

namespace DatabaseConnection {

bool Open(ServiceState::State& state, QString& errorText) {
    Close();
    ChangeContext::Forget();
    state.driver.clear();
    const QString driver = state.sysConfig.Value("Database", "Driver", kSqliteDriver);
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        errorText = QStringLiteral("数据库驱动[%1]不可用").arg(driver);
        return false;
    }
    QString sqliteFile;
    const bool sqlite = driver == QLatin1String(kSqliteDriver);
    if (sqlite && !ResolveSqliteFile(state, sqliteFile, errorText)) {
        return false;
    }
    const bool created = sqlite && !QFileInfo::exists(sqliteFile);
    if (!Connect(state, driver, sqliteFile, errorText) ||
        (driver == QLatin1String(kPostgresDriver) && !MakeStringsStandard(errorText)) ||
        !CreateSchema(driver, false, errorText)) {
        Close();
        if (created) {
            QFile::remove(sqliteFile);
        }
        return false;
    }
    state.driver = driver;
    if (driver == QLatin1String(kPostgresDriver)) {
        // Marks left by desks that stopped between two commits; each is
        // needed only while its own commit is in doubt.
        TADOQuery query;
        QString ignored;
        query.Execute(kMainConnection,
                      QStringLiteral("DELETE FROM XT_TJBJ WHERE SJ < now() - interval '1 day'"),
                      ignored);
    }
    if (created) {
        logQuery::Warn("1",
                       QStringLiteral("数据库文件[%1]不存在，已新建一个空数据库").arg(sqliteFile));
    }
    return true;
}

void Close() {
    if (!QSqlDatabase::contains(kMainConnection)) {
        return;
    }
    Transactions::RollbackAll(kMainConnection);
    {
        QSqlDatabase db = QSqlDatabase::database(kMainConnection, false);
        // A query still reading keeps its rows; the connection goes.
        PostgresRows::ReleaseConnection(PostgresRows::Handle(db));
        db.close();
    }
    QSqlDatabase::removeDatabase(kMainConnection);
}

void CloseIfLost() {
    const ServiceState::State& state = ServiceState::Get();
    if (state.driver.isEmpty() || state.driver == QLatin1String(kSqliteDriver) ||
        !QSqlDatabase::contains(kMainConnection) ||
        ModuleLib::TransactionDepth(kMainConnection) > 0) {
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(kMainConnection, false);
    if (!db.isOpen()) {
        return;
    }
    // Qt keeps calling a dropped server connection open; only asking tells.
    PostgresRows::ReleaseConnection(PostgresRows::Handle(db));
    bool answers = false;
    {
        QSqlQuery probe(db);
        answers = probe.exec(QStringLiteral("SELECT 1"));
    }
    if (!answers) {
        db.close();
        logQuery::Warn("1", QStringLiteral("数据库服务器连接已断开，下一条语句将重新连接"));
    }
}

bool ReopenIfLost(QString& errorText) {
    const ServiceState::State& state = ServiceState::Get();
    if (state.driver.isEmpty() || state.driver == QLatin1String(kSqliteDriver) ||
        !QSqlDatabase::contains(kMainConnection)) {
        return true;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(kMainConnection, false);
        if (db.isOpen()) {
            return true;
        }
        ChangeContext::Forget();
        if (!db.open()) {
            errorText = QStringLiteral("数据库服务器连接已断开，重新连接失败：%1")
                            .arg(db.lastError().text());
            return false;
        }
    }
    QString reason;
    if (!MakeStringsStandard(reason)) {
        QSqlDatabase::database(kMainConnection, false).close();
        errorText = reason;
        return false;
    }
    logQuery::Warn("1", QStringLiteral("已重新连接数据库服务器"));
    return true;
}

bool GrantDeskRole(const QString& role, QString& errorText) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]{0,62}$"));
    // Names GRANT reads as every role or as the caller itself.
    static const QStringList reserved{QStringLiteral("public"), QStringLiteral("current_user"),
                                      QStringLiteral("current_role"),
                                      QStringLiteral("session_user")};
    if (!identifier.match(role).hasMatch() || reserved.contains(role.toLower())) {
        errorText = QStringLiteral(
                        "角色名[%1]无效：只能由字母、数字和下划线组成，不以数字开头，"
                        "最长63个字符，且不能是public等保留名")
                        .arg(role);
        return false;
    }
    const QString driver = ServiceState::Get().driver;
    if (driver != QLatin1String(kPostgresDriver)) {
        errorText = QStringLiteral("只有PostgreSQL数据库服务器上才能给角色授权");
        return false;
    }
    if (!CreateSchema(driver, true, errorText)) {
        return false;
    }
    TADOQuery query;
    // Revoking from the role that set the tables up would lock it out of them.
    if (!query.Open(kMainConnection, DatabaseSchema::SetUpRoles(), errorText)) {
        errorText = QStringLiteral("无法读取数据库的属主角色：%1").arg(errorText);
        return false;
    }
    for (; !query.Eof(); query.Next()) {
        // An unquoted name is folded to lower case, as GRANT reads it.
        if (query.FieldAsString(0) == role.toLower()) {
            errorText =
                QStringLiteral("角色[%1]是建表或正在连接的角色，不能作为柜台角色授权").arg(role);
            return false;
        }
    }
    if (!query.Open(kMainConnection, DatabaseSchema::DeskRoleLookup(), errorText) ||
        query.FieldAsString(0).isEmpty() || query.FieldAsString(1).isEmpty()) {
        errorText = QStringLiteral("找不到数据库表所在的模式：%1").arg(errorText);
        return false;
    }
    // All or nothing: a role left with its rights revoked and none granted
    // could neither work nor be told apart from one never set up.
    TTransaction transaction;
    if (!transaction.IsActive()) {
        errorText = QStringLiteral("给角色[%1]授权失败：%2").arg(role, transaction.ErrorText());
        return false;
    }
    for (const QString& grant :
         DatabaseSchema::DeskRoleGrants(role, query.FieldAsString(0), query.FieldAsString(1))) {
        if (!query.Execute(kMainConnection, grant, errorText)) {
            errorText = QStringLiteral("给角色[%1]授权失败：%2").arg(role, errorText);
            return false;
        }
    }
    if (!transaction.Commit()) {
        errorText = QStringLiteral("给角色[%1]授权失败：%2").arg(role, transaction.ErrorText());
        return false;
    }
    return true;
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

}  // namespace DatabaseConnection
