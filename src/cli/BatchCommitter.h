// Saves committed in batches, with the change journal in step. A batch is opened before the first write
// and committed when it holds enough changes or is old enough (checked before each write and at the
// run's pump), and at the end. Each commit goes:
//
//   1. the journal commits the batch's changes as pending (the intent is durable),
//   2. the database commits the batch,
//   3. the journal marks them done and commits that.
//
// A crash before 2 leaves the database without the batch and the journal with pending changes that undo
// finds not applied; a crash after 2 leaves pending changes that undo finds applied. When the database
// refuses the commit, the batch is rolled back and its changes are discarded from the journal. A source
// without transactions cannot batch: each change is then made durable in the journal before it is
// written, one by one.
//
// REQUIRES: the connection and the journal outlive the committer. UI thread only.
#pragma once

#include "datasource/WriteBatch.h"
#include "engine/JournalChange.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace dorvane {

class ChangeJournal;
class Connection;

class BatchCommitter
{
public:
    struct Limits
    {
        int changes = 400;
        int milliseconds = 250;
    };

    // Called at the end of each batch with the changes it held, in order: committed to the database, or
    // rolled back with the reason.
    using BatchEnded = std::function<void(int changes, bool committed, const QString& reason)>;

    // `journal` may be null (no journal); `run` is the journal's run the changes belong to.
    BatchCommitter(Connection& connection, ChangeJournal* journal, qint64 run, Limits limits, BatchEnded batchEnded);
    ~BatchCommitter();

    // Before each write: commits the batch when it is due, opens one when none is open, and records the
    // change's intent. Throws DataError when the journal or the database cannot; nothing may be written
    // then.
    void beforeWrite(const JournalChange& change);
    // After it: a change that was written belongs to the batch; one that was not is discarded.
    void afterWrite(bool written);
    // Commits the batch when it holds enough changes or is old enough.
    void commitIfDue();
    // Commits the open batch, if any, and the journal with it.
    void commit();

    // Set once the journal could not be written: the run should stop, since every later save would fail.
    const std::optional<QString>& journalFailure() const { return m_journalFailure; }

private:
    // Rolls the open batch back: its changes are not in the database.
    void abandonBatch(const QString& reason);
    void endBatch(bool committed, const QString& reason);

    Connection& m_connection;
    ChangeJournal* m_journal;
    qint64 m_run;
    Limits m_limits;
    BatchEnded m_batchEnded;
    WriteBatch m_batch;
    QElapsedTimer m_age;
    std::vector<qint64> m_changeIds; // the journal's ids of the batch's changes
    int m_changes = 0;
    std::optional<qint64> m_pendingChange; // recorded by beforeWrite, settled by afterWrite
    bool m_inFlight = false;
    std::optional<QString> m_journalFailure;
};

} // namespace dorvane
