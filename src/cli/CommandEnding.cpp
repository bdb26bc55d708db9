#include "cli/CommandEnding.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/ReportWriter.h"
#include "cli/RunCommand.h"

namespace dorvane {

int finishCommand(Console& console, const CommandEnding& words, int status,
                  const std::optional<QString>& journalFailure, ReportWriter* report, const ReportRun& reportRun,
                  bool interrupted, const RunCounts& counts)
{
    if (journalFailure) {
        console.error(QStringLiteral("the %1 was stopped: %2").arg(words.runName, *journalFailure));
        status = ExitNotStarted;
    }
    if (report && !report->finish(reportRun)) {
        console.error(report->error());
        status = ExitNotStarted;
    }
    if (interrupted) {
        console.error(QStringLiteral("interrupted; what was %1 until then is committed").arg(words.doneVerb));
        status = ExitInterrupted;
    }
    console.out(summaryLine(counts.tables, counts.records, counts.hits, counts.saved, counts.failed));
    return status;
}

} // namespace dorvane
