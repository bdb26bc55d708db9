// The two listing commands: "dorvane tables" (the source's base tables, one per line, in the source's
// order: the tables a run over all tables walks) and "dorvane runs" (the journal's runs, one per line,
// tab-separated after a header line: id, kind, started, ended, source, options, the counts, and how many
// changes are pending, i.e. were caught in flight). Each answers the exit status.
#pragma once

#include "cli/CliRequest.h"

namespace dorvane {

class Console;

int listTables(const CliRequest& request, Console& console);
int listRuns(const CliRequest& request, Console& console);

} // namespace dorvane
