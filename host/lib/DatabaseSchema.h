// The CREATE statements of the host database, built from the shared column
// lists (TableColumns.h); run at every start, they create what is missing.
#pragma once

#include <QString>
#include <QStringList>

namespace DatabaseSchema {

// CREATE statements for the engine ("SQLITE" or "POSTGRESQL"); each may run
// again on an existing database without changing it.
QStringList Statements(const QString& engine);

// The history records a column whose text changed; an empty text and NULL,
// which every window shows alike, count as the same.
// SQLite: the history's triggers for one table, from the columns it has
// (PRAGMA table_info), so an older file that lacks a column still takes
// writes. TEMP: they belong to the host's connection, whose change_context()
// they call; another program's connection, which lacks it, can still write.
// PostgreSQL's trigger (in Statements) compares whole rows instead.
QStringList SqliteHistoryTriggers(const QString& table, const QStringList& columns);

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
