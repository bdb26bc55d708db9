#include "plugin/PluginApplication.h"

#include "appicon/ApplicationIcon.h"
#include "core/ProductInfo.h"
#include "mainwindow/MainWindowController.h"
#include "plugin/InterfaceWindow.h"

#include <QApplication>
#include <QThread>

#include <cstdlib>
#include <memory>

namespace dorvane {

namespace {

// QApplication keeps references to argc and argv for its whole life.
int hostArgc = 1;
char hostProgramName[] = "dorvane-plugin";
char* hostArgv[] = {hostProgramName, nullptr};

// Created after Qt's own libraries were initialised, so destroyed before them, at exit or when the library
// is unloaded; the window goes first, since its widgets need the application object.
struct CreatedApplication
{
    std::unique_ptr<QApplication> application;

    ~CreatedApplication()
    {
        if (!application)
            return;
        delete InterfaceWindow::running();
        application.reset();
    }
};

CreatedApplication& created()
{
    static CreatedApplication holder;
    return holder;
}

bool windowSystemNamed()
{
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

PluginApplication::Status PluginApplication::ensure()
{
    if (!QCoreApplication::instance()) {
        // Without a window system Qt would end the host's process inside the constructor.
        if (!windowSystemNamed())
            return Status::NoGui;
        created().application = std::make_unique<QApplication>(hostArgc, hostArgv);
        configure(*created().application);
    }
    return check();
}

PluginApplication::Status PluginApplication::check()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(application))
        return Status::NoGui;
    if (QThread::currentThread() != application->thread())
        return Status::WrongThread;
    return Status::Ready;
}

void PluginApplication::configure(QApplication& application)
{
    application.setApplicationName(ProductName);
    application.setOrganizationName(ProductName);
    application.setWindowIcon(applicationIcon());
}

} // namespace dorvane
