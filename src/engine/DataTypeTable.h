// The data-type table "\sys\dtype.dat" beside the program: for each ADO data type whether fields of that
// type are searched. Columns DataType (adLongVarWChar 64), Check (adBoolean), AdoNr (adInteger); 39
// default rows, 25 searched.
//
// A missing "sys" folder, or an unreadable or foreign file, raises the record-set DataError; nothing here
// catches it and nothing creates the folder. UI thread.
#pragma once

#include "core/DataError.h"
#include "datasource/MemoryRecordSet.h"
#include "engine/DataTypeName.h"
#include "engine/DataTypeRow.h"

#include <QList>

namespace dorvane {

const QList<DataTypeRow>& defaultDataTypeRows();

// The program folder + "\sys\dtype.dat" in this platform's spelling.
QString dataTypeTablePath();

// Builds the 39 default rows in an open, updatable record set and saves it to `path`, replacing any file
// there. Returns the record set, still open.
MemoryRecordSet BuildDataTypeTable(const QString& path = dataTypeTablePath());

// Load-or-create: opens "\sys\dtype.dat" when it exists (the options dialog asks for Optimistic to edit
// rows), else builds it with BuildDataTypeTable. The record set stands on its first row.
MemoryRecordSet openDataTypeTable(MemoryRecordSet::LockType lockType = MemoryRecordSet::LockType::ReadOnly);

DataTypeRow currentDataTypeRow(MemoryRecordSet& table);

// The existing table file at `path`, read-only, its fields checked. Throws the record-set DataError.
MemoryRecordSet readDataTypeTable(const QString& path);

// SearchableTypes::isSearchable for the table of the current program folder (see SearchableTypes).
bool IsSearchableType(int adoType);

// Write-back of the options dialog: commits every pending change, saves to "\sys\dtype.dat" (replacing it
// only once the new content is complete) and closes the record set.
void saveDataTypeTable(MemoryRecordSet& table);

} // namespace dorvane
