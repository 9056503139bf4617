// A commit whose connection drops while the server runs it may have been
// stored or not. On PostgreSQL every outermost commit stores a mark of its
// own with the work, so that afterwards the host can find out which.
#pragma once

#include <QString>

namespace CommitMarks {

// Commits on the connection are marked: the main connection on a server.
bool Marks(const QString& connection);

// Run inside the transaction just before its COMMIT: stores a fresh mark
// (returned in mark) and drops the one of the connection's last commit.
bool Store(const QString& connection, QString& mark, QString& errorText);
// The mark of the connection's last commit, which the next Store drops.
void KeepUntilNext(const QString& mark);

// Whether the connection is gone: a COMMIT that failed on it is in doubt.
bool ConnectionLost(const QString& connection);

enum class Outcome { Committed, NotCommitted, Unknown };
// Reconnects, waiting up to the settings' CommitCheckSeconds, and finds out
// whether the transaction with mark was committed. Once it knows, the
// transaction can no longer commit later. detail says what was found.
Outcome Resolve(const QString& mark, QString& detail);

}  // namespace CommitMarks
