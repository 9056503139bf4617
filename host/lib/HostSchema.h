// Tables and columns of the host database, created when a database is empty.
#pragma once

#include <QString>
#include <QStringList>

namespace HostSchema {

// CREATE statements for the engine ("SQLITE" or "POSTGRESQL"); each may run
// again on an existing database without changing it.
QStringList Statements(const QString& engine);

}  // namespace HostSchema
