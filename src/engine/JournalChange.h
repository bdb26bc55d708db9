// One change as the change journal records it: where (table, record position, the row's identity as the
// update named it), which field, the value before and after, when, and whether it is known to be in the
// database. Made from a session's save outcome just before the write.
#pragma once

#include "engine/RunEvents.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace dorvane {

class RunSession;

struct JournalChange
{
    enum class State
    {
        // Recorded before the database wrote it: whether it reached the database is not known until the
        // write has been committed. Whoever reads the journal asks the database (undo does).
        Pending,
        Done, // committed to the database
    };

    qint64 id = 0; // order of the changes in the journal, newest highest
    qint64 run = 0;
    QString table;
    int record = -1; // 0-based position in the walk that made it; -1 where unknown
    RowIdentity row; // the columns and values the update named the row by (before the change)
    // For the identity's values that travel as the driver's text (dates, times, decimals, GUIDs): that
    // text as read, which is what a WHERE compares with; empty where the value's own text serves.
    QStringList rowTexts;
    QString field;
    QVariant oldValue;
    QVariant newValue;
    QDateTime time; // UTC
    State state = State::Pending;
};

// The change a save is about to write, with the driver's texts of the identity's values taken from the
// session's record set. Call from RunObserver::aboutToSave.
JournalChange journalChangeOf(const SaveOutcome& outcome, const RunSession& session);

} // namespace dorvane
