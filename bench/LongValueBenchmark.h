// The "long-values" subcommand of dorvane-bench: single text and binary values of 1 MiB and more read
// through QueryRecordSet and through a bare SQLGetData loop in the same run.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand. Prints one line per value read, the last ones
// "long-values: kind=text mib=10 ratio=R record_set_s=A bare_s=B"; returns the process exit code.
int runLongValueBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
