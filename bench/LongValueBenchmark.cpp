// dorvane-bench long-values [--sizes 1,10] [--repeat K] [--connection STRING] [--fixed-pieces]
//
// Writes one text value (UTF-8 with two-, three- and four-byte characters beside ASCII) and one binary
// value of every byte of each size in MiB (default 1 and 10) into the table long_values, through the
// record set, each in a row of its own (MariaDB's packets end at 16 MiB), in build/bench-data/
// long-values.db or, with --connection, in the database that STRING opens. Then reads each value
// through QueryRecordSet::Open on "SELECT <column> FROM long_values WHERE id = N" and through a bare
// SQLExecDirect/SQLFetch/SQLGetData loop on a second connection: a first 8 KiB piece that tells the
// length, then the rest in one call into a buffer of that size, with the C type the record set uses
// (SQL_C_CHAR where the connection delivers UTF-8, else SQL_C_WCHAR; SQL_C_BINARY). The two alternate K
// times (default 3) and each keeps its best time. Time must grow linearly with the size; target: ratio ≤ 1.5
// for binary and UTF-16 text; UTF-8 text adds its decoding into a QString, which the bare loop leaves out.
//
// --fixed-pieces also times the loop that reads in fixed 8 KiB pieces, for values up to 2 MiB: through
// SQL_C_WCHAR the SQLite driver makes it grow with the square of the length (it converts the whole rest
// anew for every piece).
#include "LongValueBenchmark.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include <sql.h>
#include <sqlext.h>

namespace dorvane::bench {

namespace {

const QString TableName = QStringLiteral("long_values");
constexpr qsizetype Mebibyte = qsizetype(1) << 20;

struct Options
{
    QList<int> sizes = {1, 10};
    int repeat = 3;
    QString server;
    bool fixedPieces = false;

    bool parse(const QStringList& arguments)
    {
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            bool ok = true;
            if (arguments.at(i) == QLatin1String("--connection") && i + 1 < arguments.size()) {
                server = arguments.at(++i);
            } else if (arguments.at(i) == QLatin1String("--repeat") && i + 1 < arguments.size()) {
                repeat = arguments.at(++i).toInt(&ok);
                ok = ok && repeat >= 1;
            } else if (arguments.at(i) == QLatin1String("--sizes") && i + 1 < arguments.size()) {
                sizes.clear();
                for (const QString& size : arguments.at(++i).split(QLatin1Char(','))) {
                    const int mib = size.toInt(&ok);
                    if (!ok || mib < 1 || mib > 64)
                        return false;
                    sizes.append(mib);
                }
            } else if (arguments.at(i) == QLatin1String("--fixed-pieces")) {
                fixedPieces = true;
            } else {
                ok = false;
            }
            if (!ok)
                return false;
        }
        return !sizes.isEmpty();
    }
};

// About `bytes` bytes of UTF-8.
QString longText(qsizetype bytes)
{
    const QString pattern = QStringLiteral("abcdefghij ä漢😀 "); // 21 bytes of UTF-8 in 16 UTF-16 units
    QString text;
    text.reserve(bytes * 16 / 21 + pattern.size());
    while (text.size() * 21 / 16 < bytes)
        text += pattern;
    return text;
}

QByteArray longBytes(qsizetype bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes; ++i)
        data[i] = char(i * 7 + i / 256);
    return data;
}

struct Value
{
    int id;
    int mib;
    bool binary;
    QString column() const { return binary ? QStringLiteral("data") : QStringLiteral("memo"); }
    QString query() const { return QStringLiteral("SELECT %1 FROM %2 WHERE id = %3").arg(column(), TableName).arg(id); }
};

QList<Value> makeTable(Connection& connection, const QList<int>& sizes)
{
    const QString dbms = connection.dbmsName();
    const bool mysql = dbms.contains(QLatin1String("MariaDB"), Qt::CaseInsensitive)
        || dbms.contains(QLatin1String("MySQL"), Qt::CaseInsensitive);
    const bool pg = dbms.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive);
    const QString textType = mysql ? QStringLiteral("LONGTEXT") : QStringLiteral("TEXT");
    const QString binaryType = mysql ? QStringLiteral("LONGBLOB")
        : pg                         ? QStringLiteral("BYTEA")
                                     : QStringLiteral("BLOB");
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(TableName));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, memo %2, data %3)")
                           .arg(TableName, textType, binaryType));
    QList<Value> values;
    for (const int mib : sizes) {
        for (const bool binary : {false, true}) {
            const Value value {int(values.size()) + 1, mib, binary};
            connection.Execute(QStringLiteral("INSERT INTO %1 (id) VALUES (%2)").arg(TableName).arg(value.id));
            values.append(value);
        }
    }
    QueryRecordSet writer;
    writer.OpenTable(connection, TableName);
    for (const Value& value : values) {
        if (value.binary)
            writer.Fields(2).setValue(longBytes(value.mib * Mebibyte));
        else
            writer.Fields(1).setValue(longText(value.mib * Mebibyte));
        writer.Update();
        writer.MoveNext();
    }
    return values;
}

// The record set's way; answers the seconds and the length read (characters or bytes).
double recordSetRead(Connection& connection, const Value& value, qint64& length)
{
    QElapsedTimer timer;
    timer.start();
    QueryRecordSet recordSet;
    recordSet.Open(connection, value.query());
    const QVariant& read = recordSet.Fields(0).Value();
    length = value.binary ? read.toByteArray().size() : read.toString().size();
    const double seconds = timer.nsecsElapsed() / 1e9;
    return seconds;
}

// A careful ODBC program's way: learn the length from a first piece, then take the rest in one call.
// With fixedPieces the rest comes 8 KiB at a time instead. Answers the seconds; length is in bytes.
double bareRead(SQLHDBC dbc, const Value& value, SQLSMALLINT textType, bool fixedPieces, qint64& length)
{
    QElapsedTimer timer;
    timer.start();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement);
    const QByteArray sql = value.query().toUtf8();
    length = -1;
    if (!SQL_SUCCEEDED(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())), SQL_NTS))
        || !SQL_SUCCEEDED(SQLFetch(statement))) {
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return 0;
    }
    const SQLSMALLINT cType = value.binary ? SQL_C_BINARY : textType;
    const SQLLEN terminator = cType == SQL_C_BINARY ? 0 : cType == SQL_C_WCHAR ? SQLLEN(sizeof(SQLWCHAR)) : 1;
    std::vector<char> buffer(8192);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(statement, 1, cType, buffer.data(), SQLLEN(buffer.size()), &indicator);
    length = 0;
    while (rc == SQL_SUCCESS_WITH_INFO && indicator != SQL_NULL_DATA) {
        const SQLLEN filled = SQLLEN(buffer.size()) - terminator;
        length += filled;
        if (!fixedPieces && indicator != SQL_NO_TOTAL && indicator - filled + terminator > SQLLEN(buffer.size()))
            buffer.resize(size_t(indicator - filled + terminator));
        rc = SQLGetData(statement, 1, cType, buffer.data(), SQLLEN(buffer.size()), &indicator);
    }
    if (rc == SQL_SUCCESS && indicator >= 0)
        length += indicator;
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return timer.nsecsElapsed() / 1e9;
}

QString benchFile()
{
    const QString folder
        = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bench-data"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("long-values.db"));
}

} // namespace

int runLongValueBenchmark(const QStringList& arguments)
{
    Options options;
    if (!options.parse(arguments)) {
        std::fprintf(stderr,
                     "usage: dorvane-bench long-values [--sizes 1,10] [--repeat K] [--connection STRING] "
                     "[--fixed-pieces]\n");
        return 2;
    }
    try {
        Connection connection;
        if (options.server.isEmpty()) {
            const QString file = benchFile();
            QFile::remove(file);
            connection.setConnectionString(QStringLiteral("DRIVER=SQLite3;NoCreat=0;Database=") + file); // made afresh
        } else {
            connection.setConnectionString(options.server);
        }
        connection.Open();
        std::printf("long-values: writing the values (%s)\n", qPrintable(connection.dbmsName()));
        std::fflush(stdout);
        const QList<Value> values = makeTable(connection, options.sizes);

        Connection bare;
        bare.setConnectionString(connection.ConnectionString());
        bare.Open();
        const SQLSMALLINT textType = connection.deliversUtf8Text() ? SQL_C_CHAR : SQL_C_WCHAR;

        for (const Value& value : values) {
            double bestRecordSet = std::numeric_limits<double>::max();
            double bestBare = std::numeric_limits<double>::max();
            qint64 recordSetLength = 0;
            qint64 bareBytes = 0;
            for (int round = 0; round < options.repeat; ++round) {
                bestRecordSet = std::min(bestRecordSet, recordSetRead(connection, value, recordSetLength));
                bestBare = std::min(bestBare, bareRead(bare.handle(), value, textType, false, bareBytes));
            }
            const char* kind = value.binary ? "binary" : "text";
            if (options.fixedPieces && value.mib <= 2) {
                qint64 pieceBytes = 0;
                const double pieces = bareRead(bare.handle(), value, textType, true, pieceBytes);
                std::printf("long-values: kind=%s mib=%d fixed_8k_pieces_s=%.3f bytes=%lld\n", kind, value.mib, pieces,
                            static_cast<long long>(pieceBytes));
            }
            std::printf("long-values: kind=%s mib=%d ratio=%.3f record_set_s=%.3f bare_s=%.3f length=%lld "
                        "bare_bytes=%lld\n",
                        kind, value.mib, bestRecordSet / bestBare, bestRecordSet, bestBare,
                        static_cast<long long>(recordSetLength), static_cast<long long>(bareBytes));
            std::fflush(stdout);
        }
        if (!options.server.isEmpty())
            connection.Execute(QStringLiteral("DROP TABLE %1").arg(TableName));
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "long-values: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
