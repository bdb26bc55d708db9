// The run engine as the main window drives it, without widgets, for the run benchmarks: a program folder
// of its own (its INI, and sys/ with a settled data-type table), one connection on a database file, the
// headless surface, the tool catalogue, the run and its controls.
#pragma once

#include "datasource/Connection.h"
#include "mainwindow/RunControl.h"
#include "mainwindow/SearchRun.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include <QTemporaryDir>

#include <memory>

namespace dorvane::bench {

class HeadlessRun
{
public:
    // Lays out the program folder and points the application state at it; `iniLines` go into its INI
    // as (section, key, value) triples. Waits until the data-type table has settled, so that the
    // lookups at each hit read it as a run in a long-lived program does.
    explicit HeadlessRun(const QList<QStringList>& iniLines = {});
    ~HeadlessRun();

    // False when the program folder could not be laid out.
    bool isValid() const { return m_valid; }

    // Opens the connection on a SQLite file; throws DataError.
    void open(const QString& databaseFile);
    // Opens the connection on any ODBC connection string (a database server); throws DataError.
    void openConnection(const QString& connectionString);
    Connection& connection() { return *m_connection; }
    // Closes the connection; only between runs.
    void close() { m_connection.reset(); }

    // What the user sets on the window before Start: one table, the texts, the "replace all" switch.
    void prepare(const QString& table, const QString& search, const QString& replacement, bool replaceAll);

    // The Start command; it returns when the walk stops at a hit, a pause or the end.
    void start() { m_control.Start(); }
    // Runs the application's event loop (Timer1 drives "replace without halt") until the run has ended.
    void runEventLoopUntilRunEnds(int timeoutMs = 600000);
    // The Stop command: ends a run that waits at a hit.
    void stop() { m_control.StopCommand(); }

    bool isRunActive() const { return m_run.state().RunActive; }
    bool isWaitingAtHit() const;
    // "record.field" of the hit on display.
    QString hitPosition() const;
    const HeadlessSurface& surface() const { return m_surface; }

private:
    QTemporaryDir m_folder;
    bool m_valid = false;
    std::unique_ptr<Connection> m_connection;
    HeadlessSurface m_surface;
    ToolCatalogue m_tools;
    MainWindowTexts m_texts;
    QString m_table;
    SearchRun m_run;
    RunControl m_control;
};

} // namespace dorvane::bench
