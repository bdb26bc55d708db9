// One UPDATE of the changed fields of a record set's current row, guaranteed to change exactly that row
// or nothing (see QueryRecordSet::Update for the rule). UI thread only.
#pragma once

#include "datasource/QueryField.h"

#include <QString>

#include <vector>

namespace dorvane {

class Connection;

class RowUpdate
{
public:
    // The columns (positions in fields) that name a row of the table: its primary key, else the driver's
    // best row identifier, when all of their columns are among the fields; empty when neither is there
    // and the row must be named by all of its values.
    static std::vector<int> findRowIdentity(Connection& connection, const QString& tableName,
                                            const std::vector<QueryField>& fields);

    // Writes the changed fields. On success they hold their new values as unchanged values; on failure
    // nothing is written, and DataError says why.
    static void write(Connection& connection, const QString& tableName, std::vector<QueryField>& fields,
                      const std::vector<int>& rowIdentity);

    // The number of rows that write() would find for the changed fields: those named as its WHERE names
    // them (the row identity and each changed field's original value). Writes nothing. Throws DataError.
    static qint64 countMatches(Connection& connection, const QString& tableName, const std::vector<QueryField>& fields,
                               const std::vector<int>& rowIdentity);
};

} // namespace dorvane
