// DVNRUpdate: opens the product's update page in the desktop's browser and ends about 100 ms after start,
// whether or not a browser opened. It has no visible window, and on Linux and the other freedesktop.org
// systems it needs no display either: it runs as a core application and hands the address to
// xdg-open. Elsewhere the desktop always has a GUI session, and Qt's desktop services open it.
#include "updater/UpdatePage.h"

#include <QTimer>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "updater/XdgOpen.h"

#include <QCoreApplication>
using Application = QCoreApplication;
#else
#include <QDesktopServices>
#include <QGuiApplication>
using Application = QGuiApplication;
#endif

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    // Armed first, so that a slow hand-over to the desktop cannot keep the program alive.
    QTimer::singleShot(100, &app, &QCoreApplication::quit);

    using dorvane::updater::UpdatePage;
    const UpdatePage page = UpdatePage::fromSettings(UpdatePage::commandLineText(QCoreApplication::arguments()));
    // As with the shell's "Open": the outcome is not examined; without a browser nothing is shown.
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    (void)dorvane::updater::XdgOpen::open(page.url());
#else
    (void)QDesktopServices::openUrl(page.url());
#endif
    return app.exec();
}
