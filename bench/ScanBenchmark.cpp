// dorvane-bench scan [--rows N] [--repeat K]
//
// Makes (or reuses) build/bench-data/scan-N.db holding the table scan_rows of N rows (default 200 000):
// an id, two short texts, a 500-character text, a number, a date and a text that is NULL in every third
// row. Then reads every field of every row through QueryRecordSet, the way the run reads a table, and
// through a bare SQLFetch/SQLGetData loop with reused buffers. Both read over the same completed
// connection string (the SQLite driver streaming in StepAPI mode, as Connection opens it); connecting is
// not timed, opening the query is. The two alternate K times (default 3) and each keeps its best time, so
// that a cold file cache or a busy machine hits both alike. Target: ratio ≤ 1.3.
//
// It also prints the process's peak resident memory beside the file size: reading streams row by row,
// so the peak must stay far below the size of the table.
#include "ScanBenchmark.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include <sql.h>
#include <sqlext.h>

namespace dorvane::bench {

namespace {

const QString TableName = QStringLiteral("scan_rows");
constexpr int ColumnCount = 7;

QString sqlText(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString randomText(QRandomGenerator& random, int length)
{
    static const QString alphabet
        = QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ äöüß 0123456789");
    QString text(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        text[i] = alphabet.at(int(random.bounded(quint32(alphabet.size()))));
    return text;
}

bool tableIsReady(Connection& connection, int rows)
{
    try {
        QueryRecordSet check;
        check.OpenStructure(connection, TableName);
        return check.FieldCount() == ColumnCount && check.RecordCount() == rows;
    } catch (const DataError&) {
        return false;
    }
}

void makeTable(Connection& connection, int rows)
{
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS scan_rows"));
    connection.Execute(
        QStringLiteral("CREATE TABLE scan_rows (id INTEGER PRIMARY KEY, code VARCHAR(12), name VARCHAR(40), "
                       "memo TEXT, amount DOUBLE PRECISION, day DATE, note TEXT)"));
    QRandomGenerator random(20240105);
    connection.Execute(QStringLiteral("BEGIN"));
    constexpr int Batch = 200;
    for (int first = 1; first <= rows; first += Batch) {
        QStringList values;
        for (int id = first; id < first + Batch && id <= rows; ++id) {
            const QDate day = QDate(2000, 1, 1).addDays(random.bounded(9000));
            values.append(QStringLiteral("(%1, %2, %3, %4, %5, '%6', %7)")
                              .arg(id)
                              .arg(sqlText(QStringLiteral("C-%1").arg(id, 6, 10, QLatin1Char('0'))),
                                   sqlText(randomText(random, 8 + int(random.bounded(30)))),
                                   sqlText(randomText(random, 500)))
                              .arg(random.bounded(1000000) / 100.0, 0, 'f', 2)
                              .arg(day.toString(Qt::ISODate),
                                   id % 3 == 0 ? QStringLiteral("NULL") : sqlText(randomText(random, 20))));
        }
        connection.Execute(QStringLiteral("INSERT INTO scan_rows VALUES ") + values.join(QLatin1Char(',')));
    }
    connection.Execute(QStringLiteral("COMMIT"));
}

// The run's way: QueryRecordSet on the table, every field's Value of every row.
double recordSetScan(Connection& connection, qint64& checksum)
{
    QElapsedTimer timer;
    timer.start();
    QueryRecordSet recordSet;
    recordSet.OpenTable(connection, TableName);
    const int fields = recordSet.FieldCount();
    for (; !recordSet.IsEOF(); recordSet.MoveNext()) {
        for (int i = 0; i < fields; ++i) {
            const QVariant& value = recordSet.Fields(i).Value();
            switch (value.metaType().id()) {
            case QMetaType::QString:
                checksum += static_cast<const QString*>(value.constData())->size();
                break;
            case QMetaType::Int:
                checksum += value.toInt();
                break;
            default:
                checksum += value.isNull() ? 0 : 1;
                break;
            }
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

// The floor: the same statement with plain ODBC calls and buffers reused for every field.
double bareScan(SQLHDBC dbc, const QString& query, qint64& checksum)
{
    QElapsedTimer timer;
    timer.start();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement);
    const QByteArray sql = query.toUtf8();
    if (!SQL_SUCCEEDED(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())), SQL_NTS))) {
        std::fprintf(stderr, "scan: the bare query failed\n");
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return 0;
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(statement, &columns);
    std::vector<SQLSMALLINT> types(size_t(columns) + 1);
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
        SQLCHAR name[128];
        SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(statement, c, name, sizeof name, &nameLength, &types[c], &size, &digits, &nullable);
    }
    std::vector<SQLWCHAR> text(4096);
    while (SQL_SUCCEEDED(SQLFetch(statement))) {
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
            SQLLEN indicator = 0;
            switch (types[c]) {
            case SQL_INTEGER: {
                SQLINTEGER n = 0;
                SQLGetData(statement, c, SQL_C_SLONG, &n, 0, &indicator);
                checksum += indicator == SQL_NULL_DATA ? 0 : n;
                break;
            }
            case SQL_DOUBLE:
            case SQL_FLOAT:
            case SQL_REAL: {
                double d = 0;
                SQLGetData(statement, c, SQL_C_DOUBLE, &d, 0, &indicator);
                checksum += indicator == SQL_NULL_DATA ? 0 : 1;
                break;
            }
            case SQL_TYPE_DATE: {
                SQL_DATE_STRUCT date {};
                SQLGetData(statement, c, SQL_C_TYPE_DATE, &date, 0, &indicator);
                checksum += indicator == SQL_NULL_DATA ? 0 : 1;
                break;
            }
            default: {
                SQLRETURN rc;
                while ((rc = SQLGetData(statement, c, SQL_C_WCHAR, text.data(), SQLLEN(text.size() * sizeof(SQLWCHAR)),
                                        &indicator))
                       == SQL_SUCCESS_WITH_INFO) {
                    checksum += qint64(text.size()) - 1;
                }
                if (rc == SQL_SUCCESS && indicator != SQL_NULL_DATA)
                    checksum += indicator / SQLLEN(sizeof(SQLWCHAR));
                break;
            }
            }
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return timer.nsecsElapsed() / 1e9;
}

namespace {

double peakResidentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

QString scanTableName()
{
    return TableName;
}

QString scanDatabaseFile(int rows)
{
    const QString folder
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bench-data"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("scan-%1.db").arg(rows));
}

bool prepareScanTable(Connection& connection, int rows)
{
    if (tableIsReady(connection, rows))
        return false;
    makeTable(connection, rows);
    return true;
}

int runScanBenchmark(const QStringList& arguments)
{
    int rows = 200000;
    int repeat = 3;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool ok = true;
        if (arguments.at(i) == QLatin1String("--rows") && i + 1 < arguments.size())
            rows = arguments.at(++i).toInt(&ok);
        else if (arguments.at(i) == QLatin1String("--repeat") && i + 1 < arguments.size())
            repeat = arguments.at(++i).toInt(&ok);
        else
            ok = false;
        if (!ok || rows < 1 || repeat < 1) {
            std::fprintf(stderr, "usage: dorvane-bench scan [--rows N] [--repeat K]\n");
            return 2;
        }
    }

    const QString file = scanDatabaseFile(rows);

    try {
        Connection connection;
        // NoCreat=0: the first run makes the file.
        connection.setConnectionString(QStringLiteral("DRIVER=SQLite3;NoCreat=0;Database=") + file);
        connection.Open();
        if (tableIsReady(connection, rows)) {
            std::printf("scan: reusing %s\n", qPrintable(file));
        } else {
            std::printf("scan: making %d rows in %s\n", rows, qPrintable(file));
            std::fflush(stdout);
            makeTable(connection, rows);
        }
        std::printf("scan: connection %s\n", qPrintable(connection.ConnectionString()));

        SQLHENV environment = SQL_NULL_HENV;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
        SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLHDBC bare = SQL_NULL_HDBC;
        SQLAllocHandle(SQL_HANDLE_DBC, environment, &bare);
        const QByteArray bareString = connection.ConnectionString().toUtf8();
        if (!SQL_SUCCEEDED(SQLDriverConnect(bare, nullptr,
                                            reinterpret_cast<SQLCHAR*>(const_cast<char*>(bareString.data())), SQL_NTS,
                                            nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
            std::fprintf(stderr, "scan: the bare connection failed\n");
            return 1;
        }

        double bestRecordSet = std::numeric_limits<double>::max();
        double bestBare = std::numeric_limits<double>::max();
        qint64 recordSetChecksum = 0;
        qint64 bareChecksum = 0;
        for (int round = 0; round < repeat; ++round) {
            qint64 checksum = 0;
            bestRecordSet = std::min(bestRecordSet, recordSetScan(connection, checksum));
            recordSetChecksum = checksum;
            checksum = 0;
            bestBare = std::min(bestBare, bareScan(bare, connection.tableQuery(TableName), checksum));
            bareChecksum = checksum;
        }
        SQLDisconnect(bare);
        SQLFreeHandle(SQL_HANDLE_DBC, bare);
        SQLFreeHandle(SQL_HANDLE_ENV, environment);

        std::printf("scan: checksums record_set=%lld bare=%lld\n", static_cast<long long>(recordSetChecksum),
                    static_cast<long long>(bareChecksum));
        std::printf("scan: peak_rss_mb=%.1f file_mb=%.1f\n", peakResidentMegabytes(),
                    QFileInfo(file).size() / (1024.0 * 1024.0));
        std::printf("scan: ratio=%.3f record_set_s=%.3f bare_s=%.3f rows=%d\n", bestRecordSet / bestBare, bestRecordSet,
                    bestBare, rows);
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "scan: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
