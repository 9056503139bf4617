// The CREATE statements of the host database, built from the shared column
// lists (TableColumns.h); run at every start, they create what is missing.
#pragma once

#include <QString>
#include <QStringList>

namespace DatabaseSchema {

// CREATE statements for the engine ("SQLITE" or "POSTGRESQL"); each may run
// again on an existing database without changing it.
QStringList Statements(const QString& engine);

}  // namespace DatabaseSchema
