#include "mainwindow/MainWindowController.h"

#include "datasource/ui/WidgetDataLinkPrompt.h"
#include "datasource/ui/WidgetFileChooser.h"
#include "datasource/ui/frmStructure.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/MainWindowTray.h"
#include "mainwindow/Twips.h"
#include "mainwindow/WindowGeometryStore.h"
#include "mainwindow/frmMain.h"
#include "options/dlgAbout.h"
#include "options/frmOpt.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace dorvane {

namespace {

// Web addresses go to the browser; everything else is a file of the program folder.
QUrl documentUrl(const QString& address)
{
    if (address.startsWith(QLatin1String("http://")) || address.startsWith(QLatin1String("https://")))
        return QUrl(address);
    return QUrl::fromLocalFile(address);
}

} // namespace

MainWindowController::MainWindowController(DataSourceState& state, QObject* parent)
    : QObject(parent), m_window(std::make_unique<frmMain>()),
      m_fileChooser(std::make_unique<WidgetFileChooser>(m_window.get())),
      m_dataLinkPrompt(std::make_unique<WidgetDataLinkPrompt>(*m_fileChooser, m_window.get()))
{
    frmMain* window = m_window.get();
    MainWindowActions actions;
    // Closing runs the unload handling through closeEvent, as the close box does.
    actions.unloadWindow = [window] {
        window->close();
    };
    actions.loadLanguage = [window] {
        window->LoadLanguage();
    };
    actions.setToolBar = [window] {
        window->SetTB();
    };
    actions.placeWindow = [this] {
        placeWindow();
    };
    actions.showStructure = [window, &state] {
        // The tool is enabled only with an open source; a source lost meanwhile shows nothing.
        if (!state.isOpen())
            return;
        frmStructure viewer(*state.Connection, window);
        viewer.exec();
    };
    actions.showOptions = [window] {
        frmOpt options({[window] { window->SetTB(); },
                        [window] {
                            window->LoadLanguage();
                        }},
                       window);
        options.exec();
    };
    actions.showAbout = [window] {
        dlgAbout about(window);
        about.exec();
    };
    actions.openDocument = [](const QString& address) {
        QDesktopServices::openUrl(documentUrl(address));
    };
    m_commands = std::make_unique<MainWindowCommands>(*window, window->tools(), window->texts(), *m_fileChooser,
                                                      *m_dataLinkPrompt, std::move(actions), state);

    MainWindowCommands* commands = m_commands.get();
    connect(window, &frmMain::toolClicked, this, [commands](const QString& id) { commands->ToolClick(id); });
    connect(window, &frmMain::toolClickFinished, this, [commands] { commands->StartRecheck(); });
    connect(window, &frmMain::tableChosen, this, [commands](const QString& text) { commands->TableChosen(text); });
    connect(window, &frmMain::helpKeyPressed, this, [commands] { commands->HelpKey(); });
    connect(window, &frmMain::unloading, this, &MainWindowController::onUnloading);
    m_tray = std::make_unique<MainWindowTray>(*window, [this] { AppExit(); });
}

MainWindowController::~MainWindowController()
{
    m_commands->Unload();
}

void MainWindowController::Load()
{
    m_commands->Load();
}

void MainWindowController::centreWindow()
{
    frmMain& w = *m_window;
    w.resize(twipsToPixels(frmMain::DesignWidth, w.logicalDpiX()),
             twipsToPixels(frmMain::DesignHeight, w.logicalDpiY()));
    const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = w.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w.move(frame.topLeft());
}

void MainWindowController::placeWindow()
{
    if (!WindowGeometryStore::isKept()) {
        centreWindow();
        return;
    }
    // Applied as stored, without checking it against the screen.
    frmMain& w = *m_window;
    const TwipsRect g = WindowGeometryStore::stored();
    w.move(twipsToPixels(g.left, w.logicalDpiX()), twipsToPixels(g.top, w.logicalDpiY()));
    w.resize(twipsToPixels(g.width, w.logicalDpiX()), twipsToPixels(g.height, w.logicalDpiY()));
}

void MainWindowController::keepGeometry()
{
    frmMain& w = *m_window;
    const QRect r = w.geometry();
    const TwipsRect twips {pixelsToTwips(w.pos().x(), w.logicalDpiX()), pixelsToTwips(w.pos().y(), w.logicalDpiY()),
                           pixelsToTwips(r.width(), w.logicalDpiX()), pixelsToTwips(r.height(), w.logicalDpiY())};
    WindowGeometryStore::keep(twips, !w.isMinimized() && !w.isMaximized());
}

void MainWindowController::AppExit()
{
    // The program's other windows (dialogs) are the main window's children and go with it; a host's
    // own windows are not the program's to close.
    m_window->close();
    // A window closed from the tray was hidden already, so Qt sees no last window closing: end the event
    // loop as that would, unless other visible windows remain.
    if (!QGuiApplication::quitOnLastWindowClosed())
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool anyVisible
        = std::any_of(windows.begin(), windows.end(), [](const QWidget* w) { return w->isVisible(); });
    if (!anyVisible)
        QCoreApplication::quit();
}

void MainWindowController::onUnloading()
{
    keepGeometry();
    m_commands->Unload();
    emit unloaded();
}

} // namespace dorvane
