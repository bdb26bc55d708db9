// Process-wide application state: the program folder and the chosen INI and language files.
// One instance for the life of the process; filled by start-up, read everywhere. UI thread only.
#pragma once

#include <QString>

namespace dorvane {

struct AppState
{
    QString AppPath; // program folder, no trailing separator
    QString IniPath; // AppPath + "\DVNReplacer.ini"
    QString LanguageName; // e.g. "Deutsch"
    QString LanguageFile; // AppPath + "\lang\" + LanguageName + ".lng"
    bool GermanOnly = false;

    // A path below the program folder written with either "\" or "/" separators, as the callers
    // spell them; both spellings reach the same file.
    QString programPath(const QString& relative) const;
};

AppState& appState();

// Maps "\" to the native separator in a path built by concatenation. Only the relative parts that the
// program itself writes go through here; the program folder is taken as the platform gave it.
QString toNativeSeparators(const QString& relative);

} // namespace dorvane
