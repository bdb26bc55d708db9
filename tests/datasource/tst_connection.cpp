// Connections over the real unixODBC driver manager and SQLite3 ODBC driver: opening, the completed
// string, properties, the tables schema, identifier quoting against real tables, and failures.
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"

#include "SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <memory>

using namespace dorvane;
using dorvane::test::SqliteDatabase;

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void opensAndReportsTheCompletedString();
    void keepsAnExplicitStepApiChoice();
    void closesAndReopens();
    void reportsTheDataSourceNameAtIndexNine();
    void failsWithTheDriverManagersText_data();
    void failsWithTheDriverManagersText();
    void listsTablesInTheDriversOrder();
    void opensTablesWithAwkwardNames_data();
    void opensTablesWithAwkwardNames();
    void savesAndCountsUnderAnyName_data();
    void savesAndCountsUnderAnyName();
    void closingTheConnectionClosesItsRecordSets();
    void missingSqliteFileIsNotCreated_data();
    void missingSqliteFileIsNotCreated();
    void unreadableSqliteFileSaysWhy();
    void fileThatIsNoDatabaseFailsAtOpen();
    void lockedFileFailsWithinTheLockTimeout();
    void silentServerFailsWithinTheConnectionTimeout();

private:
    QTemporaryDir m_dir;
};

void TestConnection::opensAndReportsTheCompletedString()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("complete.db"));
    db.exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    db.exec(QStringLiteral("INSERT INTO t VALUES ('here')"));

    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.setPrompt(ado::adPromptCompleteRequired);
    QCOMPARE(connection.State(), int(ado::adStateClosed));
    connection.Open();
    QCOMPARE(connection.State(), int(ado::adStateOpen));

    // The driver drops DRIVER= from its completed string; ours keeps it and adds the streaming option.
    const QString completed = connection.ConnectionString();
    QVERIFY2(completed.startsWith(QStringLiteral("DRIVER=SQLite3;")), qPrintable(completed));
    QVERIFY2(completed.contains(QStringLiteral("StepAPI=1")), qPrintable(completed));
    // A lock held by another program is waited for 5 s, not the driver's 100 s.
    QVERIFY2(completed.contains(QStringLiteral("Timeout=5000")), qPrintable(completed));
    // A mistyped name must not make a new, empty database.
    QVERIFY2(completed.contains(QStringLiteral("NoCreat=1")), qPrintable(completed));
    QVERIFY2(completed.contains(QStringLiteral("Database=") + db.filePath()), qPrintable(completed));

    Connection again;
    again.setConnectionString(completed);
    again.Open();
    QueryRecordSet recordSet;
    recordSet.OpenTable(again, QStringLiteral("t"));
    QCOMPARE(recordSet.Fields(0).Value(), QVariant(QStringLiteral("here")));
}

void TestConnection::keepsAnExplicitStepApiChoice()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("stepapi.db"));
    db.exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    Connection connection;
    connection.setConnectionString(db.connectionString() + QStringLiteral(";StepAPI=0;Timeout=250"));
    connection.Open();
    QVERIFY2(connection.ConnectionString().contains(QStringLiteral("StepAPI=0")),
             qPrintable(connection.ConnectionString()));
    QVERIFY2(connection.ConnectionString().contains(QStringLiteral("Timeout=250")),
             qPrintable(connection.ConnectionString()));
    QVERIFY(!connection.ConnectionString().contains(QStringLiteral("Timeout=5000")));
    QVERIFY(!connection.ConnectionString().contains(QStringLiteral("StepAPI=1")));
}

void TestConnection::closesAndReopens()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("close.db"));
    db.exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.Open();
    connection.Close();
    QCOMPARE(connection.State(), int(ado::adStateClosed));
    QVERIFY_THROWS_EXCEPTION(DataError, connection.OpenSchema());
    QVERIFY_THROWS_EXCEPTION(DataError, connection.Execute(QStringLiteral("SELECT 1")));
    QCOMPARE(connection.Properties().size(), 12);
    QVERIFY(connection.Properties().at(Connection::DataSourceNameProperty).Value.isEmpty());
    connection.Close(); // twice is harmless
    connection.Open(); // from the completed string
    QCOMPARE(connection.State(), int(ado::adStateOpen));
    connection.Open(); // an open connection is closed and opened again
    QCOMPARE(connection.State(), int(ado::adStateOpen));
}

void TestConnection::reportsTheDataSourceNameAtIndexNine()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("named.db"));
    db.exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.Open();
    const QList<ConnectionProperty> properties = connection.Properties();
    QCOMPARE(properties.size(), 12);
    QCOMPARE(properties.at(9).Name, QStringLiteral("Data Source Name"));
    QCOMPARE(properties.at(9).Value, db.filePath());
    QCOMPARE(properties.at(3).Value, QStringLiteral("SQLite"));
    QCOMPARE(properties.at(11).Value, connection.ConnectionString());
}

void TestConnection::failsWithTheDriverManagersText_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("description");
    QTest::newRow("driver not installed") << "DRIVER=NoSuchOdbcDriver;Database=/tmp/x.db"
                                          << "Can't open lib 'NoSuchOdbcDriver' : file not found";
    QTest::newRow("unknown DSN") << "DSN=NoSuchDataSource"
                                 << "Data source name not found and no default driver specified";
}

void TestConnection::failsWithTheDriverManagersText()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, description);
    Connection connection;
    connection.setConnectionString(connectionString);
    try {
        connection.Open();
        QFAIL("the open succeeded");
    } catch (const DataError& error) {
        QCOMPARE(error.source(), QStringLiteral("unixODBC Driver Manager"));
        QCOMPARE(error.description(), description);
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));
    QCOMPARE(connection.ConnectionString(), connectionString);
}

void TestConnection::listsTablesInTheDriversOrder()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("schema.db"));
    db.exec(QStringLiteral("CREATE TABLE B (id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT)")); // makes sqlite_sequence
    db.exec(QStringLiteral("INSERT INTO B (x) VALUES ('one')"));
    db.exec(QStringLiteral("CREATE TABLE A (x TEXT)"));
    db.exec(QStringLiteral("CREATE VIEW V AS SELECT x FROM A"));
    db.exec(QStringLiteral("CREATE TABLE [Order Details] (x TEXT)"));

    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.Open();
    SchemaRecordSet schema = connection.OpenSchema(ado::adSchemaTables);
    QCOMPARE(schema.Fields(2).Name(), QStringLiteral("TABLE_NAME"));
    QStringList all;
    QStringList tables;
    for (schema.MoveFirst(); !schema.IsEOF(); schema.MoveNext()) {
        const QString name = schema.Fields(2).Value().toString();
        const QString type = schema.Fields(QStringLiteral("table_type")).Value().toString();
        all.append(name + QLatin1Char(':') + type);
        if (type == QLatin1String("TABLE"))
            tables.append(name);
    }
    QCOMPARE(all,
             QStringList({QStringLiteral("B:TABLE"), QStringLiteral("sqlite_sequence:SYSTEM TABLE"),
                          QStringLiteral("A:TABLE"), QStringLiteral("V:VIEW"), QStringLiteral("Order Details:TABLE")}));
    QCOMPARE(tables, QStringList({QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("Order Details")}));
    QCOMPARE(schema.RecordCount(), 5);
    QVERIFY_THROWS_EXCEPTION(DataError, schema.MoveNext());
    QVERIFY_THROWS_EXCEPTION(DataError, schema.Fields(2).Value());
    QVERIFY_THROWS_EXCEPTION(DataError, connection.OpenSchema(4));
}

void TestConnection::opensTablesWithAwkwardNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("query");
    QTest::newRow("blank") << "Order Details"
                           << "Select * FROM [Order Details] ";
    QTest::newRow("closing bracket and quote") << "a]b\"c"
                                               << "Select * FROM \"a]b\"\"c\" ";
    QTest::newRow("injection attempt") << "x] ; DROP TABLE keep; --"
                                       << "Select * FROM \"x] ; DROP TABLE keep; --\" ";
    QTest::newRow("unicode") << "漢字 ä 😀"
                             << "Select * FROM [漢字 ä 😀] ";
    // The SQLite driver scans the text for quotes, markers and ';' without knowing brackets.
    QTest::newRow("apostrophe") << "O'Brien"
                                << "Select * FROM \"O'Brien\" ";
    QTest::newRow("semicolon") << "a;b"
                               << "Select * FROM \"a;b\" ";
}

void TestConnection::opensTablesWithAwkwardNames()
{
    QFETCH(QString, name);
    QFETCH(QString, query);
    SqliteDatabase db(m_dir.path(), QStringLiteral("names.db"));
    QString quoted = name;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    db.exec(QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(quoted));
    db.exec(QStringLiteral("CREATE TABLE \"%1\" (x TEXT)").arg(quoted));
    db.exec(QStringLiteral("INSERT INTO \"%1\" VALUES ('row')").arg(quoted));
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS keep (x TEXT)"));

    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.Open();
    QCOMPARE(connection.tableQuery(name), query);
    QueryRecordSet recordSet;
    recordSet.OpenTable(connection, name);
    QCOMPARE(recordSet.Source(), query);
    QCOMPARE(recordSet.RecordCount(), 1);
    QCOMPARE(recordSet.Fields(0).Value(), QVariant(QStringLiteral("row")));
    recordSet.Fields(0).setValue(QStringLiteral("changed"));
    recordSet.Update();
    recordSet.Close();
    QCOMPARE(db.scalar(QStringLiteral("SELECT x FROM \"%1\"").arg(quoted)), QVariant(QStringLiteral("changed")));
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM keep")), QVariant(0));
}

void TestConnection::savesAndCountsUnderAnyName_data()
{
    QTest::addColumn<QString>("name");
    // Every ASCII character that is no letter or digit, between letters, alone and at the ends.
    for (char c = 1; c < 127; ++c) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            continue;
        const QString character {QLatin1Char(c)};
        QTest::addRow("a%02xb", c) << QStringLiteral("a") + character + QStringLiteral("b");
        QTest::addRow("%02x", c) << character;
    }
    const char* const names[] = {
        "--",
        "/*",
        "*/ x /*",
        "a -- b",
        "'",
        "''",
        "\"\"",
        "a'b\"c",
        "[x]",
        "`x`",
        " lead",
        "trail ",
        "a\r\nb",
        "?",
        "a?b?c",
        "?1",
        ":x",
        "@x",
        "$1",
        "{fn UCASE(x)}",
        "{d '2024-01-05'}",
        "{",
        "}",
        "select",
        "order",
        "where",
        "漢字 ä 😀",
        "x'); DROP TABLE keep; --",
        "x\"; DROP TABLE keep; --",
        "x]; DROP TABLE keep; --",
    };
    for (const char* name : names)
        QTest::newRow(name) << QString::fromUtf8(name);
}

void TestConnection::savesAndCountsUnderAnyName()
{
    QFETCH(QString, name);
    SqliteDatabase db(m_dir.path(), QStringLiteral("anyname.db"));
    QString quoted = name;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    const QString key = QStringLiteral("\"k") + quoted.mid(1);
    db.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted));
    // The name is the table's, its key column's (in the WHERE) and its value column's (in the SET).
    db.exec(QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %1 TEXT)").arg(quoted, key));
    db.exec(QStringLiteral("INSERT INTO %1 VALUES (1, 'one'), (2, 'two')").arg(quoted));
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS keep (x TEXT)"));

    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.Open();
    QueryRecordSet recordSet;
    try {
        recordSet.OpenTable(connection, name);
        QCOMPARE(recordSet.RecordCount(), 2);
        QCOMPARE(recordSet.Fields(1).Name(), name);
        recordSet.MoveNext();
        recordSet.Fields(name).setValue(QStringLiteral("changed"));
        recordSet.Update();
    } catch (const DataError& error) {
        QFAIL(qPrintable(error.description())); // one name's failure must not hide the others'
    }
    recordSet.Close();
    QCOMPARE(db.rows(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(quoted)),
             (QList<QVariantList> {{1, QStringLiteral("one")}, {2, QStringLiteral("changed")}}));
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM keep")), QVariant(0));
}

void TestConnection::closingTheConnectionClosesItsRecordSets()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("owner.db"));
    db.exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    db.exec(QStringLiteral("INSERT INTO t VALUES ('a')"));
    db.exec(QStringLiteral("INSERT INTO t VALUES ('b')"));

    auto connection = std::make_unique<Connection>();
    connection->setConnectionString(db.connectionString());
    connection->Open();
    QueryRecordSet first;
    first.OpenTable(*connection, QStringLiteral("t"));
    QueryRecordSet second;
    second.OpenTable(*connection, QStringLiteral("t"));
    connection->Close();
    QCOMPARE(first.State(), int(ado::adStateClosed));
    QVERIFY(first.IsEOF());
    QVERIFY_THROWS_EXCEPTION(DataError, first.MoveNext());
    QVERIFY_THROWS_EXCEPTION(DataError, first.RecordCount());

    connection->Open();
    second.OpenTable(*connection, QStringLiteral("t"));
    connection.reset(); // destroying the connection first must not leave a dangling statement
    QCOMPARE(second.State(), int(ado::adStateClosed));
    QVERIFY_THROWS_EXCEPTION(DataError, second.MoveFirst());
}

void TestConnection::missingSqliteFileIsNotCreated_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("options");
    QTest::addColumn<bool>("created");
    QTest::newRow("mistyped name") << "typo.db"
                                   << "" << false;
    QTest::newRow("missing folder") << "gone/typo.db"
                                    << "" << false;
    QTest::newRow("lower-case option") << "typo2.db"
                                       << ";nocreat=1" << false;
    QTest::newRow("creation asked for") << "new.db"
                                        << ";NoCreat=0" << true;
}

void TestConnection::missingSqliteFileIsNotCreated()
{
    QFETCH(QString, name);
    QFETCH(QString, options);
    QFETCH(bool, created);
    const QString file = m_dir.filePath(name);
    Connection connection;
    connection.setConnectionString(QStringLiteral("DRIVER=SQLite3;Database=") + file + options);
    if (created) {
        connection.Open();
        QCOMPARE(connection.State(), int(ado::adStateOpen));
        QVERIFY(QFile::exists(file));
        return;
    }
    try {
        connection.Open();
        QFAIL("a missing file opened");
    } catch (const DataError& error) {
        QCOMPARE(error.description(), QStringLiteral("The database file \"%1\" does not exist.").arg(file));
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));
    QVERIFY(!QFile::exists(file));
}

// A folder where the file should be (or a file this user may not read): the message says why.
void TestConnection::unreadableSqliteFileSaysWhy()
{
    const QString folder = m_dir.filePath(QStringLiteral("folder.db"));
    QVERIFY(QDir().mkpath(folder));
    Connection connection;
    connection.setConnectionString(QStringLiteral("DRIVER=SQLite3;Database=") + folder);
    try {
        connection.Open();
        QFAIL("a folder opened as a database");
    } catch (const DataError& error) {
        QVERIFY2(
            error.description().startsWith(QStringLiteral("The database file \"%1\" cannot be read: ").arg(folder)),
            qPrintable(error.description()));
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));
}

// The driver opens a file lazily; the open itself must say that the file is no database.
void TestConnection::fileThatIsNoDatabaseFailsAtOpen()
{
    const QString file = m_dir.filePath(QStringLiteral("notes.db"));
    QFile text(file);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("These are notes, not a database.\n").repeated(40));
    text.close();
    Connection connection;
    connection.setConnectionString(QStringLiteral("DRIVER=SQLite3;Database=") + file);
    try {
        connection.Open();
        QFAIL("a text file opened as a database");
    } catch (const DataError& error) {
        QCOMPARE(error.source(), QStringLiteral("SQLite"));
        QVERIFY2(error.description().startsWith(QStringLiteral("The file \"%1\" is not a SQLite database").arg(file)),
                 qPrintable(error.description()));
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));
}

// Another program holds the file with BEGIN EXCLUSIVE: the open gives up after the lock timeout it chose
// (the driver's own default is 100 s, and it already waits while it connects) and says why.
void TestConnection::lockedFileFailsWithinTheLockTimeout()
{
    SqliteDatabase db(m_dir.path(), QStringLiteral("locked.db"));
    db.exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    db.exec(QStringLiteral("INSERT INTO t VALUES ('kept')"));
    Connection holder;
    holder.setConnectionString(db.connectionString());
    holder.Open();
    holder.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    holder.Execute(QStringLiteral("INSERT INTO t VALUES ('pending')"));

    Connection connection;
    connection.setConnectionString(db.connectionString());
    try {
        connection.Open();
        QFAIL("the open did not notice the lock");
    } catch (const DataError& error) {
        QVERIFY2(error.description().contains(QStringLiteral("is locked by another program")),
                 qPrintable(error.description()));
        QVERIFY2(error.description().contains(QStringLiteral("for 5 s")), qPrintable(error.description()));
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));

    holder.Execute(QStringLiteral("ROLLBACK"));
    connection.Open();
    QueryRecordSet recordSet;
    recordSet.OpenTable(connection, QStringLiteral("t"));
    QCOMPARE(recordSet.RecordCount(), 1);
    QCOMPARE(recordSet.Fields(0).Value(), QVariant(QStringLiteral("kept")));
}

void TestConnection::silentServerFailsWithinTheConnectionTimeout()
{
    // A port that takes connections (the kernel completes them in the backlog) and never says a word.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    const auto closeListener = qScopeGuard([&] { ::close(listener); });
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0);
    QVERIFY(listen(listener, 4) == 0);
    QVERIFY(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);

    Connection connection;
    connection.setConnectionTimeout(1);
    connection.setConnectionString(
        QStringLiteral("DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;Database=d;Username=u")
            .arg(ntohs(address.sin_port)));
    try {
        connection.Open(); // without the time-out this waits for good
        QFAIL("a server that never answered was taken for open");
    } catch (const DataError& error) {
        if (error.description().contains(QStringLiteral("not found"), Qt::CaseInsensitive))
            QSKIP("the PostgreSQL ODBC driver is not installed");
        QVERIFY2(error.description().contains(QStringLiteral("timeout"), Qt::CaseInsensitive),
                 qPrintable(error.description()));
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));
}

QTEST_GUILESS_MAIN(TestConnection)

#include "tst_connection.moc"
