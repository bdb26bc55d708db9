#include "core/Settings.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/ProductInfo.h"

#include <QSaveFile>
#include <QSettings>

namespace dorvane {

namespace {

QString iniFileInProgramFolder()
{
    return appState().programPath(QStringLiteral("\\") + IniFileName);
}

} // namespace

QString ReadIniValue(const QString& section, const QString& key, const QString& defaultValue, int size)
{
    return IniFile::read(appState().IniPath, section, key, defaultValue, size);
}

void WriteIniValue(const QString& section, const QString& key, const QString& value)
{
    (void)IniFile::write(iniFileInProgramFolder(), section, key, value);
}

QString ReadLanguageText(const QString& section, const QString& key, const QString& defaultValue, int size)
{
    return IniFile::read(appState().LanguageFile, section, key, defaultValue, size);
}

void CreateIniFile()
{
    static const char* const templateLines[] = {
        "",          "",           ";INI File for Taskloom",
        "[Options]", "",           "[NTService]",
        "",          "[Global]",   "",
        "[JobWin]",  "",           "[ErrWin]",
        "",          "[WinState]", "",
    };
    QByteArray content;
    for (const char* line : templateLines)
        content += QByteArray(line) + "\r\n";
    QSaveFile file(iniFileInProgramFolder());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(content);
        (void)file.commit();
    }
}

QString readUserSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings settings(ProductName, ProductName);
    return settings.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void writeUserSetting(const QString& section, const QString& key, const QString& value)
{
    QSettings settings(ProductName, ProductName);
    settings.setValue(section + QLatin1Char('/') + key, value);
}

} // namespace dorvane
