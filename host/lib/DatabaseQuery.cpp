// The query class the module reads and writes with (TADOQuery): SQLite is
// stepped directly on Qt's sqlite3 handle and PostgreSQL read through libpq on
// Qt's connection, one row at a time; other engines go through Qt's
// QSqlQuery, read forward only.
#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <vector>

#include "ChangeContext.h"
#include "DatabaseConnection.h"
#include "HostServices.h"
#include "PostgresRows.h"
#include "ServiceState.h"
#include "SqlText.h"
#include "SqliteFunctions.h"
#include "Transactions.h"

struct TADOQuery::Impl {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    PostgresRows postgres;
    bool onPostgres = false;
    std::unique_ptr<QSqlQuery> query;
    QStringList columns;
    // The current row's texts in UTF-8 on the Qt path, one per column read.
    mutable std::vector<QByteArray> utf8;
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
        postgres.Reset();
        onPostgres = false;
        query.reset();
        db = nullptr;
        columns.clear();
        utf8.clear();
        active = false;
        eof = true;
        hadRows = false;
        sizeHint = -1;
        affected = -1;
    }

    bool Run(const QString& connection, const QString& sql, bool keepRows, QString& errorText);
    bool RunSqlite(const QString& sql, bool keepRows, QString& errorText);
    bool RunPostgres(pg_conn* connection, const QString& sql, bool keepRows, QString& errorText);
    bool RunQt(QSqlDatabase& database, const QString& sql, bool keepRows, QString& errorText);
    bool SqliteStep(QString& errorText);
};

namespace {

// A server session learns who and what makes its writes before the next
// statement, when that changed: its history triggers read it.
void SendChangeContext(const QSqlDatabase& database) {
    pg_conn* server = PostgresRows::Handle(database);
    if (server == nullptr) {
        return;
    }
    const QString settings = ChangeContext::PendingSettings();
    if (settings.isEmpty()) {
        return;
    }
    PostgresRows::ReleaseConnection(server);
    PostgresRows rows;
    QString ignored;
    // A failure leaves the settings pending; the statement meets the same fault.
    if (rows.Run(server, settings, false, ignored)) {
        ChangeContext::Sent(settings);
    }
}

}  // namespace

bool TADOQuery::Impl::Run(const QString& connection, const QString& sql, bool keepRows,
                          QString& errorText) {
    Reset();
    errorText.clear();
    if (!QSqlDatabase::contains(connection)) {
        errorText = QStringLiteral("数据库连接[%1]不存在").arg(connection);
        return false;
    }
    if (connection == QLatin1String(kMainConnection) &&
        !DatabaseConnection::ReopenIfLost(errorText)) {
        return false;
    }
    bool ok = false;
    {
        QSqlDatabase database = QSqlDatabase::database(connection, false);
        if (!database.isOpen()) {
            errorText = QStringLiteral("数据库连接[%1]未打开").arg(connection);
            return false;
        }
        if (sql.trimmed().isEmpty()) {
            errorText = QStringLiteral("SQL语句为空");
            return false;
        }
        if (Transactions::EngineEnded(connection)) {
            errorText = QStringLiteral("数据库已因错误回滚当前事务，事务结束前不再执行语句");
            Transactions::NoteFailedStatement(connection);
            return false;
        }
        // Neither engine keeps a NUL in text, and PostgreSQL's client would cut
        // the statement at it: refused alike on both, before anything runs.
        if (sql.contains(QChar(0))) {
            errorText = QStringLiteral("SQL语句含有空字符(U+0000)，数据库不能保存");
        } else {
            // A search compares folded texts on every engine.
            const QString folded = SqlText::FoldLikeOperands(sql);
            const QString text = database.driverName() == QLatin1String("QSQLITE")
                                     ? SqlText::AdaptToSqlite(folded)
                                     : folded;
            ServiceState::State& state = ServiceState::Get();
            ++state.statementCount;
            if (state.recordStatements) {
                state.statements << text;
            }
            if (connection == QLatin1String(kMainConnection)) {
                SendChangeContext(database);
            }
            db = state.genericQueryPath ? nullptr : SqliteFunctions::Handle(database);
            pg_conn* server =
                state.genericQueryPath || db != nullptr ? nullptr : PostgresRows::Handle(database);
            ok = db != nullptr       ? RunSqlite(text, keepRows, errorText)
                 : server != nullptr ? RunPostgres(server, text, keepRows, errorText)
                                     : RunQt(database, text, keepRows, errorText);
        }
    }
    if (!ok) {
        Transactions::NoteFailedStatement(connection);
        if (connection == QLatin1String(kMainConnection)) {
            DatabaseConnection::CloseIfLost();
        }
    }
    return ok;
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
    const QByteArray text = sql.toUtf8();
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
    if (!SqlText::OnlyBlanksOrSeparators(tail)) {
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
    // A statement without a result set is run to its end, as on other engines.
    if (!keepRows || count == 0) {
        while (!eof) {
            if (!SqliteStep(errorText)) {
                Reset();
                return false;
            }
        }
        affected = count > 0 ? -1 : sqlite3_changes(db);
        sqlite3_finalize(stmt);
        stmt = nullptr;
        if (count == 0) {
            columns.clear();
        }
        return true;
    }
    active = true;
    hadRows = !eof;
    return true;
}

bool TADOQuery::Impl::RunPostgres(pg_conn* connection, const QString& sql, bool keepRows,
                                  QString& errorText) {
    // The server would run every statement of the text; one per call.
    if (SqlText::HasSecondStatement(sql)) {
        errorText = QStringLiteral("一次只能执行一条SQL语句");
        return false;
    }
    if (!postgres.Run(connection, sql, keepRows, errorText)) {
        Reset();
        return false;
    }
    columns = postgres.Columns();
    affected = columns.isEmpty() ? postgres.RowsAffected() : -1;
    if (!keepRows || columns.isEmpty()) {
        postgres.Reset();
        return true;
    }
    onPostgres = true;
    eof = !postgres.OnRow();
    hadRows = !eof;
    active = true;
    return true;
}

bool TADOQuery::Impl::RunQt(QSqlDatabase& database, const QString& sql, bool keepRows,
                            QString& errorText) {
    // Server engines would run every statement of the text; one per call.
    if (SqlText::HasSecondStatement(sql)) {
        errorText = QStringLiteral("一次只能执行一条SQL语句");
        return false;
    }
    // Qt's driver cannot send while a query of ours still reads the connection.
    PostgresRows::ReleaseConnection(PostgresRows::Handle(database));
    query = std::make_unique<QSqlQuery>(database);
    query->setForwardOnly(true);
    query->setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!query->exec(sql)) {
        errorText = query->lastError().text();
        Reset();
        return false;
    }
    const bool select = query->isSelect();
    affected = select ? -1 : query->numRowsAffected();
    if (!keepRows || !select) {
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
    QString errorText;
    if (d_->stmt != nullptr) {
        d_->SqliteStep(errorText);
    } else if (d_->onPostgres) {
        d_->eof = !d_->postgres.Next(errorText);
    } else {
        d_->eof = !d_->query->next();
        if (d_->eof && d_->query->lastError().isValid()) {
            errorText = d_->query->lastError().text();
        }
    }
    // A list cut short by the engine must not pass for a whole one unseen.
    if (!errorText.isEmpty()) {
        logQuery::Error("1", QStringLiteral("读取查询结果失败：%1").arg(errorText));
    }
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
    if (d_->onPostgres) {
        return d_->postgres.IsNull(index);
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
    if (d_->onPostgres) {
        return QString::fromUtf8(d_->postgres.Utf8(index));
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

QByteArrayView TADOQuery::FieldAsUtf8(int index) const {
    if (!d_->active || d_->eof || index < 0 || index >= FieldCount()) {
        return QByteArrayView();
    }
    if (d_->stmt != nullptr) {
        // A null column has no text.
        const unsigned char* text = sqlite3_column_text(d_->stmt, index);
        return text != nullptr ? QByteArrayView(text, sqlite3_column_bytes(d_->stmt, index))
                               : QByteArrayView();
    }
    if (d_->onPostgres) {
        return d_->postgres.Utf8(index);
    }
    if (d_->query->isNull(index)) {
        return QByteArrayView();
    }
    if (d_->utf8.size() != static_cast<std::size_t>(FieldCount())) {
        d_->utf8.resize(static_cast<std::size_t>(FieldCount()));
    }
    QByteArray& text = d_->utf8[static_cast<std::size_t>(index)];
    text = FieldAsString(index).toUtf8();
    return text;
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
