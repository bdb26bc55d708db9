// dorvane-bench run-scan [--rows N] [--repeat K] [--connection STRING]
//
// With --connection the scan table is made (once) in the database that STRING opens, a PostgreSQL or
// MariaDB server for instance, and both sides read it there; the output lines stay the same. PostgreSQL
// and the MySQL family generate the rows on the server (a million round trips would take longer than the
// benchmark), other servers get them in batches of INSERTs.
//
// A copy of the scan table (build/bench-data/scan-N.db, made on first use; default 200 000 rows) whose
// last field of the last row holds the only hit. The engine side is the run session on that one table, as
// the front ends set it up, timed from its start until the walk stops at the hit; the
// bare side is the plain SQLFetch/SQLGetData scan of the scan benchmark over the same file. Connecting and
// laying out the program folder are not timed. The two alternate K times (default 3) and each keeps its
// best time. Target: ratio ≤ 1.5.
//
// Beside the ratio: peak_rss_mb, the largest growth of the process's resident memory during an engine
// run over the process at rest just before it (the kernel's high-water mark, reset before each run where
// /proc/self/clear_refs allows it), and first_hit_ms, the time from the run's start to the hit of a second needle
// in record 50 (the best of K runs). On a server both must stay flat whatever the table's size: the
// targets there are 60 MB and 50 ms.
#include "RunScanBenchmark.h"

#include "HeadlessRun.h"
#include "RunArguments.h"
#include "ScanBenchmark.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

namespace dorvane::bench {

namespace {

// '@' is not among the characters of the generated texts, so nothing else in the table matches; neither
// needle contains the other.
const QString Needle = QStringLiteral("Nadel@Ende");
const QString EarlyNeedle = QStringLiteral("Nadel@Anfang");
constexpr int EarlyNeedleRecord = 50;

// A line of /proc/self/status ("VmRSS", "VmHWM") in megabytes; -1 where there is none.
double statusMegabytes(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// This process's processor time in seconds: on a file source all of a scan's work is done here, so the
// ratio of these times holds also on a machine busy with other work, where wall times scatter.
double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Sets the high-water mark back to the present resident size; false where the kernel does not allow it.
bool resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// The scan table's rows made by the server itself from a series of numbers. The texts are hex digits
// mapped onto letters, blanks and umlauts; note is NULL in every third row, as in the SQLite file.
// Answers false for a server that has no way of ours to do it.
bool generateOnServer(Connection& connection, int rows)
{
    const QString dbms = connection.dbmsName();
    const QString create = QStringLiteral(
        "CREATE TABLE scan_rows (id INTEGER PRIMARY KEY, code VARCHAR(12), name VARCHAR(40), memo TEXT, "
        "amount DOUBLE PRECISION, day DATE, note TEXT)");
    if (dbms.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive)) {
        connection.Execute(QStringLiteral("DROP TABLE IF EXISTS scan_rows"));
        connection.Execute(create);
        connection.Execute(
            QStringLiteral("INSERT INTO scan_rows SELECT g, 'C-' || lpad(g::text, 6, '0'), "
                           "substr(translate(md5(g::text || 'n'), '0123456789', 'äöüß ABCXY'), 1, 8 + g % 30), "
                           "substr(repeat(translate(md5(g::text), '0123456789', 'äöüß ABCXY') "
                           "|| translate(md5(g::text || 'm'), 'abcdef', 'UVWxyz'), 8), 1, 500), "
                           "(g::bigint * 7919 % 1000000) / 100.0, date '2000-01-01' + (g * 37 % 9000), "
                           "CASE WHEN g % 3 = 0 THEN NULL "
                           "ELSE substr(translate(md5(g::text || 'x'), '0123456789', 'äöüß ABCXY'), 1, 20) END "
                           "FROM generate_series(1, %1) g")
                .arg(rows));
        // Counting then reads the key's index alone, as on any table that autovacuum has visited.
        connection.Execute(QStringLiteral("VACUUM ANALYZE scan_rows"));
        return true;
    }
    if (dbms.contains(QLatin1String("MariaDB"), Qt::CaseInsensitive)
        || dbms.contains(QLatin1String("MySQL"), Qt::CaseInsensitive)) {
        connection.Execute(QStringLiteral("DROP TABLE IF EXISTS scan_rows, scan_numbers"));
        connection.Execute(create);
        // 1..rows by doubling: twenty statements for a million.
        connection.Execute(QStringLiteral("CREATE TABLE scan_numbers (n INTEGER PRIMARY KEY)"));
        connection.Execute(QStringLiteral("INSERT INTO scan_numbers VALUES (1)"));
        for (qint64 have = 1; have < rows; have *= 2) {
            connection.Execute(
                QStringLiteral("INSERT INTO scan_numbers SELECT n + %1 FROM scan_numbers WHERE n + %1 <= %2")
                    .arg(have)
                    .arg(rows));
        }
        connection.Execute(QStringLiteral(
            "INSERT INTO scan_rows SELECT n, CONCAT('C-', LPAD(n, 6, '0')), "
            "SUBSTR(MD5(CONCAT(n, 'n')), 1, 8 + n % 30), "
            "SUBSTR(REPEAT(CONCAT(MD5(n), MD5(CONCAT(n, 'm'))), 8), 1, 500), (n * 7919 % 1000000) / 100.0, "
            "DATE_ADD('2000-01-01', INTERVAL n * 37 % 9000 DAY), "
            "CASE WHEN n % 3 = 0 THEN NULL ELSE SUBSTR(MD5(CONCAT(n, 'x')), 1, 20) END FROM scan_numbers"));
        connection.Execute(QStringLiteral("DROP TABLE scan_numbers"));
        return true;
    }
    return false;
}

bool prepareServerScanTable(Connection& connection, int rows)
{
    try {
        QueryRecordSet check;
        check.OpenStructure(connection, scanTableName());
        if (check.FieldCount() == 7 && check.RecordCount() == rows)
            return false;
    } catch (const DataError&) {
    }
    return generateOnServer(connection, rows) || prepareScanTable(connection, rows);
}

// The engine's way: Start, and the walk returns to the caller with the hit on display.
double engineRun(HeadlessRun& run, const QString& needle, QString& hit)
{
    run.prepare(scanTableName(), needle, QString(), false);
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
            // Only the needles' rows change, and they are written again below: the table can stay for the
            // next time.
            if (prepareServerScanTable(run.connection(), rows))
                std::printf("run-scan: made %d rows in the server's database\n", rows);
        }
        run.connection().Execute(
            QStringLiteral("UPDATE %1 SET note = '%2' WHERE id = %3").arg(scanTableName(), Needle).arg(rows));
        const QString expectedHit = QStringLiteral("%1.6").arg(rows - 1);
        const bool early = rows > EarlyNeedleRecord + 1;
        if (early) {
            run.connection().Execute(QStringLiteral("UPDATE %1 SET note = '%2' WHERE id = %3")
                                         .arg(scanTableName(), EarlyNeedle)
                                         .arg(EarlyNeedleRecord + 1));
        }
        const QString expectedEarlyHit = QStringLiteral("%1.6").arg(EarlyNeedleRecord);

        Connection bare;
        bare.setConnectionString(run.connection().ConnectionString());
        bare.Open();
        const QString query = bare.tableQuery(scanTableName());

        double bestEngine = std::numeric_limits<double>::max();
        double bestBare = std::numeric_limits<double>::max();
        double bestEngineCpu = std::numeric_limits<double>::max();
        double bestBareCpu = std::numeric_limits<double>::max();
        double bestFirstHit = std::numeric_limits<double>::max();
        double peakGrowth = 0;
        bool peakReset = true;
        qint64 checksum = 0;
        const auto stoppedElsewhere = [&](const QString& hit, const QString& expected) {
            if (hit == expected && run.messages().isEmpty())
                return false;
            std::fprintf(stderr, "run-scan: the run stopped at %s, not at %s (messages: %s)\n", qPrintable(hit),
                         qPrintable(expected), qPrintable(run.messages().join(QLatin1String("; "))));
            return true;
        };
        for (int round = 0; round < repeat; ++round) {
            QString hit;
            double firstHit = 0;
            const double atRest = statusMegabytes("VmRSS");
            peakReset = resetPeakResident() && peakReset;
            if (early) {
                firstHit = engineRun(run, EarlyNeedle, hit);
                if (stoppedElsewhere(hit, expectedEarlyHit))
                    return 1;
                bestFirstHit = std::min(bestFirstHit, firstHit);
            }
            double cpuStart = processCpuSeconds();
            const double engine = engineRun(run, Needle, hit);
            bestEngineCpu = std::min(bestEngineCpu, processCpuSeconds() - cpuStart);
            // The first round comes before any bare scan, whose memory the allocator may keep afterwards.
            if (peakReset || round == 0)
                peakGrowth = std::max(peakGrowth, statusMegabytes("VmHWM") - atRest);
            if (stoppedElsewhere(hit, expectedHit))
                return 1;
            checksum = 0;
            cpuStart = processCpuSeconds();
            const double bareSeconds = bareScan(bare.handle(), query, checksum);
            bestBareCpu = std::min(bestBareCpu, processCpuSeconds() - cpuStart);
            std::printf("run-scan: round %d engine_s=%.3f bare_s=%.3f first_hit_ms=%.1f rest_rss_mb=%.1f\n", round + 1,
                        engine, bareSeconds, firstHit * 1000, atRest);
            std::fflush(stdout);
            bestEngine = std::min(bestEngine, engine);
            bestBare = std::min(bestBare, bareSeconds);
        }
        if (early) {
            // Where the time to the first hit goes: the record set alone, opened on the table (its first
            // rows included), counted as the run counts it, and read up to the early needle's record.
            QElapsedTimer timer;
            timer.start();
            QueryRecordSet recordSet;
            recordSet.OpenTable(run.connection(), scanTableName());
            const double openMs = timer.nsecsElapsed() / 1e6;
            timer.restart();
            recordSet.RecordCount();
            const double countMs = timer.nsecsElapsed() / 1e6;
            timer.restart();
            for (int record = 0; record < EarlyNeedleRecord; ++record)
                recordSet.MoveNext();
            std::printf("run-scan: record set alone: open_ms=%.1f count_ms=%.1f to_record_%d_ms=%.1f in_pieces=%s\n",
                        openMs, countMs, EarlyNeedleRecord, timer.nsecsElapsed() / 1e6,
                        recordSet.readsInPieces() ? "yes" : "no");
        }
        std::printf("run-scan: rows=%d hit=%s bare_checksum=%lld\n", rows, qPrintable(expectedHit),
                    static_cast<long long>(checksum));
        if (!peakReset)
            std::printf("run-scan: the peak could not be reset; peak_rss_mb is that of the first round\n");
        // On a server the server's work is not in these times, only the client's.
        std::printf("run-scan: cpu_ratio=%.3f engine_cpu_s=%.3f bare_cpu_s=%.3f (this process only)\n",
                    bestEngineCpu / bestBareCpu, bestEngineCpu, bestBareCpu);
        std::printf("run-scan: ratio=%.3f engine_s=%.3f bare_s=%.3f peak_rss_mb=%.1f first_hit_ms=%s\n",
                    bestEngine / bestBare, bestEngine, bestBare, peakGrowth,
                    early ? qPrintable(QString::number(bestFirstHit * 1000, 'f', 1)) : "none");
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "run-scan: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
