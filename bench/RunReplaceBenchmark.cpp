// dorvane-bench run-replace [--rows N] [--repeat K] [--connection STRING]
//
// With --connection both sides work in the database that STRING opens (a PostgreSQL or MariaDB server):
// the scan table is made there once, the source with the word is the table replace_source, and the fresh
// copies are the tables replace_engine and replace_bare; the output lines stay the same.
//
// The scan table (build/bench-data/scan-N.db, made on first use; default 200 000 rows) with a word put
// into the long text of every hundredth row. The engine side is "replace without halt" as the run
// session's save-every policy: the run on that table saves each hit and walks on until it has ended. The bare side
// reads every field of every row with plain SQLFetch/SQLGetData, and for each text holding the word runs a prepared
// "UPDATE ... WHERE id = ?" on the same connection in autocommit, as the engine writes on its connection.
// Each side of each round works on a fresh copy of the table; copying and connecting are not timed. The
// two alternate K times (default 3) and each keeps its best time. Afterwards both copies must hold the
// replacement in exactly the rows that held the word, and the word nowhere. Target: ratio ≤ 2.
#include "RunReplaceBenchmark.h"

#include "HeadlessRun.h"
#include "ReplaceTable.h"
#include "RunArguments.h"

#include "core/DataError.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace dorvane::bench {

namespace {

double engineReplace(const ReplacePlace& place, const QString& copy, HeadlessRun& run, QStringList& messages)
{
    run.openConnection(place.connectionFor(copy));
    run.prepare(place.tableFor(copy), ReplaceWord, ReplaceText, true);
    QElapsedTimer timer;
    timer.start();
    run.start();
    const double seconds = timer.nsecsElapsed() / 1e9;
    messages = run.messages();
    if (run.isRunActive()) {
        messages.append(QStringLiteral("the run had not ended"));
        run.stop();
    }
    run.close();
    return seconds;
}

} // namespace

int runRunReplaceBenchmark(const QStringList& arguments)
{
    RunArguments options;
    if (!options.parse(arguments)) {
        std::fprintf(stderr, "usage: dorvane-bench run-replace [--rows N] [--repeat K] [--connection STRING]\n");
        return 2;
    }
    const int rows = options.rows;
    const int repeat = options.repeat;
    const QString& server = options.server;

    try {
        QTemporaryDir work;
        if (!work.isValid()) {
            std::fprintf(stderr, "run-replace: cannot make a work folder\n");
            return 1;
        }
        const ReplacePlace place {work, server};
        makeReplaceSource(place, rows);
        const ReplaceCensus before = replaceCensus(place, place.sourceName());
        std::printf("run-replace: rows=%d rows_with_word=%lld\n", rows, static_cast<long long>(before.word));

        HeadlessRun run;
        if (!run.isValid()) {
            std::fprintf(stderr, "run-replace: cannot lay out a program folder\n");
            return 1;
        }

        double bestEngine = std::numeric_limits<double>::max();
        double bestBare = std::numeric_limits<double>::max();
        qint64 hits = 0;
        for (int round = 0; round < repeat; ++round) {
            const QString engineCopy = makeReplaceCopy(place, QStringLiteral("replace_engine"));
            QStringList messages;
            const double engine = engineReplace(place, engineCopy, run, messages);
            const ReplaceCensus engineAfter = replaceCensus(place, engineCopy);

            const QString bareCopy = makeReplaceCopy(place, QStringLiteral("replace_bare"));
            hits = 0;
            const double bare = bareReplace(place, bareCopy, hits);
            const ReplaceCensus bareAfter = replaceCensus(place, bareCopy);

            std::printf("run-replace: round %d engine_s=%.3f bare_s=%.3f\n", round + 1, engine, bare);
            std::fflush(stdout);
            if (!messages.isEmpty() || engineAfter.word != 0 || engineAfter.replacement != before.word
                || bareAfter.word != 0 || bareAfter.replacement != before.word || hits != before.word) {
                std::fprintf(stderr,
                             "run-replace: the sides disagree: word/replacement rows engine %lld/%lld, bare %lld/%lld, "
                             "bare hits %lld, expected %lld (messages: %s)\n",
                             static_cast<long long>(engineAfter.word), static_cast<long long>(engineAfter.replacement),
                             static_cast<long long>(bareAfter.word), static_cast<long long>(bareAfter.replacement),
                             static_cast<long long>(hits), static_cast<long long>(before.word),
                             qPrintable(messages.join(QLatin1String("; "))));
                return 1;
            }
            bestEngine = std::min(bestEngine, engine);
            bestBare = std::min(bestBare, bare);
        }
        std::printf("run-replace: ratio=%.3f engine_s=%.3f bare_s=%.3f hits=%lld\n", bestEngine / bestBare, bestEngine,
                    bestBare, static_cast<long long>(hits));
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "run-replace: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
