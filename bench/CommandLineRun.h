// The command line `dorvane` of this build started beside the benchmark, as a user starts it: from the
// program folder the benchmark lives in, over a data-type table that has settled.
#pragma once

#include <QString>
#include <QStringList>

namespace dorvane::bench {

struct CommandLineRun
{
    double seconds = 0;
    QString out; // standard output
    QString failure; // empty when the program ended with status 0
};

// The folder of the benchmark, which is the build's program folder.
QString programFolder();

// A data-type table changed within the last two seconds is read afresh at every lookup; the program meets
// a settled one, as it does in daily use. Makes the table when it is missing.
void settleDataTypeTable();

// Runs `dorvane` with the arguments until it ends, timed from its start.
CommandLineRun runCommandLine(const QStringList& arguments);

} // namespace dorvane::bench
