// dorvane-bench cli-search --connection STRING [--rows N] [--repeat K]: the dorvane program's search on a
// database server, asking the server for candidate rows against reading every row (--no-server-filter).
#pragma once

#include <QStringList>

namespace dorvane::bench {

int runCliSearchBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
