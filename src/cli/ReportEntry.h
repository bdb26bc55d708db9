// One line of a report: a hit (or, for undo, a journaled change) with where it is, the value before and
// after, and what became of it; and the run the report is of.
#pragma once

#include "engine/RunEvents.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVariant>

namespace dorvane {

struct ReportEntry
{
    QString table;
    int record = -1; // 0-based position in the walk; -1 where unknown
    QString field;
    RowIdentity key; // the row's key columns and values where the table has a key; empty otherwise
    QVariant before;
    QVariant after;
    QString status; // found, saved, dry-run, failed, conflict, not-applied
    QString reason; // why it failed or was left alone; empty otherwise
};

struct ReportRun
{
    QString command;
    QString source; // without passwords
    QJsonObject options;
    QDateTime started;
    QDateTime ended;
    RunCounts counts;
    qint64 conflicts = 0;
    QString journal; // the journal the run was recorded in, if any
    qint64 journalRun = 0; // and its id there
};

} // namespace dorvane
