// The program's two settings stores: the INI file beside the program (through the current
// application state) and the per-user settings of the application "Dorvane".
#pragma once

#include <QString>

namespace dorvane {

// Every caller passes size 256, so values read as at most 255 characters.
QString ReadIniValue(const QString& section, const QString& key, const QString& defaultValue, int size = 256);
// Failures are ignored, as callers expect.
void WriteIniValue(const QString& section, const QString& key, const QString& value);
// Reads the current language file; with no language file the default comes back.
QString ReadLanguageText(const QString& section, const QString& key, const QString& defaultValue, int size = 256);
// Writes the INI template over the program folder's INI file.
void CreateIniFile();

// Per-user settings store: section and key of the application "Dorvane".
QString readUserSetting(const QString& section, const QString& key, const QString& defaultValue);
void writeUserSetting(const QString& section, const QString& key, const QString& value);

// True when the INI text is exactly "1", the only text that counts as a set check box.
inline bool isSetFlag(const QString& value)
{
    return value == QLatin1String("1");
}

} // namespace dorvane
