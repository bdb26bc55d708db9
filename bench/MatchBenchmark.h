// The "match" subcommand of dorvane-bench: the field test of every matching mode over generated values.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand ("--values N"). Prints its lines to standard output;
// returns the process exit code.
int runMatchBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
