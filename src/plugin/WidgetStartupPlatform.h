// The start-up platform of the plug-in library, for the program and for hosts alike: message boxes on the
// desktop, the folder-rights test, the data-access proof (ODBC and record sets) and the hand-over to the
// main window (none for a host, which starts the window itself).
#pragma once

#include "core/StartupPlatform.h"

#include <functional>

namespace dorvane {

class WidgetStartupPlatform : public StartupPlatform
{
public:
    explicit WidgetStartupPlatform(std::function<void()> startMainWindow = {});

    void showMessage(const QString& text, const QString& title) override;
    bool isUserAnAdmin(const QString& programFolder) override;
    bool proveDataAccess() override;
    void startMainWindow() override;
    // $XDG_DATA_HOME/dorvane: an installed program folder the user may not write to gives way to it.
    QString perUserProgramFolder() override;

private:
    std::function<void()> m_startMainWindow;
};

} // namespace dorvane
