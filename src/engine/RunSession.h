// A run over the chosen tables of a data source, their records and fields, free of any window: it walks
// from a saved position to the next hit, a pause, a stop or the end and returns to its owner, who answers
// a hit with a decision (save, skip the field, the record or the table, pause and browse, stop). Every
// decision that means "go on" leaves the walk to the owner's next walk(), so a window can redraw between
// the two. Observers hear every event (RunObserver); replacing without halt and a search without writing
// are hit policies of the session, for front ends without a window.
//
// The walk calls the pump at its checks (each table, record and field; at most every pump interval), so a
// window can process its events there: pause() and stop() called from the pump take effect at the next
// check. Nothing else of the session may be called from inside the pump or an observer.
//
// Errors: start() and walk() throw DataError for what starts nothing (a schema that cannot be read, an
// invalid pattern); a table that cannot be opened or a field that cannot be matched is reported to the
// observers as a RunFault, and the walk goes on with the next table or field. UI thread (the thread that
// owns the connection) only.
#pragma once

#include "engine/FieldMatcher.h"
#include "engine/ReplacementProposal.h"
#include "engine/RunEvents.h"
#include "engine/RunObserver.h"
#include "engine/RunOptions.h"
#include "engine/RunState.h"

#include <QElapsedTimer>

#include <functional>
#include <optional>
#include <vector>

namespace dorvane {

class Connection;
class SearchableTypes;

class RunSession
{
public:
    // The connection is asked for at each use: the data source may be reopened between runs.
    using ConnectionProvider = std::function<Connection*()>;

    enum class Phase
    {
        Idle, // no run yet
        Walking, // started, or a decision went on: walk() walks
        AtHit, // a hit waits for a decision
        Paused, // browse mode: the owner steps through the table by hand
        Ended, // complete or stopped; start() begins the next run
    };

    // Where the walk is when it calls the pump.
    enum class Checkpoint
    {
        Table,
        Record,
        Field,
    };

    // What a skip decision leaves to do.
    enum class Step
    {
        Walk, // call walk() to go on to the next hit
        Browse, // still paused, at the new position
        Ended, // the run is over (the observers heard runEnded)
        Unchanged, // the step failed (the observers heard a RunFault); nothing moved
    };

    // REQUIRES: `types` outlives the session.
    RunSession(ConnectionProvider connection, SearchableTypes& types);
    ~RunSession();
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;

    void addObserver(RunObserver* observer);
    void removeObserver(RunObserver* observer);

    // Called at the walk's checks. `intervalMs` 0 calls it at every check.
    void setPump(std::function<void(Checkpoint)> pump) { m_pump = std::move(pump); }
    void setEventPumpInterval(int intervalMs) { m_pumpInterval = intervalMs; }

    // The match options and the hit policy may change between entries into the walk (a window's panel is
    // editable while a hit waits); the walk takes them when it is entered.
    void setMatchOptions(const MatchOptions& options) { m_options.match = options; }
    void setHitPolicy(HitPolicy policy) { m_options.policy = policy; }
    const RunOptions& options() const { return m_options; }
    // Compiles the current match options; throws DataError for an invalid pattern and changes nothing.
    void checkPattern();

    // Begins a run with these options: the table list (the given tables, else every base table of the
    // source in its order), positions at the start, counts at zero. Throws DataError when the schema cannot
    // be read; nothing has then started. A run still going is ended first (without an event).
    void start(const RunOptions& options);
    // Walks from the saved position to the next hit (policy Wait), a pause, a stop or the end, and answers
    // the phase it left the run in. Throws DataError for an invalid pattern before walking anything.
    Phase walk();
    // start() and walk() to the end under a policy that never waits (SaveEvery, SkipEvery); answers the
    // counts. A stop from the pump ends it early.
    RunEnded runToEnd(const RunOptions& options);

    // Decisions. At a hit: writes `value` (no value: a database NULL) into the hit's field; the run stays
    // at the hit, so the owner decides whether to go on (see isLastHitOfRun). Failing writes change
    // nothing and answer the reason; the observers hear aboutToSave (just before the write) and fieldSaved.
    SaveOutcome saveHit(const OptionalText& value);
    // The proposed value of the hit on display.
    SaveOutcome saveProposed();
    // In browse mode: writes `text` into field CurField of the current record.
    SaveOutcome saveBrowsedField(const QString& text);
    // True when the hit on display was the last field of the last record of the last table.
    bool isLastHitOfRun() const;
    Step skipField();
    Step skipRecord();
    Step skipTable();
    // Asks the walk to pause at its next check; outside a walk the run is paused at once, where it stands.
    void pause();
    // Leaves browse mode; walk() then goes on from where the walk stopped.
    void resume();
    // Ends the run as stopped. Harmless when it has ended.
    void stop();
    // Ends the run as complete (the last hit was decided, or the owner has nothing left to do).
    void complete();

    Phase phase() const { return m_phase; }
    bool isBrowsing() const { return m_state.RunPaused && m_phase != Phase::Ended && m_phase != Phase::Idle; }
    RunState& state() { return m_state; }
    const RunState& state() const { return m_state; }
    const RunCounts& counts() const { return m_counts; }
    // The hit on display, while the run waits at one.
    const std::optional<HitFound>& currentHit() const { return m_hit; }
    // Where the walk is: set at every check, also between pumps.
    const RunPosition& position() const { return m_position; }

    // The run record set: the table it stands on, its records and fields.
    // The number of records of the table the run stands on, counted the first time it is asked for that
    // table (the walk itself reads to the end without it); the last table's count once it is closed; -1
    // when the source cannot count, and for a table whose candidate rows alone are read.
    int recordCount() const;
    int fieldCount() const;
    FieldSnapshot fieldSnapshot(int fieldIndex) const;
    // Opens the run record set on a table of the list; throws DataError.
    void openRunTable(int tableIndex);
    void closeRunTable();

private:
    void prepareEntry();
    void checkpoint(Checkpoint checkpoint);
    void savePausePosition(int table, int record, int field);
    bool tryOpenTable(int table);
    void finishTable(int table);
    // Answers true when the walk stops at this hit (policy Wait).
    bool handleHit(int table, int record, int field);
    Step skipRecordStep();
    Step skipTableStep();
    Step goOnOrBrowse();
    SaveOutcome writeField(int fieldIndex, const QVariant& value);
    RowIdentity rowIdentity(bool forSave);
    RunPosition positionOf(int table, int record, int field) const;
    void reportFault(int table, int record, int field, const QString& description);
    void endRun(RunEnding ending);
    void resetPositions();
    void notify(const std::function<void(RunObserver&)>& event);

    ConnectionProvider m_connection;
    SearchableTypes& m_types;
    FieldMatcher m_matcher;
    ReplacementProposal m_proposal;
    RunOptions m_options;
    RunState m_state;
    Phase m_phase = Phase::Idle;
    RunCounts m_counts;
    std::optional<HitFound> m_hit;
    RunPosition m_position;
    mutable std::optional<int> m_recordCount;
    qint64 m_recordsAtTableStart = 0;
    bool m_candidatesOnly = false; // the open table reads the server's candidate rows only
    bool m_walking = false;
    std::vector<RunObserver*> m_observers;
    std::function<void(Checkpoint)> m_pump;
    int m_pumpInterval = 5;
    QElapsedTimer m_sincePump;
    unsigned m_checksSincePump = 0;
};

} // namespace dorvane
