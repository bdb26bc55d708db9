#include "mainwindow/MainWindowCommands.h"

#include "core/AppState.h"
#include "core/ApplicationHelpFile.h"
#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "presentation/MainSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include <exception>

namespace dorvane {

namespace {

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
      m_control(m_setup.session(), surface, tools, texts, [this] { return m_state.SelectedTable; })
{
}

QString MainWindowCommands::helpFilePath()
{
    return appState().AppPath + QStringLiteral("/help/") + iniLanguage() + HelpFileSuffix;
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
    m_tools.setEnabled(ToolId::Replace, false);
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
        ToolId id;
        Command command;
    } commands[] = {
        {ToolId::Quit,
         [](MainWindowCommands& c) {
             c.Quit();
         }},
        {ToolId::Options,
         [](MainWindowCommands& c) {
             call(c.m_actions.showOptions);
         }},
        {ToolId::OpenDB,
         [](MainWindowCommands& c) {
             c.OpenDB();
         }},
        {ToolId::Connection,
         [](MainWindowCommands& c) {
             c.OpenConnection();
         }},
        {ToolId::Structure,
         [](MainWindowCommands& c) {
             call(c.m_actions.showStructure);
         }},
        {ToolId::Help,
         [](MainWindowCommands& c) {
             c.Help();
         }},
        {ToolId::About,
         [](MainWindowCommands& c) {
             call(c.m_actions.showAbout);
         }},
        {ToolId::Start,
         [](MainWindowCommands& c) {
             c.m_control.Start();
         }},
        {ToolId::Stop,
         [](MainWindowCommands& c) {
             c.m_control.StopCommand();
         }},
        {ToolId::Pause,
         [](MainWindowCommands& c) {
             c.m_control.Pause();
         }},
        {ToolId::Continue,
         [](MainWindowCommands& c) {
             c.m_control.Continue();
         }},
        {ToolId::Skip,
         [](MainWindowCommands& c) {
             c.m_control.SkipField();
         }},
        {ToolId::SkipRecord,
         [](MainWindowCommands& c) {
             c.m_control.SkipRecord();
         }},
        {ToolId::SkipTable,
         [](MainWindowCommands& c) {
             c.m_control.SkipTable();
         }},
        {ToolId::Replace,
         [](MainWindowCommands& c) {
             c.m_control.Replace();
         }},
        {ToolId::Save,
         [](MainWindowCommands& c) {
             c.m_control.SaveCommand();
         }},
        {ToolId::Update,
         [](MainWindowCommands& c) {
             c.Update();
         }},
        {ToolId::AllTables,
         [](MainWindowCommands& c) {
             c.AllTablesToggle();
         }},
        {ToolId::Mode,
         [](MainWindowCommands& c) {
             c.Mode();
         }},
    };
    const std::optional<ToolId> tool = toolIdFromText(id);
    if (!tool)
        return;
    for (const auto& entry : commands) {
        if (entry.id != *tool)
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
    if (!m_surface.askYesNo(m_texts.runActiveQuestion + QStringLiteral("\r\n") + m_texts.runActiveQuestionDetail))
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
    if (!confirmNoRun())
        return;
    const QString before = m_state.ConnectionString;
    m_opener.OpenDatabaseFile();
    forgetSavedTableOfAnotherSource(before);
}

void MainWindowCommands::OpenConnection()
{
    if (!confirmNoRun())
        return;
    const QString before = m_state.ConnectionString;
    m_opener.OpenDataLink();
    forgetSavedTableOfAnotherSource(before);
}

void MainWindowCommands::forgetSavedTableOfAnotherSource(const QString& before)
{
    // All-tables mode going off brings back the table chosen before it went on; once another source is
    // open that table is not one of its tables.
    if (m_state.ConnectionString != before && m_state.isOpen())
        m_savedTable = m_tools.tableText();
}

void MainWindowCommands::TableChosen(const QString& text)
{
    m_opener.SelectTable(text);
}

void MainWindowCommands::StartRecheck()
{
    // Without an open source there is nothing to start, whatever the tools say: a click on any tool must
    // not offer Start after a failed open.
    const bool blocked = m_tools.state(ToolId::AllTables) == 1 && m_state.SelectedTable.isEmpty();
    m_tools.setEnabled(ToolId::Start, !blocked && m_state.isOpen());
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
    switch (m_tools.state(ToolId::AllTables)) {
    case 0: // goes on
        m_tools.setEnabled(ToolId::Tables, false);
        m_savedTable = m_tools.tableText();
        m_tools.setEnabled(ToolId::Start, true);
        setSourceCaption(m_texts.allTablesName, QStringLiteral(" "));
        run().state().AllTablesMode = true;
        break;
    case 1: // goes off
        m_tools.setEnabled(ToolId::Tables, true);
        m_tools.setTableText(m_savedTable);
        setSourceCaption(m_state.SelectedTable, QStringLiteral(" - "));
        m_state.SelectedTable = m_tools.tableText();
        if (m_state.SelectedTable.isEmpty())
            m_tools.setEnabled(ToolId::Start, false);
        run().state().AllTablesMode = false;
        break;
    default:
        break;
    }
}

void MainWindowCommands::Mode()
{
    m_tools.setCaption(ToolId::Mode,
                       m_tools.state(ToolId::Mode) == 1 ? QStringLiteral("Skip") : QStringLiteral("Replace"));
}

void MainWindowCommands::Help()
{
    openHelpFile(helpFilePath());
}

void MainWindowCommands::HelpKey()
{
    const QString helpFile = applicationHelpFile();
    openHelpFile(helpFile.isEmpty() ? helpFilePath() : helpFile);
}

void MainWindowCommands::openHelpFile(const QString& helpFile)
{
    // The desktop's handler reports nothing when a file is missing, and the help would just not come.
    const std::optional<QString> manual = existingHelpFile(helpFile);
    if (!manual) {
        const QString& text = m_texts.missingHelpFileMessage;
        m_surface.showMessage(text.isEmpty() ? helpFile : text + QStringLiteral("\r\n") + helpFile);
        return;
    }
    if (m_actions.openDocument)
        m_actions.openDocument(*manual);
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
