// Drivers known by a file's first bytes, for a chosen file that no row of the file-driver table opens:
// a SQLite database ("SQLite format 3" and a zero byte) goes to the SQLite3 driver whatever its name
// (".sqlite", ".sqlite3", none), an Access database ("Standard Jet DB" or "Standard ACE DB" from byte 4
// on) to MDB Tools. UI thread.
#pragma once

#include "datasource/FileDriverRow.h"

#include <QString>

#include <optional>

namespace dorvane {

// The row that opens `fileName` by its content (Ext is the file's extension, File true), or none for a
// file that cannot be read or is of no known kind.
std::optional<FileDriverRow> fileDriverByContent(const QString& fileName);

// The patterns the open-file dialog adds to those of the table for files found by content that no
// default row covers: "*.sqlite;*.sqlite3;".
QString contentDriverPatterns();

} // namespace dorvane
