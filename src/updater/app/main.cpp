// DVNRUpdate: opens the product's update page in the desktop's browser and ends about 100 ms after start,
// whether or not a browser opened. It has no visible window.
#include "updater/UpdatePage.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    // Armed first, so that a slow hand-over to the desktop cannot keep the program alive.
    QTimer::singleShot(100, &app, &QCoreApplication::quit);

    using dorvane::updater::UpdatePage;
    const UpdatePage page = UpdatePage::fromSettings(UpdatePage::commandLineText(QCoreApplication::arguments()));
    // As with the shell's "Open": the outcome is not examined; without a browser nothing is shown.
    (void)QDesktopServices::openUrl(page.url());
    return app.exec();
}
