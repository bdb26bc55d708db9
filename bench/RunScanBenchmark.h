// The "run-scan" subcommand of dorvane-bench: a run through the real engine over the scan table whose only
// hit is in the last row, against the bare ODBC scan of the same table in the same run.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand ("--rows N", "--repeat K"). Prints its lines to standard
// output, the last one "run-scan: ratio=R engine_s=A bare_s=B peak_rss_mb=M first_hit_ms=F"; returns the
// process exit code.
int runRunScanBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
