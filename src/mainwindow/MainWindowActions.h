// What the main window's commands need from the window itself and from the desktop, behind plain
// hooks: the widget window supplies real ones, tests record the calls. An empty hook does nothing, so a
// front end without, say, an options dialog still dispatches every command. UI thread only.
#pragma once

#include <QString>

#include <functional>

namespace dorvane {

struct MainWindowActions
{
    // Unloads the main window (Quit); the window's unload handling follows.
    std::function<void()> unloadWindow;
    // Applies the current language file to the window.
    std::function<void()> loadLanguage;
    // Applies the tool-bar text option to the run tools.
    std::function<void()> setToolBar;
    // Places the window at load: centred at its design size, or at its stored geometry.
    std::function<void()> placeWindow;
    // Modal dialogs, unloaded when they close.
    std::function<void()> showOptions;
    std::function<void()> showStructure;
    std::function<void()> showAbout;
    // Hands a file path or web address to the desktop's default handler; failures are not reported.
    std::function<void(const QString& address)> openDocument;
};

} // namespace dorvane
