// A run as the front ends put it together (RunSetup), for the run benchmarks: a program folder of its own
// with a settled data-type table, one connection, the session with the window's pace of event pumping.
// "Replace all" is the session's save-every policy, as the command line runs it.
#pragma once

#include "datasource/Connection.h"
#include "engine/RunSetup.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace dorvane::bench {

class HeadlessRun : public RunObserver
{
public:
    // Lays out the program folder and waits until its data-type table has settled, so that the lookups at
    // each hit read it as a run in a long-lived program does.
    HeadlessRun();
    ~HeadlessRun() override;

    // False when the program folder could not be laid out.
    bool isValid() const { return m_valid; }

    // Opens the connection on a SQLite file; throws DataError.
    void open(const QString& databaseFile);
    // Opens the connection on any ODBC connection string (a database server); throws DataError.
    void openConnection(const QString& connectionString);
    Connection& connection() { return *m_connection; }
    // Closes the connection; only between runs.
    void close() { m_connection.reset(); }

    // One table, the texts, and whether every hit is saved without halt.
    void prepare(const QString& table, const QString& search, const QString& replacement, bool replaceAll);

    // Starts the run and walks until it stops at a hit or, replacing all, until it ends.
    void start();
    // Ends a run that waits at a hit.
    void stop() { m_setup->session().stop(); }

    bool isRunActive() const { return m_setup->session().state().RunActive; }
    bool isWaitingAtHit() const { return m_setup->session().phase() == RunSession::Phase::AtHit; }
    // "record.field" of the hit on display.
    QString hitPosition() const;
    // Faults and failed saves of the runs so far.
    const QStringList& messages() const { return m_messages; }
    RunSession& session() { return m_setup->session(); }

    void runFault(const RunFault& fault) override { m_messages.append(fault.description); }
    void fieldSaved(const SaveOutcome& outcome) override;

private:
    QTemporaryDir m_folder;
    bool m_valid = false;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<RunSetup> m_setup;
    RunOptions m_options;
    QStringList m_messages;
};

} // namespace dorvane::bench
