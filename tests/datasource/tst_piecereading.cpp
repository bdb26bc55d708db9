// Tables on PostgreSQL and MariaDB read in pieces of key ranges: the same rows in the same order as one
// whole result, saves between and inside pieces (changed keys included) that leave every row read once,
// keys of each type and collation compared by the server as it orders them, the tables without a usable
// key that are read whole, and a run that replaces without halt over pieces as over one. The pieces are made tiny
// through KeyRangeReader's test hook, so that every boundary case meets a boundary. Each case runs per server and is
// skipped when the environment does not name that server (see TestBackend.h); SQLite is checked to keep its one
// streaming result.
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/ContainmentSql.h"
#include "datasource/KeyRangeReader.h"
#include "datasource/QueryRecordSet.h"
#include "engine/RunSetup.h"

#include "SqliteDatabase.h"
#include "TableRows.h"
#include "TestBackend.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace dorvane;
using dorvane::test::TestBackend;

Q_DECLARE_METATYPE(TestBackend)

namespace {

// The server's test database, emptied, with an open connection to it. Each ctest entry runs one server's
// rows (see TestBackend.h); main() runs the cases only on a server that is named and answers.
#define OPEN_SERVER(connection)                                                                                        \
    QFETCH(TestBackend, backend);                                                                                      \
    if (backend != test::selectedBackend())                                                                            \
        QSKIP(qPrintable(QStringLiteral("this row runs in the %1 entry").arg(test::backendName(backend))));            \
    Connection connection;                                                                                             \
    connection.setConnectionString(test::freshServerDatabase(backend, QStringLiteral("dorvane_pieces")));              \
    connection.Open()

QString rowText(const QueryRecordSet& rs, const QList<int>& columns = {})
{
    QStringList values;
    for (int i = 0; i < rs.FieldCount(); ++i) {
        if (!columns.isEmpty() && !columns.contains(i))
            continue;
        const QVariant& v = rs.Fields(i).Value();
        values.append(v.isNull() ? QStringLiteral("<NULL>") : v.toString());
    }
    return values.join(QLatin1Char('|'));
}

// Every row of an open record set from where it stands, as rowText.
QStringList readAll(QueryRecordSet& rs, const QList<int>& columns = {})
{
    QStringList rows;
    for (; !rs.IsEOF(); rs.MoveNext())
        rows.append(rowText(rs, columns));
    return rows;
}

// One whole result of an SQL text, read as the run never reads a table: the reference.
QStringList wholeResult(Connection& connection, const QString& sql)
{
    QueryRecordSet rs;
    rs.Open(connection, sql);
    return readAll(rs);
}

void addServerRows()
{
    QTest::addColumn<TestBackend>("backend");
    QTest::newRow("PostgreSQL") << TestBackend::PostgreSql;
    QTest::newRow("MariaDB") << TestBackend::MariaDb;
}

// A run's hits, saves and counts as short lines.
class RunLog : public RunObserver
{
public:
    QStringList lines;

    void hitFound(const HitFound& e) override
    {
        lines << QStringLiteral("hit %1.%2 %3>%4")
                     .arg(e.position.record)
                     .arg(e.position.field)
                     .arg(e.storedText, e.proposed);
    }
    void fieldSaved(const SaveOutcome& e) override
    {
        lines << QStringLiteral("save %1.%2 %3")
                     .arg(e.position.record)
                     .arg(e.position.field)
                     .arg(e.written ? e.newValue.toString() : QStringLiteral("refused"));
    }
    void runEnded(const RunEnded& e) override
    {
        lines << QStringLiteral("end records=%1 hits=%2 saved=%3 failed=%4")
                     .arg(e.counts.records)
                     .arg(e.counts.hits)
                     .arg(e.counts.saved)
                     .arg(e.counts.failed);
    }
};

// The 20 rows of the save cases: ids 10, 20, ..., 200, read in pieces of 4.
constexpr int MoveRows = 20;
constexpr int MovePiece = 4;

} // namespace

class TestPieceReading : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        KeyRangeReader::setPieceRowsForTesting(0);
        KeyRangeReader::setReadAheadForTesting(std::nullopt);
    }

    void piecesGiveTheRowsOfOneWholeResult_data() { addServerRows(); }
    void piecesGiveTheRowsOfOneWholeResult();
    void savesLeaveEveryRowReadOnce_data();
    void savesLeaveEveryRowReadOnce();
    void keysCompareOnTheServerAsItOrdersThem_data();
    void keysCompareOnTheServerAsItOrdersThem();
    void onlyAnExactUniqueKeyIsReadInPieces_data();
    void onlyAnExactUniqueKeyIsReadInPieces();
    void aRunDoesTheSameOverPiecesAsOverOne_data() { addServerRows(); }
    void aRunDoesTheSameOverPiecesAsOverOne();
    void sqliteKeepsItsStreamingResult();
    void chosenRowsComeInPiecesAndOnce_data();
    void chosenRowsComeInPiecesAndOnce();
    void aRefusedConditionReadsEveryRow_data() { addServerRows(); }
    void aRefusedConditionReadsEveryRow();
    void aPieceReadAheadFollowsOnlyWhereTheWalkEnded_data();
    void aPieceReadAheadFollowsOnlyWhereTheWalkEnded();
};

namespace {

// 40 rows; every fourth holds "mark".
void makeChosenTable(Connection& connection)
{
    connection.Execute(QStringLiteral("CREATE TABLE chosen (id INTEGER PRIMARY KEY, v VARCHAR(40))"));
    for (int id = 1; id <= 40; ++id) {
        connection.Execute(QStringLiteral("INSERT INTO chosen VALUES (%1, 'row %1%2')")
                               .arg(id)
                               .arg(id % 4 == 0 ? QStringLiteral(" mark") : QString()));
    }
}

// The chooser of rows holding "mark"; a non-empty sql stands in front of that test, as the form the
// server is asked first.
RowChooser chooserOf(const QString& sql)
{
    return [sql](const Connection& connection, const std::vector<QueryField>&) {
        RowCondition condition
            = ContainmentSql::condition(connection.sqlDialect(), {connection.quoteIdentifier(QStringLiteral("v"))},
                                        TextContainment {{QStringLiteral("mark")}, false, {}});
        if (sql.isEmpty())
            return std::optional<RowCondition>(condition);
        return std::optional<RowCondition>(
            RowCondition {sql, {}, std::make_shared<const RowCondition>(std::move(condition))});
    };
}

RowChooser refusedChooser()
{
    return [](const Connection&, const std::vector<QueryField>&) {
        return std::optional<RowCondition>(RowCondition {QStringLiteral("no_such_function(v) > 0"), {}, nullptr});
    };
}

} // namespace

void TestPieceReading::chosenRowsComeInPiecesAndOnce_data()
{
    QTest::addColumn<TestBackend>("backend");
    QTest::addColumn<int>("pieceRows");
    for (const auto& [name, backend] :
         {std::pair {"PostgreSQL", TestBackend::PostgreSql}, std::pair {"MariaDB", TestBackend::MariaDb}}) {
        for (const int rows : {1, 3, 0})
            QTest::addRow("%s, pieces of %d", name, rows) << backend << rows;
    }
}

// The condition joins the key range of every piece after the first (its texts bound after the key's);
// a save that takes a row out of the condition leaves every chosen row read once.
void TestPieceReading::chosenRowsComeInPiecesAndOnce()
{
    QFETCH(int, pieceRows);
    OPEN_SERVER(connection);
    makeChosenTable(connection);
    KeyRangeReader::setPieceRowsForTesting(pieceRows);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("chosen"), chooserOf(QString()));
    QVERIFY(rs.readsChosenRowsOnly());
    QVERIFY(rs.readsInPieces());
    QStringList ids;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ids.append(rs.Fields(0).Value().toString());
        rs.Fields(1).setValue(rs.Fields(1).Value().toString().replace(QLatin1String("mark"), QLatin1String("seen")));
        rs.Update();
    }
    QStringList expected;
    for (int id = 4; id <= 40; id += 4)
        expected.append(QString::number(id));
    QCOMPARE(ids, expected);
    QCOMPARE(rs.RecordCount(), 40);
    QCOMPARE(wholeResult(connection, QStringLiteral("SELECT COUNT(*) FROM chosen WHERE v LIKE '%seen'")),
             QStringList {QStringLiteral("10")});
}

void TestPieceReading::aRefusedConditionReadsEveryRow()
{
    OPEN_SERVER(connection);
    makeChosenTable(connection);
    KeyRangeReader::setPieceRowsForTesting(7);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("chosen"), refusedChooser());
    QVERIFY(!rs.readsChosenRowsOnly());
    QCOMPARE(readAll(rs, {0}).size(), 40);
    // A condition with a simpler form: the server is given that.
    QueryRecordSet simpler;
    simpler.OpenTable(connection, QStringLiteral("chosen"), chooserOf(QStringLiteral("no_such_function(v) > 0")));
    QVERIFY(simpler.readsChosenRowsOnly());
    QCOMPARE(readAll(simpler, {0}).size(), 10);
}

void TestPieceReading::piecesGiveTheRowsOfOneWholeResult()
{
    OPEN_SERVER(connection);
    const QString series = backend == TestBackend::PostgreSql
        ? QStringLiteral("SELECT g, 'C' || g, g * 0.25, DATE '2000-01-01' + g % 9000, "
                         "CASE WHEN g % 7 = 0 THEN NULL ELSE 'Zeile ' || (g * 7919 % 100003) END "
                         "FROM generate_series(1, 100000) g")
        : QStringLiteral("SELECT seq, CONCAT('C', seq), seq * 0.25, DATE_ADD('2000-01-01', INTERVAL seq % 9000 DAY), "
                         "CASE WHEN seq % 7 = 0 THEN NULL ELSE CONCAT('Zeile ', seq * 7919 % 100003) END "
                         "FROM seq_1_to_100000");
    connection.Execute(QStringLiteral("CREATE TABLE big (id INTEGER PRIMARY KEY, code VARCHAR(20), amount "
                                      "NUMERIC(12,2), day DATE, note VARCHAR(40))"));
    connection.Execute(QStringLiteral("INSERT INTO big ") + series);
    const QStringList whole = wholeResult(connection, QStringLiteral("SELECT * FROM big ORDER BY id"));
    QCOMPARE(whole.size(), 100000);

    // 997 rows a piece: the boundaries fall anywhere, and the last piece is a short one.
    KeyRangeReader::setPieceRowsForTesting(997);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("big"));
    QVERIFY(rs.readsInPieces());
    QCOMPARE(rs.RecordCount(), 100000);
    QCOMPARE(readAll(rs), whole);
    // From the start again, as skip table in browse mode and a new run read it.
    rs.MoveFirst();
    QCOMPARE(rowText(rs), whole.first());
}

void TestPieceReading::savesLeaveEveryRowReadOnce_data()
{
    QTest::addColumn<TestBackend>("backend");
    QTest::addColumn<QString>("idColumn");
    // "record=text" saves a text into the row at that record, "record=>id" gives it that key, "record=!"
    // tries a save that is refused, since another connection changed the row meanwhile (and rolled back).
    QTest::addColumn<QStringList>("saves");
    QTest::addColumn<bool>("readAhead");
    const QString primary = QStringLiteral("id INTEGER PRIMARY KEY");
    for (const auto& [backend, readAhead] :
         {std::pair {TestBackend::PostgreSql, false}, std::pair {TestBackend::PostgreSql, true},
          std::pair {TestBackend::MariaDb, false}, std::pair {TestBackend::MariaDb, true}}) {
        const auto row = [&, backend = backend, readAhead = readAhead](const char* name, const QString& idColumn,
                                                                       const QStringList& saves) {
            QTest::newRow(qPrintable(test::backendName(backend) + QLatin1Char(' ') + QLatin1String(name)
                                     + (readAhead ? QStringLiteral(", read ahead") : QString())))
                << backend << idColumn << saves << readAhead;
        };
        row("texts inside, at both sides of a boundary and on the last row", primary, {"1=a", "3=b", "4=c", "19=d"});
        row("key moved ahead into a later piece", primary, {"1=>125"});
        row("key moved ahead inside its own piece", primary, {"0=>35"});
        row("key of a piece's last row moved far ahead", primary, {"3=>205"});
        row("key of a piece's last row moved just past it", primary, {"3=>45"});
        row("key moved behind", primary, {"10=>5"});
        row("key and text of the last row", primary, {"19=>300", "19=e"});
        row("several keys moved ahead, one twice", primary, {"2=>95", "5=>145", "6=>71", "9=>96", "12=>146"});
        // Without a primary key an update may name its row by other columns than the key the pieces follow.
        row("unique key moved ahead", QStringLiteral("id INTEGER NOT NULL UNIQUE"), {"3=>205", "5=>125"});
        row("refused saves at a boundary and inside a piece", primary, {"3=!", "4=!", "6=!", "7=f"});
    }
}

void TestPieceReading::savesLeaveEveryRowReadOnce()
{
    QFETCH(QString, idColumn);
    QFETCH(QStringList, saves);
    QFETCH(bool, readAhead);
    OPEN_SERVER(connection);
    KeyRangeReader::setReadAheadForTesting(readAhead);
    connection.Execute(QStringLiteral("CREATE TABLE moves (%1, t VARCHAR(20))").arg(idColumn));
    QStringList values;
    QMap<int, QString> expected; // id → text after the saves
    for (int i = 1; i <= MoveRows; ++i) {
        values.append(QStringLiteral("(%1, 'r%1')").arg(i * 10));
        expected.insert(i * 10, QStringLiteral("r%1").arg(i * 10));
    }
    connection.Execute(QStringLiteral("INSERT INTO moves VALUES ") + values.join(QLatin1Char(',')));

    KeyRangeReader::setPieceRowsForTesting(MovePiece);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("moves"));
    QVERIFY(rs.readsInPieces());
    const int count = rs.RecordCount();
    QList<int> visited;
    for (int record = 0; !rs.IsEOF(); ++record) {
        const int id = rs.Fields(0).Value().toInt();
        visited.append(id);
        for (const QString& save : saves) {
            if (save.section(QLatin1Char('='), 0, 0).toInt() != record)
                continue;
            const QString change = save.section(QLatin1Char('='), 1);
            const int current = rs.Fields(0).Value().toInt();
            if (change == QLatin1String("!")) {
                Connection other;
                other.setConnectionString(connection.ConnectionString());
                other.Open();
                other.Execute(QStringLiteral("UPDATE moves SET t = 'theirs' WHERE id = %1").arg(current));
                rs.Fields(1).setValue(QStringLiteral("mine"));
                QVERIFY_THROWS_EXCEPTION(DataError, rs.Update());
                expected[current] = QStringLiteral("theirs");
            } else if (change.startsWith(QLatin1Char('>'))) {
                rs.Fields(0).setValue(change.mid(1).toInt());
                rs.Update();
                expected.insert(change.mid(1).toInt(), expected.take(current));
            } else {
                rs.Fields(1).setValue(change);
                rs.Update();
                expected[current] = change;
            }
        }
        rs.MoveNext();
    }
    // Each row once, in the order of the keys as they were read, and exactly as many as were counted.
    QList<int> originals;
    for (int i = 1; i <= MoveRows; ++i)
        originals.append(i * 10);
    QCOMPARE(visited, originals);
    QCOMPARE(count, MoveRows);
    QStringList written;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        written.append(QStringLiteral("%1|%2").arg(it.key()).arg(it.value()));
    QCOMPARE(test::tableRows(connection, QStringLiteral("moves"), QStringLiteral("id")), written);
}

void TestPieceReading::keysCompareOnTheServerAsItOrdersThem_data()
{
    QTest::addColumn<TestBackend>("backend");
    QTest::addColumn<QStringList>("keyColumns"); // the key's column definitions, in key order
    QTest::addColumn<QStringList>("keys"); // SQL literals of each row's key, comma-separated per column

    // Text forms that do not order like the values: negative numbers, digit counts, long decimals,
    // fractions of seconds, bytes that are no characters; texts in mixed case and accents under
    // collations that order them differently.
    const QStringList words = {"'apple'", "'Äpfel'", "'Banane'",   "'éclair'", "'Eclipse'", "'Öl'",
                               "'ofen'",  "'Zebra'", "'zucchini'", "'ß'",      "'_unter'",  "'Ωmega'"};
    const QStringList latinWords = {"'apple'", "'Äpfel'", "'Banane'",   "'éclair'", "'Eclipse'", "'Öl'",
                                    "'ofen'",  "'Zebra'", "'zucchini'", "'ß'",      "'_unter'"};
    const QStringList integers = {"-10", "-1", "0", "9", "10", "99", "100", "1000", "2147483647", "-2147483648"};
    const QStringList decimals
        = {"'123456789012345678901234.00001'", "'123456789012345678901234.00002'", "'-1'", "'0.00001'", "'99999'",
           "'-123456789012345678901234.5'"};
    const QStringList dates = {"'2024-01-02'", "'1999-12-31'", "'2024-10-27'", "'2024-01-10'", "'0999-05-06'"};
    const QStringList stamps = {"'2024-01-02 03:04:05.000001'", "'2024-01-02 03:04:05.000002'", "'2024-01-02 03:04:05'",
                                "'1999-12-31 23:59:59.999999'", "'2024-01-02 13:04:05'"};
    const QStringList composite = {"1, 'b'", "1, 'a'", "2, 'A'", "10, 'a'", "9, 'z'", "1, 'B'", "-1, 'ä'"};

    const TestBackend pg = TestBackend::PostgreSql;
    QTest::newRow("PostgreSQL integer") << pg << QStringList {"k INTEGER"} << integers;
    QTest::newRow("PostgreSQL bigint")
        << pg << QStringList {"k BIGINT"}
        << QStringList {"-9223372036854775808", "-1", "0", "4294967296", "9223372036854775807", "9007199254740993",
                        "9007199254740992"};
    QTest::newRow("PostgreSQL smallint") << pg << QStringList {"k SMALLINT"}
                                         << QStringList {"-32768", "5", "32767", "-5"};
    QTest::newRow("PostgreSQL numeric") << pg << QStringList {"k NUMERIC(30,5)"} << decimals;
    QTest::newRow("PostgreSQL date") << pg << QStringList {"k DATE"} << dates;
    QTest::newRow("PostgreSQL timestamp") << pg << QStringList {"k TIMESTAMP(6)"} << stamps;
    QTest::newRow("PostgreSQL time") << pg << QStringList {"k TIME(6)"}
                                     << QStringList {"'10:11:12.5'", "'10:11:12.25'", "'09:00:00'", "'23:59:59.999999'",
                                                     "'00:00:00'"};
    QTest::newRow("PostgreSQL uuid") << pg << QStringList {"k UUID"}
                                     << QStringList {"'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'",
                                                     "'A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A12'",
                                                     "'00000000-0000-0000-0000-000000000000'",
                                                     "'ffffffff-ffff-ffff-ffff-ffffffffffff'"};
    QTest::newRow("PostgreSQL bytea") << pg << QStringList {"k BYTEA"}
                                      << QStringList {"'\\x00'", "'\\x0001'", "'\\xff'",
                                                      "'\\x7f'", "'\\x'",     "'\\x00ff00'"};
    QTest::newRow("PostgreSQL text in C order") << pg << QStringList {"k TEXT COLLATE \"C\""} << words;
    QTest::newRow("PostgreSQL text in German order") << pg << QStringList {"k TEXT COLLATE \"de-x-icu\""} << words;
    QTest::newRow("PostgreSQL varchar in ICU root order")
        << pg << QStringList {"k VARCHAR(20) COLLATE \"und-x-icu\""} << words;
    QTest::newRow("PostgreSQL padded char")
        << pg << QStringList {"k CHAR(8)"} << QStringList {"'b'", "'a  '", "'A'", "' a'", "'ab'"};
    QTest::newRow("PostgreSQL integer and text")
        << pg << QStringList {"k1 INTEGER", "k2 TEXT COLLATE \"de-x-icu\""} << composite;
    QTest::newRow("PostgreSQL text, date and integer")
        << pg << QStringList {"k1 VARCHAR(10) COLLATE \"de-x-icu\"", "k2 DATE", "k3 INTEGER"}
        << QStringList {"'a', '2024-01-02', 3", "'a', '2024-01-02', -3", "'a', '1999-01-02', 3",
                        "'Ä', '2024-01-02', 3", "'b', '2024-01-02', 3",  "'a', '2024-01-03', 0"};

    const TestBackend my = TestBackend::MariaDb;
    QTest::newRow("MariaDB int") << my << QStringList {"k INT"} << integers;
    QTest::newRow("MariaDB bigint unsigned")
        << my << QStringList {"k BIGINT UNSIGNED"}
        << QStringList {"0", "18446744073709551615", "9223372036854775808", "10", "9", "18446744073709551614"};
    QTest::newRow("MariaDB tinyint") << my << QStringList {"k TINYINT"} << QStringList {"-128", "127", "0", "-1", "10"};
    QTest::newRow("MariaDB decimal") << my << QStringList {"k DECIMAL(30,5)"} << decimals;
    QTest::newRow("MariaDB date") << my << QStringList {"k DATE"} << dates;
    QTest::newRow("MariaDB datetime") << my << QStringList {"k DATETIME(6)"} << stamps;
    QTest::newRow("MariaDB time") << my << QStringList {"k TIME(6)"}
                                  << QStringList {"'10:11:12.5'", "'10:11:12.25'", "'-01:00:00'",
                                                  "'838:59:59'",  "'09:00:00'",    "'-100:00:00.5'"};
    QTest::newRow("MariaDB varbinary") << my << QStringList {"k VARBINARY(8)"}
                                       << QStringList {"0x00", "0x0001", "0xff", "0x7f", "''", "0x00ff00"};
    QTest::newRow("MariaDB varchar in binary order")
        << my << QStringList {"k VARCHAR(20) COLLATE utf8mb4_bin"} << words;
    QTest::newRow("MariaDB varchar in Unicode order")
        << my << QStringList {"k VARCHAR(20) COLLATE utf8mb4_unicode_ci"} << words;
    QTest::newRow("MariaDB latin1 varchar in German order")
        << my << QStringList {"k VARCHAR(20) CHARACTER SET latin1 COLLATE latin1_german1_ci"} << latinWords;
    QTest::newRow("MariaDB char") << my << QStringList {"k CHAR(8) COLLATE utf8mb4_general_ci"}
                                  << QStringList {"'b'", "'a'", "' a'", "'ab'", "'Z'", "'Éz'"};
    QTest::newRow("MariaDB int and varchar")
        << my << QStringList {"k1 INT", "k2 VARCHAR(10) COLLATE utf8mb4_bin"} << composite;
    QTest::newRow("MariaDB varchar, date and int")
        << my << QStringList {"k1 VARCHAR(10) COLLATE utf8mb4_unicode_ci", "k2 DATE", "k3 INT"}
        << QStringList {"'a', '2024-01-02', 3", "'a', '2024-01-02', -3", "'a', '1999-01-02', 3",
                        "'Ä', '2024-01-02', 4", "'b', '2024-01-02', 3",  "'a', '2024-01-03', 0"};
}

void TestPieceReading::keysCompareOnTheServerAsItOrdersThem()
{
    QFETCH(QStringList, keyColumns);
    QFETCH(QStringList, keys);
    OPEN_SERVER(connection);
    QStringList names;
    for (const QString& column : keyColumns)
        names.append(column.section(QLatin1Char(' '), 0, 0));
    const QString key = names.join(QStringLiteral(", "));
    connection.Execute(QStringLiteral("CREATE TABLE keyed (%1, payload VARCHAR(10), PRIMARY KEY (%2))")
                           .arg(keyColumns.join(QStringLiteral(", ")), key));
    for (int i = 0; i < keys.size(); ++i)
        connection.Execute(QStringLiteral("INSERT INTO keyed VALUES (%1, 'p%2')").arg(keys.at(i)).arg(i));
    // The server's own order of its own values is the reference.
    const QStringList ordered = wholeResult(connection, QStringLiteral("SELECT * FROM keyed ORDER BY %1").arg(key));
    QCOMPARE(ordered.size(), keys.size());

    // One row a piece: every next row is found by comparing with the key of the row before.
    KeyRangeReader::setPieceRowsForTesting(1);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("keyed"));
    QVERIFY(rs.readsInPieces());
    QCOMPARE(readAll(rs), ordered);
}

void TestPieceReading::onlyAnExactUniqueKeyIsReadInPieces_data()
{
    QTest::addColumn<TestBackend>("backend");
    QTest::addColumn<QString>("table"); // CREATE TABLE t ... and what follows it, ';'-separated
    QTest::addColumn<QString>("rows"); // the VALUES list of (id, v) rows
    QTest::addColumn<bool>("inPieces");

    // Duplicates and NULLs sit where a wrongly chosen key would skip rows.
    const QString rows = QStringLiteral("(1, 'x'), (2, 'y'), (2, 'y'), (3, NULL), (NULL, 'z'), (NULL, 'z')");
    const QString unique = QStringLiteral("(1, 'x'), (2, 'y'), (3, 'z'), (4, NULL), (5, 'w')");
    for (const TestBackend backend : {TestBackend::PostgreSql, TestBackend::MariaDb}) {
        const QString name = test::backendName(backend) + QLatin1Char(' ');
        QTest::newRow(qPrintable(name + "no key")) << backend << "(id INTEGER, v VARCHAR(5))" << rows << false;
        QTest::newRow(qPrintable(name + "unique but nullable"))
            << backend << "(id INTEGER UNIQUE, v VARCHAR(5))" << QStringLiteral("(1, 'x'), (NULL, 'z'), (NULL, 'z')")
            << false;
        QTest::newRow(qPrintable(name + "unique and not null"))
            << backend << "(id INTEGER NOT NULL UNIQUE, v VARCHAR(5))" << unique << true;
        QTest::newRow(qPrintable(name + "floating-point key"))
            << backend << "(id REAL PRIMARY KEY, v VARCHAR(5))" << QStringLiteral("(1.5, 'x'), (0.1, 'y'), (-2, 'z')")
            << false;
        QTest::newRow(qPrintable(name + "primary key"))
            << backend << "(id INTEGER PRIMARY KEY, v VARCHAR(5))" << unique << true;
    }
    const TestBackend pg = TestBackend::PostgreSql;
    QTest::newRow("PostgreSQL partial unique index")
        << pg << "(id INTEGER NOT NULL, v VARCHAR(5)); CREATE UNIQUE INDEX some_ids ON t (id) WHERE v = 'x'"
        << QStringLiteral("(1, 'x'), (2, 'y'), (2, 'y'), (3, 'x')") << false;
    QTest::newRow("PostgreSQL timestamp with time zone")
        << pg << "(id TIMESTAMPTZ PRIMARY KEY, v VARCHAR(5))"
        << QStringLiteral("('2024-10-27 00:30:00+00', 'x'), ('2024-10-27 01:30:00+00', 'y')") << false;
    const TestBackend my = TestBackend::MariaDb;
    QTest::newRow("MariaDB enum") << my << "(id ENUM('z', 'a', 'm') PRIMARY KEY, v VARCHAR(5))"
                                  << QStringLiteral("('a', 'x'), ('m', 'y'), ('z', 'z')") << false;
    QTest::newRow("MariaDB timestamp") << my << "(id TIMESTAMP PRIMARY KEY, v VARCHAR(5))"
                                       << QStringLiteral("('2024-10-27 00:30:00', 'x'), ('2024-10-27 01:30:00', 'y')")
                                       << false;
}

void TestPieceReading::onlyAnExactUniqueKeyIsReadInPieces()
{
    QFETCH(QString, table);
    QFETCH(QString, rows);
    QFETCH(bool, inPieces);
    OPEN_SERVER(connection);
    const QStringList statements = table.split(QLatin1Char(';'));
    connection.Execute(QStringLiteral("CREATE TABLE t ") + statements.first());
    for (const QString& statement : statements.mid(1))
        connection.Execute(statement);
    connection.Execute(QStringLiteral("INSERT INTO t VALUES ") + rows);
    QStringList whole = wholeResult(connection, QStringLiteral("SELECT * FROM t"));

    KeyRangeReader::setPieceRowsForTesting(1);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("t"));
    QStringList read = readAll(rs);
    QCOMPARE(rs.readsInPieces(), inPieces);
    // Read whole, the server's order is its own; every row comes once either way.
    read.sort();
    whole.sort();
    QCOMPARE(read, whole);
}

void TestPieceReading::aRunDoesTheSameOverPiecesAsOverOne()
{
    OPEN_SERVER(connection);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sys")));
    RunSetup setup(folder.path(), [&] { return &connection; });
    // Replacing "1" by "5" without halt moves keys ahead into a later piece (11 to 55) and past the table's
    // end (110 to 550, 301 to 305), refuses the moves onto keys that exist (210 to 250) and saves the texts
    // beside them. A row met twice would take the place of the last one, whose hits would go missing.
    const auto runOnce = [&](int pieceRows, QStringList& rows) {
        connection.Execute(QStringLiteral("DROP TABLE IF EXISTS walk"));
        connection.Execute(QStringLiteral("CREATE TABLE walk (id INTEGER PRIMARY KEY, t VARCHAR(20))"));
        QStringList values = {QStringLiteral("(11, 'v11')"), QStringLiteral("(301, 'v301')")};
        for (int id = 20; id <= 300; id += 10)
            values.append(QStringLiteral("(%1, 'v%1')").arg(id));
        connection.Execute(QStringLiteral("INSERT INTO walk VALUES ") + values.join(QLatin1Char(',')));
        KeyRangeReader::setPieceRowsForTesting(pieceRows);
        RunLog log;
        setup.session().addObserver(&log);
        RunOptions options;
        options.match.search = QStringLiteral("1");
        options.match.replacement = QStringLiteral("5");
        options.tables = QStringList {QStringLiteral("walk")};
        options.policy = HitPolicy::SaveEvery;
        setup.session().runToEnd(options);
        setup.session().removeObserver(&log);
        rows = test::tableRows(connection, QStringLiteral("walk"), QStringLiteral("id"));
        return log.lines;
    };
    QStringList inPieces;
    QStringList inOne;
    // Pieces of 4 rows against one piece of 64 that holds the whole table.
    const QStringList piecesLog = runOnce(4, inPieces);
    const QStringList oneLog = runOnce(0, inOne);
    QCOMPARE(piecesLog, oneLog);
    QCOMPARE(inPieces, inOne);
    QVERIFY(oneLog.contains(QStringLiteral("save 30.1 v305"))); // the last record's text
    QVERIFY(oneLog.last().startsWith(QLatin1String("end records=31 ")));
}

void TestPieceReading::sqliteKeepsItsStreamingResult()
{
    QTemporaryDir folder;
    test::SqliteDatabase db(folder.path());
    db.exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT)"));
    db.exec(QStringLiteral("INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')"));
    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.Open();
    QCOMPARE(connection.tableReading(), Connection::TableReading::WholeResult);
    KeyRangeReader::setPieceRowsForTesting(1);
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("t"));
    QVERIFY(!rs.readsInPieces());
    QCOMPARE(readAll(rs), QStringList({"1|a", "2|b", "3|c"}));
}

void TestPieceReading::aPieceReadAheadFollowsOnlyWhereTheWalkEnded_data()
{
    QTest::addColumn<TestBackend>("backend");
    // Done by another connection to the first piece's rows (ids 10 ... 70) once they are in the client,
    // before the server counts them again for the piece read ahead.
    QTest::addColumn<QString>("meanwhile");
    for (const TestBackend backend : {TestBackend::PostgreSql, TestBackend::MariaDb}) {
        for (const char* change : {"", "DELETE FROM ahead WHERE id = 30", "INSERT INTO ahead VALUES (35)"})
            QTest::addRow("%s: %s", qPrintable(test::backendName(backend)), *change ? change : "nothing")
                << backend << QString::fromLatin1(change);
    }
}

// The rows of the first piece as read, then every later row once: a piece read ahead that starts
// elsewhere than after the last row read is not taken.
void TestPieceReading::aPieceReadAheadFollowsOnlyWhereTheWalkEnded()
{
    QFETCH(QString, meanwhile);
    OPEN_SERVER(connection);
    connection.Execute(QStringLiteral("CREATE TABLE ahead (id INTEGER PRIMARY KEY)"));
    QStringList values;
    QList<int> expected;
    for (int id = 10; id <= 300; id += 10) {
        values.append(QStringLiteral("(%1)").arg(id));
        expected.append(id);
    }
    connection.Execute(QStringLiteral("INSERT INTO ahead VALUES ") + values.join(QLatin1Char(',')));
    Connection other;
    other.setConnectionString(connection.ConnectionString());
    other.Open();
    bool changed = meanwhile.isEmpty();
    KeyRangeReader::setPieceRowsForTesting(7);
    KeyRangeReader::setReadAheadForTesting(true, [&] {
        if (!changed)
            other.Execute(meanwhile);
        changed = true;
    });
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("ahead"));
    QList<int> ids;
    for (; !rs.IsEOF(); rs.MoveNext())
        ids.append(rs.Fields(0).Value().toInt());
    QCOMPARE(ids, expected);
    // Thirty rows in pieces of seven: the four after the first come read ahead where nothing changed.
    QCOMPARE(rs.piecesReadAhead(), meanwhile.isEmpty() ? 4 : 3);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return test::runOnSelectedBackend(
        [&](TestBackend) {
            TestPieceReading tests;
            return QTest::qExec(&tests, argc, argv);
        },
        false);
}
#include "tst_piecereading.moc"
