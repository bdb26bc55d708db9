// The "run-replace" subcommand of dorvane-bench: "replace without halt" through the real engine over the
// scan table with a word in one row of a hundred, against a bare ODBC loop that scans the table and updates
// each hit by its key, in the same run.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand ("--rows N", "--repeat K"). Prints its lines to standard
// output, the last one "run-replace: ratio=R engine_s=A bare_s=B hits=H"; returns the process exit code.
int runRunReplaceBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
