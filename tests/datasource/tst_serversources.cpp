// The data-source layer on PostgreSQL and MariaDB through their ODBC drivers: the types their drivers
// report, the tables schema, quoting, the update rule and the completed connection string. Each case
// runs on the server of its ctest entry, which is skipped when the environment does not name that server
// (see TestBackend.h).
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"
#include "datasource/ui/DataLinkOdbc.h"

#include "TableRows.h"
#include "TestBackend.h"

#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::tableRows;
using dorvane::test::TestBackend;

Q_DECLARE_METATYPE(TestBackend)

namespace {

// The server's test database, emptied, with an open connection to it. main() runs the cases only on a
// server that is named and answers.
#define OPEN_SERVER(connection)                                                                                        \
    QFETCH(TestBackend, backend);                                                                                      \
    const QString connectionString = test::freshServerDatabase(backend, QStringLiteral("dorvane_sources"));            \
    Connection connection;                                                                                             \
    connection.setConnectionString(connectionString);                                                                  \
    connection.Open()

// The one row of the server this process runs on (one ctest entry per server, see TestBackend.h).
void addServerRows()
{
    QTest::addColumn<TestBackend>("backend");
    const TestBackend backend = test::selectedBackend().value_or(TestBackend::Sqlite);
    QTest::newRow(qPrintable(test::backendName(backend))) << backend;
}

} // namespace

class TestServerSources : public QObject
{
    Q_OBJECT

private slots:
    void fieldsReportAdoTypes_data() { addServerRows(); }
    void fieldsReportAdoTypes();
    void schemaListsThisDatabaseTablesAndViews_data() { addServerRows(); }
    void schemaListsThisDatabaseTablesAndViews();
    void namesAreQuotedInTheServersQuotes_data() { addServerRows(); }
    void namesAreQuotedInTheServersQuotes();
    void updateNamesTheRowByKeyOrByAllValues_data() { addServerRows(); }
    void updateNamesTheRowByKeyOrByAllValues();
    void completedStringReopensTheSameSource_data() { addServerRows(); }
    void completedStringReopensTheSameSource();
    void dataLinkListsAndReachesTheDriver_data() { addServerRows(); }
    void longUnicodeTextIsReadWhole_data() { addServerRows(); }
    void longUnicodeTextIsReadWhole();
    void dataLinkListsAndReachesTheDriver();
};

void TestServerSources::fieldsReportAdoTypes()
{
    OPEN_SERVER(connection);
    // Column name → ADO type number, as ADO's ODBC provider reports them through these Unicode drivers.
    QList<QPair<QString, int>> expected;
    QString columns;
    if (backend == TestBackend::PostgreSql) {
        columns = QStringLiteral("i integer, si smallint, bi bigint, r real, d double precision, n numeric(10,2), "
                                 "dt date, tm time, ts timestamp, vc varchar(20), ch char(3), tx text, bin bytea, "
                                 "u uuid");
        expected = {{"i", ado::adInteger},         {"si", ado::adSmallInt}, {"bi", ado::adBigInt},
                    {"r", ado::adSingle},          {"d", ado::adDouble},    {"n", ado::adNumeric},
                    {"dt", ado::adDBDate},         {"tm", ado::adDBTime},   {"ts", ado::adDBTimeStamp},
                    {"vc", ado::adVarWChar},       {"ch", ado::adWChar},    {"tx", ado::adLongVarWChar},
                    {"bin", ado::adLongVarBinary}, {"u", ado::adGUID}};
    } else {
        columns = QStringLiteral("i int, ui int unsigned, ti tinyint, uti tinyint unsigned, si smallint, bi bigint, "
                                 "ubi bigint unsigned, r float, d double, n decimal(10,2), b bit(1), dt date, "
                                 "tm time, ts datetime, vc varchar(20), ch char(3), tx text, vb varbinary(10), "
                                 "bl blob");
        expected = {{"i", ado::adInteger},          {"ui", ado::adUnsignedInt},
                    {"ti", ado::adTinyInt},         {"uti", ado::adUnsignedTinyInt},
                    {"si", ado::adSmallInt},        {"bi", ado::adBigInt},
                    {"ubi", ado::adUnsignedBigInt}, {"r", ado::adSingle},
                    {"d", ado::adDouble},           {"n", ado::adNumeric},
                    {"b", ado::adBoolean},          {"dt", ado::adDBDate},
                    {"tm", ado::adDBTime},          {"ts", ado::adDBTimeStamp},
                    {"vc", ado::adVarWChar},        {"ch", ado::adWChar},
                    {"tx", ado::adLongVarWChar},    {"vb", ado::adVarBinary},
                    {"bl", ado::adLongVarBinary}};
    }
    connection.Execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(connection.quoteIdentifier("Types"), columns));
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("Types"));
    QCOMPARE(rs.FieldCount(), expected.size());
    for (int i = 0; i < rs.FieldCount(); ++i) {
        QCOMPARE(rs.Fields(i).Name(), expected[i].first);
        QCOMPARE(rs.Fields(i).Type(), expected[i].second);
    }
}

void TestServerSources::schemaListsThisDatabaseTablesAndViews()
{
    OPEN_SERVER(connection);
    connection.Execute(
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY)").arg(connection.quoteIdentifier("Zeta")));
    connection.Execute(
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY)").arg(connection.quoteIdentifier("Alpha")));
    connection.Execute(QStringLiteral("CREATE VIEW %1 AS SELECT id FROM %2")
                           .arg(connection.quoteIdentifier("Mid"), connection.quoteIdentifier("Zeta")));
    SchemaRecordSet schema = connection.OpenSchema();
    QStringList listed;
    for (; !schema.IsEOF(); schema.MoveNext())
        listed.append(schema.Fields(2).Value().toString() + QLatin1Char(':') + schema.Fields(3).Value().toString());
    // Nothing of other databases, information_schema or performance_schema; the driver's order.
    listed.sort(); // the order is the driver's; the set is ours to check
    QCOMPARE(listed, QStringList({"Alpha:TABLE", "Mid:VIEW", "Zeta:TABLE"}));
}

void TestServerSources::namesAreQuotedInTheServersQuotes()
{
    OPEN_SERVER(connection);
    const QString quote = backend == TestBackend::PostgreSql ? QStringLiteral("\"") : QStringLiteral("`");
    QVERIFY(!connection.quoting().usesBrackets());
    QCOMPARE(connection.tableQuery(QStringLiteral("Order Details")),
             QStringLiteral("Select * FROM %1Order Details%1 ").arg(quote));
    // A quote inside a name is doubled: the name stays one name and can be opened.
    const QString odd = QStringLiteral("we%1ird; DROP TABLE x").arg(quote);
    QCOMPARE(connection.quoteIdentifier(odd),
             quote + QStringLiteral("we") + quote + quote + QStringLiteral("ird; DROP TABLE x") + quote);
    connection.Execute(
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, a TEXT)").arg(connection.quoteIdentifier(odd)));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES (1, 'x')").arg(connection.quoteIdentifier(odd)));
    QueryRecordSet rs;
    rs.OpenTable(connection, odd);
    QCOMPARE(rs.RecordCount(), 1);
    rs.Fields(1).setValue(QStringLiteral("y"));
    rs.Update();
    QCOMPARE(tableRows(connection, odd, QStringLiteral("id")), QStringList({"1|y"}));
}

void TestServerSources::updateNamesTheRowByKeyOrByAllValues()
{
    OPEN_SERVER(connection);
    const QString keyed = connection.quoteIdentifier(QStringLiteral("Keyed"));
    const QString loose = connection.quoteIdentifier(QStringLiteral("Loose"));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (k INTEGER PRIMARY KEY, a TEXT, n INTEGER)").arg(keyed));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES (1, 'same', 5), (2, 'same', NULL)").arg(keyed));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (a TEXT, b TEXT)").arg(loose));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES ('one', 'x'), ('twin', 'y'), ('twin', 'y')").arg(loose));

    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("Keyed"));
    // Writing the stored value again changes nothing but still names exactly one row (MariaDB counts
    // matched rows only with its FOUND_ROWS option).
    rs.Fields(QStringLiteral("a")).setValue(QStringLiteral("same"));
    rs.Update();
    rs.Fields(QStringLiteral("a")).setValue(QStringLiteral("first"));
    rs.Update();
    rs.MoveNext();
    rs.Fields(QStringLiteral("a")).setValue(QStringLiteral("second"));
    rs.Update(); // named by its key beside a NULL
    QCOMPARE(tableRows(connection, QStringLiteral("Keyed"), QStringLiteral("k")),
             QStringList({"1|first|5", "2|second|<NULL>"}));

    QueryRecordSet looseRows;
    looseRows.OpenTable(connection, QStringLiteral("Loose"));
    QStringList before = tableRows(connection, QStringLiteral("Loose"), QStringLiteral("a"));
    for (; !looseRows.IsEOF(); looseRows.MoveNext()) {
        if (looseRows.Fields(0).Value().toString() == QLatin1String("one")) {
            looseRows.Fields(1).setValue(QStringLiteral("changed"));
            looseRows.Update(); // named by all of its values
        } else {
            looseRows.Fields(1).setValue(QStringLiteral("lost"));
            // Two rows hold the same values: writing would touch both, so nothing is written.
            QVERIFY_THROWS_EXCEPTION(DataError, looseRows.Update());
            QCOMPARE(looseRows.Fields(1).Value(), QVariant(QStringLiteral("y")));
        }
    }
    before.replaceInStrings(QStringLiteral("one|x"), QStringLiteral("one|changed"));
    QCOMPARE(tableRows(connection, QStringLiteral("Loose"), QStringLiteral("a")), before);

    // A row changed by someone else since it was read is not overwritten.
    rs.MoveFirst();
    connection.Execute(QStringLiteral("UPDATE %1 SET a = 'theirs' WHERE k = 1").arg(keyed));
    rs.Fields(QStringLiteral("a")).setValue(QStringLiteral("mine"));
    QVERIFY_THROWS_EXCEPTION(DataError, rs.Update());
    QCOMPARE(tableRows(connection, QStringLiteral("Keyed"), QStringLiteral("k")),
             QStringList({"1|theirs|5", "2|second|<NULL>"}));
}

void TestServerSources::completedStringReopensTheSameSource()
{
    OPEN_SERVER(connection);
    const QString completed = connection.ConnectionString();
    QVERIFY(completed.contains(QStringLiteral("DRIVER="), Qt::CaseInsensitive));
    Connection again;
    again.setConnectionString(completed);
    again.Open();
    const QList<ConnectionProperty> first = connection.Properties();
    const QList<ConnectionProperty> second = again.Properties();
    QCOMPARE(second.at(7).Value, QStringLiteral("dorvane_sources")); // Current Catalog
    QCOMPARE(second.at(Connection::DataSourceNameProperty).Value, first.at(Connection::DataSourceNameProperty).Value);
    QVERIFY(!second.at(Connection::DataSourceNameProperty).Value.isEmpty());
    QCOMPARE(second.at(3).Value, first.at(3).Value); // DBMS Name
    QCOMPARE(again.ConnectionString(), completed);
}

void TestServerSources::dataLinkListsAndReachesTheDriver()
{
    OPEN_SERVER(connection);
    const QString driver
        = backend == TestBackend::PostgreSql ? QStringLiteral("PostgreSQL Unicode") : QStringLiteral("MariaDB Unicode");
    QVERIFY(DataLinkOdbc::installedDrivers().contains(driver));
    const DataLinkOdbc::TestResult result = DataLinkOdbc::testConnection(connectionString);
    QVERIFY2(result.succeeded, qPrintable(result.message));
}

void TestServerSources::longUnicodeTextIsReadWhole()
{
    OPEN_SERVER(connection);
    // MariaDB hands text over as UTF-8, the others as UTF-16 (the test servers' results are utf8mb4).
    QCOMPARE(connection.deliversUtf8Text(), backend == TestBackend::MariaDb);
    // Far longer than one read buffer, with characters of two, three and four bytes in UTF-8 whose bytes
    // fall across the borders of the pieces.
    // 5000 times 10 bytes: within MariaDB's TEXT (64 KiB), far beyond the 8 KiB read buffer.
    const QStringList characters
        = {QStringLiteral("ä"), QStringLiteral("東"), QStringLiteral("😀"), QStringLiteral("x")};
    QString text;
    for (int i = 0; i < 5000 * 4; ++i)
        text += characters.at((i / 3 + i) % 4);
    const QString table = connection.quoteIdentifier(QStringLiteral("Long"));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, t TEXT, s VARCHAR(10))").arg(table));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES (1, '%2', 'Ωmega'), (2, '', NULL)").arg(table, text));
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("Long"));
    QCOMPARE(rs.Fields(1).Value().toString(), text);
    QCOMPARE(rs.Fields(2).Value(), QVariant(QStringLiteral("Ωmega")));
    rs.MoveNext();
    QCOMPARE(rs.Fields(1).Value(), QVariant(QString(QLatin1String(""))));
    QVERIFY(rs.Fields(2).Value().isNull());
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return test::runOnSelectedBackend(
        [&](TestBackend) {
            TestServerSources tests;
            return QTest::qExec(&tests, argc, argv);
        },
        false);
}

#include "tst_serversources.moc"
