#include "plugin/HostStartupPlatform.h"

#include "core/AppState.h"
#include "core/PerUserProgramFolder.h"
#include "core/Startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <dlfcn.h>

namespace dorvane {

void HostStartupPlatform::showMessage(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QApplication::applicationName() : title, text,
                    QMessageBox::Ok);
    box.exec();
}

bool HostStartupPlatform::isUserAnAdmin(const QString& programFolder)
{
    return canWriteProgramFolder(programFolder);
}

bool HostStartupPlatform::ensureProgramFolder()
{
    if (!appState().AppPath.isEmpty())
        return true;
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&HostStartupPlatform::ensureProgramFolder), &info) == 0 || !info.dli_fname)
        return false;
    const QString folder = QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
    HostStartupPlatform platform;
    return Startup(platform, folder, PerUserProgramFolder::location()).InitIniAndLanguage();
}

} // namespace dorvane
