#include "engine/RunSession.h"

#include "core/DataError.h"
#include "datasource/BaseTables.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionConstants.h"
#include "datasource/QueryRecordSet.h"
#include "engine/CandidateCondition.h"
#include "engine/FieldText.h"
#include "engine/SearchableTypes.h"

#include <algorithm>

namespace dorvane {

namespace {

DataError noSourceError()
{
    return DataError(QStringLiteral("Dorvane"), QStringLiteral("No data source is open."));
}

} // namespace

bool RunState::isRecordsetOpen() const
{
    return RunRecordset && RunRecordset->State() == ado::adStateOpen;
}

RunSession::RunSession(ConnectionProvider connection, SearchableTypes& types)
    : m_connection(std::move(connection)), m_types(types), m_matcher(types)
{
}

RunSession::~RunSession()
{
    closeRunTable();
}

void RunSession::addObserver(RunObserver* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void RunSession::removeObserver(RunObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void RunSession::notify(const std::function<void(RunObserver&)>& event)
{
    // A copy: an observer may remove itself (a window that closes while the run reports).
    const std::vector<RunObserver*> observers = m_observers;
    for (RunObserver* observer : observers)
        event(*observer);
}

void RunSession::checkPattern()
{
    FieldMatcher probe = m_matcher;
    probe.prepare(m_options.match);
}

void RunSession::prepareEntry()
{
    m_matcher.prepare(m_options.match);
    m_proposal = ReplacementProposal(m_options.match, m_options.rule);
}

int RunSession::recordCount() const
{
    // The rows the server did not send are not counted: that would cost a scan of the table of its own
    // (on MariaDB a third of reading the candidates).
    if (m_candidatesOnly)
        return -1;
    if (!m_recordCount && m_state.isRecordsetOpen()) {
        try {
            m_recordCount = m_state.RunRecordset->RecordCount();
        } catch (const DataError&) {
            m_recordCount = -1;
        }
    }
    return m_recordCount.value_or(-1);
}

int RunSession::fieldCount() const
{
    return m_state.isRecordsetOpen() ? m_state.RunRecordset->FieldCount() : 0;
}

FieldSnapshot RunSession::fieldSnapshot(int fieldIndex) const
{
    const QueryField& field = std::as_const(*m_state.RunRecordset).Fields(fieldIndex);
    return FieldSnapshot {field.Name(), field.Type(), field.DefinedSize(), field.Value()};
}

void RunSession::openRunTable(int tableIndex)
{
    closeRunTable();
    Connection* connection = m_connection();
    if (!connection)
        throw noSourceError();
    const QString table = m_state.TableList.value(tableIndex);
    auto recordset = std::make_unique<QueryRecordSet>();
    if (m_options.serverCandidates) {
        const CandidateCondition candidates(m_options.match, m_matcher.locale(), m_types);
        recordset->OpenTable(*connection, table, [&](const Connection& c, const std::vector<QueryField>& fields) {
            return candidates.forTable(c, fields);
        });
    } else {
        recordset->OpenTable(*connection, table);
    }
    m_candidatesOnly = recordset->readsChosenRowsOnly();
    m_recordCount.reset();
    m_recordsAtTableStart = m_counts.records;
    m_state.RunRecordset = std::move(recordset);
    m_state.RunTableIndex = tableIndex;
    const TableBegun begun {tableIndex, int(m_state.TableList.size()), table, m_candidatesOnly};
    notify([&](RunObserver& o) { o.tableBegun(begun); });
}

void RunSession::closeRunTable()
{
    if (m_state.RunRecordset)
        m_state.RunRecordset->Close();
    m_state.RunRecordset.reset();
    m_state.RunTableIndex = -1;
    m_state.CurrentField = -1;
    m_candidatesOnly = false;
}

void RunSession::resetPositions()
{
    RunState& s = m_state;
    s.CurTable = s.CurRecord = s.CurField = 0;
    s.ResumeTable = s.ResumeRecord = s.ResumeField = false;
}

void RunSession::start(const RunOptions& options)
{
    QStringList tables = options.tables;
    if (tables.isEmpty()) {
        Connection* connection = m_connection();
        if (!connection)
            throw noSourceError();
        tables = baseTableNames(*connection);
    }
    closeRunTable();
    m_options = options;
    RunState& s = m_state;
    s.TableList = tables;
    s.SingleTableOnly = tables.size() < 2;
    resetPositions();
    s.StopRequested = false;
    s.RunPaused = false;
    s.RunActive = true;
    s.TableOpen = true;
    m_counts = RunCounts();
    m_hit.reset();
    m_position = RunPosition();
    m_phase = Phase::Walking;
}

RunEnded RunSession::runToEnd(const RunOptions& options)
{
    start(options);
    while (m_phase == Phase::Walking)
        walk();
    // A policy that waits leaves nothing to decide here: the hit is left as it is.
    if (m_phase != Phase::Ended)
        complete();
    return RunEnded {m_state.StopRequested ? RunEnding::Stopped : RunEnding::Completed, m_counts};
}

void RunSession::checkpoint(Checkpoint checkpoint)
{
    if (!m_pump)
        return;
    // Reading the clock at every field check cost as much as a twentieth of a long walk; every 32nd check
    // is still far finer than the interval.
    if (m_pumpInterval > 0 && m_sincePump.isValid()
        && ((++m_checksSincePump & 31) != 0 || m_sincePump.elapsed() < m_pumpInterval))
        return;
    m_pump(checkpoint);
    m_sincePump.start();
}

void RunSession::savePausePosition(int table, int record, int field)
{
    RunState& s = m_state;
    s.CurTable = table;
    s.ResumeTable = true;
    // The record and field positions only hold while the record set is still on this table; a pause
    // before the table was opened resumes by opening it.
    const bool onThisTable = s.isRecordsetOpen() && s.RunTableIndex == table;
    s.CurRecord = onThisTable ? record : 0;
    s.CurField = onThisTable ? field : 0;
    s.ResumeRecord = onThisTable;
    s.ResumeField = onThisTable;
}

RunPosition RunSession::positionOf(int table, int record, int field) const
{
    const bool unknownRecord = m_candidatesOnly && table == m_state.RunTableIndex;
    return RunPosition {table, m_state.TableList.value(table), unknownRecord ? -1 : record, field};
}

void RunSession::reportFault(int table, int record, int field, const QString& description)
{
    ++m_counts.faults;
    RunFault fault {positionOf(table, record, field), QString(), description};
    if (field >= 0 && field < fieldCount())
        fault.fieldName = m_state.RunRecordset->Fields(field).Name();
    notify([&](RunObserver& o) { o.runFault(fault); });
}

bool RunSession::tryOpenTable(int table)
{
    try {
        openRunTable(table);
        ++m_counts.tables;
        return true;
    } catch (const DataError& error) {
        reportFault(table, 0, -1, error.description());
        return false;
    }
}

void RunSession::finishTable(int table)
{
    closeRunTable();
    const TableEnded ended {table, m_state.TableList.value(table), m_counts.records - m_recordsAtTableStart};
    m_state.TableOpen = false;
    notify([&](RunObserver& o) { o.tableEnded(ended); });
}

RowIdentity RunSession::rowIdentity(bool forSave)
{
    RowIdentity identity;
    QueryRecordSet& rs = *m_state.RunRecordset;
    std::vector<int> columns;
    try {
        columns = rs.rowIdentityColumns();
    } catch (const DataError&) {
        // A driver that cannot tell its keys names rows by all their values.
    }
    identity.byKey = !columns.empty();
    if (!identity.byKey) {
        if (!forSave)
            return identity;
        for (int c = 0; c < rs.FieldCount(); ++c)
            columns.push_back(c);
    }
    for (int column : columns) {
        const QueryField& field = std::as_const(rs).Fields(column);
        identity.columns.append(field.Name());
        identity.values.append(field.OriginalValue());
    }
    return identity;
}

bool RunSession::handleHit(int table, int record, int field)
{
    RunState& s = m_state;
    const QueryField& column = std::as_const(*s.RunRecordset).Fields(field);
    HitFound hit;
    hit.position = positionOf(table, record, field);
    hit.fieldName = column.Name();
    hit.type = column.Type();
    hit.definedSize = column.DefinedSize();
    hit.stored = column.Value();
    hit.storedText = fieldValueToText(hit.stored, hit.type, m_matcher.locale());
    try {
        hit.proposed = m_proposal.propose(hit.storedText);
    } catch (const DataError& error) {
        reportFault(table, record, field, error.description());
        return false;
    }
    hit.row = rowIdentity(false);
    ++m_counts.hits;
    s.CurrentField = field;
    s.CurTable = table;
    s.CurRecord = record;
    s.CurField = field + 1;
    m_hit = hit;
    notify([&](RunObserver& o) { o.hitFound(hit); });

    switch (m_options.policy) {
    case HitPolicy::Wait:
        s.ResumeTable = s.ResumeRecord = s.ResumeField = true;
        return true;
    case HitPolicy::SaveEvery:
        writeField(field, hit.proposed);
        break;
    case HitPolicy::SkipEvery:
        ++m_counts.skipped;
        break;
    }
    m_hit.reset();
    return false;
}

RunSession::Phase RunSession::walk()
{
    if (m_phase == Phase::Idle || m_phase == Phase::Ended)
        return m_phase;
    prepareEntry();
    RunState& s = m_state;
    m_phase = Phase::Walking;
    m_hit.reset();
    m_walking = true;
    if (!s.ResumeTable)
        s.CurTable = 0;

    bool atHit = false;
    bool paused = false;
    const int lastTable = int(s.TableList.size()) - 1;
    for (int t = s.CurTable; t <= lastTable; ++t) {
        m_position = positionOf(t, s.CurRecord, s.CurField);
        checkpoint(Checkpoint::Table);
        s.ResumeTable = false;
        if (s.StopRequested)
            break;
        if (s.RunPaused) {
            savePausePosition(t, s.CurRecord, s.CurField);
            paused = true;
            break;
        }
        if (!s.ResumeRecord || !s.isRecordsetOpen()) {
            s.ResumeRecord = false;
            s.CurRecord = 0;
            if (!tryOpenTable(t)) {
                s.RunPaused = false;
                continue; // reported; the other tables are walked all the same
            }
        }
        s.RunPaused = false;

        if (!s.ResumeRecord)
            s.CurRecord = 0;
        // To the end of what the table gives, not to a count taken beforehand: the first rows come at
        // once, and rows removed meanwhile end the table early.
        for (int r = s.CurRecord; !s.RunRecordset->IsEOF(); ++r) {
            QueryRecordSet& rs = *s.RunRecordset;
            m_position.record = r;
            checkpoint(Checkpoint::Record);
            if (s.StopRequested)
                break;
            s.ResumeRecord = false;
            if (!s.ResumeField) {
                s.CurField = 0;
                ++m_counts.records;
            }
            const int fields = rs.FieldCount();
            for (int f = s.CurField; f < fields; ++f) {
                m_position.field = f;
                checkpoint(Checkpoint::Field);
                if (s.StopRequested)
                    break;
                if (s.RunPaused) {
                    savePausePosition(t, r, f);
                    paused = true;
                    break;
                }
                s.ResumeField = false;
                bool matched = false;
                try {
                    const QueryField& field = std::as_const(rs).Fields(f);
                    matched = m_matcher.isHit(field);
                } catch (const DataError& error) {
                    reportFault(t, r, f, error.description());
                    continue; // this field is left as it is; the walk goes on
                }
                if (matched && handleHit(t, r, f)) {
                    atHit = true;
                    break;
                }
            }
            if (atHit || paused || s.StopRequested)
                break;
            s.ResumeField = false;
            try {
                rs.MoveNext();
            } catch (const DataError& error) {
                // The table cannot be read further; what was read of it has been walked.
                reportFault(t, r, -1, error.description());
                break;
            }
        }
        if (atHit || paused || s.StopRequested)
            break;
        finishTable(t);
    }
    m_walking = false;

    if (atHit) {
        m_phase = Phase::AtHit;
    } else if (paused) {
        m_phase = Phase::Paused;
    } else if (m_phase != Phase::Ended) {
        endRun(s.StopRequested ? RunEnding::Stopped : RunEnding::Completed);
    }
    return m_phase;
}

SaveOutcome RunSession::writeField(int fieldIndex, const QVariant& value)
{
    RunState& s = m_state;
    SaveOutcome outcome;
    outcome.position = positionOf(s.CurTable, s.CurRecord, fieldIndex);
    if (!s.isRecordsetOpen() || s.RunRecordset->IsEOF() || fieldIndex < 0 || fieldIndex >= fieldCount()) {
        outcome.reason = QStringLiteral("There is no field to save here.");
        ++m_counts.failed;
        notify([&](RunObserver& o) { o.fieldSaved(outcome); });
        return outcome;
    }
    QueryRecordSet& rs = *s.RunRecordset;
    QueryField& field = rs.Fields(fieldIndex);
    outcome.fieldName = field.Name();
    outcome.type = field.Type();
    outcome.oldValue = field.Value();
    try {
        field.setValue(value);
        outcome.newValue = field.Value();
        outcome.row = rowIdentity(true);
        notify([&](RunObserver& o) { o.aboutToSave(outcome); });
        rs.Update();
        outcome.written = true;
        ++m_counts.saved;
    } catch (const DataError& error) {
        // Nothing was written; the field shows the row as it was read.
        rs.CancelUpdate();
        outcome.reason = error.description();
        ++m_counts.failed;
    }
    notify([&](RunObserver& o) { o.fieldSaved(outcome); });
    return outcome;
}

SaveOutcome RunSession::saveHit(const OptionalText& value)
{
    return writeField(m_state.CurrentField, value ? QVariant(*value) : QVariant());
}

SaveOutcome RunSession::saveProposed()
{
    return saveHit(m_hit ? OptionalText(m_hit->proposed) : OptionalText());
}

SaveOutcome RunSession::saveBrowsedField(const QString& text)
{
    return writeField(m_state.CurField, text);
}

bool RunSession::isLastHitOfRun() const
{
    const RunState& s = m_state;
    // The count is asked last: only at the last field of a record in the last table.
    return s.isLastTable() && s.CurField == fieldCount() && s.CurRecord >= recordCount() - 1;
}

RunSession::Step RunSession::skipField()
{
    RunState& s = m_state;
    const bool atHit = m_phase == Phase::AtHit && !isBrowsing();
    if (atHit)
        ++m_counts.skipped;
    if (!s.isRecordsetOpen() || isLastHitOfRun()) {
        complete();
        return Step::Ended;
    }
    if (isBrowsing()) {
        if (s.CurField < fieldCount() - 1) {
            ++s.CurField;
            return Step::Browse;
        }
        return skipRecordStep();
    }
    m_phase = Phase::Walking;
    return Step::Walk;
}

RunSession::Step RunSession::skipRecord()
{
    if (m_phase == Phase::AtHit && !isBrowsing())
        ++m_counts.skipped;
    return skipRecordStep();
}

RunSession::Step RunSession::skipTable()
{
    if (m_phase == Phase::AtHit && !isBrowsing())
        ++m_counts.skipped;
    return skipTableStep();
}

RunSession::Step RunSession::skipRecordStep()
{
    RunState& s = m_state;
    if (s.isRecordsetOpen() && !s.RunRecordset->IsEOF()) {
        try {
            s.RunRecordset->MoveNext();
        } catch (const DataError& error) {
            reportFault(s.CurTable, s.CurRecord, -1, error.description());
            return Step::Unchanged;
        }
    }
    if (s.isRecordsetOpen() && !s.RunRecordset->IsEOF()) {
        s.ResumeField = false;
        s.ResumeTable = true;
        s.ResumeRecord = true;
        s.CurField = 0;
        ++s.CurRecord;
        return goOnOrBrowse();
    }
    return skipTableStep();
}

RunSession::Step RunSession::skipTableStep()
{
    RunState& s = m_state;
    const int lastIndex = int(s.TableList.size()) - 1;
    s.ResumeRecord = false;
    s.ResumeField = false;
    if (s.CurTable >= lastIndex) {
        // No table left after this one: the run is complete instead of walking the same table again.
        complete();
        return Step::Ended;
    }
    ++s.CurTable;
    s.ResumeTable = true;
    s.CurRecord = 0;
    s.CurField = 0;
    if (isBrowsing()) {
        // Browse mode reopens the table the way the run does, so a save there works.
        try {
            openRunTable(s.CurTable);
            s.ResumeRecord = true;
            s.ResumeField = true;
        } catch (const DataError& error) {
            reportFault(s.CurTable, 0, -1, error.description());
            complete();
            return Step::Ended;
        }
        if (s.RunRecordset->IsEOF() && s.CurTable >= lastIndex) {
            complete();
            return Step::Ended;
        }
    }
    return goOnOrBrowse();
}

RunSession::Step RunSession::goOnOrBrowse()
{
    if (isBrowsing())
        return Step::Browse;
    m_phase = Phase::Walking;
    return Step::Walk;
}

void RunSession::pause()
{
    if (m_phase == Phase::Idle || m_phase == Phase::Ended)
        return;
    m_state.RunPaused = true;
    if (!m_walking)
        m_phase = Phase::Paused;
}

void RunSession::resume()
{
    m_state.RunPaused = false;
    if (m_phase == Phase::Paused)
        m_phase = Phase::Walking;
}

void RunSession::stop()
{
    if (m_phase == Phase::Idle || m_phase == Phase::Ended)
        return;
    m_state.StopRequested = true;
    endRun(RunEnding::Stopped);
}

void RunSession::complete()
{
    if (m_phase == Phase::Idle || m_phase == Phase::Ended)
        return;
    endRun(RunEnding::Completed);
}

void RunSession::endRun(RunEnding ending)
{
    RunState& s = m_state;
    resetPositions();
    s.RunPaused = false;
    s.RunActive = false;
    s.TableOpen = false;
    closeRunTable();
    m_hit.reset();
    m_phase = Phase::Ended;
    const RunEnded ended {ending, m_counts};
    notify([&](RunObserver& o) { o.runEnded(ended); });
}

} // namespace dorvane
