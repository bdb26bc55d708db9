// Where the command line finds its program folder (the "sys" tables, the INI file): the folder of the
// executable, or the per-user program folder when the installed one is closed to the user, as for the
// window. This is the one place that chooses it.
#pragma once

#include <QString>

namespace dorvane {

QString commandLineProgramFolder();

// Makes `folder` the program folder of the process's application state (AppPath, IniPath), where the
// file-driver table and the INI are looked for.
void activateProgramFolder(const QString& folder);

} // namespace dorvane
