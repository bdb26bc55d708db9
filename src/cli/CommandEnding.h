// How a replace, a search and an undo end on the command line, alike: a journal that failed while the
// run went on, a report that cannot be finished and an interrupt each decide the exit status over the
// run's own and are said on standard error; the summary line comes last on standard output.
#pragma once

#include "engine/RunEvents.h"

#include <QString>

#include <optional>

namespace dorvane {

class Console;
class ReportWriter;
struct ReportRun;

struct CommandEnding
{
    QString runName; // "run", "undo": "the run was stopped: …"
    QString doneVerb; // "saved", "restored": "what was saved until then is committed"
};

// Answers the exit status. `report` may be null (no report asked for).
int finishCommand(Console& console, const CommandEnding& words, int status,
                  const std::optional<QString>& journalFailure, ReportWriter* report, const ReportRun& reportRun,
                  bool interrupted, const RunCounts& counts);

} // namespace dorvane
