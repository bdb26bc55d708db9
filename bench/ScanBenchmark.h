// The "scan" subcommand of dorvane-bench: every field of every row of a SQLite table read through
// QueryRecordSet and through a bare SQLFetch/SQLGetData loop in the same run.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand ("--rows N", "--repeat K"). Prints its lines to standard
// output, the last one "scan: ratio=R record_set_s=A bare_s=B rows=N"; returns the process exit code.
int runScanBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
