// What the program's small tables in its "sys" folder (the file-driver and the data-type table) share:
// a record-set file that is built with its default rows when missing, must carry its named fields when
// read, and is written back whole by the options dialog. UI thread.
#pragma once

#include "datasource/MemoryRecordSet.h"

#include <QStringList>

namespace dorvane {

// Makes the table with its default rows, saves it to the given path and returns it open on its first row.
using SysTableBuilder = MemoryRecordSet (*)(const QString& path);

// Raises the record-set DataError "The file "<path>" is no <kind>: it has no field "<name>"." for the
// first of `fields` that `table` lacks.
void requireSysTableFields(MemoryRecordSet& table, const QString& path, const QString& kind, const QStringList& fields);

// Load-or-create: opens the file at `path` with `lockType` and checks its fields when it exists, else
// returns what `build` makes there. Errors of the file are the record set's DataError.
MemoryRecordSet openSysTable(const QString& path, MemoryRecordSet::LockType lockType, const QString& kind,
                             const QStringList& fields, SysTableBuilder build);

// Write-back: commits every pending change, saves to `path` (replacing the file only once the new
// content is complete) and closes the record set.
void saveSysTable(MemoryRecordSet& table, const QString& path);

} // namespace dorvane
