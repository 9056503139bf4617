// Nested transactions on a named connection: the outermost level is the
// engine's transaction, inner levels are savepoints, so an inner failure can be
// undone while the outer work goes on (PostgreSQL aborts the whole transaction
// on any error unless a savepoint is rolled back).
#include "Transactions.h"

#include <QSqlDatabase>

#include <sqlite3.h>

#include "ChangeContext.h"
#include "CommitMarks.h"
#include "HostServices.h"
#include "ServiceState.h"
#include "SqliteFunctions.h"

namespace {

using Levels = QList<ServiceState::State::TransactionLevel>;

Levels& LevelsOf(const QString& connection) {
    return ServiceState::Get().transactions[connection];
}

QString SavepointName(qsizetype level) {
    // Level 1 is the transaction itself; level 2 is the first savepoint.
    return QStringLiteral("sp_%1").arg(level - 1);
}

bool Run(const QString& connection, const QString& sql, QString& errorText) {
    TADOQuery query;
    if (query.Execute(connection, sql, errorText)) {
        return true;
    }
    logQuery::Error("1", QStringLiteral("事务语句失败：%1；语句：%2").arg(errorText, sql));
    return false;
}

// Undoes the innermost level and drops it, whatever the engine answers: the
// caller's level is over either way. When a savepoint cannot be rolled back,
// the level around it holds work of unknown state and may only roll back too.
bool UndoInnermost(const QString& connection, QString& errorText) {
    Levels& levels = LevelsOf(connection);
    const qsizetype level = levels.size();
    bool ok = true;
    // The session's settings made in the level are undone with it.
    ChangeContext::Forget();
    if (Transactions::EngineEnded(connection)) {
        // Nothing is left to undo; a savepoint's outer level lost its work too.
        ok = level == 1;
        if (!ok) {
            errorText = QStringLiteral("数据库已回滚整个事务");
        }
    } else if (level == 1) {
        ok = Run(connection, QStringLiteral("ROLLBACK"), errorText);
    } else {
        const QString name = SavepointName(level);
        ok = Run(connection, QStringLiteral("ROLLBACK TO SAVEPOINT ") + name, errorText) &&
             Run(connection, QStringLiteral("RELEASE SAVEPOINT ") + name, errorText);
    }
    levels.removeLast();
    if (!ok && !levels.isEmpty()) {
        levels.last().failed = true;
    }
    return ok;
}

// The connection dropped while the server ran COMMIT: the caller hears
// success or failure only once the host knows which.
bool ResolveInDoubt(const QString& connection, const QString& mark, QString& errorText) {
    QString detail;
    const CommitMarks::Outcome outcome = CommitMarks::Resolve(mark, detail);
    ServiceState::State& state = ServiceState::Get();
    const QString text =
        QStringLiteral("提交事务时与数据库的连接断开（%1），%2").arg(errorText.trimmed(), detail);
    logQuery::Warn("1", text);
    switch (outcome) {
        case CommitMarks::Outcome::Committed:
            ++state.commitChecks.committed;
            errorText.clear();
            return true;
        case CommitMarks::Outcome::NotCommitted:
            ++state.commitChecks.notCommitted;
            break;
        case CommitMarks::Outcome::Unknown:
            ++state.commitChecks.unknown;
            state.commitUnknown.insert(connection, true);
            break;
    }
    errorText = text;
    return false;
}

}  // namespace

namespace Transactions {

void NoteFailedStatement(const QString& connection) {
    auto found = ServiceState::Get().transactions.find(connection);
    if (found != ServiceState::Get().transactions.end() && !found->isEmpty()) {
        found->last().failed = true;
    }
}

void RollbackAll(const QString& connection) {
    if (ModuleLib::TransactionDepth(connection) > 0 && !EngineEnded(connection)) {
        QString ignored;
        // Ends every savepoint with the transaction.
        Run(connection, QStringLiteral("ROLLBACK"), ignored);
        ChangeContext::Forget();
    }
    ServiceState::Get().transactions.remove(connection);
}

bool EngineEnded(const QString& connection) {
    if (ModuleLib::TransactionDepth(connection) == 0 || !QSqlDatabase::contains(connection)) {
        return false;
    }
    sqlite3* handle = SqliteFunctions::Handle(QSqlDatabase::database(connection, false));
    return handle != nullptr && sqlite3_get_autocommit(handle) != 0;
}

QString LockSql(qint64 scope) {
    if (scope == 0) {
        return QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSerializedLockKey);
    }
    // The two-key form never meets the one-key lock; scopes that fold to the
    // same key only queue behind each other.
    const auto folded = static_cast<qint32>(scope ^ (scope >> 32));
    return QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)")
        .arg(kSerializedLockKey)
        .arg(folded);
}

}  // namespace Transactions

namespace ModuleLib {

bool BeginTransaction(const QString& connection, QString& errorText, TransactionMode mode,
                      qint64 scope) {
    const qsizetype depth = TransactionDepth(connection);
    const bool outerSerialized = depth > 0 && LevelsOf(connection).last().serialized;
    const bool serialize = mode == TransactionMode::Serialized && depth == 0;
    if (mode == TransactionMode::Serialized && depth > 0 && !outerSerialized) {
        errorText = QStringLiteral("已开始的普通事务不能再串行执行");
        return false;
    }
    // The outer level's lock covers its own scope only.
    if (mode == TransactionMode::Serialized && outerSerialized &&
        LevelsOf(connection).last().scope != scope) {
        errorText = QStringLiteral("已开始的串行事务属于另一范围，不能再串行执行");
        return false;
    }
    if (depth > 0) {
        scope = LevelsOf(connection).last().scope;
    }
    const QString engine = GetDBType(connection);
    const bool postgres = engine == QLatin1String("POSTGRESQL");
    if (serialize && !postgres && engine != QLatin1String("SQLITE")) {
        errorText = QStringLiteral("数据库[%1]不支持串行事务").arg(engine);
        return false;
    }
    QString sql = QStringLiteral("SAVEPOINT ") + SavepointName(depth + 1);
    if (depth == 0) {
        // SQLite takes its write lock at once, waiting out another writer.
        sql = serialize && !postgres ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
    }
    if (!Run(connection, sql, errorText)) {
        return false;
    }
    if (serialize && postgres && !Run(connection, Transactions::LockSql(scope), errorText)) {
        QString ignored;
        Run(connection, QStringLiteral("ROLLBACK"), ignored);
        return false;
    }
    LevelsOf(connection).append({false, serialize || outerSerialized, scope});
    return true;
}

bool CommitTransaction(const QString& connection, QString& errorText) {
    Levels& levels = LevelsOf(connection);
    const qsizetype level = levels.size();
    if (level == 0) {
        errorText = QStringLiteral("没有进行中的事务");
        return false;
    }
    if (levels.last().failed) {
        QString ignored;
        UndoInnermost(connection, ignored);
        errorText = QStringLiteral("事务中有语句执行失败，已回滚");
        return false;
    }
    ServiceState::Get().commitUnknown.remove(connection);
    QString mark;
    if (level == 1 && CommitMarks::Marks(connection) &&
        !CommitMarks::Store(connection, mark, errorText)) {
        QString ignored;
        UndoInnermost(connection, ignored);
        return false;
    }
    const QString sql = level == 1 ? QStringLiteral("COMMIT")
                                   : QStringLiteral("RELEASE SAVEPOINT ") + SavepointName(level);
    if (Run(connection, sql, errorText)) {
        levels.removeLast();
        if (!mark.isEmpty()) {
            CommitMarks::KeepUntilNext(mark);
        }
        return true;
    }
    if (!mark.isEmpty() && CommitMarks::ConnectionLost(connection)) {
        // The engine's transaction is over, whatever became of it.
        levels.removeLast();
        return ResolveInDoubt(connection, mark, errorText);
    }
    // The level did not commit; it is undone, so the depth matches the engine.
    QString ignored;
    UndoInnermost(connection, ignored);
    return false;
}

bool RollbackTransaction(const QString& connection, QString& errorText) {
    if (TransactionDepth(connection) == 0) {
        errorText = QStringLiteral("没有进行中的事务");
        return false;
    }
    return UndoInnermost(connection, errorText);
}

void SetChangeSource(const QString& source) {
    ServiceState::Get().changeSource = source;
}

QString ChangeSource() {
    return ServiceState::Get().changeSource;
}

bool CommitOutcomeUnknown(const QString& connection) {
    return ServiceState::Get().commitUnknown.value(connection, false);
}

int TransactionDepth(const QString& connection) {
    const auto& all = ServiceState::Get().transactions;
    const auto found = all.constFind(connection);
    return found == all.constEnd() ? 0 : static_cast<int>(found->size());
}

}  // namespace ModuleLib
