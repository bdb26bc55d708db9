// dorvane-bench run-scan [--rows N] [--repeat K] [--connection STRING]
//
// With --connection the scan table is made (once) in the database that STRING opens, a PostgreSQL or
// MariaDB server for instance, and both sides read it there; the output lines stay the same.
//
// A copy of the scan table (build/bench-data/scan-N.db, made on first use; default 200 000 rows) whose
// last field of the last row holds the only hit. The engine side is the run session on that one table, as
// the front ends set it up, timed from its start until the walk stops at the hit; the
// bare side is the plain SQLFetch/SQLGetData scan of the scan benchmark over the same file. Connecting and
// laying out the program folder are not timed. The two alternate K times (default 3) and each keeps its
// best time. Target: ratio ≤ 1.5.
#include "RunScanBenchmark.h"

#include "HeadlessRun.h"
#include "RunArguments.h"
#include "ScanBenchmark.h"

#include "core/DataError.h"
#include "datasource/Connection.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace dorvane::bench {

namespace {

// '@' is not among the characters of the generated texts, so nothing else in the table matches.
const QString Needle = QStringLiteral("Nadel@Ende");

// The engine's way: Start, and the walk returns to the caller with the hit on display.
double engineRun(HeadlessRun& run, QString& hit)
{
    run.prepare(scanTableName(), Needle, QString(), false);
    QElapsedTimer timer;
    timer.start();
    run.start();
    const double seconds = timer.nsecsElapsed() / 1e9;
    hit = run.isWaitingAtHit() ? run.hitPosition() : QStringLiteral("none");
    run.stop();
    return seconds;
}

} // namespace

int runRunScanBenchmark(const QStringList& arguments)
{
    RunArguments options;
    if (!options.parse(arguments)) {
        std::fprintf(stderr, "usage: dorvane-bench run-scan [--rows N] [--repeat K] [--connection STRING]\n");
        return 2;
    }
    const int rows = options.rows;
    const int repeat = options.repeat;
    const QString& server = options.server;

    try {
        HeadlessRun run;
        if (!run.isValid()) {
            std::fprintf(stderr, "run-scan: cannot lay out a program folder\n");
            return 1;
        }
        QTemporaryDir work;
        if (server.isEmpty()) {
            const QString source = scanDatabaseFile(rows);
            {
                Connection maker;
                maker.setConnectionString(QStringLiteral("DRIVER=SQLite3;NoCreat=0;Database=") + source);
                maker.Open();
                if (prepareScanTable(maker, rows))
                    std::printf("run-scan: made %d rows in %s\n", rows, qPrintable(source));
            }
            const QString file = work.filePath(QStringLiteral("run-scan.db"));
            if (!work.isValid() || !QFile::copy(source, file)) {
                std::fprintf(stderr, "run-scan: cannot copy %s\n", qPrintable(source));
                return 1;
            }
            run.open(file);
        } else {
            run.openConnection(server);
            // Only the needle's row changes, and it is written again below: the table can stay for the
            // next time.
            if (prepareScanTable(run.connection(), rows))
                std::printf("run-scan: made %d rows in the server's database\n", rows);
        }
        run.connection().Execute(
            QStringLiteral("UPDATE %1 SET note = '%2' WHERE id = %3").arg(scanTableName(), Needle).arg(rows));
        const QString expectedHit = QStringLiteral("%1.6").arg(rows - 1);

        Connection bare;
        bare.setConnectionString(run.connection().ConnectionString());
        bare.Open();
        const QString query = bare.tableQuery(scanTableName());

        double bestEngine = std::numeric_limits<double>::max();
        double bestBare = std::numeric_limits<double>::max();
        qint64 checksum = 0;
        for (int round = 0; round < repeat; ++round) {
            QString hit;
            const double engine = engineRun(run, hit);
            if (hit != expectedHit || !run.messages().isEmpty()) {
                std::fprintf(stderr, "run-scan: the run stopped at %s, not at %s (messages: %s)\n", qPrintable(hit),
                             qPrintable(expectedHit), qPrintable(run.messages().join(QLatin1String("; "))));
                return 1;
            }
            checksum = 0;
            const double bareSeconds = bareScan(bare.handle(), query, checksum);
            std::printf("run-scan: round %d engine_s=%.3f bare_s=%.3f\n", round + 1, engine, bareSeconds);
            std::fflush(stdout);
            bestEngine = std::min(bestEngine, engine);
            bestBare = std::min(bestBare, bareSeconds);
        }
        std::printf("run-scan: rows=%d hit=%s bare_checksum=%lld\n", rows, qPrintable(expectedHit),
                    static_cast<long long>(checksum));
        std::printf("run-scan: ratio=%.3f engine_s=%.3f bare_s=%.3f\n", bestEngine / bestBare, bestEngine, bestBare);
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "run-scan: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
