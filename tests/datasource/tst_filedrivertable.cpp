#include "core/AdoTypes.h"
#include "core/AppState.h"
#include "core/DataError.h"
#include "datasource/FileContentDriver.h"
#include "datasource/FileDriverTable.h"

#include "DataErrorOf.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace dorvane;
using dorvane::test::dataErrorOf;
using dorvane::test::TempProgramFolder;

namespace {

QList<FileDriverRow> rowsOf(MemoryRecordSet& table)
{
    QList<FileDriverRow> rows;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        rows.append(currentFileDriverRow(table));
    return rows;
}

// A table of the given rows, saved as the program's file-driver table.
void saveTable(const QList<FileDriverRow>& rows)
{
    MemoryRecordSet table = openFileDriverTable(MemoryRecordSet::LockType::Optimistic);
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        table.Delete();
    for (const FileDriverRow& row : rows) {
        table.AddNew();
        table.Fields(QStringLiteral("Ext")).setValue(row.Ext);
        table.Fields(QStringLiteral("Str")).setValue(row.Str);
        table.Fields(QStringLiteral("File")).setValue(row.File);
        table.Update();
    }
    saveFileDriverTable(table);
}

const QString Paradox = QStringLiteral(
    "Driver={Microsoft Paradox Driver (*.db)};DriverID=538;Fil=Paradox 5.X;DefaultDir=<path>;Dbq=<path>;"
    "CollatingSequence=ASCII;");
const QString TextDriver
    = QStringLiteral("Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=<path>;Extensions=asc,csv,tab,txt;");

// The table as Windows programs of this kind wrote it: a user's file brought along is still read as it is.
const QList<FileDriverRow> WindowsRows {
    {"mdb", "Driver={Microsoft Access Driver (*.mdb)};Dbq=<path>;DefaultDir=;PWD=;;", true},
    {"xls", "Driver={Microsoft Excel Driver (*.xls)};Dbq=<path>;ReadOnly=False;PWD=;;", true},
    {"dsn", "FILEDSN=<path>;Uid=;Pwd=;", true},
    {"udl", "FILEDSN=<path>;Uid=;Pwd=;", true},
    {"dbf", "Driver={Microsoft dBASE Driver (*.dbf)};DriverID=277;Dbq=<path>;", false},
    {"db", Paradox, false},
    {"txt", TextDriver, false},
    {"csv", TextDriver, false},
    {"tab", TextDriver, false},
    {"asc", TextDriver, false},
};

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestFileDriverTable : public QObject
{
    Q_OBJECT

private slots:
    void firstUseCreatesTheDefaultRowsInOrder();
    void patternListKeepsTheFinalSemicolon();
    void emptyTableGivesAnEmptyPatternList();
    void lookupBuildsTheConnectionString_data();
    void lookupBuildsTheConnectionString();
    void placeholderIsCaseSensitiveAndFirstRowWins();
    void contentNamesTheDriver_data();
    void contentNamesTheDriver();
    void writeBackIsReadByTheNextOpening();
    void missingSysFolderIsADataErrorAndStaysMissing();
    void foreignFileIsADataErrorAndIsKept();
};

void TestFileDriverTable::firstUseCreatesTheDefaultRowsInOrder()
{
    TempProgramFolder folder;
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("sys/fdrv.dat"))));
    MemoryRecordSet created = openFileDriverTable();
    // The drivers Debian ships: MDB Tools for Access files, SQLite3 for SQLite files; no Windows drivers.
    const QString sqlite = QStringLiteral("Driver={SQLite3};Database=<path>;");
    const QList<FileDriverRow> expected {
        {"mdb", "Driver={MDBTools};DBQ=<path>;", true},
        {"dsn", "FILEDSN=<path>;Uid=;Pwd=;", true},
        {"udl", "FILEDSN=<path>;Uid=;Pwd=;", true},
        {"db", sqlite, true},
        {"db3", sqlite, true},
        {"sl3", sqlite, true},
    };
    QCOMPARE(rowsOf(created), expected);
    QCOMPARE(defaultFileDriverRows(), expected);

    MemoryRecordSet reopened;
    reopened.Open(folder.filePath(QStringLiteral("sys/fdrv.dat")));
    QCOMPARE(rowsOf(reopened), defaultFileDriverRows());
    QCOMPARE(reopened.Fields(0).Type(), int(ado::adChar));
    QCOMPARE(reopened.Fields(0).DefinedSize(), 3);
    QCOMPARE(reopened.Fields(0).Attributes() & ado::adFldKeyColumn, int(ado::adFldKeyColumn));
    QCOMPARE(reopened.Fields(1).Type(), int(ado::adLongVarWChar));
    QCOMPARE(reopened.Fields(1).DefinedSize(), 256);
    QCOMPARE(reopened.Fields(2).Type(), int(ado::adBoolean));
}

void TestFileDriverTable::patternListKeepsTheFinalSemicolon()
{
    TempProgramFolder folder;
    MemoryRecordSet table = openFileDriverTable();
    QCOMPARE(fileDriverPatterns(table), QStringLiteral("*.mdb;*.dsn;*.udl;*.db;*.db3;*.sl3;"));
    saveTable(WindowsRows);
    MemoryRecordSet windows = openFileDriverTable();
    QCOMPARE(fileDriverPatterns(windows),
             QStringLiteral("*.mdb;*.xls;*.dsn;*.udl;*.dbf;*.db;*.txt;*.csv;*.tab;*.asc;"));
}

void TestFileDriverTable::emptyTableGivesAnEmptyPatternList()
{
    TempProgramFolder folder;
    saveTable({});
    MemoryRecordSet table = openFileDriverTable();
    QCOMPARE(table.RecordCount(), 0);
    QCOMPARE(fileDriverPatterns(table), QString());
    QVERIFY(!findFileDriver(table, QStringLiteral("/data/a.mdb")));
}

void TestFileDriverTable::lookupBuildsTheConnectionString_data()
{
    QTest::addColumn<bool>("windowsTable"); // the table of another system instead of the defaults
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("connection");

    QTest::newRow("capitals kept in the path") << false << "/Data/Sales.MDB"
                                               << "mdb"
                                               << "Driver={MDBTools};DBQ=/Data/Sales.MDB;";
    QTest::newRow("two-letter SQLite row") << false << "/data/shop.db"
                                           << "db"
                                           << "Driver={SQLite3};Database=/data/shop.db;";
    QTest::newRow("sl3") << false << "/data/Shop.SL3"
                         << "sl3"
                         << "Driver={SQLite3};Database=/data/Shop.SL3;";
    QTest::newRow("Access row of Windows") << true << "/Data/Sales.MDB"
                                           << "mdb"
                                           << "Driver={Microsoft Access Driver (*.mdb)};Dbq=/Data/Sales.MDB;"
                                              "DefaultDir=;PWD=;;";
    QTest::newRow("dBASE gets the folder") << true << "/Data/cust.dbf"
                                           << "dbf"
                                           << "Driver={Microsoft dBASE Driver (*.dbf)};DriverID=277;Dbq=/Data;";
    QTest::newRow("Paradox gets the folder twice")
        << true << "/px/orders.db"
        << "db"
        << "Driver={Microsoft Paradox Driver (*.db)};DriverID=538;Fil=Paradox 5.X;DefaultDir=/px;Dbq=/px;"
           "CollatingSequence=ASCII;";
    QTest::newRow("last dot of the last component") << true << "/my.data/backup.2024.CSV"
                                                    << "csv"
                                                    << "Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=/my.data;"
                                                       "Extensions=asc,csv,tab,txt;";
    QTest::newRow("file in the root") << true << "/a.dbf"
                                      << "dbf"
                                      << "Driver={Microsoft dBASE Driver (*.dbf)};DriverID=277;Dbq=/;";
    QTest::newRow("no dot") << false << "/data/README"
                            << ""
                            << "";
    QTest::newRow("dot only in the folder") << false << "/data.mdb/file"
                                            << ""
                                            << "";
    QTest::newRow("extension longer than the column") << false << "/data/a.sqlite"
                                                      << ""
                                                      << "";
    QTest::newRow("Windows rows are no defaults") << false << "/data/a.xls"
                                                  << ""
                                                  << "";
}

void TestFileDriverTable::lookupBuildsTheConnectionString()
{
    QFETCH(bool, windowsTable);
    QFETCH(QString, file);
    QFETCH(QString, ext);
    QFETCH(QString, connection);
    TempProgramFolder folder;
    if (windowsTable)
        saveTable(WindowsRows);
    MemoryRecordSet table = openFileDriverTable();
    const auto row = findFileDriver(table, file);
    QCOMPARE(row.has_value(), !ext.isEmpty());
    if (row) {
        QCOMPARE(row->Ext, ext);
        QCOMPARE(fileDriverConnectionString(*row, file), connection);
    }
}

void TestFileDriverTable::placeholderIsCaseSensitiveAndFirstRowWins()
{
    TempProgramFolder folder;
    saveTable({{"abc", "First=<PATH>;Second=<path>;", true}, {"ABC", "Other=<path>;", true}, {"db", Paradox, false}});
    MemoryRecordSet table = openFileDriverTable();
    const auto row = findFileDriver(table, QStringLiteral("/x/y.abc"));
    QVERIFY(row);
    QCOMPARE(fileDriverConnectionString(*row, QStringLiteral("/x/y.abc")),
             QStringLiteral("First=<PATH>;Second=/x/y.abc;"));
    QCOMPARE(findFileDriver(table, QStringLiteral("/x/z.DB"))->Str, Paradox);
}

void TestFileDriverTable::contentNamesTheDriver_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "" copies the Access test file
    QTest::addColumn<QString>("connection"); // "" when nothing fits

    const QByteArray sqliteHead = QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\1');
    QTest::newRow("SQLite as .sqlite") << "shop.sqlite" << sqliteHead << "Driver={SQLite3};Database=%1;";
    QTest::newRow("SQLite as .SQLITE3") << "shop.SQLITE3" << sqliteHead << "Driver={SQLite3};Database=%1;";
    QTest::newRow("SQLite without extension") << "shop" << sqliteHead << "Driver={SQLite3};Database=%1;";
    QTest::newRow("Access under another name") << "fruit.dat" << QByteArray() << "Driver={MDBTools};DBQ=%1;";
    QTest::newRow("header without its zero byte") << "a.sqlite" << QByteArray("SQLite format 3!") << "";
    QTest::newRow("text file") << "notes.sqlite" << QByteArray("SQLite is nice.\n") << "";
    QTest::newRow("empty file") << "empty.sqlite" << QByteArray("") << "";
}

void TestFileDriverTable::contentNamesTheDriver()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, connection);
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    if (content.isEmpty() && name.endsWith(QLatin1String(".dat")))
        QVERIFY(QFile::copy(QStringLiteral(DORVANE_ACCESS_SAMPLES "/fruit.mdb"), file));
    else
        writeFile(file, content);

    const std::optional<FileDriverRow> row = fileDriverByContent(file);
    QCOMPARE(row.has_value(), !connection.isEmpty());
    if (row) {
        QCOMPARE(row->Ext, fileExtensionOf(file));
        QVERIFY(row->File);
        QCOMPARE(fileDriverConnectionString(*row, file), connection.arg(file));
    }
    QVERIFY(!fileDriverByContent(dir.filePath(QStringLiteral("missing.sqlite"))));
    QCOMPARE(contentDriverPatterns(), QStringLiteral("*.sqlite;*.sqlite3;"));
}

void TestFileDriverTable::writeBackIsReadByTheNextOpening()
{
    TempProgramFolder folder;
    MemoryRecordSet table = openFileDriverTable(MemoryRecordSet::LockType::Optimistic);
    table.setFilter(QStringLiteral("Ext='udl'"));
    table.Delete();
    table.setFilter(QString());
    table.AddNew();
    table.Fields(QStringLiteral("Ext")).setValue(QStringLiteral("sq3"));
    table.Fields(QStringLiteral("Str")).setValue(QStringLiteral("DRIVER=SQLite3;Database=<path>;"));
    table.Fields(QStringLiteral("File")).setValue(true);
    table.Update();
    saveFileDriverTable(table);
    QVERIFY(!table.isOpen());

    MemoryRecordSet next = openFileDriverTable();
    QCOMPARE(fileDriverPatterns(next), QStringLiteral("*.mdb;*.dsn;*.db;*.db3;*.sl3;*.sq3;"));
    const auto row = findFileDriver(next, QStringLiteral("/tmp/t.SQ3"));
    QVERIFY(row);
    QCOMPARE(fileDriverConnectionString(*row, QStringLiteral("/tmp/t.SQ3")),
             QStringLiteral("DRIVER=SQLite3;Database=/tmp/t.SQ3;"));
}

void TestFileDriverTable::missingSysFolderIsADataErrorAndStaysMissing()
{
    TempProgramFolder folder(TempProgramFolder::WithLang);
    const QString description = dataErrorOf([] { openFileDriverTable(); });
    QVERIFY2(description.contains(QStringLiteral("does not exist")), qPrintable(description));
    QVERIFY(description.contains(QDir::toNativeSeparators(folder.filePath(QStringLiteral("sys")))));
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("sys"))));
}

void TestFileDriverTable::foreignFileIsADataErrorAndIsKept()
{
    TempProgramFolder folder;
    const QByteArray foreign("mdb;Driver=...;1\r\n");
    folder.writeFile(QStringLiteral("sys/fdrv.dat"), foreign);
    QVERIFY(dataErrorOf([] { openFileDriverTable(); }).contains(QStringLiteral("ADTG")));
    QCOMPARE(folder.readFile(QStringLiteral("sys/fdrv.dat")), foreign);

    // A record set of another layout is no file-driver table either.
    MemoryRecordSet other;
    other.AppendField(QStringLiteral("Ext"), ado::adChar, 3);
    other.Open();
    other.Save(fileDriverTablePath());
    QVERIFY(dataErrorOf([] { openFileDriverTable(); }).contains(QStringLiteral("no field \"Str\"")));
}

QTEST_GUILESS_MAIN(TestFileDriverTable)
#include "tst_filedrivertable.moc"
