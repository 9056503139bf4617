// Who and what makes the writes of the host's connection, for the history
// the database keeps of the companies' rows: the source the module names,
// the logged-in operator and this desk's host name. PostgreSQL reads them
// from settings of the session, SQLite from a function of the connection.
#pragma once

#include <QString>

namespace ChangeContext {

// The source (0), the operator (1) and the desk (2); empty when unknown.
QString Value(int part);

// On PostgreSQL: the statement that gives the session the values, or an
// empty text when it has them already. Forget makes the next one send them
// (a rollback undoes the settings made in it; a new connection has none).
QString PendingSettings();
void Sent(const QString& settings);
void Forget();

}  // namespace ChangeContext
