// The data source a command works on: a connection string as given, or a database file opened through
// the file-driver table of the program folder, exactly as the window opens a chosen file.
#pragma once

#include "cli/CliRequest.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace dorvane {

class Connection;

class CommandLineSource
{
public:
    // The connection string the request names. For --file the file must exist and its extension must
    // have a row in the file-driver table. Throws DataError with a description for the user.
    static QString connectionString(const CliRequest& request);
    // Opens it. Throws DataError ("the source cannot be opened: ...").
    static std::unique_ptr<Connection> open(const QString& connectionString);
    // The values of the string's password entries, for masking them in messages.
    static QStringList secretsOf(const QString& connectionString);
};

} // namespace dorvane
