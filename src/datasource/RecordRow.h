// One row of an in-memory record set together with its pending-change state, the way a client-side
// ADO record set keeps it between UpdateBatch calls. The state decides how the row is persisted.
#pragma once

#include <QBitArray>
#include <QList>
#include <QVariant>

namespace dorvane {

enum class RowState
{
    Unchanged, // committed; persisted as a plain row
    Inserted, // added since the last UpdateBatch; persisted as an insert record
    Modified, // committed row with pending changes; persisted as original values plus the changes
    Deleted, // committed row deleted since the last UpdateBatch; persisted as a delete record
    Discarded, // added and deleted again before UpdateBatch; never persisted, never visible
};

struct RecordRow
{
    RowState state = RowState::Unchanged;
    QList<QVariant> values; // current values; a null QVariant is NULL
    // Modified and Deleted rows: the values at the last commit.
    QList<QVariant> original;
    // Modified rows: the columns changed since the last commit. Inserted rows: the columns that were set;
    // an unset column is persisted with neither a value nor the force-null mark.
    QBitArray touched;

    bool isVisible() const { return state != RowState::Deleted && state != RowState::Discarded; }
    const QList<QVariant>& committedValues() const { return original.isEmpty() ? values : original; }
};

} // namespace dorvane
