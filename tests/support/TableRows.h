// A table's whole content as short texts, for comparing what a write left behind.
#pragma once

#include "datasource/Connection.h"

#include <QStringList>

namespace dorvane::test {

// One text per row in the given ORDER BY, its values joined by "|", a null as "<NULL>". Throws DataError.
QStringList tableRows(Connection& connection, const QString& table, const QString& order);

} // namespace dorvane::test
