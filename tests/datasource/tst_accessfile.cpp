// An Access file read through the MDB Tools ODBC driver, which implements only part of the ODBC API:
// it describes a result only after it ran, hands COUNT(*) over as text, refuses SQL_C_SBIGINT for a
// 32-bit column, answers SQLSpecialColumns without a result, and cannot write. The run goes through
// it as through any source. The file is the real
// fruit.mdb of tests/data/access (MIT, see the README there), copied for each test.
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionTarget.h"
#include "datasource/QueryRecordSet.h"
#include "engine/RunSetup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;

namespace {

const QString MdbToolsDriver = QStringLiteral("MDBTools");

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestAccessFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listsTheTables();
    void readsEveryRowOfEveryTable_data();
    void readsEveryRowOfEveryTable();
    void readsTheValuesWithTheirTypes();
    void readsAnSqlText();
    void saveFailsWithTheDriversMessageAndChangesNothing();
    void missingFileSaysSo();
    void runSearchesAndCannotReplace();

private:
    void open(Connection& connection) const;

    QTemporaryDir m_dir;
    QString m_file;
};

void TestAccessFile::init()
{
    if (!ConnectionTarget::resolve(QStringLiteral("DRIVER={%1};DBQ=x.mdb").arg(MdbToolsDriver)).driverInstalled())
        QSKIP("The MDB Tools ODBC driver (Debian package odbc-mdbtools) is not installed.");
    m_file = m_dir.filePath(QStringLiteral("fruit.mdb"));
    QFile::remove(m_file);
    QVERIFY(QFile::copy(QStringLiteral(DORVANE_ACCESS_SAMPLES "/fruit.mdb"), m_file));
    QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner);
}

void TestAccessFile::open(Connection& connection) const
{
    connection.setConnectionString(QStringLiteral("DRIVER={%1};DBQ=%2;").arg(MdbToolsDriver, m_file));
    connection.Open();
}

void TestAccessFile::listsTheTables()
{
    Connection connection;
    open(connection);
    QStringList tables;
    for (SchemaRecordSet schema = connection.OpenSchema(); !schema.IsEOF(); schema.MoveNext()) {
        if (schema.Fields(QStringLiteral("TABLE_TYPE")).Value().toString() == QLatin1String("TABLE"))
            tables.append(schema.Fields(2).Value().toString());
    }
    QCOMPARE(tables, (QStringList {"Fruit", "Fruit Salad", "Veggie Salad", "Muffin/Bread", "Dried"}));
    QCOMPARE(connection.tableQuery(QStringLiteral("Muffin/Bread")), QStringLiteral("Select * FROM [Muffin/Bread] "));
}

void TestAccessFile::readsEveryRowOfEveryTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("first");
    QTest::newRow("Fruit") << "Fruit" << 37 << "Apple";
    QTest::newRow("Fruit Salad") << "Fruit Salad" << 18 << "Apple";
    QTest::newRow("Veggie Salad") << "Veggie Salad" << 4 << "Avocado";
    QTest::newRow("Muffin/Bread") << "Muffin/Bread" << 13 << "Banana";
    QTest::newRow("Dried") << "Dried" << 12 << "Apple";
}

// The run asks for the count first and then walks the rows: both must agree with the file.
void TestAccessFile::readsEveryRowOfEveryTable()
{
    QFETCH(QString, table);
    QFETCH(int, rows);
    QFETCH(QString, first);
    Connection connection;
    open(connection);
    QueryRecordSet recordSet;
    recordSet.OpenTable(connection, table);
    QCOMPARE(recordSet.RecordCount(), rows);
    QVERIFY(!recordSet.IsEOF());
    QCOMPARE(recordSet.Fields(0).Value().toString(), first);
    int read = 0;
    for (; !recordSet.IsEOF(); recordSet.MoveNext()) {
        QVERIFY(!recordSet.Fields(0).Value().toString().isEmpty());
        ++read;
    }
    QCOMPARE(read, rows);

    // Going back to the first row runs the query again.
    recordSet.MoveFirst();
    QCOMPARE(recordSet.Fields(0).Value().toString(), first);
    QCOMPARE(recordSet.RecordCount(), rows);
}

void TestAccessFile::readsTheValuesWithTheirTypes()
{
    Connection connection;
    open(connection);
    QueryRecordSet recordSet;
    recordSet.OpenTable(connection, QStringLiteral("Fruit"));
    QCOMPARE(recordSet.FieldCount(), 11);
    QCOMPARE(recordSet.Fields(0).Name(), QStringLiteral("Fruit"));
    QCOMPARE(recordSet.Fields(0).Type(), int(ado::adVarChar));
    QCOMPARE(recordSet.Fields(QStringLiteral("Vit C")).Type(), int(ado::adInteger));
    // Apricot: 2 g fibre, 8 g sugar, 420 vitamin A, 5 vitamin C.
    recordSet.MoveNext();
    QCOMPARE(recordSet.Fields(0).Value(), QVariant(QStringLiteral("Apricot")));
    QCOMPARE(recordSet.Fields(QStringLiteral("Fiber")).Value(), QVariant(2));
    QCOMPARE(recordSet.Fields(QStringLiteral("Sugar")).Value(), QVariant(8));
    QCOMPARE(recordSet.Fields(QStringLiteral("Vit A")).Value(), QVariant(420));
    QCOMPARE(recordSet.Fields(QStringLiteral("Vit C")).Value(), QVariant(5));
}

// An SQL text cannot be counted through a subquery on this driver: the count is unknown, the rows are read.
void TestAccessFile::readsAnSqlText()
{
    Connection connection;
    open(connection);
    QueryRecordSet recordSet;
    recordSet.Open(connection, QStringLiteral("SELECT * FROM [Veggie Salad]"));
    QCOMPARE(recordSet.RecordCount(), -1);
    QStringList names;
    for (; !recordSet.IsEOF(); recordSet.MoveNext())
        names.append(recordSet.Fields(0).Value().toString());
    QCOMPARE(names.size(), 4);
    QCOMPARE(names.first(), QStringLiteral("Avocado"));
}

void TestAccessFile::saveFailsWithTheDriversMessageAndChangesNothing()
{
    const QByteArray before = fileHash(m_file);
    Connection connection;
    open(connection);
    QueryRecordSet recordSet;
    recordSet.OpenTable(connection, QStringLiteral("Fruit"));
    recordSet.Fields(0).setValue(QStringLiteral("Pear"));
    try {
        recordSet.Update();
        QFAIL("the driver saved a change");
    } catch (const DataError& error) {
        QVERIFY2(error.description().contains(QLatin1String("parse SQL")), qPrintable(error.description()));
    }
    // The change is dropped and the walk goes on from the same row.
    QCOMPARE(recordSet.Fields(0).Value(), QVariant(QStringLiteral("Apple")));
    int read = 1;
    for (recordSet.MoveNext(); !recordSet.IsEOF(); recordSet.MoveNext())
        ++read;
    QCOMPARE(read, 37);
    recordSet.Close();
    connection.Close();
    QCOMPARE(fileHash(m_file), before);
}

void TestAccessFile::missingFileSaysSo()
{
    const QString missing = m_dir.filePath(QStringLiteral("typo.mdb"));
    Connection connection;
    connection.setConnectionString(QStringLiteral("DRIVER={%1};DBQ=%2;").arg(MdbToolsDriver, missing));
    try {
        connection.Open();
        QFAIL("a missing file opened");
    } catch (const DataError& error) {
        QCOMPARE(error.description(), QStringLiteral("The database file \"%1\" does not exist.").arg(missing));
    }
    QCOMPARE(connection.State(), int(ado::adStateClosed));
}

// The run over every table: a search finds the fields (two "Apple" and four "Pineapple" in four tables);
// replacing without halt reports every save as failed and leaves the file as it was.
void TestAccessFile::runSearchesAndCannotReplace()
{
    const QByteArray before = fileHash(m_file);
    QTemporaryDir programFolder;
    QVERIFY(QDir(programFolder.path()).mkdir(QStringLiteral("sys")));
    Connection connection;
    open(connection);
    RunSetup setup(programFolder.path(), [&] { return &connection; });
    RunOptions options;
    options.match.search = QStringLiteral("apple");
    options.match.replacement = QStringLiteral("pear");
    options.policy = HitPolicy::SkipEvery;

    const RunEnded searched = setup.session().runToEnd(options);
    QCOMPARE(searched.ending, RunEnding::Completed);
    QCOMPARE(searched.counts.tables, 5);
    QCOMPARE(searched.counts.records, 37 + 18 + 4 + 13 + 12);
    QCOMPARE(searched.counts.hits, 6);
    QCOMPARE(searched.counts.faults, 0);

    options.policy = HitPolicy::SaveEvery;
    const RunEnded replaced = setup.session().runToEnd(options);
    QCOMPARE(replaced.counts.hits, 6);
    QCOMPARE(replaced.counts.saved, 0);
    QCOMPARE(replaced.counts.failed, 6);
    connection.Close();
    QCOMPARE(fileHash(m_file), before);
}

QTEST_GUILESS_MAIN(TestAccessFile)

#include "tst_accessfile.moc"
