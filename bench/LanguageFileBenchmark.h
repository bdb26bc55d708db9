// The "language-file" subcommand of dorvane-bench: text lookups in a large language file.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand ("--megabytes N"). Prints its lines to standard output;
// returns the process exit code.
int runLanguageFileBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
