// Writes a record set in ADO's ADTG format exactly as ADO's Recordset.Save writes a fabricated
// (Fields.Append-built) client-side record set: the same header blocks and properties, one column
// descriptor per field, deleted rows first, then the other rows in order as plain, changed or insert
// records. Files written here are byte for byte what ADO writes for the same record set.
#pragma once

#include "datasource/RecordTable.h"

#include <QByteArray>

namespace dorvane {

class AdtgWriter
{
public:
    // Throws the record-set DataError for content ADTG cannot hold (a NULL in a column that cannot be
    // NULL, a text too long for its length prefix, a character outside Windows-1252 in an ANSI column).
    static QByteArray write(const RecordTable& table);
};

} // namespace dorvane
