// Opening a data source and choosing its tables: the three ways in (a database file through the
// file-driver table, the data-link dialog, a host's connection string through LoadData) all end in one
// open connection in the data-source state, a refilled ID_Tables list, the tools that need a connection
// enabled and the caption and status line naming the source. The table choice and the all-tables
// decision of a run start live here too.
//
// Everything goes through the tool catalogue and the main surface; the two dialogs are asked through
// their seams. Failures are shown as the caller would see them in a message box ("source:" CR LF
// "description") and never leave these functions. All references must outlive the opener; the texts
// are read at each use, so a language switch applies at once. UI thread only.
#pragma once

#include "datasource/DataSourceState.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace dorvane {

class Connection;
class DataLinkPrompt;
class FileChooser;
class MainSurface;
class ToolCatalogue;
struct MainWindowTexts;

class DataSourceOpener
{
public:
    DataSourceOpener(MainSurface& surface, ToolCatalogue& tools, const MainWindowTexts& texts, FileChooser& fileChooser,
                     DataLinkPrompt& dataLinkPrompt, DataSourceState& state = dataSourceState());

    DataSourceState& state() { return m_state; }

    // ID_OpenDB: the open-file dialog with the file-driver table's patterns (and "*.sqlite;*.sqlite3;",
    // files found by content). The chosen file opens through the row for its extension; when no row
    // fits, or the row's driver is not installed here, through the driver its first bytes name (see
    // FileContentDriver). A file that opens becomes the source: the caption names it, and the table
    // choice and host name of another source are forgotten. A file that does not open shows why, and
    // the source that was open stays open with its table list, caption and tools. A cancelled dialog
    // runs LoadData (so the previous source is opened again). An unreadable file-driver table (no "sys"
    // folder, a foreign fdrv.dat) is shown once as "source:" CR LF "description" and changes nothing.
    void OpenDatabaseFile();

    // The open-file dialog with title t0 and the pattern list `ext` as its one filter; the chosen full
    // path, or "" when cancelled. Lets pending events run once before returning.
    QString FindFile(const QString& ext);

    // ID_Connection: the data-link dialog; a composed string becomes the connection string and is opened.
    // Cancelling changes and shows nothing. A string that does not open shows why; a source that was
    // open then stays as it was, and without one the window shows no source.
    void OpenDataLink();

    // Opens the current connection string, if any, and brings tools, table list, caption, status line
    // and the ID_SQL text up to date. Called after a cancelled file choice, at window load and by the
    // host. When the string does not open and a source was open, that source stays as the window
    // showed it (Start and the status line included).
    void LoadData();

    // Opens a new connection on the current connection string and, once it is open, lets it replace the
    // old one; true when it is open. On failure one message ("source:" CR LF "description") and status
    // panel 1 t26 + " "; a connection that was open stays open and the connection string becomes its
    // string again; without one the new connection stays, closed, and the string as it was.
    bool OpenConnection();

    // Refills ID_Tables: the all-tables entry, then every object of type exactly "TABLE" in the schema's
    // order; its text becomes the all-tables entry. An error is shown once and ends the refill; the list
    // is emptied first, so it never shows the tables of a source that is no longer open.
    void FillTableList();

    // The user picked or typed `text` in ID_Tables: it becomes the list's text and SelectedTable;
    // ID_Start follows whether it is empty, and the caption names it (after the data-source name and a
    // single blank when there is one; t19 in place of an empty text).
    void SelectTable(const QString& text);

    // The all-tables decision at a run's start: the list's text is exactly "[" + t19 + "]".
    bool isAllTablesChoice() const;

    // The tables a run visits: SelectedTable alone when it is set and allTablesMode is false, else every
    // "TABLE" of the schema in its order. Throws DataError when the schema cannot be read.
    QStringList tablesForRun(bool allTablesMode) const;

    // Every object of type exactly "TABLE" in the connection's schema, in the schema's order. Throws
    // DataError when the connection is closed or the schema cannot be read.
    static QStringList schemaTableNames(Connection& connection);

private:
    enum class LoadResult
    {
        NothingToOpen, // no connection string
        Opened,
        KeptPrevious, // the string did not open; the source that was open stays
        Failed, // the string did not open, and no source is open
    };
    // LoadData, on `chosenSource` when given (a source the user picked) instead of the current string.
    LoadResult load(const std::optional<QString>& chosenSource);
    LoadResult openChosenSource(const QString& connectionString);
    // After a source other than `previousString` opened: its table choice and host name do not apply.
    void forgetChoiceOfAnotherSource(const QString& previousString);
    void showError(const QString& source, const QString& description);
    void setTableCaption(const QString& name);

    MainSurface& m_surface;
    ToolCatalogue& m_tools;
    const MainWindowTexts& m_texts;
    FileChooser& m_fileChooser;
    DataLinkPrompt& m_dataLinkPrompt;
    DataSourceState& m_state;
};

} // namespace dorvane
