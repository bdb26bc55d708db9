#include "cli/ProgramFolder.h"

#include "core/AppState.h"
#include "core/PerUserProgramFolder.h"
#include "core/ProductInfo.h"
#include "core/StartupPlatform.h"

#include <QCoreApplication>
#include <QDir>

namespace dorvane {

QString commandLineProgramFolder()
{
    // As the window's start-up chooses: the installed folder when the user may write into it, else the
    // per-user program folder seeded from it, so both front ends read the same tables.
    const QString installed = QCoreApplication::applicationDirPath();
    if (canWriteProgramFolder(installed))
        return installed;
    const QString perUser = PerUserProgramFolder::location();
    if (!perUser.isEmpty() && PerUserProgramFolder::prepare(installed, perUser) && canWriteProgramFolder(perUser))
        return perUser;
    return installed;
}

void activateProgramFolder(const QString& folder)
{
    AppState& state = appState();
    state.AppPath = QDir::cleanPath(folder);
    state.IniPath = state.programPath(QStringLiteral("\\") + IniFileName);
}

} // namespace dorvane
