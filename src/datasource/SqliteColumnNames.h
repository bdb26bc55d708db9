// The true column names of a SQLite table. The SQLite3 ODBC driver takes a column name that holds a dot
// for "table.column" and reports only what follows the last dot: "a.b" comes back as "b", "." as "". A
// record set that saved through such a name would write another column of the table, or none.
#pragma once

#include <QStringList>

#include <sql.h>

namespace dorvane {

class SqliteColumnNames
{
public:
    // The names of the columns that "Select *" on the table or view returns, in their order (SQLite's
    // table_xinfo without the hidden columns of virtual tables). The name travels as a bound parameter,
    // never as SQL text. Empty when the catalog cannot tell (not SQLite, no such table).
    static QStringList of(SQLHDBC connection, const QString& tableName);

    // The name to use for a column the driver described as `described`, given the catalog's name at the
    // same position: the catalog's when the driver cut it at a dot, else the described one.
    static QString restored(const QString& described, const QString& catalogName);
};

} // namespace dorvane
