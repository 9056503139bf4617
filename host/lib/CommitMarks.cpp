#include "CommitMarks.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QThread>
#include <QUuid>

#include <libpq-fe.h>

#include "DatabaseConnection.h"
#include "HostServices.h"
#include "PostgresRows.h"
#include "ServiceState.h"
#include "SqlText.h"

namespace CommitMarks {

namespace {

constexpr int kDefaultCheckSeconds = 20;
constexpr int kRetryMs = 500;
// A transaction still running on the old connection holds its mark: the
// check waits this long for it to end, then gives up. The check's own
// commit need not wait for a standby: the work it judges has ended.
constexpr const char* kFenceSettings =
    "SELECT set_config('lock_timeout', '10s', false), "
    "set_config('synchronous_commit', 'local', false)";
constexpr const char* kFenceReset =
    "SELECT set_config(name, reset_val, false) FROM pg_settings "
    "WHERE name IN ('lock_timeout', 'synchronous_commit')";

int CheckSeconds() {
    bool ok = false;
    const int seconds =
        ServiceState::Get().sysConfig.Value("Database", "CommitCheckSeconds").toInt(&ok);
    return ok && seconds >= 0 ? seconds : kDefaultCheckSeconds;
}

// Takes the mark unless the transaction stored it: a mark stored now means
// the transaction never committed, and now never can.
bool Fence(const QString& mark, bool& committed, QString& errorText) {
    TADOQuery query;
    QString ignored;
    if (!query.Open(kMainConnection, QLatin1String(kFenceSettings), errorText)) {
        return false;
    }
    const bool ran = query.Open(kMainConnection,
                                QStringLiteral("INSERT INTO XT_TJBJ(BJ) VALUES(%1) "
                                               "ON CONFLICT DO NOTHING RETURNING BJ")
                                    .arg(SqlText::Literal(mark)),
                                errorText);
    committed = ran && query.Eof();
    query.Close();
    TADOQuery reset;
    reset.Open(kMainConnection, QLatin1String(kFenceReset), ignored);
    return ran;
}

}  // namespace

bool Marks(const QString& connection) {
    return connection == QLatin1String(kMainConnection) &&
           ServiceState::Get().driver == QLatin1String("QPSQL");
}

bool Store(const QString& connection, QString& mark, QString& errorText) {
    mark = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString& last = ServiceState::Get().lastCommitMark;
    const QString insert =
        QStringLiteral("INSERT INTO XT_TJBJ(BJ) VALUES(%1)").arg(SqlText::Literal(mark));
    // One round trip for both.
    const QString sql = last.isEmpty()
                            ? insert
                            : QStringLiteral("WITH gone AS (DELETE FROM XT_TJBJ WHERE BJ=%1) %2")
                                  .arg(SqlText::Literal(last), insert);
    TADOQuery query;
    return query.Execute(connection, sql, errorText);
}

void KeepUntilNext(const QString& mark) {
    ServiceState::Get().lastCommitMark = mark;
}

bool ConnectionLost(const QString& connection) {
    if (!QSqlDatabase::contains(connection)) {
        return false;
    }
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    PGconn* handle = PostgresRows::Handle(db);
    return !db.isOpen() || (handle != nullptr && PQstatus(handle) == CONNECTION_BAD);
}

Outcome Resolve(const QString& mark, QString& detail) {
    DatabaseConnection::CloseIfLost();
    const QDeadlineTimer deadline{std::chrono::seconds(CheckSeconds())};
    QString errorText;
    for (;;) {
        bool committed = false;
        if (DatabaseConnection::ReopenIfLost(errorText) && Fence(mark, committed, errorText)) {
            // A fence row is dropped by the next commit, as a mark would be.
            KeepUntilNext(mark);
            detail = committed ? QStringLiteral("重新连接后查明事务已经提交")
                               : QStringLiteral("重新连接后查明事务没有提交");
            return committed ? Outcome::Committed : Outcome::NotCommitted;
        }
        DatabaseConnection::CloseIfLost();
        if (deadline.hasExpired()) {
            break;
        }
        QThread::msleep(kRetryMs);
    }
    detail = QStringLiteral("重新连接后仍无法查明事务是否已经提交：%1").arg(errorText);
    return Outcome::Unknown;
}

}  // namespace CommitMarks
