// The start-up platform of a foreign host that loads the plug-in library: the INI file and language of
// the library's own folder are set up with message boxes for what is missing; the data-access proof and
// the window hand-over are the host's business, since the host starts the window through the class.
#pragma once

#include "core/StartupPlatform.h"

namespace dorvane {

class HostStartupPlatform : public StartupPlatform
{
public:
    void showMessage(const QString& text, const QString& title) override;
    bool isUserAnAdmin(const QString& programFolder) override;
    bool proveDataAccess() override { return true; }
    void startMainWindow() override { }

    // Runs the INI and language part of start-up on the folder of this library, once, when the process
    // has no program folder yet. False when the program must not go on.
    static bool ensureProgramFolder();
};

} // namespace dorvane
