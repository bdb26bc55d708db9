// Reads a whole table on a database server in pieces of key ranges, so that the driver, which keeps a
// whole result in client memory, never holds more than one piece: "Select * FROM t ORDER BY k LIMIT n",
// then the rows after the last key read, "... WHERE k > ? ORDER BY k LIMIT n", and so on until a piece
// comes back short. The last key is bound as a typed value and compared by the server, so its collation
// and its type's own ordering decide, never a text form on the client. UI thread only.
//
// Each piece is a statement of its own that is over before the next one runs: a save on the same
// connection, whose commit would end an open server-side cursor, meets nothing of the read. Rows written
// meanwhile are seen as they are when their piece is read; a row whose key a save moved ahead of the
// read comes by again (QueryRecordSet skips it), one moved behind is not met again.
//
// Piece sizes: the first piece is small so that the first rows arrive at once; the next grow to about
// PieceBytes of values (as QVariants hold them), within FirstPieceRows and MaxPieceRows. With a condition
// the first piece holds up to FirstChosenPieceRows rows where the columns' declared sizes keep them
// within PieceBytes: each piece of a selective condition costs the server a scan of many rows (and on
// PostgreSQL the start of its parallel workers), while the rows it sends are few.
//
// Reading ahead (PostgreSQL, from the third piece on): while a piece is walked, a worker thread runs the
// next one on a sibling connection, so that the server's time for it and the driver's receiving overlap
// the walk. The next piece's start is not known before the current one's last row is read, so the piece
// read ahead starts at that row as the server finds it by counting (OFFSET), and is taken only when that
// row's key is the key of the row the walk ended on; otherwise, after a save that changes a key or a
// restart, it is dropped and the next piece runs here as without reading ahead. A piece read ahead sees
// what is committed; a save changes only the row on display, in the current piece.
#pragma once

#include "datasource/OdbcStatement.h"
#include "datasource/QueryField.h"
#include "datasource/RowCondition.h"
#include "datasource/StatementParameters.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace dorvane {

class Connection;

class KeyRangeReader
{
public:
    static constexpr int FirstPieceRows = 64;
    static constexpr int FirstChosenPieceRows = 1024;
    static constexpr int MaxPieceRows = 20000;
    static constexpr qint64 PieceBytes = 4 << 20;

    // REQUIRES: key holds the positions in fields of the table's reading key (ReadingKey::find, not
    // empty); fields describe the columns of connection.tableQuery(tableName); the connection stays open
    // while the reader lives. With a condition only the rows it selects are read (it joins the key range
    // with AND; a piece is then full or short by the rows selected).
    KeyRangeReader(Connection& connection, const QString& tableName, const std::vector<QueryField>& fields,
                   std::vector<int> key, std::optional<RowCondition> condition = std::nullopt);
    ~KeyRangeReader();
    KeyRangeReader(const KeyRangeReader&) = delete;
    KeyRangeReader& operator=(const KeyRangeReader&) = delete;

    // Replaces the condition; takes effect at the next restart.
    void setCondition(std::optional<RowCondition> condition) { m_condition = std::move(condition); }

    // Runs the first piece: reading starts again at the table's first row. Throws DataError.
    void restart();
    // Moves to the next row, running the next piece when the last one was full; false at the end of the
    // table. Throws DataError.
    bool fetch();
    // The statement whose current row fetch stands on; its columns are those of the table's query.
    OdbcStatement& statement() { return *m_statement; }
    // Call after each fetched row has been read into fields (the values as read, before any change): the
    // last row of a full piece gives the key the next piece starts after. False: the row was read before
    // (the first row of a piece read ahead); fetch the next one instead.
    bool rememberRow(const std::vector<QueryField>& fields);
    // Call before a save changes the reading key of the current row: a piece read ahead meanwhile might
    // hold the row at its new place or not, and the boundary of the current piece may move; the next
    // piece is then read here. (Other saves change a row of the current piece only, which a piece read
    // ahead does not hold.)
    void keyChanged() { dropAhead(); }

    const std::vector<int>& keyColumns() const { return m_key; }
    int pieceRows() const { return m_pieceRows; }

    // Use only for testing: every piece holds exactly `rows` rows; 0 goes back to the sizes chosen here.
    static void setPieceRowsForTesting(int rows);
    // Use only for testing: reading ahead on every server and from the second piece on, or never;
    // nullopt goes back to the rule here. The hook runs on the worker thread before each piece read ahead.
    static void setReadAheadForTesting(std::optional<bool> readAhead, std::function<void()> beforeEach = {});
    // How many pieces read ahead were taken since the last restart.
    int piecesReadAhead() const { return m_piecesReadAhead; }

private:
    struct BoundValue
    {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLSMALLINT sqlType = SQL_WVARCHAR;
        SQLULEN columnSize = 1;
        SQLSMALLINT digits = 0;
        QString text;
        QByteArray bytes;
        SQLBIGINT integer = 0;
        SQLUBIGINT unsignedInteger = 0;
        SQLPOINTER buffer = nullptr;
        SQLLEN bufferLength = 0;
        SQLLEN indicator = 0;
    };

    using Key = std::deque<BoundValue>;

    // The piece after the current one, run on a sibling connection by a worker thread: its first row is
    // the current piece's last as the server counted it.
    struct AheadPiece
    {
        std::unique_ptr<Connection> sibling;
        Key startKey; // the key the current piece started after; empty: the table's start
        int pieceRows = 0; // rows after that first one
        QStringList conditionTexts;
        std::unique_ptr<StatementParameters> parameters;
        std::unique_ptr<OdbcStatement> statement;
        std::future<void> executed; // last, so that it is waited for before the rest goes
    };

    void runPiece(bool first);
    SQLUSMALLINT bindLastKey(); // answers the number of the next parameter
    int nextPieceRows() const;
    QString pieceQuery(bool first, int rows, int offset = 0) const;
    bool readsAhead() const;
    void startAhead(bool currentIsFirst);
    bool takeAhead(); // false: no piece read ahead can follow the current one
    void dropAhead();
    static void keyOf(const std::vector<QueryField>& fields, const std::vector<int>& key, Key& into);
    static Key copyOf(const Key& key);
    static bool sameKey(const Key& a, const Key& b);
    static SQLUSMALLINT bindKey(OdbcStatement& statement, Key& key, const std::vector<size_t>& placeholders);

    Connection& m_connection;
    QString m_tableQuery;
    std::vector<int> m_key;
    QString m_orderBy;
    QString m_after; // the WHERE condition of the pieces after the first, with one ? per entry of m_placeholders
    std::vector<size_t> m_placeholders; // index into m_lastKey of each ?
    std::deque<BoundValue> m_lastKey;
    std::optional<RowCondition> m_condition;
    std::unique_ptr<StatementParameters> m_conditionParameters;

    std::unique_ptr<OdbcStatement> m_statement;
    QString m_prepared;
    int m_pieceRows = FirstPieceRows;
    int m_firstPieceRows = FirstPieceRows;
    int m_rowsInPiece = 0;
    qint64 m_sampledBytes = 0;
    int m_sampledRows = 0;

    Key m_startKey; // the key the current piece started after; empty for the first piece
    int m_piecesRun = 0;
    std::unique_ptr<AheadPiece> m_ahead;
    std::unique_ptr<Connection> m_aheadSibling; // the sibling of the piece being walked, when read ahead
    std::unique_ptr<Connection> m_spareSibling;
    bool m_checkingStart = false; // the current row is the first of a piece read ahead
    bool m_readAheadFailed = false; // no sibling connection could be opened
    qint64 m_rowBytes = 0; // what a row of the last piece weighed, on average
    int m_piecesReadAhead = 0;
};

} // namespace dorvane
