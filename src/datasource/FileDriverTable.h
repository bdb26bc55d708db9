// The file-driver table "\sys\fdrv.dat" beside the program: which connection-string template opens a
// database file of a given extension. Columns Ext (adChar 3, key column), Str (adLongVarWChar 256),
// File (adBoolean); rows in insertion order.
//
// A missing or foreign file, or a missing "sys" folder, raises the record-set DataError; these functions
// catch nothing. Nothing here creates the "sys" folder. UI thread.
#pragma once

#include "datasource/FileDriverRow.h"
#include "datasource/MemoryRecordSet.h"

#include <QList>

#include <optional>

namespace dorvane {

// The rows written when the table is missing, for the drivers of this platform (see the .cpp).
const QList<FileDriverRow>& defaultFileDriverRows();

// The templates of the default rows: SQLite files through the SQLite3 driver, Access files through MDB
// Tools. Files found by their content (see FileContentDriver) use them too.
QString sqliteFileTemplate();
QString accessFileTemplate();

// The extension the lookup compares: the lower-cased text after the last dot of the last path
// component, "" when it has none.
QString fileExtensionOf(const QString& fileName);

// The program folder + "\sys\fdrv.dat" in this platform's spelling.
QString fileDriverTablePath();

// Builds the default rows in an open, updatable record set and saves it to `path`, replacing any file
// there. Returns the record set, still open.
MemoryRecordSet BuildFileDriverTable(const QString& path = fileDriverTablePath());

// Load-or-create: opens "\sys\fdrv.dat" when it exists (the options dialog asks for Optimistic to edit
// rows), else builds it with BuildFileDriverTable. The record set stands on its first row.
MemoryRecordSet openFileDriverTable(MemoryRecordSet::LockType lockType = MemoryRecordSet::LockType::ReadOnly);

// The current row. Ext is given without the blanks that pad the fixed-width column ("db", not "db ").
FileDriverRow currentFileDriverRow(MemoryRecordSet& table);

// "*." + Ext + ";" for every row in order, the final ";" kept; "" for an empty table.
QString fileDriverPatterns(MemoryRecordSet& table);

// The first row whose Ext, lower-cased and without padding blanks, equals the extension of `fileName`
// (lower-cased; the text after the last dot of the last path component). None for a name without one.
std::optional<FileDriverRow> findFileDriver(MemoryRecordSet& table, const QString& fileName);

// The row's template with every "<path>" (exactly so spelled) replaced by `fileName` as given (File true)
// or by the folder that holds it, without a trailing separator (File false).
QString fileDriverConnectionString(const FileDriverRow& row, const QString& fileName);

// The folder part of a path as the file system's parent-folder function gives it: no trailing separator
// except for a root ("/"); "" when the name has no folder part.
QString parentFolderName(const QString& path);

// Write-back of the options dialog: commits every pending change, saves to "\sys\fdrv.dat" (replacing it
// only once the new content is complete) and closes the record set.
void saveFileDriverTable(MemoryRecordSet& table);

} // namespace dorvane
