// The content of a record set without its cursor: the columns and every row with its state. This is
// what the ADTG codec reads and writes and what MemoryRecordSet navigates.
#pragma once

#include "datasource/FieldDefinition.h"
#include "datasource/RecordRow.h"

#include <QList>

namespace dorvane {

struct RecordTable
{
    QList<FieldDefinition> fields;
    QList<RecordRow> rows; // in record-set order, including Deleted rows
};

} // namespace dorvane
