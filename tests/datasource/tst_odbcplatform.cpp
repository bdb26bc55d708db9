// The text rules of the ODBC layer that need no data source: diagnostic messages, connection strings,
// identifier quoting, the driver's text forms and the locale conversion of typed input.
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/DriverText.h"
#include "datasource/FieldInputConversion.h"
#include "datasource/IdentifierQuoting.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/Utf8Text.h"

#include <QDateTime>
#include <QTest>
#include <QUuid>

using namespace dorvane;

class TestOdbcPlatform : public QObject
{
    Q_OBJECT

private slots:
    void splitsDiagnosticMessages_data();
    void splitsDiagnosticMessages();
    void parsesAndComposesConnectionStrings();
    void completesConnectionString_data();
    void completesConnectionString();
    void quotesIdentifiers_data();
    void quotesIdentifiers();
    void refusesUnquotableNames();
    void readsDriverText_data();
    void readsDriverText();
    void convertsLocaleInput_data();
    void convertsLocaleInput();
    void rejectsInputThatDoesNotConvert_data();
    void rejectsInputThatDoesNotConvert();
    void decodesUtf8AsQtDoesButKeepsTheByteOrderMark();
};

void TestOdbcPlatform::splitsDiagnosticMessages_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("description");
    QTest::newRow("driver manager")
        << "[unixODBC][Driver Manager]Data source name not found and no default driver specified"
        << "unixODBC Driver Manager"
        << "Data source name not found and no default driver specified";
    QTest::newRow("driver") << "[SQLite]no such table: x (1)"
                            << "SQLite"
                            << "no such table: x (1)";
    QTest::newRow("blanks between prefixes")
        << "[Microsoft] [ODBC Driver 18 for SQL Server][SQL Server] Invalid object name 'x'."
        << "Microsoft ODBC Driver 18 for SQL Server SQL Server"
        << "Invalid object name 'x'.";
    QTest::newRow("no prefix") << "disk full"
                               << "ODBC"
                               << "disk full";
    QTest::newRow("bracket inside the text stays") << "[SQLite]near \"[x\": syntax error"
                                                   << "SQLite"
                                                   << "near \"[x\": syntax error";
}

void TestOdbcPlatform::splitsDiagnosticMessages()
{
    QFETCH(QString, message);
    const DiagnosticText text = splitDiagnosticMessage(message);
    QTEST(text.source, "source");
    QTEST(text.description, "description");
}

void TestOdbcPlatform::parsesAndComposesConnectionStrings()
{
    const auto entries = ConnectionStringEntries::parse(
        QStringLiteral("Driver={SQLite3 ODBC;Driver};Database=/tmp/a b.db; PWD={se}}cret} ;;Timeout=;Flag"));
    QCOMPARE(entries.entries().size(), 5);
    QCOMPARE(entries.value(QStringLiteral("DRIVER")), QStringLiteral("SQLite3 ODBC;Driver"));
    QCOMPARE(entries.value(QStringLiteral("database")), QStringLiteral("/tmp/a b.db"));
    QCOMPARE(entries.value(QStringLiteral("Pwd")), QStringLiteral("se}cret"));
    QVERIFY(entries.contains(QStringLiteral("Timeout")));
    QCOMPARE(entries.value(QStringLiteral("Timeout")), QString());
    QVERIFY(entries.contains(QStringLiteral("Flag")));

    // Composing gives a string that parses back to the same entries.
    const auto again = ConnectionStringEntries::parse(entries.toString());
    QCOMPARE(again.entries().size(), entries.entries().size());
    for (qsizetype i = 0; i < entries.entries().size(); ++i) {
        QCOMPARE(again.entries().at(i).key, entries.entries().at(i).key);
        QCOMPARE(again.entries().at(i).value, entries.entries().at(i).value);
    }
}

void TestOdbcPlatform::completesConnectionString_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("driverOutput");
    QTest::addColumn<QString>("completed");
    QTest::newRow("driver drops DRIVER and leaves DSN empty")
        << "DRIVER=SQLite3;Database=/data/shop.db"
        << "DSN=;Database=/data/shop.db;StepAPI=1;Timeout="
        << "DRIVER=SQLite3;Database=/data/shop.db;StepAPI=1;Timeout=";
    QTest::newRow("braced driver name is kept braced") << "Driver={SQLite3 ODBC Driver};Database=/x.db"
                                                       << "Database=/x.db"
                                                       << "Driver={SQLite3 ODBC Driver};Database=/x.db";
    QTest::newRow("driver's own DSN entry wins") << "DSN=Shop"
                                                 << "DSN=Shop;UID=ann;Database=/data/shop.db"
                                                 << "DSN=Shop;UID=ann;Database=/data/shop.db";
    QTest::newRow("FILEDSN is put back") << "FILEDSN=/etc/shop.dsn;UID=ann"
                                         << "UID=ann;PWD=x"
                                         << "FILEDSN=/etc/shop.dsn;UID=ann;PWD=x";
    QTest::newRow("no output keeps the input") << "DSN=Shop"
                                               << ""
                                               << "DSN=Shop";
}

void TestOdbcPlatform::completesConnectionString()
{
    QFETCH(QString, input);
    QFETCH(QString, driverOutput);
    QTEST(Connection::completeConnectionString(input, driverOutput), "completed");
}

void TestOdbcPlatform::quotesIdentifiers_data()
{
    QTest::addColumn<QString>("dbmsName");
    QTest::addColumn<QString>("driverName");
    QTest::addColumn<QString>("quoteCharacter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("SQLite brackets") << "SQLite"
                                     << "sqlite3odbc.so"
                                     << "\""
                                     << "Order Details"
                                     << "[Order Details]";
    QTest::newRow("SQLite name with ] goes into double quotes") << "SQLite"
                                                                << "sqlite3odbc.so"
                                                                << "\""
                                                                << "a]b\"c"
                                                                << "\"a]b\"\"c\"";
    QTest::newRow("SQLite: what its driver scans goes into double quotes") << "SQLite"
                                                                           << "sqlite3odbc.so"
                                                                           << "`"
                                                                           << "it's {x}; ?"
                                                                           << "\"it's {x}; ?\"";
    QTest::newRow("SQL Server doubles ]") << "Microsoft SQL Server"
                                          << "libmsodbcsql-18.so"
                                          << "\""
                                          << "a]b"
                                          << "[a]]b]";
    QTest::newRow("Access by driver library") << "ACCESS"
                                              << "ODBCJT32.DLL"
                                              << "`"
                                              << "Kunden"
                                              << "[Kunden]";
    QTest::newRow("PostgreSQL uses the quote character") << "PostgreSQL"
                                                         << "psqlodbcw.so"
                                                         << "\""
                                                         << "say \"hi\""
                                                         << "\"say \"\"hi\"\"\"";
    QTest::newRow("MariaDB backquotes") << "MariaDB"
                                        << "libmaodbc.so"
                                        << "`"
                                        << "a`b]"
                                        << "`a``b]`";
    QTest::newRow("no quoting, plain name") << "Flat"
                                            << "libflat.so"
                                            << " "
                                            << "Orders_2024"
                                            << "Orders_2024";
}

void TestOdbcPlatform::quotesIdentifiers()
{
    QFETCH(QString, dbmsName);
    QFETCH(QString, driverName);
    QFETCH(QString, quoteCharacter);
    QFETCH(QString, name);
    QFETCH(QString, quoted);
    const IdentifierQuoting quoting = IdentifierQuoting::forDataSource(dbmsName, driverName, quoteCharacter);
    QCOMPARE(quoting.quote(name), quoted);
    QCOMPARE(quoting.tableQuery(name), QStringLiteral("Select * FROM ") + quoted + QLatin1Char(' '));
}

void TestOdbcPlatform::refusesUnquotableNames()
{
    const IdentifierQuoting quoting
        = IdentifierQuoting::forDataSource(QStringLiteral("Flat"), QStringLiteral("libflat.so"), QStringLiteral(" "));
    QVERIFY_THROWS_EXCEPTION(DataError, quoting.quote(QStringLiteral("x; DROP TABLE y")));
}

void TestOdbcPlatform::readsDriverText_data()
{
    using odbctypes::ValueKind;
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("formatted"); // how the value is written back; empty: as read
    QTest::newRow("date") << int(ValueKind::Date) << "2024-01-05" << QVariant(QDate(2024, 1, 5)) << "2024-01-05";
    QTest::newRow("date with midnight") << int(ValueKind::Date) << "2024-01-05 00:00:00" << QVariant(QDate(2024, 1, 5))
                                        << "2024-01-05";
    QTest::newRow("timestamp") << int(ValueKind::DateTime) << "2024-01-05 10:20:30"
                               << QVariant(QDateTime(QDate(2024, 1, 5), QTime(10, 20, 30), Qt::UTC))
                               << "2024-01-05 10:20:30";
    QTest::newRow("timestamp with fraction")
        << int(ValueKind::DateTime) << "2024-02-03 04:05:06.789"
        << QVariant(QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6, 789), Qt::UTC)) << "2024-02-03 04:05:06.789";
    QTest::newRow("time") << int(ValueKind::Time) << "10:11:12" << QVariant(QTime(10, 11, 12)) << "10:11:12";
    QTest::newRow("decimal stays exact") << int(ValueKind::Decimal) << "12345678901234567890.12"
                                         << QVariant(QStringLiteral("12345678901234567890.12"))
                                         << "12345678901234567890.12";
    QTest::newRow("guid") << int(ValueKind::Guid) << "6f9619ff-8b86-d011-b42d-00c04fc964ff"
                          << QVariant::fromValue(QUuid(QStringLiteral("{6f9619ff-8b86-d011-b42d-00c04fc964ff}")))
                          << "6f9619ff-8b86-d011-b42d-00c04fc964ff";
    QTest::newRow("unreadable date comes back as its text")
        << int(ValueKind::Date) << "next tuesday" << QVariant(QStringLiteral("next tuesday")) << "next tuesday";
}

void TestOdbcPlatform::readsDriverText()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    const QVariant parsed = drivertext::parse(odbctypes::ValueKind(kind), text);
    QCOMPARE(parsed.metaType(), value.metaType());
    QCOMPARE(parsed, value);
    if (parsed.metaType().id() == QMetaType::QDateTime)
        QCOMPARE(parsed.toDateTime().timeSpec(), Qt::UTC);
    QTEST(drivertext::format(odbctypes::ValueKind(kind), parsed), "formatted");
}

void TestOdbcPlatform::convertsLocaleInput_data()
{
    QTest::addColumn<int>("adoType");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("double with German separators") << int(ado::adDouble) << QVariant("1.234,5") << QVariant(1234.5);
    QTest::newRow("single") << int(ado::adSingle) << QVariant("0,5") << QVariant::fromValue(0.5f);
    QTest::newRow("integer with group separator") << int(ado::adInteger) << QVariant(" 1.234 ") << QVariant(1234);
    QTest::newRow("negative big integer")
        << int(ado::adBigInt) << QVariant("-9000000000") << QVariant::fromValue(qlonglong(-9000000000LL));
    QTest::newRow("unsigned int") << int(ado::adUnsignedInt) << QVariant("4000000000")
                                  << QVariant::fromValue(uint(4000000000U));
    QTest::newRow("decimal keeps its digits")
        << int(ado::adNumeric) << QVariant("-12.345.678,901234567") << QVariant("-12345678.901234567");
    QTest::newRow("date in the German short form")
        << int(ado::adDBDate) << QVariant("05.01.2024") << QVariant(QDate(2024, 1, 5));
    QTest::newRow("two-digit year means this century")
        << int(ado::adDBDate) << QVariant("05.01.24") << QVariant(QDate(2024, 1, 5));
    QTest::newRow("ISO date") << int(ado::adDBDate) << QVariant("2024-01-05") << QVariant(QDate(2024, 1, 5));
    QTest::newRow("timestamp") << int(ado::adDBTimeStamp) << QVariant("05.01.2024 10:20:30")
                               << QVariant(QDateTime(QDate(2024, 1, 5), QTime(10, 20, 30), Qt::UTC));
    QTest::newRow("timestamp from a date") << int(ado::adDBTimeStamp) << QVariant("05.01.2024")
                                           << QVariant(QDateTime(QDate(2024, 1, 5), QTime(0, 0), Qt::UTC));
    QTest::newRow("time") << int(ado::adDBTime) << QVariant("10:20:30") << QVariant(QTime(10, 20, 30));
    QTest::newRow("German true") << int(ado::adBoolean) << QVariant("Wahr") << QVariant(true);
    QTest::newRow("English false") << int(ado::adBoolean) << QVariant("FALSE") << QVariant(false);
    QTest::newRow("number as boolean") << int(ado::adBoolean) << QVariant("-1") << QVariant(true);
    QTest::newRow("text stays text") << int(ado::adVarWChar) << QVariant("1.234,5") << QVariant("1.234,5");
    QTest::newRow("null stays null") << int(ado::adInteger) << QVariant() << QVariant();
    QTest::newRow("binary") << int(ado::adLongVarBinary) << QVariant(QByteArray("\0\1", 2))
                            << QVariant(QByteArray("\0\1", 2));
}

void TestOdbcPlatform::convertsLocaleInput()
{
    QFETCH(int, adoType);
    QFETCH(QVariant, input);
    QFETCH(QVariant, expected);
    const QVariant converted = convertFieldInput(QStringLiteral("F"), adoType, input);
    QCOMPARE(converted.metaType(), expected.metaType());
    QCOMPARE(converted, expected);
}

void TestOdbcPlatform::rejectsInputThatDoesNotConvert_data()
{
    QTest::addColumn<int>("adoType");
    QTest::addColumn<QVariant>("input");
    QTest::newRow("letters in an integer") << int(ado::adInteger) << QVariant("12x");
    QTest::newRow("empty text in an integer") << int(ado::adInteger) << QVariant("");
    QTest::newRow("small int out of range") << int(ado::adSmallInt) << QVariant("40000");
    QTest::newRow("negative unsigned") << int(ado::adUnsignedTinyInt) << QVariant("-1");
    QTest::newRow("English decimal point in a German locale") << int(ado::adDouble) << QVariant("1,234.5");
    QTest::newRow("no date") << int(ado::adDBDate) << QVariant("31.02.2024");
    QTest::newRow("no boolean") << int(ado::adBoolean) << QVariant("vielleicht");
    QTest::newRow("text into binary") << int(ado::adVarBinary) << QVariant("abc");
    QTest::newRow("no guid") << int(ado::adGUID) << QVariant("not-a-guid");
}

void TestOdbcPlatform::rejectsInputThatDoesNotConvert()
{
    QFETCH(int, adoType);
    QFETCH(QVariant, input);
    try {
        convertFieldInput(QStringLiteral("Price"), adoType, input);
        QFAIL("no error raised");
    } catch (const DataError& error) {
        QCOMPARE(error.source(), QStringLiteral("Dorvane.Recordset"));
        QVERIFY2(error.description().contains(QStringLiteral("\"Price\"")), qPrintable(error.description()));
    }
}

void TestOdbcPlatform::decodesUtf8AsQtDoesButKeepsTheByteOrderMark()
{
    // Into a string reused from text to text, as a record set reads a column row by row.
    QString reused;
    for (const auto& [bytes, expected] : std::initializer_list<std::pair<QByteArray, QString>> {
             {"\xef\xbb\xbf"
              "bom",
              QStringLiteral("\uFEFFbom")},
             {"x\xef\xbb\xbf", QStringLiteral("x\uFEFF")},
             {"\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80", QStringLiteral("ä€😀")},
             {"a\xff"
              "b\xc3",
              QStringLiteral("a\uFFFDb\uFFFD")},
             {"", QString()}}) {
        utf8text::decodeInto(reused, bytes.constData(), bytes.size());
        QCOMPARE(reused, expected);
    }
}

int main(int argc, char** argv)
{
    // Conversions read the system locale; pin it so the expectations hold on every machine.
    qputenv("LC_ALL", "de_DE.UTF-8");
    QCoreApplication app(argc, argv);
    TestOdbcPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_odbcplatform.moc"
