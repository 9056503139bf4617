// One level of a transaction on a named connection, held for a scope: it rolls
// back when the scope is left without Commit, whatever the exit (early return
// or exception). Nested guards become savepoints.
#pragma once

#include <QString>

#include "HostServices.h"

class TTransaction {
  public:
    explicit TTransaction(QString connection = QString::fromLatin1(kMainConnection))
        : connection_(std::move(connection)) {
        active_ = ModuleLib::BeginTransaction(connection_, errorText_);
    }
    ~TTransaction() {
        if (active_) {
            QString ignored;
            ModuleLib::RollbackTransaction(connection_, ignored);
        }
    }
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    // False when the level could not be opened; ErrorText says why.
    bool IsActive() const { return active_; }
    bool Commit() {
        if (!active_) {
            return false;
        }
        active_ = false;
        return ModuleLib::CommitTransaction(connection_, errorText_);
    }
    void Rollback() {
        if (active_) {
            active_ = false;
            ModuleLib::RollbackTransaction(connection_, errorText_);
        }
    }
    const QString& ErrorText() const { return errorText_; }

  private:
    QString connection_;
    QString errorText_;
    bool active_ = false;
};
