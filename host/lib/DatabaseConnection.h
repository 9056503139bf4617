// The host's database connection "MainAppCon": opened from the settings at
// start, closed at stop.
#pragma once

#include <QString>

#include "ServiceState.h"

namespace DatabaseConnection {

// Opens the connection the settings name (SQLite by default), creating an
// SQLite file in an existing folder, and gives an empty database the schema.
bool Open(ServiceState::State& state, QString& errorText);
// Rolls back an open transaction and closes; every query must have been freed.
void Close();

// A server may drop the connection (a restart, a network fault). After a
// failed statement outside a transaction, a connection that no longer answers
// is closed; the next statement opens it again with the same settings.
void CloseIfLost();
// False, with the reason, when the connection was closed as lost and cannot
// be opened again yet.
bool ReopenIfLost(QString& errorText);

// On a PostgreSQL server, brings the schema up to date and lets role (a
// plain identifier) read and write the rows of every table, nothing more.
bool GrantDeskRole(const QString& role, QString& errorText);

// "SQLITE", "POSTGRESQL" or the upper-cased name of another Qt driver.
QString EngineName(const QString& driver);

}  // namespace DatabaseConnection
