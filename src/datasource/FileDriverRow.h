// One row of the file-driver table: a file extension and the connection-string template that opens such
// files, with "<path>" standing for the file itself (File true) or for the folder that holds it.
#pragma once

#include <QString>

namespace dorvane {

struct FileDriverRow
{
    QString Ext; // without the dot, at most 3 characters
    QString Str; // connection-string template holding "<path>"
    bool File = true;

    bool operator==(const FileDriverRow&) const = default;
};

} // namespace dorvane
