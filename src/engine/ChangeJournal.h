// The change journal: a SQLite file (reached through our own ODBC layer and the SQLite3 driver, like any
// data source) in which runs are appended: per run its id, start and end time, the source (the
// connection string without any password entry), the options and the counts; per change the table, the
// row identity the update used, the field, the old and the new value, the time and the state.
//
// A change is in the journal when and only when it is in the database. Writers record the intent first
// (recordPending), make it durable (commit) before the database commits the change, and mark it done
// afterwards (markDone, made durable with the next commit). A crash at any moment therefore leaves at
// most changes that are pending: they may or may not have reached the database, and whoever takes them
// back asks the database (see JournalChange::State). A change that the database refused is discarded.
//
// The file is kept in WAL mode with full synchronisation: a commit is on disk when it returns. Several
// programs may write one journal; each transaction takes the file's write lock for its time. UI thread
// (the thread that opened it) only.
#pragma once

#include "engine/JournalChange.h"
#include "engine/RunEvents.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace dorvane {

class BoundStatement;
class Connection;
class QueryRecordSet;

struct JournalRun
{
    qint64 id = 0;
    QString kind; // "search", "replace", "undo", "window"
    QDateTime started; // UTC
    QDateTime ended; // UTC; invalid while the run is going on or after it broke off
    QString source; // without passwords
    QJsonObject options;
    std::optional<qint64> undoes; // for an undo: the run it takes back
    RunCounts counts; // as the run ended; zero while it is going on
    qint64 conflicts = 0; // an undo's changes left alone because they changed since
    qint64 changes = 0; // changes recorded for the run
    qint64 pending = 0; // of those, the ones not known to be in the database
};

class ChangeJournal
{
public:
    explicit ChangeJournal(QString path);
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    const QString& path() const { return m_path; }
    bool isOpen() const;

    // Opens the file; `create` makes it (and its tables) when it is missing, else a missing file is an
    // error. Throws DataError: the file cannot be made or written, or is no change journal.
    void open(bool create);
    void close();

    // A new run, made durable at once (a pending transaction is committed with it). `source` is cleaned of
    // passwords here. Throws DataError.
    qint64 beginRun(const QString& kind, const QString& source, const QJsonObject& options,
                    std::optional<qint64> undoes = std::nullopt);
    // The run's end time and counts, made durable at once.
    void endRun(qint64 run, const RunCounts& counts, qint64 conflicts = 0);

    // Records a change as pending, in the transaction that is open (begun when there is none); it becomes
    // durable with the next commit. Answers its id. Throws DataError.
    qint64 recordPending(qint64 run, const JournalChange& change);
    // Removes a change that did not reach the database (refused, or its batch rolled back).
    void discard(qint64 changeId);
    // Marks changes as in the database; durable with the next commit.
    void markDone(const std::vector<qint64>& changeIds);
    // Makes everything recorded since the last commit durable. Harmless without an open transaction.
    void commit();
    // Drops everything since the last commit. Never throws.
    void rollback() noexcept;

    // Reading. Runs in the order they began; changes of a run oldest first.
    std::vector<JournalRun> runs();
    std::optional<JournalRun> run(qint64 id);
    // The run that began last, if any.
    std::optional<qint64> lastRun();
    std::vector<JournalChange> changes(qint64 run);

    // The journal's connection string for its file.
    static QString connectionStringFor(const QString& path);

private:
    Connection& connection();
    void ensureTransaction();
    void createTables();
    void checkFormat();
    JournalRun readRun(const QueryRecordSet& row) const;

    QString m_path;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<BoundStatement> m_insertChange;
    bool m_inTransaction = false;
};

} // namespace dorvane
