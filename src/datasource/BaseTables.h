// The base tables of a data source: every object of type exactly "TABLE" in the connection's tables
// schema, in the order the driver lists them (never sorted: the order is the driver's).
#pragma once

#include <QStringList>

namespace dorvane {

class Connection;

// Throws DataError when the connection is closed or the schema cannot be read.
QStringList baseTableNames(Connection& connection);

} // namespace dorvane
