// The "scan" subcommand of dorvane-bench: every field of every row of a SQLite table read through
// QueryRecordSet and through a bare SQLFetch/SQLGetData loop in the same run.
#pragma once

#include <QStringList>

#include <sql.h>

namespace dorvane {
class Connection;
}

namespace dorvane::bench {

// The scan table, shared with the run benchmarks. Its file for N rows is build/bench-data/scan-N.db;
// prepareScanTable makes the table in the connection's database unless it is there with that many rows
// already, and answers whether it made it.
QString scanTableName();
QString scanDatabaseFile(int rows);
bool prepareScanTable(Connection& connection, int rows);

// The floor of reading a table: every field of every row of `query` through plain SQLFetch/SQLGetData
// with reused buffers. Adds the characters and numbers read to checksum; answers the seconds taken.
double bareScan(SQLHDBC dbc, const QString& query, qint64& checksum);

// `arguments` are those after the subcommand ("--rows N", "--repeat K"). Prints its lines to standard
// output, the last one "scan: ratio=R record_set_s=A bare_s=B rows=N"; returns the process exit code.
int runScanBenchmark(const QStringList& arguments);

} // namespace dorvane::bench
