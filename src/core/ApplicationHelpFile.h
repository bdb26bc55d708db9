// The application's help file: the one process-wide setting that the help command opens. The main
// window sets it when it loads its language, the options dialog when the language changes.
#pragma once

#include <QString>

namespace dorvane {

void setApplicationHelpFile(const QString& path);
QString applicationHelpFile();

// Program folder + "\help\" + INI Options/Language + ".chm".
QString helpFileForIniLanguage();

} // namespace dorvane
