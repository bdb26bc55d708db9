#include "mainwindow/MainWindowCommands.h"

#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "engine/WindowJournal.h"
#include "presentation/MainSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include <QLatin1StringView>

#include <exception>

namespace dorvane {

namespace {

const QString StartTool = QStringLiteral("ID_Start");
const QString TablesTool = QStringLiteral("ID_Tables");
const QString AllTablesTool = QStringLiteral("ID_AllTables");
const QString ModeTool = QStringLiteral("ID_Mode");

// Caption head of every caption that names a source or a table.
QString sourceCaptionHead()
{
    return captionHead() + QStringLiteral(" - [");
}

QString iniLanguage()
{
    return ReadIniValue(QStringLiteral("Options"), QStringLiteral("Language"), DefaultLanguage, 256);
}

void call(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

} // namespace

MainWindowCommands::MainWindowCommands(MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts,
                                       FileChooser& fileChooser, DataLinkPrompt& dataLinkPrompt,
                                       MainWindowActions actions, DataSourceState& state)
    : m_surface(surface), m_tools(tools), m_texts(texts), m_actions(std::move(actions)), m_state(state),
      m_opener(surface, tools, texts, fileChooser, dataLinkPrompt, state),
      m_setup(appState().AppPath, [this] { return m_state.Connection.get(); }),
      m_control(m_setup.session(), surface, tools, texts, [this] { return m_state.SelectedTable; }),
      m_journal(m_setup.session(), activeWindowJournal, [this] {
          return m_state.Connection ? m_state.Connection->ConnectionString() : m_state.ConnectionString;
      })
{
    m_setup.session().addObserver(&m_journal);
}

QString MainWindowCommands::helpFilePath()
{
    return appState().AppPath + QStringLiteral("/help/") + iniLanguage() + QStringLiteral(".chm");
}

QString MainWindowCommands::updateAddress()
{
    return ProductSiteAddress + QStringLiteral("/dvnreplacer/") + iniLanguage().toLower()
        + QStringLiteral("/update/DARU_") + ProductVersion + QStringLiteral(".htm");
}

void MainWindowCommands::Load()
{
    m_unloaded = false;
    m_surface.setCaption(ProductName);
    m_tools.setEnabled(QStringLiteral("ID_Replace"), false);
    call(m_actions.loadLanguage);
    writeUserSetting(QStringLiteral("Options"), QStringLiteral("Version"), ProductVersion);
    writeUserSetting(QStringLiteral("Options"), QStringLiteral("AppPath"), appState().AppPath);
    run().state().RunPaused = false;
    LoadData();
    m_surface.refreshReplacedView();
    m_savedTable.clear();
    call(m_actions.placeWindow);
    setApplicationHelpFile(helpFilePath());
    call(m_actions.setToolBar);
}

void MainWindowCommands::LoadData()
{
    // The table list changes under the all-tables tool while it is filled: its clicks wait.
    m_loading = true;
    m_opener.LoadData();
    m_loading = false;
}

void MainWindowCommands::ToolClick(const QString& id)
{
    using Command = void (*)(MainWindowCommands&);
    static const struct
    {
        QLatin1StringView id;
        Command command;
    } commands[] = {
        {QLatin1StringView("ID_Quit"),
         [](MainWindowCommands& c) {
             c.Quit();
         }},
        {QLatin1StringView("ID_Options"),
         [](MainWindowCommands& c) {
             call(c.m_actions.showOptions);
         }},
        {QLatin1StringView("ID_OpenDB"),
         [](MainWindowCommands& c) {
             c.OpenDB();
         }},
        {QLatin1StringView("ID_Connection"),
         [](MainWindowCommands& c) {
             c.OpenConnection();
         }},
        {QLatin1StringView("ID_Structure"),
         [](MainWindowCommands& c) {
             call(c.m_actions.showStructure);
         }},
        {QLatin1StringView("ID_Help"),
         [](MainWindowCommands& c) {
             c.Help();
         }},
        {QLatin1StringView("ID_About"),
         [](MainWindowCommands& c) {
             call(c.m_actions.showAbout);
         }},
        {QLatin1StringView("ID_Start"),
         [](MainWindowCommands& c) {
             c.m_control.Start();
         }},
        {QLatin1StringView("ID_Stop"),
         [](MainWindowCommands& c) {
             c.m_control.StopCommand();
         }},
        {QLatin1StringView("ID_Pause"),
         [](MainWindowCommands& c) {
             c.m_control.Pause();
         }},
        {QLatin1StringView("ID_Continue"),
         [](MainWindowCommands& c) {
             c.m_control.Continue();
         }},
        {QLatin1StringView("ID_Skip"),
         [](MainWindowCommands& c) {
             c.m_control.SkipField();
         }},
        {QLatin1StringView("ID_SkipRecord"),
         [](MainWindowCommands& c) {
             c.m_control.SkipRecord();
         }},
        {QLatin1StringView("ID_SkipTable"),
         [](MainWindowCommands& c) {
             c.m_control.SkipTable();
         }},
        {QLatin1StringView("ID_Replace"),
         [](MainWindowCommands& c) {
             c.m_control.Replace();
         }},
        {QLatin1StringView("ID_Save"),
         [](MainWindowCommands& c) {
             c.m_control.SaveCommand();
         }},
        {QLatin1StringView("ID_Update"),
         [](MainWindowCommands& c) {
             c.Update();
         }},
        {QLatin1StringView("ID_AllTables"),
         [](MainWindowCommands& c) {
             c.AllTablesToggle();
         }},
        {QLatin1StringView("ID_Mode"),
         [](MainWindowCommands& c) {
             c.Mode();
         }},
    };
    for (const auto& entry : commands) {
        if (id.compare(entry.id, Qt::CaseSensitive) != 0)
            continue;
        // A click arrives from the event loop: nothing may escape into it.
        try {
            entry.command(*this);
        } catch (const DataError& error) {
            m_surface.showMessage(error.source() + QStringLiteral(":\r\n") + error.description());
        } catch (const std::exception& error) {
            m_surface.showMessage(QString::fromLocal8Bit(error.what()));
        }
        return;
    }
}

bool MainWindowCommands::confirmNoRun()
{
    if (!run().state().RunActive)
        return true;
    if (!m_surface.askYesNo(m_texts.t33 + QStringLiteral("\r\n") + m_texts.t34))
        return false;
    m_control.StopRun();
    return true;
}

void MainWindowCommands::Quit()
{
    if (confirmNoRun())
        call(m_actions.unloadWindow);
}

void MainWindowCommands::OpenDB()
{
    if (confirmNoRun())
        m_opener.OpenDatabaseFile();
}

void MainWindowCommands::OpenConnection()
{
    if (confirmNoRun())
        m_opener.OpenDataLink();
}

void MainWindowCommands::TableChosen(const QString& text)
{
    m_opener.SelectTable(text);
}

void MainWindowCommands::StartRecheck()
{
    // Without an open source there is nothing to start, whatever the tools say: a click on any tool must
    // not offer Start after a failed open.
    const bool blocked = m_tools.state(AllTablesTool) == 1 && m_state.SelectedTable.isEmpty();
    m_tools.setEnabled(StartTool, !blocked && m_state.isOpen());
}

void MainWindowCommands::setSourceCaption(const QString& name, const QString& separator)
{
    if (m_state.DataSourceName.isEmpty())
        m_surface.setCaption(sourceCaptionHead() + name + QLatin1Char(']'));
    else
        m_surface.setCaption(sourceCaptionHead() + m_state.DataSourceName + separator + name + QLatin1Char(']'));
}

void MainWindowCommands::AllTablesToggle()
{
    if (m_loading)
        return;
    switch (m_tools.state(AllTablesTool)) {
    case 0: // goes on
        m_tools.setEnabled(TablesTool, false);
        m_savedTable = m_tools.tableText();
        m_tools.setEnabled(StartTool, true);
        setSourceCaption(m_texts.t19, QStringLiteral(" "));
        run().state().AllTablesMode = true;
        break;
    case 1: // goes off
        m_tools.setEnabled(TablesTool, true);
        m_tools.setTableText(m_savedTable);
        setSourceCaption(m_state.SelectedTable, QStringLiteral(" - "));
        m_state.SelectedTable = m_tools.tableText();
        if (m_state.SelectedTable.isEmpty())
            m_tools.setEnabled(StartTool, false);
        run().state().AllTablesMode = false;
        break;
    default:
        break;
    }
}

void MainWindowCommands::Mode()
{
    m_tools.setCaption(ModeTool, m_tools.state(ModeTool) == 1 ? QStringLiteral("Skip") : QStringLiteral("Replace"));
}

void MainWindowCommands::Help()
{
    if (m_actions.openDocument)
        m_actions.openDocument(helpFilePath());
}

void MainWindowCommands::Update()
{
    if (m_actions.openDocument)
        m_actions.openDocument(updateAddress());
}

void MainWindowCommands::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // A walk still on the stack sees the stop at its next check and returns without touching the record set.
    run().stop();
    run().closeRunTable();
    m_state.closeConnection();
    m_state.Connection.reset();
}

} // namespace dorvane
