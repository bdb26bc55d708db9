// dorvane-bench cli-replace [--rows N] [--repeat K] [--connection STRING]
//
// Each round makes three fresh copies of the replace table (see ReplaceTable.h): on one the program
// "dorvane replace --table T --find WORD --replace TEXT --quiet" runs as a process, on the second the same
// with "--journal" into a fresh journal file, on the third the bare loop. The program's time is measured
// from starting the process to its end, so it includes the start-up, opening the source, the run, the
// batched commits and (second copy) the journal; copying is not timed. The three alternate K times
// (default 3) and each keeps its best time. Afterwards every copy must hold the replacement in exactly the
// rows that held the word, and the word nowhere; the journal must hold one change per hit, all done.
// Targets on SQLite with 200 000 rows: ratio ≤ 0.8 without the journal, ≤ 1.0 with it.
#include "CliReplaceBenchmark.h"

#include "CommandLineRun.h"
#include "ReplaceTable.h"
#include "RunArguments.h"

#include "core/DataError.h"
#include "engine/ChangeJournal.h"
#include "engine/DataTypeTable.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace dorvane::bench {

namespace {

struct CliRun
{
    double seconds = 0;
    qint64 saved = -1;
    QString failure;
};

CliRun cliReplace(const ReplacePlace& place, const QString& copy, const QString& journal)
{
    QStringList arguments {QStringLiteral("replace"),
                           QStringLiteral("--connection"),
                           place.connectionFor(copy),
                           QStringLiteral("--table"),
                           place.tableFor(copy),
                           QStringLiteral("--find"),
                           ReplaceWord,
                           QStringLiteral("--replace"),
                           ReplaceText,
                           QStringLiteral("--quiet")};
    if (!journal.isEmpty())
        arguments += QStringList {QStringLiteral("--journal"), journal};
    const CommandLineRun program = runCommandLine(arguments);
    CliRun run;
    run.seconds = program.seconds;
    run.failure = program.failure;
    if (!run.failure.isEmpty())
        return run;
    static const QRegularExpression saved(QStringLiteral("saved=(\\d+) failed=0\\s*$"));
    const QRegularExpressionMatch match = saved.match(program.out);
    if (match.hasMatch())
        run.saved = match.captured(1).toLongLong();
    else
        run.failure = QStringLiteral("unexpected summary: ") + program.out.trimmed();
    return run;
}

// Changes in the journal's only run, and how many of them are done.
std::pair<qint64, qint64> journalCensus(const QString& path)
{
    ChangeJournal journal(path);
    journal.open(false);
    const std::optional<qint64> run = journal.lastRun();
    if (!run)
        return {0, 0};
    qint64 done = 0;
    const std::vector<JournalChange> changes = journal.changes(*run);
    for (const JournalChange& change : changes)
        done += change.state == JournalChange::State::Done ? 1 : 0;
    return {qint64(changes.size()), done};
}

} // namespace

int runCliReplaceBenchmark(const QStringList& arguments)
{
    RunArguments options;
    if (!options.parse(arguments)) {
        std::fprintf(stderr, "usage: dorvane-bench cli-replace [--rows N] [--repeat K] [--connection STRING]\n");
        return 2;
    }
    try {
        QTemporaryDir work;
        if (!work.isValid()) {
            std::fprintf(stderr, "cli-replace: cannot make a work folder\n");
            return 1;
        }
        const ReplacePlace place {work, options.server};
        makeReplaceSource(place, options.rows);
        const ReplaceCensus before = replaceCensus(place, place.sourceName());
        std::printf("cli-replace: rows=%d rows_with_word=%lld\n", options.rows, static_cast<long long>(before.word));
        settleDataTypeTable();

        double bestCli = std::numeric_limits<double>::max();
        double bestJournal = std::numeric_limits<double>::max();
        double bestBare = std::numeric_limits<double>::max();
        qint64 hits = 0;
        for (int round = 0; round < options.repeat; ++round) {
            const QString cliCopy = makeReplaceCopy(place, QStringLiteral("replace_cli"));
            const CliRun cli = cliReplace(place, cliCopy, QString());
            const ReplaceCensus cliAfter = replaceCensus(place, cliCopy);

            const QString journal = work.filePath(QStringLiteral("journal-%1.sqlite").arg(round));
            const QString journalCopy = makeReplaceCopy(place, QStringLiteral("replace_cli_journal"));
            const CliRun journaled = cliReplace(place, journalCopy, journal);
            const ReplaceCensus journalAfter = replaceCensus(place, journalCopy);
            const auto [changes, done]
                = journaled.failure.isEmpty() ? journalCensus(journal) : std::pair<qint64, qint64>();

            const QString bareCopy = makeReplaceCopy(place, QStringLiteral("replace_bare"));
            hits = 0;
            const double bare = bareReplace(place, bareCopy, hits);
            const ReplaceCensus bareAfter = replaceCensus(place, bareCopy);

            std::printf("cli-replace: round %d cli_s=%.3f cli_journal_s=%.3f bare_s=%.3f\n", round + 1, cli.seconds,
                        journaled.seconds, bare);
            std::fflush(stdout);
            const bool agree = cli.failure.isEmpty() && journaled.failure.isEmpty() && cli.saved == before.word
                && journaled.saved == before.word && changes == before.word && done == before.word && cliAfter.word == 0
                && cliAfter.replacement == before.word && journalAfter.word == 0
                && journalAfter.replacement == before.word && bareAfter.word == 0
                && bareAfter.replacement == before.word && hits == before.word;
            if (!agree) {
                std::fprintf(
                    stderr,
                    "cli-replace: the sides disagree: saved %lld/%lld, journal %lld/%lld done, word/replacement "
                    "rows cli %lld/%lld, journal %lld/%lld, bare %lld/%lld, bare hits %lld, expected %lld "
                    "(%s%s)\n",
                    static_cast<long long>(cli.saved), static_cast<long long>(journaled.saved),
                    static_cast<long long>(done), static_cast<long long>(changes),
                    static_cast<long long>(cliAfter.word), static_cast<long long>(cliAfter.replacement),
                    static_cast<long long>(journalAfter.word), static_cast<long long>(journalAfter.replacement),
                    static_cast<long long>(bareAfter.word), static_cast<long long>(bareAfter.replacement),
                    static_cast<long long>(hits), static_cast<long long>(before.word), qPrintable(cli.failure),
                    qPrintable(journaled.failure));
                return 1;
            }
            bestCli = std::min(bestCli, cli.seconds);
            bestJournal = std::min(bestJournal, journaled.seconds);
            bestBare = std::min(bestBare, bare);
        }
        std::printf("cli-replace-journal: ratio=%.3f cli_s=%.3f bare_s=%.3f hits=%lld\n", bestJournal / bestBare,
                    bestJournal, bestBare, static_cast<long long>(hits));
        std::printf("cli-replace: ratio=%.3f cli_s=%.3f bare_s=%.3f hits=%lld\n", bestCli / bestBare, bestCli, bestBare,
                    static_cast<long long>(hits));
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "cli-replace: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
