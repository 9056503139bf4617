// Transaction levels on named connections: what the query class and the
// connection need to know of them. The calls the module makes are in
// HostServices.h.
#pragma once

#include <QString>

namespace Transactions {

// The PostgreSQL advisory lock every serialised transaction holds.
inline constexpr qint64 kSerializedLockKey = 0x436F4D67;
// The statement that takes it for a scope (see TransactionMode).
QString LockSql(qint64 scope);

// A statement failed inside the connection's innermost open level; that level
// can then only be rolled back (PostgreSQL refuses everything else in it).
void NoteFailedStatement(const QString& connection);
// Rolls back every open level of the connection, before it closes.
void RollbackAll(const QString& connection);
// SQLite ends a transaction on its own after some I/O errors and a full disk;
// true when the connection has open levels the engine no longer holds. Every
// statement is refused until they are rolled back, or each would be stored
// at once, outside the transaction its caller means it to be part of.
bool EngineEnded(const QString& connection);

}  // namespace Transactions
