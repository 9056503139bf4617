// The CREATE statements of the host database, built from the shared column
// lists (TableColumns.h); run at every start, they create what is missing.
#pragma once

#include <QString>
#include <QStringList>

namespace DatabaseSchema {

// CREATE statements for the engine ("SQLITE" or "POSTGRESQL"); each may run
// again on an existing database without changing it.
QStringList Statements(const QString& engine);

// On PostgreSQL: a query whose one value counts the objects of Statements
// that the database lacks. A start that finds none runs no DDL, which the
// role a desk connects with may not run.
QString CountMissingOnServer();

// On PostgreSQL: a query for the quoted name of the schema the tables are in
// and the quoted names of their sequences, joined by ", ".
QString DeskRoleLookup();
// On PostgreSQL: a query for the roles a desk role must never be, one per
// row: the connecting role, the schema's owner and the tables' owners.
QString SetUpRoles();
// The grants that let role read and write the rows of every table (and take
// new keys), and nothing else; role must be a plain identifier.
QStringList DeskRoleGrants(const QString& role, const QString& schema, const QString& sequences);

}  // namespace DatabaseSchema
