// The start-up sequence that runs before any window exists: proves data access, locates or creates
// the INI file, chooses the language file, checks rights and hands over to the main window.
#pragma once

#include <QString>

namespace dorvane {

class StartupPlatform;

class Startup
{
public:
    enum class Outcome
    {
        MainWindowStarted,
        Ended, // a start-up failure ended the program after its message
    };

    Startup(StartupPlatform& platform, QString programFolder);

    Outcome Main();
    // Both return false when the program must end.
    bool CheckDataAccess();
    bool InitIniAndLanguage();

private:
    StartupPlatform& m_platform;
    QString m_programFolder;
};

} // namespace dorvane
