// Which file driver opens a chosen database file, the one rule of the window's open-file command and the
// command line's --file: the file-driver table's row for the file's extension, unless that row's driver
// is not installed here (a table written on another system); else the driver the file's first bytes name
// (see FileContentDriver); else the table's row, whose open then says what is missing. UI thread.
#pragma once

#include "datasource/FileDriverRow.h"

#include <QString>

#include <optional>

namespace dorvane {

// `tableRow` is findFileDriver's answer for `fileName`; none when nothing opens the file.
std::optional<FileDriverRow> chooseFileDriver(const QString& fileName, const std::optional<FileDriverRow>& tableRow);

} // namespace dorvane
