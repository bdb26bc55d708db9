#include "cli/BatchCommitter.h"

#include "core/DataError.h"
#include "engine/ChangeJournal.h"

namespace dorvane {

BatchCommitter::BatchCommitter(Connection& connection, ChangeJournal* journal, qint64 run, Limits limits,
                               BatchEnded batchEnded)
    : m_connection(connection), m_journal(journal), m_run(run), m_limits(limits), m_batchEnded(std::move(batchEnded)),
      m_batch(connection)
{
}

BatchCommitter::~BatchCommitter()
{
    if (m_batch.isOpen()) {
        m_batch.rollback();
        if (m_journal)
            m_journal->rollback();
    }
}

void BatchCommitter::beforeWrite(const JournalChange& change)
{
    commitIfDue();
    m_pendingChange.reset();
    m_inFlight = false;
    if (m_journalFailure)
        throw DataError(QStringLiteral("Dorvane.Journal"), *m_journalFailure);
    if (m_batch.isSupported() && !m_batch.isOpen()) {
        m_batch.begin();
        m_age.start();
    }
    if (m_journal) {
        try {
            m_pendingChange = m_journal->recordPending(m_run, change);
            // Without a batch the write commits at once: its intent must be durable before.
            if (!m_batch.isSupported())
                m_journal->commit();
        } catch (const DataError& error) {
            // The journal rolled back its transaction, and with it the intents of the whole batch: the
            // batch must not reach the database either.
            m_journalFailure = error.description();
            abandonBatch(error.description());
            throw;
        }
    }
    m_inFlight = true;
}

void BatchCommitter::afterWrite(bool written)
{
    if (!m_inFlight)
        return; // beforeWrite failed: nothing was written, nothing recorded
    m_inFlight = false;
    const std::optional<qint64> change = m_pendingChange;
    m_pendingChange.reset();
    if (!written) {
        if (m_journal && change) {
            try {
                m_journal->discard(*change);
            } catch (const DataError& error) {
                m_journalFailure = error.description();
                abandonBatch(error.description());
            }
        }
        return;
    }
    if (change)
        m_changeIds.push_back(*change);
    ++m_changes;
}

void BatchCommitter::commitIfDue()
{
    if (!m_batch.isSupported()) {
        if (m_changes > 0)
            commit(); // each change is in the database already; its journal entry is marked done
        return;
    }
    if (!m_batch.isOpen())
        return;
    if (m_changes >= m_limits.changes || (m_age.isValid() && m_age.elapsed() >= m_limits.milliseconds))
        commit();
}

void BatchCommitter::commit()
{
    if (!m_batch.isSupported()) {
        if (m_journal && !m_journalFailure) {
            try {
                m_journal->markDone(m_changeIds);
                m_journal->commit();
            } catch (const DataError& error) {
                m_journalFailure = error.description(); // left pending: undo finds them applied
            }
        }
        endBatch(true, QString());
        return;
    }
    if (!m_batch.isOpen()) {
        if (m_journal && !m_journalFailure) {
            try {
                m_journal->commit();
            } catch (const DataError& error) {
                m_journalFailure = error.description();
            }
        }
        return;
    }
    if (m_journal) {
        try {
            m_journal->commit();
        } catch (const DataError& error) {
            // The intent is not durable, so the changes must not reach the database.
            m_journalFailure = error.description();
            abandonBatch(error.description());
            return;
        }
    }
    try {
        m_batch.commit();
    } catch (const DataError& error) {
        if (m_journal) {
            try {
                for (qint64 change : m_changeIds)
                    m_journal->discard(change);
                m_journal->commit();
            } catch (const DataError&) {
                // Left pending: undo finds them not applied.
            }
        }
        endBatch(false, error.description());
        return;
    }
    if (m_journal) {
        // Committed at once, so that the journal's write lock is held only while a batch is open: the
        // window and other runs write the same journal.
        try {
            m_journal->markDone(m_changeIds);
            m_journal->commit();
        } catch (const DataError&) {
            // Left pending: undo finds them applied.
        }
    }
    endBatch(true, QString());
}

void BatchCommitter::abandonBatch(const QString& reason)
{
    if (!m_batch.isOpen())
        return;
    m_batch.rollback();
    endBatch(false, reason);
}

void BatchCommitter::endBatch(bool committed, const QString& reason)
{
    const int changes = m_changes;
    m_changes = 0;
    m_changeIds.clear();
    m_age.invalidate();
    if (m_batchEnded && changes > 0)
        m_batchEnded(changes, committed, reason);
}

} // namespace dorvane
