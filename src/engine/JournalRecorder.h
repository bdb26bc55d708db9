// Journals the saves of a session one by one, as the window makes them: before each write the change is
// recorded as pending and made durable, after the write it is marked done (or discarded when nothing
// was written). A journal run begins with the first save of a session's run and ends with it, so a run
// that saves nothing leaves no trace.
//
// The journal file is asked for at the first save of each run (the setting is read at the moment of
// use); an empty path turns journaling off for that run. When the journal cannot record a change, the
// save is refused with the journal's reason (an observer's DataError from aboutToSave fails the save):
// a change is never in the database without being in the journal. UI thread only.
#pragma once

#include "engine/ChangeJournal.h"
#include "engine/RunObserver.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace dorvane {

class RunSession;

class JournalRecorder : public RunObserver
{
public:
    // `journalFile` answers the journal's path, or "" for none; `source` the connection string of the
    // session's data source (cleaned of passwords by the journal). REQUIRES: the session outlives this.
    JournalRecorder(const RunSession& session, std::function<QString()> journalFile, std::function<QString()> source);
    ~JournalRecorder() override;

    // The run this recorder writes into, while one is open.
    std::optional<qint64> currentRun() const { return m_run; }

    void aboutToSave(const SaveOutcome& outcome) override;
    void fieldSaved(const SaveOutcome& outcome) override;
    void runEnded(const RunEnded& ended) override;

private:
    // Opens the journal, when there is one for this run, and begins the run in it; at the run's first save.
    void beginJournalRun();

    const RunSession& m_session;
    std::function<QString()> m_journalFile;
    std::function<QString()> m_source;
    std::unique_ptr<ChangeJournal> m_journal;
    std::optional<qint64> m_run;
    std::optional<qint64> m_pendingChange; // recorded by aboutToSave, settled by fieldSaved
    bool m_off = false; // no journal for the run in progress
};

} // namespace dorvane
