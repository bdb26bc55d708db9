// The data-source layer on PostgreSQL and MariaDB through their ODBC drivers: the types their drivers
// report, the tables schema, quoting, the update rule and the completed connection string. Each case
// runs on the server of its ctest entry, which is skipped when the environment does not name that server
// (see TestBackend.h).
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"
#include "datasource/ui/DataLinkOdbc.h"
#include "engine/FieldText.h"

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
    void tenMegabyteValuesRoundTrip_data() { addServerRows(); }
    void tenMegabyteValuesRoundTrip();
    void everyLetterIsSavedAndNamesItsRow_data() { addServerRows(); }
    void everyLetterIsSavedAndNamesItsRow();
    void writingTheShownTextBackKeepsTheValue_data() { addServerRows(); }
    void writingTheShownTextBackKeepsTheValue();
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
    {
        // The same for a value that differs from the one read but is stored as it was (CHAR pads).
        const QString padded = connection.quoteIdentifier(QStringLiteral("Padded"));
        connection.Execute(QStringLiteral("CREATE TABLE %1 (k INTEGER PRIMARY KEY, c CHAR(8))").arg(padded));
        connection.Execute(QStringLiteral("INSERT INTO %1 VALUES (1, 'same')").arg(padded));
        QueryRecordSet paddedRows;
        paddedRows.OpenTable(connection, QStringLiteral("Padded"));
        paddedRows.Fields(1).setValue(paddedRows.Fields(1).Value().toString() + QStringLiteral(" "));
        paddedRows.Update();
    }
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

void TestServerSources::tenMegabyteValuesRoundTrip()
{
    OPEN_SERVER(connection);
    // 10 MiB of UTF-8 (two, three and four bytes beside ASCII) and 10 MiB of every byte value, written
    // through the record set and read back whole. They go in rows of their own: MariaDB's packets end at
    // 16 MiB (max_allowed_packet), for a statement as for a row.
    const QString pattern = QStringLiteral("abcdefghij ä漢😀 ");
    QString text;
    text.reserve(8 << 20);
    while (text.size() < 8 << 20)
        text += pattern;
    QByteArray bytes(10 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 256);
    const bool pg = backend == TestBackend::PostgreSql;
    const QString table = connection.quoteIdentifier(QStringLiteral("Large"));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, memo %2, data %3)")
                           .arg(table, pg ? QStringLiteral("text") : QStringLiteral("LONGTEXT"),
                                pg ? QStringLiteral("bytea") : QStringLiteral("LONGBLOB")));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES (1, '', NULL), (2, NULL, NULL)").arg(table));
    {
        QueryRecordSet rs;
        rs.OpenTable(connection, QStringLiteral("Large"));
        rs.Fields(1).setValue(text);
        rs.Update();
        rs.MoveNext();
        rs.Fields(2).setValue(bytes);
        rs.Update();
    }
    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("Large"));
    const QString readText = rs.Fields(1).Value().toString();
    QCOMPARE(readText.size(), text.size());
    QVERIFY(readText == text);
    rs.MoveNext();
    const QByteArray readBytes = rs.Fields(2).Value().toByteArray();
    QCOMPARE(readBytes.size(), bytes.size());
    QVERIFY(readBytes == bytes);
}

void TestServerSources::everyLetterIsSavedAndNamesItsRow()
{
    OPEN_SERVER(connection);
    // Every character from U+00A0 to U+00FF, a CJK character, an emoji and a byte order mark, stored in a row and
    // written anew through the record set: the new text must arrive as it is, and the changed field's original value in
    // the WHERE must match the stored one (Ø to Û once gained a NUL on their way to MariaDB; a value beginning with a
    // byte order mark once lost it when read).
    QStringList characters;
    for (char16_t c = 0xa0; c <= 0xff; ++c)
        characters.append(QString(QChar(c)));
    characters << QStringLiteral("漢") << QStringLiteral("😀") << QStringLiteral("\uFEFF");
    const QString table = connection.quoteIdentifier(QStringLiteral("Letters"));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, t TEXT, v VARCHAR(20))").arg(table));
    QStringList values;
    for (qsizetype i = 0; i < characters.size(); ++i)
        values.append(QStringLiteral("(%1, 'x%2y', '%2')").arg(i).arg(characters[i]));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES %2").arg(table, values.join(QLatin1Char(','))));

    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("Letters"));
    QStringList expected;
    for (const QString& c : characters) {
        QCOMPARE(rs.Fields(1).Value().toString(), QStringLiteral("x%1y").arg(c));
        const QString written = c + QStringLiteral(" saved ") + c;
        for (int round = 0; round < 2; ++round) { // the second round's original is what the first wrote
            rs.Fields(1).setValue(written);
            rs.Fields(2).setValue(c + c);
            rs.Update();
        }
        expected.append(QStringLiteral("%1|%2|%3%3").arg(rs.Fields(0).Value().toInt()).arg(written, c));
        rs.MoveNext();
    }
    QVERIFY(rs.IsEOF());
    QCOMPARE(tableRows(connection, QStringLiteral("Letters"), QStringLiteral("id")), expected);
}

namespace {

QVariantList firstRow(Connection& connection, const QString& table)
{
    QueryRecordSet rs;
    rs.OpenTable(connection, table);
    QVariantList values;
    for (int i = 0; i < rs.FieldCount(); ++i)
        values.append(rs.Fields(i).Value());
    return values;
}

} // namespace

void TestServerSources::writingTheShownTextBackKeepsTheValue()
{
    OPEN_SERVER(connection);
    // Single and double precision, date-times, dates and times with and without fractions, decimals.
    const bool pg = backend == TestBackend::PostgreSql;
    const QString columns = pg
        ? QStringLiteral("id INTEGER PRIMARY KEY, r real, rmax real, d double precision, dlarge double precision, "
                         "ts3 timestamp(3), ts timestamp(0), tsday timestamp, day date, tm3 time(3), tm time(0), "
                         "n numeric(10,2), b boolean")
        : QStringLiteral("id INTEGER PRIMARY KEY, r FLOAT, rmax FLOAT, d DOUBLE, dlarge DOUBLE, ts3 DATETIME(3), "
                         "ts DATETIME, tsday DATETIME, day DATE, tm3 TIME(3), tm TIME, n DECIMAL(10,2), b BIT(1)");
    const QString table = connection.quoteIdentifier(QStringLiteral("Shown"));
    connection.Execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns));
    connection.Execute(QStringLiteral("INSERT INTO %1 VALUES (1, 123456.79, 3.4028234e38, 0.30000000000000004, "
                                      "-1.2345678901234567e300, '2025-02-05 12:34:56.789', '2025-02-05 12:34:56', "
                                      "'2025-02-05 00:00:00', '2025-02-05', '12:34:56.789', '12:34:56', 1234.50, %2)")
                           .arg(table, pg ? QStringLiteral("true") : QStringLiteral("b'1'")));
    const QVariantList before = firstRow(connection, QStringLiteral("Shown"));

    QueryRecordSet rs;
    rs.OpenTable(connection, QStringLiteral("Shown"));
    for (int i = 1; i < rs.FieldCount(); ++i) {
        QueryField& field = rs.Fields(i);
        const QString shown = fieldValueToText(field.Value(), field.Type());
        try {
            field.setValue(shown);
            QCOMPARE(field.Value(), before.at(i));
            rs.Update();
        } catch (const DataError& error) {
            QFAIL(qPrintable(QStringLiteral("%1 \"%2\": %3").arg(field.Name(), shown, error.description())));
        }
    }
    QCOMPARE(firstRow(connection, QStringLiteral("Shown")), before);

    // New numbers typed as the views show them arrive as exactly the numbers shown.
    const QVariantList typed = {QVariant(0.1f), QVariant(-1.17549435e-38f), QVariant(0.1 + 0.7), QVariant(5e-324)};
    for (int i = 0; i < typed.size(); ++i)
        rs.Fields(i + 1).setValue(fieldValueToText(typed.at(i), rs.Fields(i + 1).Type()));
    rs.Update();
    rs.Close();
    QCOMPARE(firstRow(connection, QStringLiteral("Shown")).mid(1, typed.size()), typed);
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
