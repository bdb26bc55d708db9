// A record set over one query on an open connection, in the role of ADO's Recordset opened on an SQL
// text: forward-only reading, an exact RecordCount, fields by position and by name, and Update of the
// current row. UI thread only.
//
// REQUIRES: the connection stays alive while the record set is open; Connection::Close (and its
// destructor) closes every record set still open on it, after which they report "closed".
//
// Reading: an open record set stands on its first row (IsEOF when there is none). Moving onto a row
// reads all of its fields at once, in column order, through buffers that are reused from row to row, so
// a field's Value is a plain lookup. Nothing but the current row is held in memory (on SQLite together
// with the StepAPI option that Connection sets), and moving never writes: changes that Update has not
// saved are dropped by MoveNext, MoveFirst and Close.
//
// Tables on PostgreSQL and MariaDB/MySQL, whose drivers would hold a whole result in memory, are read in
// pieces in the order of their key (KeyRangeReader, with the key of ReadingKey), so memory stays flat and
// the first rows come at once; a table without such a key is read in one result as on any other source.
// Either way the rows, RecordCount and Update are the same to the caller; only the order of the rows is
// the key's rather than the server's storage order.
//
// Updating a record set opened with OpenTable: see Update. Record sets opened on an SQL text with Open
// are read-only.
#pragma once

#include "datasource/QueryField.h"
#include "datasource/RowCondition.h"

#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sqltypes.h>

namespace dorvane {

class Connection;
class KeyRangeReader;
class OdbcStatement;
class StatementParameters;

// Chooses the rows of a table to read once its fields are known, before its query runs: a condition, or
// nothing for every row.
using RowChooser = std::function<std::optional<RowCondition>(const Connection&, const std::vector<QueryField>&)>;

class QueryRecordSet
{
public:
    QueryRecordSet();
    ~QueryRecordSet();
    QueryRecordSet(const QueryRecordSet&) = delete;
    QueryRecordSet& operator=(const QueryRecordSet&) = delete;

    // Opens the whole table with connection.tableQuery(tableName) ("Select * FROM [name] "). The record
    // set can Update. An open record set is closed first. Throws DataError (the driver's message when the
    // table cannot be opened); the record set then stays closed.
    void OpenTable(Connection& connection, const QString& tableName);
    // Opens the table as OpenTable does but reads only the rows that the chooser's condition selects, in
    // the same order (in pieces where the table is read in pieces). Update works as after OpenTable;
    // RecordCount still counts the whole table. A condition the server refuses is dropped and the table
    // is read whole: readsChosenRowsOnly() tells which happened once the query runs.
    void OpenTable(Connection& connection, const QString& tableName, const RowChooser& chooser);
    // Opens any SQL text that returns rows. Read-only; RecordCount counts through a subquery and is -1
    // when the source cannot count that way.
    void Open(Connection& connection, const QString& sqlText);
    // Learns the fields of a table without running its query: names, types and sizes are there and
    // IsEOF is true. MoveFirst runs the query, after which the record set reads like OpenTable's.
    void OpenStructure(Connection& connection, const QString& tableName);
    void Close();

    // ado::adStateOpen (1) or ado::adStateClosed (0).
    int State() const;
    // The SQL text the record set runs.
    const QString& Source() const { return m_source; }
    // The table of OpenTable and OpenStructure; empty for an SQL text.
    const QString& tableName() const { return m_tableName; }
    // True once the query runs and reads the table in key-range pieces (see the header comment).
    bool readsInPieces() const { return m_pieces != nullptr; }
    // Pieces that came from a sibling connection, read while the one before was walked (see KeyRangeReader).
    int piecesReadAhead() const;
    // True while the rows read are those of a chooser's condition only (see OpenTable).
    bool readsChosenRowsOnly() const { return m_condition.has_value(); }

    // EOF is a macro of the C library, hence the name. A closed record set is at its end.
    bool IsEOF() const { return m_eof; }
    // Goes back to the first row by running the query again (the cursor reads forward only); on the
    // first row already, it stays. Throws DataError when closed.
    void MoveFirst();
    // Throws DataError when closed or already at the end: reading past the end is an error, not a crash.
    void MoveNext();
    // The exact number of rows, counted with SELECT COUNT(*) on the same table the first time it is asked
    // (and again after MoveFirst reran the query). Throws DataError when closed or when counting fails.
    int RecordCount();

    int FieldCount() const { return int(m_fields.size()); }
    // Throw DataError for a position or name that is not there; names compare without regard to case.
    QueryField& Fields(int index);
    const QueryField& Fields(int index) const;
    QueryField& Fields(const QString& name);
    const QueryField& Fields(const QString& name) const;

    // Writes the fields changed with setValue into the current row with one parameterised UPDATE of those
    // fields. Its WHERE names the row by its primary key (SQLPrimaryKeys), else by the driver's best row
    // identifier (SQLSpecialColumns, when those columns are in the result), else by all original values,
    // and always also by the original value of every changed field (NULL compared with IS NULL). The
    // statement must change exactly one row: when none matches (the row was changed or deleted meanwhile)
    // or several do (a table without key holding duplicate rows) it is undone and DataError explains why;
    // no other row is ever written. See Connection::RowUpdateGuard for how it is undone.
    // A row whose key was changed may move ahead of the cursor in the table's order (SQLite keeps a table
    // in the order of its INTEGER PRIMARY KEY; a table read in pieces is read in the order of its key);
    // the record set skips it when it comes by again, so each row is still read once and RecordCount rows
    // are read.
    // A field given back the very value it was read with is not written (a driver that rounds what it
    // reads would otherwise change the stored value); when no other field changed, the row is only
    // checked to be there, once, with its former values, and the same errors apply.
    // After success the fields hold the new values as their unchanged values. After a failure the
    // changes are dropped and the fields show the row as it was read. Nothing changed: does nothing.
    void Update();
    // Drops the changes not yet written.
    void CancelUpdate();

    // The positions of the columns that name a row of the table for Update (its primary key, else the
    // driver's best row identifier); empty when the row is named by all of its values or the record set
    // was opened on an SQL text. Asked of the driver once per opening.
    const std::vector<int>& rowIdentityColumns();

private:
    friend class Connection;

    void open(Connection& connection, const QString& source, const QString& tableName, bool runQuery,
              const RowChooser* chooser = nullptr);
    void executeWhole();
    void describeColumns();
    void execute();
    void fetchRow();
    void readField(QueryField& field, SQLUSMALLINT column);
    void showNoRow();
    void requireOpen() const;
    const QueryField& fieldAt(int index) const;
    const QueryField& fieldNamed(const QString& name) const;
    void chooseReading();
    bool fetchFromResult();
    const std::vector<int>& movedRowColumns() const;
    QString rowKey() const;

    Connection* m_connection = nullptr;
    std::unique_ptr<OdbcStatement> m_statement; // the query as prepared; it runs unless the table is read in pieces
    std::unique_ptr<KeyRangeReader> m_pieces;
    std::optional<RowCondition> m_condition; // the rows read, when not all of them
    std::unique_ptr<StatementParameters> m_conditionParameters; // bound to m_statement while it runs
    bool m_readingChosen = false;
    OdbcStatement* m_reading = nullptr; // the statement whose rows are being read
    QString m_source;
    QString m_tableName;
    std::vector<QueryField> m_fields;
    bool m_executed = false;
    bool m_eof = true;
    qint64 m_position = -1;
    std::optional<int> m_recordCount;
    std::optional<std::vector<int>> m_rowIdentity; // columns that name a row; empty: all of them
    QSet<QString> m_movedRows; // keys of rows this record set moved ahead by changing their key
    std::vector<SQLWCHAR> m_textBuffer;
    std::vector<char> m_binaryBuffer;
    std::vector<char> m_utf8Buffer;
    bool m_utf8Text = false; // the connection delivers text fastest as UTF-8
    bool m_realsAsText = false; // doubles are read as the driver's text (Connection::roundsRealsToText)
};

} // namespace dorvane
