// The main window's commands: window load and unload, the dispatch of tool clicks by ID, the run-active
// question, the table choice with its caption rules, the all-tables toggle and the Start re-check. It
// owns the run (its session and the presenter of it) and the data-source opening for one window and works only through
// the tool catalogue, the main surface and the window hooks, so it runs headless as well as on frmMain.
// All references must outlive the commands; the texts are read at each use. UI thread only.
#pragma once

#include "datasource/DataSourceState.h"
#include "engine/RunSetup.h"
#include "mainwindow/MainWindowActions.h"
#include "mainwindow/RunPresenter.h"
#include "presentation/DataSourceOpener.h"

#include <QString>

namespace dorvane {

class DataLinkPrompt;
class FileChooser;
class MainSurface;
class ToolCatalogue;
struct MainWindowTexts;

class MainWindowCommands
{
public:
    MainWindowCommands(MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts,
                       FileChooser& fileChooser, DataLinkPrompt& dataLinkPrompt, MainWindowActions actions,
                       DataSourceState& state = dataSourceState());

    // The window load, in its order: caption, tools, language, user settings, data source, views,
    // placement, help file, tool-bar texts.
    void Load();
    // A click on a tool; a two-state tool still has its old state. IDs compare case-sensitively; an ID
    // that is not a command (unknown, a menu, a tool without an action) does nothing.
    void ToolClick(const QString& id);
    // The second notification of every click, after a two-state tool flipped.
    void StartRecheck();
    // F1: opens the application's help file (set at load and when the options dialog changes the
    // language), as the help tool opens the INI language's.
    void HelpKey();
    // An entry chosen or typed in ID_Tables.
    void TableChosen(const QString& text);
    // The window goes: ends a walk still on the stack and closes the run's record set and the
    // connection. Safe to call more than once.
    void Unload();

    // Re-reads the data source with the state's current arguments (the host's second start).
    void LoadData();

    RunSession& run() { return m_setup.session(); }
    RunPresenter& control() { return m_control; }
    DataSourceOpener& opener() { return m_opener; }
    DataSourceState& state() { return m_state; }
    bool isLoading() const { return m_loading; }
    const QString& savedTable() const { return m_savedTable; }

    // The help file of the INI language: program folder + "/help/" + language + ".html".
    static QString helpFilePath();
    // The update page of the INI language on the product web site.
    static QString updateAddress();

private:
    // The run-active question; true when the command may go on (no run, or the user stopped it).
    bool confirmNoRun();
    void Quit();
    void OpenDB();
    void OpenConnection();
    void AllTablesToggle();
    void Mode();
    void Help();
    // Opens the manual for a help file, the fallback language's when that one is missing; with neither
    // on disk, a message names the file that was looked for.
    void openHelpFile(const QString& helpFile);
    void Update();
    void setSourceCaption(const QString& name, const QString& separator);
    void forgetSavedTableOfAnotherSource(const QString& connectionStringBefore);

    MainSurface& m_surface;
    ToolCatalogue& m_tools;
    const MainWindowTexts& m_texts;
    MainWindowActions m_actions;
    DataSourceState& m_state;
    DataSourceOpener m_opener;
    RunSetup m_setup;
    RunPresenter m_control;
    bool m_loading = false; // LoadData is filling the table list
    QString m_savedTable; // the table chosen when all-tables mode went on
    bool m_unloaded = false;
};

} // namespace dorvane
