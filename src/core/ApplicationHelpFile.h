// The application's help file: the one process-wide setting that F1 opens. The main window sets it when
// it loads its language, the options dialog when the language changes. A help file is the HTML manual
// of one language, program folder + "/help/" + language + ".html", opened in the browser.
#pragma once

#include <QString>

#include <optional>

namespace dorvane {

// The ending of a help file; the part before it is the language name.
inline const QString HelpFileSuffix = QStringLiteral(".html");
// The language whose manual stands in for a language that has none.
inline const QString HelpFallbackLanguage = QStringLiteral("English");

void setApplicationHelpFile(const QString& path);
QString applicationHelpFile();

// Program folder + "\help\" + INI Options/Language + ".html".
QString helpFileForIniLanguage();

// The manual to open for a help file: the file itself when it exists, else the fallback language's
// manual in the same folder when that exists (a language file added by the user need not come with a
// manual); nothing when neither exists. Looks at the disk at each call.
std::optional<QString> existingHelpFile(const QString& helpFile);

} // namespace dorvane
