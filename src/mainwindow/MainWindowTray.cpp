#include "mainwindow/MainWindowTray.h"

#include "core/Settings.h"
#include "mainwindow/frmMain.h"
#include "presentation/MainWindowTexts.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace dorvane {

MainWindowTray::MainWindowTray(frmMain& window, std::function<void()> appExit)
    : m_window(&window), m_appExit(std::move(appExit)), m_icon(new QSystemTrayIcon(this)), m_menu(new QMenu())
{
    m_open = m_menu->addAction(QString());
    m_open->setObjectName(QStringLiteral("open"));
    m_exit = m_menu->addAction(QString());
    m_exit->setObjectName(QStringLiteral("exit"));
    m_icon->setContextMenu(m_menu);
    connect(m_open, &QAction::triggered, this, [this] { MenuChosen(QStringLiteral("open")); });
    connect(m_exit, &QAction::triggered, this, [this] { MenuChosen(QStringLiteral("exit")); });
    // Only a left-button click or a double click restores; the right button opens the menu by itself.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            RestoreFromTray();
    });
    connect(&window, &frmMain::windowMinimized, this, &MainWindowTray::GoToTray);
}

MainWindowTray::~MainWindowTray()
{
    delete m_menu;
}

void MainWindowTray::GoToTray()
{
    if (!m_window
        || !isSetFlag(ReadIniValue(QStringLiteral("Win"), QStringLiteral("SysTray"), QStringLiteral("0"), 256)))
        return;
    m_open->setText(m_window->texts().trayOpen);
    m_exit->setText(m_window->texts().trayExit);
    m_icon->setIcon(m_window->windowIcon());
    m_icon->setToolTip(m_window->windowTitle());
    m_icon->show();
    // The icon stands in for the task-bar button. Hidden once the minimising has finished: the
    // notification comes while Qt is still making the window visible in its minimised state.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_window && m_icon->isVisible() && m_window->isMinimized())
                m_window->hide();
        },
        Qt::QueuedConnection);
}

void MainWindowTray::RestoreFromTray()
{
    if (!m_window)
        return;
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
    removeIcon();
}

void MainWindowTray::MenuChosen(const QString& key)
{
    if (!m_window)
        return;
    if (key == QLatin1String("open")) {
        m_window->showNormal();
        removeIcon();
    } else if (key == QLatin1String("exit")) {
        removeIcon();
        m_window->hide();
        if (m_appExit)
            m_appExit();
    }
}

void MainWindowTray::removeIcon()
{
    m_icon->hide();
}

} // namespace dorvane
