#include "cli/RunRecorder.h"

#include "core/DataError.h"
#include "datasource/FieldInputConversion.h"

namespace dorvane {

namespace {

RowIdentity keyOf(const RowIdentity& row)
{
    return row.byKey ? row : RowIdentity();
}

} // namespace

RunRecorder::RunRecorder(Mode mode, EntryQueue& entries) : m_mode(mode), m_entries(entries) { }

void RunRecorder::hitFound(const HitFound& hit)
{
    if (m_mode == Mode::Replace) {
        m_hit = hit;
        return;
    }
    ReportEntry entry;
    entry.table = hit.position.tableName;
    entry.record = hit.position.record;
    entry.field = hit.fieldName;
    entry.key = keyOf(hit.row);
    entry.before = hit.stored;
    if (m_mode == Mode::Search) {
        entry.after = hit.stored; // a search proposes nothing
        entry.status = QStringLiteral("found");
        m_entries.add(entry);
        return;
    }
    entry.status = QStringLiteral("dry-run");
    // What the save would write: the proposed text in the field's type, as the save converts it.
    try {
        entry.after = convertFieldInput(hit.fieldName, hit.type, hit.proposed);
    } catch (const DataError& error) {
        entry.after = hit.proposed;
        entry.reason = error.description();
    }
    m_entries.add(entry);
}

void RunRecorder::fieldSaved(const SaveOutcome& outcome)
{
    if (m_mode != Mode::Replace)
        return;
    ReportEntry entry;
    entry.table = outcome.position.tableName;
    entry.record = outcome.position.record;
    entry.field = outcome.fieldName;
    if (m_hit && m_hit->position.table == outcome.position.table && m_hit->position.record == outcome.position.record)
        entry.key = keyOf(m_hit->row);
    entry.before = outcome.oldValue;
    if (outcome.written) {
        entry.after = outcome.newValue;
        entry.status = QStringLiteral("saved");
        m_entries.addAwaitingCommit(entry);
    } else {
        entry.after = m_hit ? QVariant(m_hit->proposed) : QVariant();
        entry.status = QStringLiteral("failed");
        entry.reason = outcome.reason;
        m_entries.add(entry);
    }
    m_hit.reset();
}

} // namespace dorvane
