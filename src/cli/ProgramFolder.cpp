#include "cli/ProgramFolder.h"

#include "core/AppState.h"
#include "core/ProductInfo.h"

#include <QCoreApplication>
#include <QDir>

namespace dorvane {

QString commandLineProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

void activateProgramFolder(const QString& folder)
{
    AppState& state = appState();
    state.AppPath = QDir::cleanPath(folder);
    state.IniPath = state.programPath(QStringLiteral("\\") + IniFileName);
}

} // namespace dorvane
