// One main window with everything it works with: the frmMain widgets, the real file and data-link
// dialogs and the commands that own the run and the data-source opening. It connects the window's
// signals to the commands and supplies the window hooks (close, language, tool-bar texts, placement,
// dialogs, the desktop's default handler). Owns the window; UI thread only.
//
// The window is loaded by Load() and shown by the caller. When it closes (Quit, close box, the host),
// the commands unload and unloaded() is emitted; whoever owns the controller then deletes it later,
// never from inside the signal, since a walk of the run may still be on the stack.
#pragma once

#include "datasource/DataSourceState.h"

#include <QObject>

#include <memory>

namespace dorvane {

class MainWindowCommands;
class MainWindowTray;
class WidgetDataLinkPrompt;
class WidgetFileChooser;
class frmMain;

class MainWindowController : public QObject
{
    Q_OBJECT

public:
    explicit MainWindowController(DataSourceState& state = dataSourceState(), QObject* parent = nullptr);
    ~MainWindowController() override;

    frmMain& window() { return *m_window; }
    MainWindowCommands& commands() { return *m_commands; }

    // The window load; call once before the window is first shown.
    void Load();
    // Places the window centred on its screen at its design size.
    void centreWindow();
    // Centred, or at the stored geometry when the INI option keeps it.
    void placeWindow();
    // Stores the geometry at unload when the INI option keeps it and the window is in its normal state.
    void keepGeometry();
    // Unloads every window of the program, this one included; the process ends with the last.
    void AppExit();

    MainWindowTray& tray() { return *m_tray; }

signals:
    void unloaded();

private:
    void onUnloading();

    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<WidgetFileChooser> m_fileChooser;
    std::unique_ptr<WidgetDataLinkPrompt> m_dataLinkPrompt;
    std::unique_ptr<MainWindowCommands> m_commands;
    std::unique_ptr<MainWindowTray> m_tray;
};

} // namespace dorvane
