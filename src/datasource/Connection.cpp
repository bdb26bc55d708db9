#include "datasource/Connection.h"

#include "core/DataError.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/ConnectionTarget.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcEnvironment.h"
#include "datasource/OdbcStatement.h"
#include "datasource/OdbcText.h"
#include "datasource/QueryRecordSet.h"
#include "datasource/SqliteSource.h"

#include <QFileInfo>

#include <algorithm>

#include <sqlext.h>

namespace dorvane {

namespace {

const char* const PropertyNames[] = {
    "Driver Name",
    "Driver Version",
    "Driver ODBC Version",
    "DBMS Name",
    "DBMS Version",
    "Server Name",
    "User Name",
    "Current Catalog",
    "Read-Only Data Source",
    "Data Source Name",
    "Identifier Quote Character",
    "Extended Properties",
};
static_assert(std::size(PropertyNames) > Connection::DataSourceNameProperty);

const char* const SourceKeys[] = {"DRIVER", "DSN", "FILEDSN"};

const QString ConnectionSource = QStringLiteral("Dorvane.Connection");

bool isSourceKey(const QString& key)
{
    return std::any_of(std::begin(SourceKeys), std::end(SourceKeys), [&](const char* source) {
        return key.compare(QLatin1String(source), Qt::CaseInsensitive) == 0;
    });
}

// Connects without prompting and returns the driver's completed string ("" when it did not fit).
// A file-based driver that fails without a word (MDB Tools only prints to the terminal) gets our own
// message, naming the file.
QString driverConnect(SQLHDBC dbc, const QString& connectionString, const ConnectionTarget& target)
{
    QByteArray input = odbctext::encode(connectionString);
    QByteArray output(8192, '\0');
    SQLSMALLINT outputLength = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, odbctext::sqlChars(input), SQL_NTS, odbctext::sqlChars(output),
                                          SQLSMALLINT(output.size()), &outputLength, SQL_DRIVER_NOPROMPT);
    if (!odbcSucceeded(rc) && target.isFileBased() && odbcDiagnostics(SQL_HANDLE_DBC, dbc).isEmpty()) {
        const QString file = target.databaseFile();
        if (!file.isEmpty() && !QFileInfo::exists(file))
            throw DataError(ConnectionSource, QStringLiteral("The database file \"%1\" does not exist.").arg(file));
        throw DataError(ConnectionSource,
                        QStringLiteral("The driver could not open \"%1\" and gave no reason: the file may not be a "
                                       "database that this driver reads.")
                            .arg(file));
    }
    checkOdbc(rc, SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
    if (outputLength <= 0 || outputLength >= output.size())
        return QString();
    return odbctext::decode(odbctext::sqlChars(output), outputLength);
}

void setLoginTimeout(SQLHDBC dbc, int seconds)
{
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(seconds)), 0);
}

QString infoTextOf(SQLHDBC dbc, SQLUSMALLINT infoType)
{
    QByteArray buffer(1024, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetInfo(dbc, infoType, buffer.data(), SQLSMALLINT(buffer.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= buffer.size()) {
        buffer.resize(length + 1);
        rc = SQLGetInfo(dbc, infoType, buffer.data(), SQLSMALLINT(buffer.size()), &length);
    }
    if (!odbcSucceeded(rc) || length <= 0)
        return QString();
    // Some drivers (MDB Tools) count the terminating zero in the length.
    const qsizetype size = qMin<qsizetype>(length, buffer.size() - 1);
    return odbctext::decode(odbctext::sqlChars(buffer), qsizetype(qstrnlen(buffer.constData(), size_t(size))));
}

bool isSqliteDriver(const QString& driverName)
{
    return driverName.contains(QLatin1String("sqlite3odbc"), Qt::CaseInsensitive);
}

// MDB Tools answers SQL_DRIVER_NAME with nothing; its DBMS name says who it is.
bool isMdbToolsDriver(const QString& driverName, const QString& dbmsName)
{
    return driverName.contains(QLatin1String("mdbodbc"), Qt::CaseInsensitive)
        || dbmsName.compare(QLatin1String("MDBTools"), Qt::CaseInsensitive) == 0;
}

bool isMySqlFamilyDriver(const QString& driverName)
{
    return driverName.contains(QLatin1String("maodbc"), Qt::CaseInsensitive)
        || driverName.contains(QLatin1String("myodbc"), Qt::CaseInsensitive);
}

bool isPostgreSqlDriver(const QString& driverName)
{
    return driverName.section(QLatin1Char('/'), -1).startsWith(QLatin1String("psqlodbc"), Qt::CaseInsensitive);
}

// psqlODBC's and MySQL's Unicode builds end in "w"; MariaDB's driver is built for Unicode only.
bool isUnicodeServerDriver(const QString& driverName)
{
    const QString library = driverName.section(QLatin1Char('/'), -1).toLower();
    return library.startsWith(QLatin1String("psqlodbcw")) || library.startsWith(QLatin1String("libmaodbc"))
        || (library.contains(QLatin1String("myodbc"))
            && library.section(QLatin1Char('.'), 0, 0).endsWith(QLatin1Char('w')));
}

QString withEntry(const QString& connectionString, const QString& entry)
{
    QString result = connectionString.trimmed();
    if (!result.isEmpty() && !result.endsWith(QLatin1Char(';')))
        result += QLatin1Char(';');
    return result + entry;
}

// MariaDB's and MySQL's drivers report the rows an UPDATE changed, not the rows it matched, unless option
// bit 2 (FOUND_ROWS) is set: saving a value equal to the stored one would then count as "no row matched"
// and be refused as changed meanwhile. Returns the string to open instead, or "" when the bit is there.
QString withFoundRows(const QString& opened, const QString& driverOutput)
{
    const ConnectionStringEntries given = ConnectionStringEntries::parse(opened);
    const ConnectionStringEntries completed = ConnectionStringEntries::parse(driverOutput);
    QString optionKey = QStringLiteral("OPTION");
    QString optionText;
    for (const ConnectionStringEntries* entries : {&given, &completed}) {
        for (const char* key : {"OPTION", "OPTIONS"}) {
            if (optionText.isEmpty() && !entries->value(QLatin1String(key)).trimmed().isEmpty()) {
                optionText = entries->value(QLatin1String(key)).trimmed();
                optionKey = QLatin1String(key);
            }
        }
    }
    bool ok = true;
    const qulonglong options = optionText.isEmpty() ? 0 : optionText.toULongLong(&ok, 0);
    if (!ok || (options & 2u) != 0)
        return QString();
    ConnectionStringEntries changed = given;
    if (changed.contains(optionKey))
        changed.set(optionKey, QString::number(options | 2u));
    else
        return withEntry(opened, optionKey + QLatin1Char('=') + QString::number(options | 2u));
    return changed.toString();
}

} // namespace

Connection::~Connection()
{
    Close();
}

QString Connection::completeConnectionString(const QString& input, const QString& driverOutput)
{
    if (driverOutput.trimmed().isEmpty())
        return input;
    ConnectionStringEntries completed = ConnectionStringEntries::parse(driverOutput);
    for (const ConnectionStringEntries::Entry& entry : completed.entries()) {
        if (isSourceKey(entry.key) && !entry.value.trimmed().isEmpty())
            return driverOutput;
    }
    for (const char* key : SourceKeys)
        completed.removeAll(QLatin1String(key));
    const ConnectionStringEntries given = ConnectionStringEntries::parse(input);
    for (const ConnectionStringEntries::Entry& entry : given.entries()) {
        if (isSourceKey(entry.key) && !entry.value.trimmed().isEmpty()) {
            completed.prepend(entry);
            break;
        }
    }
    return completed.toString();
}

void Connection::Open()
{
    Close();
    QString opened = m_connectionString;
    const ConnectionTarget target = ConnectionTarget::resolve(opened);
    if (target.isSqlite()) {
        opened = sqlitesource::withDefaults(opened, [&](const QString& key) { return target.setting(key); });
        sqlitesource::requireReadableDatabase(opened);
    }
    OdbcHandle dbc = OdbcHandle::allocate(SQL_HANDLE_DBC, OdbcEnvironment::handle());
    // A server that takes the connection and then says nothing would otherwise keep the program waiting
    // for good. A driver without login time-outs refuses the attribute and connects as before.
    setLoginTimeout(dbc.get(), m_connectionTimeout);
    QString driverOutput;
    try {
        driverOutput = driverConnect(dbc.get(), opened, target);
    } catch (const DataError& error) {
        // psqlODBC refuses a second wait beside the source's own (libpq's connect_timeout in pqopt, which
        // may also come from a DSN): the source's stands.
        if (m_connectionTimeout == 0 || !error.description().contains(QLatin1String("connect_timeout")))
            throw;
        setLoginTimeout(dbc.get(), 0);
        driverOutput = driverConnect(dbc.get(), opened, target);
    }
    const QString driverName = infoTextOf(dbc.get(), SQL_DRIVER_NAME);
    QString reopen;
    if (isSqliteDriver(driverName) && !target.isSqlite()) {
        // The configuration did not tell which driver this is; its completed string holds every option
        // the source sets (the DSN's included), and a source that leaves them unset gets ours now.
        const ConnectionStringEntries completed
            = ConnectionStringEntries::parse(driverOutput.isEmpty() ? opened : driverOutput);
        const QString withOptions
            = sqlitesource::withDefaults(opened, [&](const QString& key) { return completed.value(key); });
        if (withOptions != opened)
            reopen = withOptions;
    } else if (isMySqlFamilyDriver(driverName)) {
        reopen = withFoundRows(opened, driverOutput);
    }
    if (!reopen.isEmpty()) {
        SQLDisconnect(dbc.get());
        opened = reopen;
        driverOutput = driverConnect(dbc.get(), opened, target);
    }
    m_handle = std::move(dbc);
    const QString completed = completeConnectionString(opened, driverOutput);
    readSourceFacts(completed);
    m_connectionString = completed;
}

std::unique_ptr<Connection> Connection::takeReadingSibling()
{
    handle(); // throws when this one is closed
    if (!m_readingSiblings.empty()) {
        std::unique_ptr<Connection> sibling = std::move(m_readingSiblings.back());
        m_readingSiblings.pop_back();
        return sibling;
    }
    auto sibling = std::make_unique<Connection>();
    sibling->setConnectionString(m_connectionString);
    sibling->setConnectionTimeout(m_connectionTimeout);
    sibling->Open();
    return sibling;
}

void Connection::giveBackReadingSibling(std::unique_ptr<Connection> sibling)
{
    if (sibling && m_handle)
        m_readingSiblings.push_back(std::move(sibling));
}

void Connection::Close()
{
    // Record sets go first: the driver manager frees their statements with the connection, and a record
    // set must not free a handle that no longer exists.
    const std::vector<QueryRecordSet*> recordSets = m_recordSets;
    for (QueryRecordSet* recordSet : recordSets)
        recordSet->Close();
    m_recordSets.clear();
    m_readingSiblings.clear();
    if (m_handle) {
        if (!odbcSucceeded(SQLDisconnect(m_handle.get()))) {
            // An open transaction blocks the disconnect; nothing of ours is pending, so roll it back.
            SQLEndTran(SQL_HANDLE_DBC, m_handle.get(), SQL_ROLLBACK);
            SQLDisconnect(m_handle.get());
        }
        m_handle.reset();
    }
    m_properties.clear();
}

QString Connection::infoText(SQLUSMALLINT infoType) const
{
    return m_handle ? infoTextOf(m_handle.get(), infoType) : QString();
}

void Connection::readSourceFacts(const QString& completed)
{
    m_dbmsName = infoText(SQL_DBMS_NAME);
    const QString driverName = infoText(SQL_DRIVER_NAME);
    const QString quoteCharacter = infoText(SQL_IDENTIFIER_QUOTE_CHAR);
    m_quoting = IdentifierQuoting::forDataSource(m_dbmsName, driverName, quoteCharacter);
    m_catalogIsDatabase = isMySqlFamilyDriver(driverName);
    m_tableReading = isPostgreSqlDriver(driverName) ? TableReading::PostgreSqlKeyRanges
        : m_catalogIsDatabase                       ? TableReading::MySqlKeyRanges
                                                    : TableReading::WholeResult;
    m_sqlDialect = isPostgreSqlDriver(driverName) ? SqlDialect::PostgreSql
        : m_catalogIsDatabase                     ? SqlDialect::MySql
                                                  : SqlDialect::Other;
    m_reportsWideText = isUnicodeServerDriver(driverName);
    m_utf8Text = false;
    m_utf8Parameters = false;
    if (m_catalogIsDatabase) {
        try {
            OdbcStatement charset(m_handle.get());
            charset.executeDirect(QStringLiteral("SELECT @@character_set_results, @@character_set_client"));
            std::vector<SQLWCHAR> buffer(64);
            const auto isUtf8 = [](const std::optional<QString>& name) {
                return name && name->startsWith(QLatin1String("utf8"), Qt::CaseInsensitive);
            };
            if (charset.fetch()) {
                m_utf8Text = isUtf8(charset.text(1, buffer));
                m_utf8Parameters = isUtf8(charset.text(2, buffer));
            }
        } catch (const DataError&) {
        }
    } else if (isMdbToolsDriver(driverName, m_dbmsName)) {
        // An ANSI driver whose text comes as UTF-8 (converted by the driver from the file's UTF-16): the
        // driver manager would widen those bytes by the process locale, which garbles them in "C".
        m_utf8Text = true;
    }

    SQLUSMALLINT transactions = SQL_TC_NONE;
    if (!odbcSucceeded(SQLGetInfo(m_handle.get(), SQL_TXN_CAPABLE, &transactions, sizeof transactions, nullptr)))
        transactions = SQL_TC_NONE;
    const bool sqlite
        = isSqliteDriver(driverName) || m_dbmsName.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
    // SQLite keeps text as UTF-8; its driver hands SQL_C_CHAR over as stored, where SQL_C_WCHAR costs it an
    // allocation and a conversion per value (a third of a run's time).
    if (sqlite)
        m_utf8Text = true;
    m_realsAsText = sqlite;
    if (sqlite)
        m_rowUpdateGuard = RowUpdateGuard::Savepoint;
    else if (transactions != SQL_TC_NONE)
        m_rowUpdateGuard = RowUpdateGuard::Transaction;
    else
        m_rowUpdateGuard = RowUpdateGuard::CountFirst;

    const ConnectionStringEntries entries = ConnectionStringEntries::parse(completed);
    QString sourceName = entries.value(QStringLiteral("DSN"));
    if (sourceName.isEmpty())
        sourceName = infoText(SQL_DATA_SOURCE_NAME);
    for (const char* key : {"DBQ", "Database", "DefaultDir"}) {
        if (sourceName.isEmpty())
            sourceName = entries.value(QLatin1String(key));
    }
    if (sourceName.isEmpty())
        sourceName = infoText(SQL_DATABASE_NAME);

    const QString values[] = {
        driverName,
        infoText(SQL_DRIVER_VER),
        infoText(SQL_DRIVER_ODBC_VER),
        m_dbmsName,
        infoText(SQL_DBMS_VER),
        infoText(SQL_SERVER_NAME),
        infoText(SQL_USER_NAME),
        infoText(SQL_DATABASE_NAME),
        infoText(SQL_DATA_SOURCE_READ_ONLY),
        sourceName,
        quoteCharacter,
        completed,
    };
    static_assert(std::size(values) == std::size(PropertyNames));
    m_properties.clear();
    for (size_t i = 0; i < std::size(PropertyNames); ++i)
        m_properties.append({QLatin1String(PropertyNames[i]), values[i]});
}

QList<ConnectionProperty> Connection::Properties() const
{
    if (!m_properties.isEmpty())
        return m_properties;
    QList<ConnectionProperty> empty;
    for (const char* name : PropertyNames)
        empty.append({QLatin1String(name), QString()});
    return empty;
}

SQLHDBC Connection::handle() const
{
    if (!m_handle)
        throw DataError(QStringLiteral("Dorvane.Connection"), QStringLiteral("The connection is closed."));
    return m_handle.get();
}

SchemaRecordSet Connection::OpenSchema(int schema)
{
    if (schema != ado::adSchemaTables) {
        throw DataError(QStringLiteral("Dorvane.Connection"),
                        QStringLiteral("The schema %1 is not supported; only the tables schema (20) is.").arg(schema));
    }
    OdbcStatement statement(handle());
    // MariaDB's driver lists the tables of every database the user may see (information_schema and
    // performance_schema included), but "Select * FROM name" reaches only those of the current one.
    QByteArray catalog = m_catalogIsDatabase ? odbctext::encode(infoText(SQL_DATABASE_NAME)) : QByteArray();
    checkOdbc(SQLTables(statement.handle(), catalog.isEmpty() ? nullptr : odbctext::sqlChars(catalog),
                        catalog.isEmpty() ? 0 : SQL_NTS, nullptr, 0, nullptr, 0, nullptr, 0),
              statement.odbcHandle(), "SQLTables");
    const bool sqlite = m_rowUpdateGuard == RowUpdateGuard::Savepoint;
    std::vector<SQLWCHAR> buffer(512);
    QList<QVariantList> rows;
    while (statement.fetch()) {
        QVariantList row;
        for (SQLUSMALLINT column = 1; column <= 5; ++column) {
            const std::optional<QString> text = statement.text(column, buffer);
            row.append(text ? QVariant(*text) : QVariant());
        }
        if (sqlite && row.at(3).toString() == QLatin1String("TABLE")
            && row.at(2).toString().startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            row[3] = QStringLiteral("SYSTEM TABLE");
        // Some drivers of the MySQL family say what information_schema says.
        if (row.at(3).toString() == QLatin1String("BASE TABLE"))
            row[3] = QStringLiteral("TABLE");
        rows.append(row);
    }
    return SchemaRecordSet({QStringLiteral("TABLE_CATALOG"), QStringLiteral("TABLE_SCHEMA"),
                            QStringLiteral("TABLE_NAME"), QStringLiteral("TABLE_TYPE"), QStringLiteral("DESCRIPTION")},
                           std::move(rows));
}

qint64 Connection::Execute(const QString& sql)
{
    OdbcStatement statement(handle());
    statement.executeDirect(sql);
    // A driver that steps lazily (SQLite with StepAPI) runs a statement with a result, such as a PRAGMA,
    // only when its first row is fetched.
    if (statement.resultColumnCount() > 0) {
        statement.fetch();
        return -1;
    }
    return statement.rowCount();
}

void Connection::attach(QueryRecordSet* recordSet)
{
    if (std::find(m_recordSets.begin(), m_recordSets.end(), recordSet) == m_recordSets.end())
        m_recordSets.push_back(recordSet);
}

void Connection::detach(QueryRecordSet* recordSet)
{
    m_recordSets.erase(std::remove(m_recordSets.begin(), m_recordSets.end(), recordSet), m_recordSets.end());
}

} // namespace dorvane
