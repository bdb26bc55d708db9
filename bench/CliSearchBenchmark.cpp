// dorvane-bench cli-search --connection STRING [--rows N] [--repeat K]
//
// The table cli_search on the server (made unless it is there with N rows): an integer key, four text
// columns (a code, a name, a city, a memo of about 70 characters), an integer and a date; one row in a
// thousand holds the word "Zephyrine" in its memo. Each round starts the program as a process twice,
// "dorvane search --table cli_search --find zephyrine --quiet --report FILE", once as it is (the server
// sends the candidate rows only) and once with --no-server-filter (every row), alternating K times (default
// 3); each keeps its best time, measured from the start of the process to its end. Both reports must hold
// the same hits (field, key, value), one per row with the word, and the same summary but for records= (the
// rows the program examined). Target: the filtered
// search at least 5 times faster than the unfiltered one on PostgreSQL and MariaDB.
#include "CliSearchBenchmark.h"

#include "CommandLineRun.h"
#include "RunArguments.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcStatement.h"
#include "engine/DataTypeTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace dorvane::bench {

namespace {

const QString Table = QStringLiteral("cli_search");
const QString Word = QStringLiteral("Zephyrine");
constexpr int HitEvery = 1000;

qint64 rowCount(Connection& connection)
{
    try {
        OdbcStatement count(connection.handle());
        count.executeDirect(QStringLiteral("SELECT COUNT(*) FROM ") + Table);
        return count.scalarInt64().value_or(-1);
    } catch (const DataError&) {
        return -1;
    }
}

// The rows, made by the server itself: a million rows through the driver would take longer than the runs.
void makeTable(Connection& connection, int rows)
{
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS ") + Table);
    connection.Execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, code VARCHAR(12), name VARCHAR(40), "
                                      "city VARCHAR(30), memo VARCHAR(200), amount INTEGER, day DATE)")
                           .arg(Table));
    if (connection.sqlDialect() == SqlDialect::PostgreSql) {
        connection.Execute(
            QStringLiteral("INSERT INTO %1 SELECT g, 'C-' || lpad(g::text, 7, '0'), substr(md5(g::text), 1, 20), "
                           "(ARRAY['Berlin', 'Hamburg', 'München', 'Köln'])[1 + g %% 4], "
                           "md5(g::text || 'a') || CASE WHEN g %% %2 = 0 THEN ' %3 ' ELSE ' ' END || "
                           "md5(g::text || 'b'), g %% 9973, DATE '2000-01-01' + (g %% 9000) "
                           "FROM generate_series(1, %4) g")
                .arg(Table)
                .arg(HitEvery)
                .arg(Word)
                .arg(rows)
                .replace(QLatin1String("%%"), QLatin1String("%")));
        return;
    }
    const QString select
        = QStringLiteral("SELECT n, CONCAT('C-', LPAD(n, 7, '0')), SUBSTR(MD5(n), 1, 20), "
                         "ELT(1 + n MOD 4, 'Berlin', 'Hamburg', 'München', 'Köln'), "
                         "CONCAT(MD5(CONCAT(n, 'a')), IF(n MOD %1 = 0, ' %2 ', ' '), MD5(CONCAT(n, 'b'))), "
                         "n MOD 9973, DATE_ADD('2000-01-01', INTERVAL n MOD 9000 DAY) FROM ")
              .arg(HitEvery)
              .arg(Word);
    try {
        // MariaDB's sequence engine.
        connection.Execute(
            QStringLiteral("INSERT INTO %1 %2 (SELECT seq AS n FROM seq_1_to_%3) s").arg(Table, select).arg(rows));
    } catch (const DataError&) {
        connection.Execute(QStringLiteral("SET SESSION cte_max_recursion_depth = %1").arg(rows + 1));
        connection.Execute(QStringLiteral("INSERT INTO %1 WITH RECURSIVE s (n) AS (SELECT 1 UNION ALL SELECT n + 1 "
                                          "FROM s WHERE n < %2) %3 s")
                               .arg(Table)
                               .arg(rows)
                               .arg(select));
    }
}

struct SearchRun
{
    double seconds = 0;
    QString summary;
    QStringList hits; // field, key and value of each hit, sorted
    QString failure;
};

SearchRun search(const QString& connection, const QString& report, bool everyRow)
{
    QStringList arguments {QStringLiteral("search"),
                           QStringLiteral("--connection"),
                           connection,
                           QStringLiteral("--table"),
                           Table,
                           QStringLiteral("--find"),
                           Word.toLower(),
                           QStringLiteral("--quiet"),
                           QStringLiteral("--report"),
                           report};
    if (everyRow)
        arguments.append(QStringLiteral("--no-server-filter"));
    QFile::remove(report);
    const CommandLineRun program = runCommandLine(arguments);
    SearchRun run;
    run.seconds = program.seconds;
    run.failure = program.failure;
    if (!run.failure.isEmpty())
        return run;
    // The records examined differ by design (only the candidates where the server chose them).
    static const QRegularExpression records(QStringLiteral(" records=\\d+"));
    run.summary = program.out.trimmed().split(QLatin1Char('\n')).last();
    run.summary.remove(records);
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly)) {
        run.failure = QStringLiteral("no report");
        return run;
    }
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    for (const QJsonValue& value : json.value(QStringLiteral("hits")).toArray()) {
        const QJsonObject hit = value.toObject();
        run.hits.append(QString::fromUtf8(
            QJsonDocument(QJsonArray {hit.value(QStringLiteral("field")), hit.value(QStringLiteral("key")),
                                      hit.value(QStringLiteral("before"))})
                .toJson(QJsonDocument::Compact)));
    }
    run.hits.sort();
    return run;
}

} // namespace

int runCliSearchBenchmark(const QStringList& arguments)
{
    RunArguments options;
    options.rows = 1000000;
    if (!options.parse(arguments) || options.server.isEmpty()) {
        std::fprintf(stderr, "usage: dorvane-bench cli-search --connection STRING [--rows N] [--repeat K]\n");
        return 2;
    }
    try {
        QTemporaryDir work;
        if (!work.isValid()) {
            std::fprintf(stderr, "cli-search: cannot make a work folder\n");
            return 1;
        }
        {
            Connection connection;
            connection.setConnectionString(options.server);
            connection.Open();
            if (rowCount(connection) != options.rows) {
                std::printf("cli-search: making %d rows in %s\n", options.rows, qPrintable(Table));
                std::fflush(stdout);
                makeTable(connection, options.rows);
            }
            // Fresh statistics, so that the server plans both queries on what the table is.
            connection.Execute(connection.sqlDialect() == SqlDialect::PostgreSql
                                   ? QStringLiteral("ANALYZE ") + Table
                                   : QStringLiteral("ANALYZE TABLE ") + Table);
        }
        settleDataTypeTable();
        const qint64 expected = options.rows / HitEvery;
        std::printf("cli-search: rows=%d rows_with_word=%lld\n", options.rows, static_cast<long long>(expected));

        double bestFiltered = std::numeric_limits<double>::max();
        double bestEveryRow = std::numeric_limits<double>::max();
        for (int round = 0; round < options.repeat; ++round) {
            const SearchRun filtered = search(options.server, work.filePath(QStringLiteral("filtered.json")), false);
            const SearchRun everyRow = search(options.server, work.filePath(QStringLiteral("every.json")), true);
            std::printf("cli-search: round %d filtered_s=%.3f unfiltered_s=%.3f\n", round + 1, filtered.seconds,
                        everyRow.seconds);
            std::fflush(stdout);
            if (!filtered.failure.isEmpty() || !everyRow.failure.isEmpty() || filtered.hits != everyRow.hits
                || filtered.summary != everyRow.summary || filtered.hits.size() != expected) {
                std::fprintf(stderr,
                             "cli-search: the two ways disagree: hits %lld/%lld (expected %lld), summaries \"%s\" / "
                             "\"%s\" (%s%s)\n",
                             static_cast<long long>(filtered.hits.size()), static_cast<long long>(everyRow.hits.size()),
                             static_cast<long long>(expected), qPrintable(filtered.summary),
                             qPrintable(everyRow.summary), qPrintable(filtered.failure), qPrintable(everyRow.failure));
                return 1;
            }
            bestFiltered = std::min(bestFiltered, filtered.seconds);
            bestEveryRow = std::min(bestEveryRow, everyRow.seconds);
        }
        std::printf("cli-search: ratio=%.2f filtered_s=%.3f unfiltered_s=%.3f hits=%lld identical=yes\n",
                    bestEveryRow / bestFiltered, bestFiltered, bestEveryRow, static_cast<long long>(expected));
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "cli-search: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
