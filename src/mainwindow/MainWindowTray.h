// The notification-area icon of the main window: with INI [Win] SysTray "1" a minimised window leaves
// the task bar for an icon that carries the window's icon and caption. Activating the icon restores the
// window in front of the others; its menu offers "open" (t39) and "exit" (t40). Exit unloads every
// window without the run-active question. UI thread only; owned by the window's controller.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace dorvane {

class frmMain;

class MainWindowTray : public QObject
{
    Q_OBJECT

public:
    // appExit unloads every window of the program.
    MainWindowTray(frmMain& window, std::function<void()> appExit);
    ~MainWindowTray() override;

    // The window has just been minimised: go to the tray when the INI option says so.
    void GoToTray();
    // The icon was activated: the window comes back in front of the others, and the icon goes.
    void RestoreFromTray();
    // A menu entry by its key: "open" or "exit"; any other key does nothing.
    void MenuChosen(const QString& key);

    // Use only for testing.
    QSystemTrayIcon* icon() const { return m_icon; }
    QMenu* menu() const { return m_menu; }

private:
    void removeIcon();

    QPointer<frmMain> m_window;
    std::function<void()> m_appExit;
    QSystemTrayIcon* m_icon = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_open = nullptr;
    QAction* m_exit = nullptr;
};

} // namespace dorvane
