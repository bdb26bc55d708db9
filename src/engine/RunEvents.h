// What a run session tells its owner: a table begins and ends, a hit is found, a save wrote a field or
// failed, a field or a table could not be read, the run ends with its counts. Plain values; a front end
// keeps what it needs (a window shows them, a report or a change journal records them).
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace dorvane {

// How a save names its row. With a key (the primary key, else the driver's best row identifier) the
// columns and values are those of the key; without one they are every column and its original value,
// which is what the update matched on.
struct RowIdentity
{
    bool byKey = false;
    QStringList columns;
    QVariantList values;
};

// Where in the run something happened: table index into the run's list and its name, 0-based record (-1
// in a table whose candidate rows alone are read, see RunOptions::serverCandidates).
struct RunPosition
{
    int table = 0;
    QString tableName;
    int record = 0;
    int field = 0;
};

struct TableBegun
{
    int table = 0;
    int tableCount = 0;
    QString name;
    // No record count: counting a server table costs a scan of its own before the first row, so an
    // observer that shows one asks RunSession::recordCount.
    // Only the server's candidate rows are read (see RunOptions::serverCandidates).
    bool candidatesOnly = false;
};

struct TableEnded
{
    int table = 0;
    QString name;
    qint64 recordsRead = 0;
};

struct HitFound
{
    RunPosition position;
    QString fieldName;
    int type = 0; // ADO type number
    qint64 definedSize = 0;
    // The row's key where the table has one; empty (byKey false, no columns) otherwise.
    RowIdentity row;
    QVariant stored; // the value as read; null for a database NULL
    QString storedText; // its text as the views show it; a null QString for NULL
    QString proposed; // the proposed new value's text
};

// The outcome of one save, written or not.
struct SaveOutcome
{
    RunPosition position;
    QString fieldName;
    int type = 0;
    // How the update named the row (see RowIdentity); empty when the save failed before it was known.
    RowIdentity row;
    QVariant oldValue; // as it was read
    QVariant newValue; // as it was written (after conversion to the field's type); null for NULL
    bool written = false;
    // Why nothing was written (the data source's or the conversion's description); empty when written.
    QString reason;
};

// A field whose test failed (a value that cannot be matched or read), or a table that cannot be opened
// (field -1). The run goes on after it.
struct RunFault
{
    RunPosition position;
    QString fieldName;
    QString description;
    bool tableFailed() const { return position.field < 0; }
};

enum class RunEnding
{
    Completed, // walked to the end, or the last hit was decided
    Stopped, // the owner stopped it
};

struct RunCounts
{
    int tables = 0; // tables walked (opened)
    qint64 records = 0; // records examined
    qint64 hits = 0;
    qint64 saved = 0;
    qint64 failed = 0; // saves that wrote nothing
    qint64 skipped = 0; // hits left as they were
    qint64 faults = 0; // fields and tables that could not be read or matched

    bool operator==(const RunCounts&) const = default;
};

struct RunEnded
{
    RunEnding ending = RunEnding::Completed;
    RunCounts counts;
};

} // namespace dorvane
