// Report entries handed on in the order they were made, each as soon as it is final: an entry whose
// change waits for its batch to be committed holds back the ones after it, so the report follows the
// walk while "saved" still means "in the database". Counts saves and failures as they become final.
#pragma once

#include "cli/ReportEntry.h"

#include <deque>
#include <functional>

namespace dorvane {

class EntryQueue
{
public:
    explicit EntryQueue(std::function<void(const ReportEntry&)> sink);

    // An entry whose status is final (found, dry-run, failed, conflict, not-applied).
    void add(const ReportEntry& entry);
    // An entry whose change was written into the open batch: "saved" once the batch is committed.
    void addAwaitingCommit(const ReportEntry& entry);
    // The oldest `changes` entries that await their batch become saved, or failed with the reason.
    void batchEnded(int changes, bool committed, const QString& reason);
    // Hands on what is left; an entry still awaiting its batch did not reach the database.
    void flush();

    qint64 saved() const { return m_saved; }
    qint64 failed() const { return m_failed; }
    qint64 conflicts() const { return m_conflicts; }

private:
    struct Held
    {
        ReportEntry entry;
        bool awaitsCommit = false;
    };
    void count(const ReportEntry& entry);
    void release();

    std::function<void(const ReportEntry&)> m_sink;
    std::deque<Held> m_held;
    qint64 m_saved = 0;
    qint64 m_failed = 0;
    qint64 m_conflicts = 0;
};

} // namespace dorvane
