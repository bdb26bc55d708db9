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

    // ID_OpenDB: the open-file dialog with the file-driver table's patterns; a file whose extension has
    // a row sets the connection string from the row's template; then LoadData, also after a cancelled
    // dialog (so the previous source is opened again). An unreadable file-driver table (no "sys" folder,
    // a foreign fdrv.dat) is shown once as "source:" CR LF "description" and changes nothing.
    void OpenDatabaseFile();

    // The open-file dialog with title t0 and the pattern list `ext` as its one filter; the chosen full
    // path, or "" when cancelled. Lets pending events run once before returning.
    QString FindFile(const QString& ext);

    // ID_Connection: the data-link dialog; a composed string becomes the connection string and is opened.
    // Cancelling changes and shows nothing.
    void OpenDataLink();

    // Opens the current connection string, if any, and brings tools, table list, caption, status line
    // and the ID_SQL text up to date. Called after a file choice, at window load and by the host.
    void LoadData();

    // Replaces the connection by a new one opened on the current connection string; true when it is open.
    // On failure one message ("source:" CR LF "description"), status panel 1 t26 + " ", and the
    // connection string stays as it was.
    bool OpenConnection();

    // Refills ID_Tables: the all-tables entry, then every object of type exactly "TABLE" in the schema's
    // order; its text becomes the all-tables entry. An error is shown once and ends the refill.
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
