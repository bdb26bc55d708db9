// What start-up needs from the platform, behind a seam so that every start-up path runs in tests
// without a window: message boxes, the administrator test, the data-access proof and the hand-over
// to the main window.
#pragma once

#include <QString>

namespace dorvane {

class StartupPlatform
{
public:
    virtual ~StartupPlatform() = default;

    // A modal message with an OK button. An empty title means the platform's default title.
    virtual void showMessage(const QString& text, const QString& title) = 0;

    // "May this user write into the program folder?" (root always may): the real reason the program
    // needs rights.
    virtual bool isUserAnAdmin(const QString& programFolder) = 0;

    // Builds and fills a record set with the data-type row layout; false when data access is unusable.
    virtual bool proveDataAccess() = 0;

    // Starts the main window the way a host would.
    virtual void startMainWindow() = 0;

    // Where a user works who may not write into the installed program folder: the real platform's is
    // PerUserProgramFolder::location(). "" (the default, so that no test reaches a real home folder by
    // accident) keeps the installed folder as the program folder.
    virtual QString perUserProgramFolder() { return QString(); }
};

// The administrator test used by the real platform.
bool canWriteProgramFolder(const QString& programFolder);

} // namespace dorvane
