// The "cli-replace" subcommand of dorvane-bench: the command line "dorvane replace" started as a process
// over the replace table (a word in one row of a hundred), without and with its change journal, against
// the bare loop of run-replace that updates each hit in autocommit, in the same run.
#pragma once

#include <QStringList>

namespace dorvane::bench {

// `arguments` are those after the subcommand ("--rows N", "--repeat K", "--connection STRING"). Prints
// its lines to standard output, the last two "cli-replace-journal: ratio=R cli_s=A bare_s=B hits=H" and
// "cli-replace: ratio=R cli_s=A bare_s=B hits=H"; returns the process exit code.
int runCliReplaceBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
