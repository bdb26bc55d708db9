// The connection to one data source over ODBC, in the role of ADO's Connection: the data-source state
// holds one at a time, the run and the structure viewer open their record sets on it. UI thread only.
//
// Open calls SQLDriverConnect. The "Prompt" property is kept for the callers' sake, but this platform
// has no parent window for a driver's dialog, so every open runs without prompting
// (SQL_DRIVER_NOPROMPT): a string that lacks a required value fails with the driver's own message.
//
// SQLite: before the first connect Open adds "StepAPI=1" (the driver otherwise reads a whole result into
// memory), "Timeout=5000" (it otherwise waits 100 s for another program's lock, already while it
// connects) and "NoCreat=1" (it otherwise creates an empty database for a mistyped name), each only when
// the string (or the DSN behind it) leaves the option unset; an explicit value such as "NoCreat=0" is
// respected. It then makes sure the file is a readable database (see SqliteSource), since the driver
// opens it lazily. The driver is known beforehand from the driver manager's configuration (see
// ConnectionTarget); the completed connection string carries the options.
//
// A file-based driver that fails to connect without a diagnostic (MDB Tools) gets a message naming the
// file. MDB Tools delivers text as UTF-8, so record sets read it through SQL_C_CHAR (deliversUtf8Text).
//
// MariaDB and MySQL: their drivers count the rows an UPDATE changed rather than those it matched, which
// breaks the one-row check of an update that writes the stored value again; Open therefore sets option
// bit 2 (FOUND_ROWS) in "OPTION=" when it is not set, keeping the other bits.
//
// PostgreSQL, MariaDB and MySQL: their drivers keep a whole result in client memory before handing over
// its first row; tableReading tells record sets to read a table in pieces of key ranges instead (see
// QueryRecordSet). The drivers' own ways are left off: psqlODBC's UseDeclareFetch keeps its cursor in
// the connection's transaction, so the rollback of a refused save ends the read (the next fetch fails
// with a function sequence error); MariaDB's streamed results (Connector/ODBC 3.1.17 and later, NO_CACHE)
// let no other statement run, a save included, before the whole result has been read.
//
// OpenSchema lists the tables of the current database only on MariaDB and MySQL, whose drivers list every
// database's otherwise (only those of the current one open by their bare name), and reports "BASE TABLE"
// as "TABLE".
#pragma once

#include "datasource/ConnectionConstants.h"
#include "datasource/ConnectionProperty.h"
#include "datasource/ContainmentSql.h"
#include "datasource/IdentifierQuoting.h"
#include "datasource/OdbcHandle.h"
#include "datasource/SchemaRecordSet.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <memory>
#include <vector>

namespace dorvane {

class QueryRecordSet;

class Connection
{
public:
    // Position of the data source name in Properties: the DSN, else the database or file name.
    static constexpr int DataSourceNameProperty = 9;

    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Before Open: the string to open. After a successful Open: the driver's completed string, with the
    // input's DRIVER=/DSN=/FILEDSN= entry put back when the driver's string drops it, so that the
    // completed string reopens the same source.
    const QString& ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString& connectionString) { m_connectionString = connectionString; }

    // ado::ConnectPrompt; see the header comment for what it changes on this platform (nothing).
    int Prompt() const { return m_prompt; }
    void setPrompt(int prompt) { m_prompt = prompt; }

    // Seconds that Open waits for the server to let the program in (ADO's ConnectionTimeout, 15 by
    // default); 0 waits as long as the driver does. Drivers that know no login time-out ignore it, and
    // MariaDB's bounds the TCP connection only, not the server's greeting.
    int ConnectionTimeout() const { return m_connectionTimeout; }
    void setConnectionTimeout(int seconds) { m_connectionTimeout = std::max(0, seconds); }

    // Opens ConnectionString; an open connection is closed first. Throws DataError with the driver
    // manager's or driver's source and description; the connection then stays closed and
    // ConnectionString keeps the input.
    void Open();
    // ado::adStateOpen (1) or ado::adStateClosed (0).
    int State() const { return m_handle ? ado::adStateOpen : ado::adStateClosed; }
    // Closes the record sets still open on this connection, then disconnects. Harmless when closed.
    void Close();

    // Facts about the open source by position: 0 Driver Name, 1 Driver Version, 2 Driver ODBC Version,
    // 3 DBMS Name, 4 DBMS Version, 5 Server Name, 6 User Name, 7 Current Catalog, 8 Read-Only Data Source,
    // 9 Data Source Name, 10 Identifier Quote Character, 11 Extended Properties (the completed string).
    // A closed connection answers the same names with empty values.
    QList<ConnectionProperty> Properties() const;

    // Only ado::adSchemaTables is known; see SchemaRecordSet for its columns. Throws DataError when the
    // connection is closed, the schema is unknown or the driver fails.
    SchemaRecordSet OpenSchema(int schema = ado::adSchemaTables);

    // "Select * FROM [" + name + "] " in the quoting of this source (see IdentifierQuoting).
    QString tableQuery(const QString& tableName) const { return m_quoting.tableQuery(tableName); }
    QString quoteIdentifier(const QString& name) const { return m_quoting.quote(name); }
    const IdentifierQuoting& quoting() const { return m_quoting; }

    // Runs one statement; returns the rows it changed, or -1 when the driver cannot tell or the statement
    // has a result (whose first row is fetched so that the statement surely runs, and then dropped).
    qint64 Execute(const QString& sql);

    // The driver's DBMS name (SQL_DBMS_NAME), e.g. "SQLite".
    const QString& dbmsName() const { return m_dbmsName; }

    // How a record set makes sure that its UPDATE changes exactly one row or nothing.
    enum class RowUpdateGuard
    {
        Savepoint, // SQLite: SAVEPOINT/ROLLBACK TO, which keep the reading cursor alive; switching to
                   // manual commit would end the driver's open statement
        Transaction, // manual-commit mode around the statement
        CountFirst, // no transactions at all: count the matching rows first, update only when it is one
    };
    // While a WriteBatch is open on a source with transactions, every row update is guarded by a savepoint
    // inside the batch's transaction, so that it neither commits the batch nor loses it on a mismatch.
    RowUpdateGuard rowUpdateGuard() const
    {
        return m_writeBatchOpen && m_rowUpdateGuard == RowUpdateGuard::Transaction ? RowUpdateGuard::Savepoint
                                                                                   : m_rowUpdateGuard;
    }
    // True while a WriteBatch holds the connection's writes in one transaction.
    bool isInWriteBatch() const { return m_writeBatchOpen; }

    // How record sets read a table opened with QueryRecordSet::OpenTable.
    enum class TableReading
    {
        WholeResult, // one result: SQLite's driver streams it (StepAPI); drivers we know nothing of
        PostgreSqlKeyRanges, // pieces in key order, compared as row values: (k1, k2) > (?, ?)
        MySqlKeyRanges, // pieces in key order, compared column by column: k1 > ? OR (k1 = ? AND k2 > ?),
                        // since the MySQL family's planner scans a whole index for a row-value comparison
    };
    TableReading tableReading() const { return m_tableReading; }

    // The server family whose SQL a condition of the program's own may use (see ContainmentSql); Other
    // for every driver that is not PostgreSQL's or the MySQL family's.
    SqlDialect sqlDialect() const { return m_sqlDialect; }

    // True for the Unicode drivers of PostgreSQL, MariaDB and MySQL: their text columns count as wide
    // types (see odbctypes::wideCharacterType).
    bool reportsWideText() const { return m_reportsWideText; }

    // True when text columns are best read as UTF-8 through SQL_C_CHAR: MariaDB's driver copies the
    // server's UTF-8 as it is but converts to UTF-16 slowly (about five times the time), so on a MariaDB
    // or MySQL connection whose results come in utf8/utf8mb4 the record sets read text that way; SQLite's
    // driver likewise hands its UTF-8 over as stored, and MDB Tools, an ANSI driver, hands over UTF-8
    // that the driver manager would widen by the locale.
    bool deliversUtf8Text() const { return m_utf8Text; }

    // True when text parameters must be bound as UTF-8 (see StatementParameters): on a MariaDB or MySQL
    // connection whose client character set is utf8/utf8mb4, where the driver's UTF-16 path corrupts
    // some characters. Other character sets keep the driver's own conversion.
    bool bindsUtf8Text() const { return m_utf8Parameters; }

    // True on SQLite, whose driver hands every REAL over as SQLite's text of it, rounded to 15 significant
    // digits, even as SQL_C_DOUBLE: a record set reads such columns as that text (QueryField::storedText),
    // so that an UPDATE's WHERE can match the stored value as CAST(column AS TEXT), the very same text.
    bool roundsRealsToText() const { return m_realsAsText; }

    // True on SQLite, where every integer column holds 64-bit integers whatever its declared type: a
    // record set reads them whole and takes new values in that range, instead of cutting 5000000000 to
    // the 32 bits of an "INTEGER" (which would also name the wrong row in an UPDATE's WHERE).
    bool storesWideIntegers() const { return m_realsAsText; }

    // For record sets: the connection handle; throws DataError when the connection is closed.
    SQLHDBC handle() const;

    // A second connection to the same source, for reading the next piece of a table while the current
    // one is walked: one given back before, else one opened now with the completed connection string. It
    // sees only what is committed. Throws DataError when it cannot be opened.
    std::unique_ptr<Connection> takeReadingSibling();
    // Keeps sibling for the next takeReadingSibling; all are closed with this connection.
    void giveBackReadingSibling(std::unique_ptr<Connection> sibling);

    // The connection string as opened and as the driver completed it: the driver's string, with the
    // input's source entry put back in front when the driver's string has no non-empty
    // DRIVER=/DSN=/FILEDSN= entry (empty ones are dropped). An empty driver string gives the input.
    static QString completeConnectionString(const QString& input, const QString& driverOutput);

private:
    friend class QueryRecordSet;
    friend class WriteBatch;
    void attach(QueryRecordSet* recordSet);
    void detach(QueryRecordSet* recordSet);

    QString infoText(SQLUSMALLINT infoType) const;
    void readSourceFacts(const QString& completed);

    QString m_connectionString;
    int m_connectionTimeout = 15;
    int m_prompt = ado::adPromptNever;
    OdbcHandle m_handle;
    QString m_dbmsName;
    IdentifierQuoting m_quoting;
    RowUpdateGuard m_rowUpdateGuard = RowUpdateGuard::Transaction;
    TableReading m_tableReading = TableReading::WholeResult;
    SqlDialect m_sqlDialect = SqlDialect::Other;
    bool m_reportsWideText = false;
    bool m_utf8Text = false;
    bool m_writeBatchOpen = false; // set by WriteBatch
    bool m_utf8Parameters = false;
    bool m_realsAsText = false;
    bool m_catalogIsDatabase = false; // MySQL family: a catalog is a database, and the driver lists them all
    QList<ConnectionProperty> m_properties;
    std::vector<QueryRecordSet*> m_recordSets;
    std::vector<std::unique_ptr<Connection>> m_readingSiblings;
};

} // namespace dorvane
