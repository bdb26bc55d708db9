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

// True when exactly one row of the table carries `adoType` as AdoNr and its Check is set; no row or
// several rows mean false. Creates the file with the defaults when it is missing. Always answers from the
// file as it is now: its rows are reused only while the file's identity, times and size and this
// process's save count are unchanged, and only for a file that has not changed for two seconds, so a
// change saved a moment earlier, by this program or another, is seen by the next call.
bool IsSearchableType(int adoType);

// How long after a change the file is read afresh at every lookup (two seconds). Use only for testing:
// 0 lets a test reach the reuse of cached rows at once.
void setDataTypeSettleTimeForTesting(qint64 nanoseconds);

// Write-back of the options dialog: commits every pending change, saves to "\sys\dtype.dat" (replacing it
// only once the new content is complete) and closes the record set.
void saveDataTypeTable(MemoryRecordSet& table);

} // namespace dorvane
