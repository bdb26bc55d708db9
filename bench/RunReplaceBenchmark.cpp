// dorvane-bench run-replace [--rows N] [--repeat K] [--connection STRING]
//
// With --connection both sides work in the database that STRING opens (a PostgreSQL or MariaDB server):
// the scan table is made there once, the source with the word is the table replace_source, and the fresh
// copies are the tables replace_engine and replace_bare; the output lines stay the same.
//
// The scan table (build/bench-data/scan-N.db, made on first use; default 200 000 rows) with a word put
// into the long text of every hundredth row. The engine side is "replace without halt" as the run
// session's save-every policy: the run on that table saves each hit and walks on until it has ended. The bare side
// reads every field of every row with plain SQLFetch/SQLGetData, and for each text holding the word runs a prepared
// "UPDATE ... WHERE id = ?" on the same connection in autocommit, as the engine writes on its connection.
// Each side of each round works on a fresh copy of the table; copying and connecting are not timed. The
// two alternate K times (default 3) and each keeps its best time. Afterwards both copies must hold the
// replacement in exactly the rows that held the word, and the word nowhere. Target: ratio ≤ 2.
#include "RunReplaceBenchmark.h"

#include "HeadlessRun.h"
#include "RunArguments.h"
#include "ScanBenchmark.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcStatement.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include <sql.h>
#include <sqlext.h>

namespace dorvane::bench {

namespace {

// Ten letters in a row: the generated texts do not hold the word by chance.
const QString Word = QStringLiteral("Quokkafant");
const QString Replacement = QStringLiteral("Wombatfant");

QString connectionString(const QString& file)
{
    return QStringLiteral("DRIVER=SQLite3;Database=") + file;
}

// The scan table with the word in the middle of the long text of every hundredth row.
void makeReplaceSource(const QString& file, int rows)
{
    const QString scanFile = scanDatabaseFile(rows);
    {
        Connection maker;
        maker.setConnectionString(connectionString(scanFile) + QStringLiteral(";NoCreat=0")); // makes the file
        maker.Open();
        if (prepareScanTable(maker, rows))
            std::printf("run-replace: made %d rows in %s\n", rows, qPrintable(scanFile));
    }
    if (!QFile::copy(scanFile, file))
        throw DataError(QStringLiteral("run-replace"), QStringLiteral("Cannot copy ") + scanFile);
    Connection connection;
    connection.setConnectionString(connectionString(file));
    connection.Open();
    connection.Execute(QStringLiteral("UPDATE %1 SET memo = substr(memo, 1, 250) || ' %2 ' || substr(memo, 251) "
                                      "WHERE id % 100 = 0")
                           .arg(scanTableName(), Word));
}

QString freshCopy(const QTemporaryDir& work, const QString& source, const QString& name)
{
    const QString file = work.filePath(name);
    QFile::remove(file);
    if (!QFile::copy(source, file))
        throw DataError(QStringLiteral("run-replace"), QStringLiteral("Cannot copy ") + source);
    return file;
}

// Where the copies live: files beside each other for SQLite, tables of one database on a server.
struct Place
{
    const QTemporaryDir& work;
    QString server; // empty: SQLite files

    QString sourceName() const
    {
        return server.isEmpty() ? work.filePath(QStringLiteral("source.db")) : QStringLiteral("replace_source");
    }
    QString connectionFor(const QString& copy) const { return server.isEmpty() ? connectionString(copy) : server; }
    QString tableFor(const QString& copy) const { return server.isEmpty() ? scanTableName() : copy; }
};

const QString ScanColumns = QStringLiteral("(id INTEGER PRIMARY KEY, code VARCHAR(12), name VARCHAR(40), memo TEXT, "
                                           "amount DOUBLE PRECISION, day DATE, note TEXT)");

void copyTable(Connection& connection, const QString& from, const QString& to)
{
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(to));
    connection.Execute(QStringLiteral("CREATE TABLE %1 %2").arg(to, ScanColumns));
    connection.Execute(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(to, from));
}

void makeSource(const Place& place, int rows)
{
    if (place.server.isEmpty()) {
        makeReplaceSource(place.sourceName(), rows);
        return;
    }
    Connection connection;
    connection.setConnectionString(place.server);
    connection.Open();
    if (prepareScanTable(connection, rows))
        std::printf("run-replace: made %d rows in the server's database\n", rows);
    copyTable(connection, scanTableName(), place.sourceName());
    connection.Execute(QStringLiteral("UPDATE %1 SET memo = CONCAT(SUBSTR(memo, 1, 250), ' %2 ', SUBSTR(memo, 251)) "
                                      "WHERE MOD(id, 100) = 0")
                           .arg(place.sourceName(), Word));
}

// A fresh copy of the source: the file name of the copy (SQLite) or the name of its table (server).
QString makeCopy(const Place& place, const QString& name)
{
    if (place.server.isEmpty())
        return freshCopy(place.work, place.sourceName(), name + QStringLiteral(".db"));
    Connection connection;
    connection.setConnectionString(place.server);
    connection.Open();
    copyTable(connection, place.sourceName(), name);
    return name;
}

// Rows whose texts hold the word and rows whose texts hold the replacement.
struct Census
{
    qint64 word = 0;
    qint64 replacement = 0;
};

Census census(const Place& place, const QString& copy)
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
    return Census {count(Word), count(Replacement)};
}

double engineReplace(const Place& place, const QString& copy, HeadlessRun& run, QStringList& messages)
{
    run.openConnection(place.connectionFor(copy));
    run.prepare(place.tableFor(copy), Word, Replacement, true);
    QElapsedTimer timer;
    timer.start();
    run.start();
    const double seconds = timer.nsecsElapsed() / 1e9;
    messages = run.messages();
    if (run.isRunActive()) {
        messages.append(QStringLiteral("the run had not ended"));
        run.stop();
    }
    run.close();
    return seconds;
}

void check(SQLRETURN rc, const char* call)
{
    if (!SQL_SUCCEEDED(rc))
        throw DataError(QStringLiteral("run-replace"),
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

// The floor of a replace run: one pass over every field, and one UPDATE by key for each hit.
double bareReplace(const Place& place, const QString& copy, qint64& hits)
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
                if (!readText(reader.handle(), c, buffer, text) || !text.contains(Word, Qt::CaseInsensitive))
                    break;
                text.replace(Word, Replacement, Qt::CaseInsensitive);
                if (c > 7 || text.size() >= qsizetype(newText.size()))
                    throw DataError(QStringLiteral("run-replace"), QStringLiteral("A hit the bare loop cannot write"));
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

} // namespace

int runRunReplaceBenchmark(const QStringList& arguments)
{
    RunArguments options;
    if (!options.parse(arguments)) {
        std::fprintf(stderr, "usage: dorvane-bench run-replace [--rows N] [--repeat K] [--connection STRING]\n");
        return 2;
    }
    const int rows = options.rows;
    const int repeat = options.repeat;
    const QString& server = options.server;

    try {
        QTemporaryDir work;
        if (!work.isValid()) {
            std::fprintf(stderr, "run-replace: cannot make a work folder\n");
            return 1;
        }
        const Place place {work, server};
        makeSource(place, rows);
        const Census before = census(place, place.sourceName());
        std::printf("run-replace: rows=%d rows_with_word=%lld\n", rows, static_cast<long long>(before.word));

        HeadlessRun run;
        if (!run.isValid()) {
            std::fprintf(stderr, "run-replace: cannot lay out a program folder\n");
            return 1;
        }

        double bestEngine = std::numeric_limits<double>::max();
        double bestBare = std::numeric_limits<double>::max();
        qint64 hits = 0;
        for (int round = 0; round < repeat; ++round) {
            const QString engineCopy = makeCopy(place, QStringLiteral("replace_engine"));
            QStringList messages;
            const double engine = engineReplace(place, engineCopy, run, messages);
            const Census engineAfter = census(place, engineCopy);

            const QString bareCopy = makeCopy(place, QStringLiteral("replace_bare"));
            hits = 0;
            const double bare = bareReplace(place, bareCopy, hits);
            const Census bareAfter = census(place, bareCopy);

            std::printf("run-replace: round %d engine_s=%.3f bare_s=%.3f\n", round + 1, engine, bare);
            std::fflush(stdout);
            if (!messages.isEmpty() || engineAfter.word != 0 || engineAfter.replacement != before.word
                || bareAfter.word != 0 || bareAfter.replacement != before.word || hits != before.word) {
                std::fprintf(stderr,
                             "run-replace: the sides disagree: word/replacement rows engine %lld/%lld, bare %lld/%lld, "
                             "bare hits %lld, expected %lld (messages: %s)\n",
                             static_cast<long long>(engineAfter.word), static_cast<long long>(engineAfter.replacement),
                             static_cast<long long>(bareAfter.word), static_cast<long long>(bareAfter.replacement),
                             static_cast<long long>(hits), static_cast<long long>(before.word),
                             qPrintable(messages.join(QLatin1String("; "))));
                return 1;
            }
            bestEngine = std::min(bestEngine, engine);
            bestBare = std::min(bestBare, bare);
        }
        std::printf("run-replace: ratio=%.3f engine_s=%.3f bare_s=%.3f hits=%lld\n", bestEngine / bestBare, bestEngine,
                    bestBare, static_cast<long long>(hits));
        return 0;
    } catch (const DataError& error) {
        std::fprintf(stderr, "run-replace: %s: %s\n", qPrintable(error.source()), qPrintable(error.description()));
        return 1;
    }
}

} // namespace dorvane::bench
