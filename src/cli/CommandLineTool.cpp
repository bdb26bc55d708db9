#include "cli/CommandLineTool.h"

#include "cli/CommandLineParser.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/HelpText.h"
#include "cli/ListCommands.h"
#include "cli/ProgramFolder.h"
#include "cli/RunCommand.h"
#include "cli/UndoCommand.h"

namespace dorvane {

int runCommandLine(const QStringList& arguments, Console& console, const QString& programFolder)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.request) {
        console.error(parsed.error);
        console.rawError(usageText().toUtf8());
        console.rawError("Try \"dorvane --help\".\n");
        return ExitNotStarted;
    }
    const CliRequest& request = *parsed.request;
    activateProgramFolder(programFolder);
    switch (request.command) {
    case CliCommand::Help:
        console.out(helpText().trimmed());
        return ExitDone;
    case CliCommand::Tables:
        return listTables(request, console);
    case CliCommand::Runs:
        return listRuns(request, console);
    case CliCommand::Search:
    case CliCommand::Replace:
        return RunCommand(request, console, programFolder).execute();
    case CliCommand::Undo:
        return UndoCommand(request, console).execute();
    }
    return ExitNotStarted;
}

} // namespace dorvane
