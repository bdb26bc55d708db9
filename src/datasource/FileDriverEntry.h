// The rules for one driver typed into the file-driver dialog: which entries the file-driver table takes,
// and how an accepted entry is written into the table the options dialog holds open. UI-free, so that
// the rules are tested without a window. UI thread.
//
// Rows are addressed by position: the 0-based index among the rows the record set shows (rows deleted
// since the last write-back are not counted).
#pragma once

#include "datasource/FileDriverRow.h"
#include "datasource/MemoryRecordSet.h"

#include <optional>

namespace dorvane {

// The checks in the order they run; the first that fails decides.
enum class FileDriverEntryCheck
{
    Accepted,
    // The extension has not 1 to 3 characters (text t7). The column is three characters wide; "db" is as
    // good an extension as "mdb", and the default table holds it.
    ExtensionLength,
    // Another row already has this extension, compared case-sensitively and without the blanks that
    // pad a short one in the column (text t8).
    ExtensionExists,
    TemplateMissing, // the connection string is empty ("Connection string is missing")
    PlaceholderMissing, // the connection string lacks "<path>" in any case (text t9)
};

// Checks entry against table. editedPosition is the row being edited, none when a row is added; that row
// does not count as a duplicate of itself. `entry.Str` is the template as typed, line breaks included.
// When editing, the record set stands on the edited row again afterwards. Throws the record-set
// DataError only for a closed record set.
FileDriverEntryCheck checkFileDriverEntry(MemoryRecordSet& table, const FileDriverRow& entry,
                                          std::optional<int> editedPosition);

// Writes an accepted entry: a new row at the end (editedPosition none) or the edited row, with every
// CR LF pair removed from the template, and commits the row (Update). The record set stands on the
// written row. Throws the record-set DataError when the table refuses a value.
void storeFileDriverEntry(MemoryRecordSet& table, const FileDriverRow& entry, std::optional<int> editedPosition);

// Makes the row at position current; a position past the last row leaves the record set at its end.
void moveToPosition(MemoryRecordSet& table, int position);

} // namespace dorvane
