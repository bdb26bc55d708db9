// The command line the run benchmarks share: "[--rows N] [--repeat K] [--connection STRING]".
#pragma once

#include <QString>
#include <QStringList>

namespace dorvane::bench {

struct RunArguments
{
    int rows = 200000;
    int repeat = 3;
    // The connection string of a database server; empty for the SQLite copy of the scan table.
    QString server;

    // False for an unknown option, a missing value, or a count that is not a whole number of at least 1.
    bool parse(const QStringList& arguments);
};

} // namespace dorvane::bench
