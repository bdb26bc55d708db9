#include "plugin/InterfaceWindow.h"

#include "mainwindow/MainWindowController.h"
#include "mainwindow/frmMain.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>

#include <atomic>

namespace dorvane {

namespace {

// At namespace scope, so that it is built when the library loads and outlives the application object
// that the library creates later for a host (destroyed in reverse order, it asks for the window).
QPointer<MainWindowController> currentWindow;

QPointer<MainWindowController>& current()
{
    return currentWindow;
}

// Written on the UI thread, read by hosts on any thread.
std::atomic<bool> loaded {false};

MainWindowController& loadWindow()
{
    auto* controller = new MainWindowController();
    current() = controller;
    QObject::connect(controller, &QObject::destroyed, [] { loaded = false; });
    controller->Load();
    loaded = true;
    return *controller;
}

} // namespace

MainWindowController* InterfaceWindow::running()
{
    return current();
}

MainWindowController& InterfaceWindow::load()
{
    MainWindowController& controller = loadWindow();
    QObject::connect(&controller, &MainWindowController::unloaded, &controller, &QObject::deleteLater);
    return controller;
}

void InterfaceWindow::execModal()
{
    QPointer<MainWindowController> controller = current();
    if (!controller)
        controller = &loadWindow();
    QEventLoop loop;
    QObject::connect(controller, &MainWindowController::unloaded, &loop, &QEventLoop::quit);
    controller->window().setWindowModality(Qt::ApplicationModal);
    controller->window().show();
    loop.exec();
    // The loop returns only once every nested event handling has unwound: nothing uses the window.
    delete controller.data();
}

bool InterfaceWindow::isLoaded()
{
    return loaded;
}

void InterfaceWindow::requestClose()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [] {
            if (MainWindowController* controller = current())
                controller->window().close();
        },
        Qt::QueuedConnection);
}

void InterfaceWindow::waitUntilGone()
{
    QPointer<MainWindowController> controller = current();
    if (!controller)
        return;
    QEventLoop loop;
    QObject::connect(controller, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace dorvane
