#include "app/WidgetStartupPlatform.h"
#include "core/ProductInfo.h"
#include "core/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(dorvane::ProductName);
    QApplication::setOrganizationName(dorvane::ProductName);

    bool windowShown = false;
    dorvane::WidgetStartupPlatform platform([&] { windowShown = false; });
    dorvane::Startup startup(platform, QCoreApplication::applicationDirPath());
    if (startup.Main() == dorvane::Startup::Outcome::Ended || !windowShown)
        return 0;
    return QApplication::exec();
}
