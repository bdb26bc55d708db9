// The command line "dorvane" as a function of its arguments: parses them, runs the command, and answers
// the exit status (see ExitStatus). The program folder (sys tables, INI) is given by the caller.
#pragma once

#include <QStringList>

namespace dorvane {

class Console;

// `arguments` are those after the program name.
int runCommandLine(const QStringList& arguments, Console& console, const QString& programFolder);

} // namespace dorvane
