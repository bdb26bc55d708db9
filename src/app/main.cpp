#include "app/WidgetStartupPlatform.h"
#include "appicon/ApplicationIcon.h"
#include "core/PerUserProgramFolder.h"
#include "core/ProductInfo.h"
#include "core/Startup.h"
#include "plugin/clsDvnReplacer.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(dorvane::ProductName);
    QApplication::setOrganizationName(dorvane::ProductName);
    QApplication::setWindowIcon(dorvane::applicationIcon());
    // Ties the windows to the installed desktop entry (dorvane.desktop), whose icon the desktop shows.
    QApplication::setDesktopFileName(QStringLiteral("dorvane"));

    // The program starts its window as any host does; the window then lives on its own and the process
    // ends when its last window closes.
    dorvane::WidgetStartupPlatform platform([] {
        dorvane::clsDvnReplacer replacer;
        replacer.SaveWinPos(true);
        replacer.StartInterface(QStringLiteral("123"), dorvane::DefaultLanguage, false);
    });
    // An installed program folder the user may not write to gives way to the user's own (Startup).
    dorvane::Startup startup(platform, QCoreApplication::applicationDirPath(),
                             dorvane::PerUserProgramFolder::location());
    if (startup.Main() == dorvane::Startup::Outcome::Ended)
        return 0;
    return QApplication::exec();
}
