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

    // installedFolder: the folder of the executable (or of the plug-in library).
    Startup(StartupPlatform& platform, QString installedFolder);

    Outcome Main();
    // Both return false when the program must end.
    bool CheckDataAccess();
    bool InitIniAndLanguage();

    // The folder that becomes AppPath, chosen at the first call: the installed folder when the user may
    // write into it; else the platform's per-user folder, made and seeded from the installed one, when
    // the user may write there; else the installed folder again, so that start-up refuses to go on with the
    // administrator message (a program that cannot keep its settings anywhere must not run).
    QString programFolder();

private:
    QString chooseProgramFolder();

    StartupPlatform& m_platform;
    QString m_installedFolder;
    QString m_programFolder; // empty until chosen
};

} // namespace dorvane
