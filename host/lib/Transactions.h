// Transaction levels on named connections: what the query class and the
// connection need to know of them. The calls the module makes are in
// HostServices.h.
#pragma once

#include <QString>

namespace Transactions {

// The PostgreSQL advisory lock every serialised transaction holds.
inline constexpr qint64 kSerializedLockKey = 0x436F4D67;

// A statement failed inside the connection's innermost open level; that level
// can then only be rolled back (PostgreSQL refuses everything else in it).
void NoteFailedStatement(const QString& connection);
// Rolls back every open level of the connection, before it closes.
void RollbackAll(const QString& connection);

}  // namespace Transactions
