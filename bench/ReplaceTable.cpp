// The replace benchmarks' table and their floor (see ReplaceTable.h).
#include "ReplaceTable.h"

#include "ScanBenchmark.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcStatement.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringView>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sql.h>
#include <sqlext.h>

namespace dorvane::bench {

// Ten letters in a row: the generated texts do not hold the word by chance.
const QString ReplaceWord = QStringLiteral("Quokkafant");
const QString ReplaceText = QStringLiteral("Wombatfant");

QString connectionString(const QString& file)
{
    return QStringLiteral("DRIVER=SQLite3;Database=") + file;
}

namespace {

// The scan table with the word in the middle of the long text of every hundredth row.
void makeSqliteSource(const QString& file, int rows)
{
    const QString scanFile = scanDatabaseFile(rows);
    {
        Connection maker;
        maker.setConnectionString(connectionString(scanFile) + QStringLiteral(";NoCreat=0")); // makes the file
        maker.Open();
        if (prepareScanTable(maker, rows))
            std::printf("replace table: made %d rows in %s\n", rows, qPrintable(scanFile));
    }
    if (!QFile::copy(scanFile, file))
        throw DataError(QStringLiteral("replace table"), QStringLiteral("Cannot copy ") + scanFile);
    Connection connection;
    connection.setConnectionString(connectionString(file));
    connection.Open();
    connection.Execute(QStringLiteral("UPDATE %1 SET memo = substr(memo, 1, 250) || ' %2 ' || substr(memo, 251) "
                                      "WHERE id % 100 = 0")
                           .arg(scanTableName(), ReplaceWord));
}

QString freshCopy(const QTemporaryDir& work, const QString& source, const QString& name)
{
    const QString file = work.filePath(name);
    QFile::remove(file);
    if (!QFile::copy(source, file))
        throw DataError(QStringLiteral("replace table"), QStringLiteral("Cannot copy ") + source);
    return file;
}

const QString ScanColumns = QStringLiteral("(id INTEGER PRIMARY KEY, code VARCHAR(12), name VARCHAR(40), memo TEXT, "
                                           "amount DOUBLE PRECISION, day DATE, note TEXT)");

void copyTable(Connection& connection, const QString& from, const QString& to)
{
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(to));
    connection.Execute(QStringLiteral("CREATE TABLE %1 %2").arg(to, ScanColumns));
    connection.Execute(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(to, from));
}

void check(SQLRETURN rc, const char* call)
{
    if (!SQL_SUCCEEDED(rc))
        throw DataError(QStringLiteral("replace table"),
                        QString::fromLatin1(call) + QStringLiteral(" failed in the bare loop"));
}

// A text column of the current row, read in pieces through the reused buffer; false when it is NULL.
bool readText(SQLHSTMT statement, SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer, QString& text)
{
    text.clear();
    SQLLEN indicator = 0;
    SQLRETURN rc;
    while ((rc = SQLGetData(statement, column, SQL_C_WCHAR, buffer.data(), SQLLEN(buffer.size() * sizeof(SQLWCHAR)),
                            &indicator))
           == SQL_SUCCESS_WITH_INFO) {
        text.append(reinterpret_cast<const QChar*>(buffer.data()), qsizetype(buffer.size()) - 1);
    }
    check(rc, "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return false;
    text.append(reinterpret_cast<const QChar*>(buffer.data()), qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR))));
    return true;
}

} // namespace

void makeReplaceSource(const ReplacePlace& place, int rows)
{
    if (place.server.isEmpty()) {
        makeSqliteSource(place.sourceName(), rows);
        return;
    }
    Connection connection;
    connection.setConnectionString(place.server);
    connection.Open();
    if (prepareScanTable(connection, rows))
        std::printf("replace table: made %d rows in the server's database\n", rows);
    copyTable(connection, scanTableName(), place.sourceName());
    connection.Execute(QStringLiteral("UPDATE %1 SET memo = CONCAT(SUBSTR(memo, 1, 250), ' %2 ', SUBSTR(memo, 251)) "
                                      "WHERE MOD(id, 100) = 0")
                           .arg(place.sourceName(), ReplaceWord));
}

QString makeReplaceCopy(const ReplacePlace& place, const QString& name)
{
    if (place.server.isEmpty())
        return freshCopy(place.work, place.sourceName(), name + QStringLiteral(".db"));
    Connection connection;
    connection.setConnectionString(place.server);
    connection.Open();
    copyTable(connection, place.sourceName(), name);
    return name;
}

ReplaceCensus replaceCensus(const ReplacePlace& place, const QString& copy)
{
    Connection connection;
    connection.setConnectionString(place.connectionFor(copy));
    connection.Open();
    const auto count = [&](const QString& text) {
        OdbcStatement statement(connection.handle());
        // SQLite 3.40 has no CONCAT; the servers' || is not concatenation everywhere (MariaDB).
        statement.executeDirect(
            place.server.isEmpty() ? QStringLiteral("SELECT COUNT(*) FROM %1 WHERE instr(lower(code || name || memo || "
                                                    "ifnull(note, '')), lower('%2')) > 0")
                                         .arg(scanTableName(), text)
                                   : QStringLiteral("SELECT COUNT(*) FROM %1 WHERE LOWER(CONCAT(code, name, memo, "
                                                    "COALESCE(note, ''))) LIKE '%%2%'")
                                         .arg(copy, text.toLower()));
        return statement.scalarInt64().value_or(-1);
    };
    return ReplaceCensus {count(ReplaceWord), count(ReplaceText)};
}

double bareReplace(const ReplacePlace& place, const QString& copy, qint64& hits)
{
    const QString table = place.tableFor(copy);
    Connection connection;
    connection.setConnectionString(place.connectionFor(copy));
    connection.Open();
    const SQLHDBC dbc = connection.handle();
    OdbcStatement reader(dbc);
    OdbcStatement writers[] = {OdbcStatement(dbc), OdbcStatement(dbc), OdbcStatement(dbc), OdbcStatement(dbc),
                               OdbcStatement(dbc), OdbcStatement(dbc), OdbcStatement(dbc)};

    QElapsedTimer timer;
    timer.start();
    const QByteArray query = connection.tableQuery(table).toUtf8();
    check(SQLExecDirect(reader.handle(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(query.data())), SQL_NTS),
          "SQLExecDirect");
    SQLSMALLINT columns = 0;
    SQLNumResultCols(reader.handle(), &columns);
    std::vector<SQLSMALLINT> types(size_t(columns) + 1);
    std::vector<QByteArray> names(size_t(columns) + 1);
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
        SQLCHAR name[128];
        SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(reader.handle(), c, name, sizeof name, &nameLength, &types[c], &size, &digits, &nullable);
        names[c] = QByteArray(reinterpret_cast<const char*>(name), nameLength);
    }
    // One prepared UPDATE per column, its parameters bound once to the buffers below.
    std::vector<SQLWCHAR> newText(4096);
    SQLLEN newTextLength = 0;
    SQLINTEGER key = 0;
    SQLLEN keyIndicator = 0;
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns) && c <= 7; ++c) {
        SQLHSTMT writer = writers[c - 1].handle();
        const QByteArray update = "UPDATE " + table.toUtf8() + " SET " + names[c] + " = ? WHERE id = ?";
        check(SQLPrepare(writer, reinterpret_cast<SQLCHAR*>(const_cast<char*>(update.data())), SQL_NTS), "SQLPrepare");
        check(SQLBindParameter(writer, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, newText.size(), 0, newText.data(),
                               SQLLEN(newText.size() * sizeof(SQLWCHAR)), &newTextLength),
              "SQLBindParameter");
        check(SQLBindParameter(writer, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &key, 0, &keyIndicator),
              "SQLBindParameter");
    }

    std::vector<SQLWCHAR> buffer(4096);
    QString text;
    while (SQL_SUCCEEDED(SQLFetch(reader.handle()))) {
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
            SQLLEN indicator = 0;
            switch (types[c]) {
            case SQL_INTEGER: {
                SQLINTEGER n = 0;
                SQLGetData(reader.handle(), c, SQL_C_SLONG, &n, 0, &indicator);
                if (c == 1)
                    key = n;
                break;
            }
            case SQL_DOUBLE:
            case SQL_FLOAT:
            case SQL_REAL: {
                double d = 0;
                SQLGetData(reader.handle(), c, SQL_C_DOUBLE, &d, 0, &indicator);
                break;
            }
            case SQL_TYPE_DATE: {
                SQL_DATE_STRUCT date {};
                SQLGetData(reader.handle(), c, SQL_C_TYPE_DATE, &date, 0, &indicator);
                break;
            }
            default: {
                if (!readText(reader.handle(), c, buffer, text) || !text.contains(ReplaceWord, Qt::CaseInsensitive))
                    break;
                text.replace(ReplaceWord, ReplaceText, Qt::CaseInsensitive);
                if (c > 7 || text.size() >= qsizetype(newText.size()))
                    throw DataError(QStringLiteral("replace table"),
                                    QStringLiteral("A hit the bare loop cannot write"));
                std::copy_n(reinterpret_cast<const SQLWCHAR*>(text.utf16()), text.size(), newText.begin());
                newTextLength = SQLLEN(text.size() * sizeof(SQLWCHAR));
                check(SQLExecute(writers[c - 1].handle()), "SQLExecute");
                ++hits;
                break;
            }
            }
        }
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    reader.closeCursor();
    return seconds;
}

} // namespace dorvane::bench
