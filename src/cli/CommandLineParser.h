// Reads the command line's arguments into a CliRequest. Options are written "--name value" or
// "--name=value"; each may be given once except --table. Anything the interface does not name, a missing
// value or a missing required option is bad usage, said in one line.
#pragma once

#include "cli/CliRequest.h"

#include <QStringList>

#include <optional>

namespace dorvane {

struct ParsedCommandLine
{
    std::optional<CliRequest> request; // none: bad usage
    QString error; // why, for bad usage
};

// `arguments` are those after the program name.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

} // namespace dorvane
