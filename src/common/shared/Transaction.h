/// @file Transaction.h
/// @brief The transaction guard: one level of a transaction, held for a scope.
///
/// The levels are a host service (ModuleLib::BeginTransaction and its kin in
/// HostServices.h, which the host library defines): this guard is the module's
/// side of the host-services contract, not a reach into the host's code. It is
/// the only way module code reaches the host library besides HostServices.h.
#pragma once

#include <QString>

#include <utility>

#include "HostServices.h"

/// One level of a transaction on a named connection, held for a scope: it
/// rolls back when the scope is left without Commit, whatever the exit (early
/// return or exception). Nested guards become savepoints.
class TTransaction {
  public:
    /// A deferred level (see ModuleLib::TransactionMode).
    explicit TTransaction(QString connection = QString::fromLatin1(kMainConnection))
        : TTransaction(ModuleLib::TransactionMode::Deferred, std::move(connection)) {}
    /// A level of the given mode, serialised across the whole database.
    explicit TTransaction(ModuleLib::TransactionMode mode,
                          QString connection = QString::fromLatin1(kMainConnection))
        : TTransaction(mode, 0, std::move(connection)) {}
    /// A level of the given mode; a serialised one queues only behind levels
    /// of the same scope, a company's id.
    TTransaction(ModuleLib::TransactionMode mode, qint64 scope,
                 QString connection = QString::fromLatin1(kMainConnection))
        : connection_(std::move(connection)) {
        if (ModuleLib::BeginTransaction(connection_, errorText_, mode, scope)) {
            level_ = ModuleLib::TransactionDepth(connection_);
        }
    }
    /// Rolls the level back unless it was committed.
    ~TTransaction() { Rollback(); }
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    /// False when the level could not be opened; ErrorText says why.
    bool IsActive() const { return level_ > 0; }

    /// Commits this level (releases its savepoint when nested). On failure the
    /// level is rolled back and ErrorText says why.
    bool Commit() {
        if (level_ == 0) {
            errorText_ = QStringLiteral("事务没有开始或已经结束");
            return false;
        }
        const int level = std::exchange(level_, 0);
        if (ModuleLib::TransactionDepth(connection_) != level) {
            // A level opened inside this one is still open, or the connection
            // lost the transaction: nothing of it may be committed.
            UndoFrom(level);
            errorText_ = QStringLiteral("事务层次不一致，已回滚");
            return false;
        }
        const bool committed = ModuleLib::CommitTransaction(connection_, errorText_);
        unknown_ = !committed && ModuleLib::CommitOutcomeUnknown(connection_);
        return committed;
    }

    /// True when Commit failed without anyone knowing whether the work was
    /// stored (the connection dropped during COMMIT and the host could not
    /// find out after): the operator is told so, never "saved" or "failed".
    bool OutcomeUnknown() const { return unknown_; }

    /// Rolls this level back, with any level still open inside it.
    bool Rollback() { return level_ == 0 || UndoFrom(std::exchange(level_, 0)); }

    /// Why the level could not be opened, committed or rolled back.
    const QString& ErrorText() const { return errorText_; }

  private:
    bool UndoFrom(int level) {
        bool ok = true;
        for (int depth = ModuleLib::TransactionDepth(connection_); depth >= level;) {
            QString error;
            if (!ModuleLib::RollbackTransaction(connection_, error) && ok) {
                // The first failure says why; a later level that rolls back
                // must not clear it.
                ok = false;
                errorText_ = error;
            }
            const int after = ModuleLib::TransactionDepth(connection_);
            if (after >= depth) {
                return false;
            }
            depth = after;
        }
        return ok;
    }

    QString connection_;
    QString errorText_;
    int level_ = 0;  // depth of this level while it is open, else 0
    bool unknown_ = false;
};
