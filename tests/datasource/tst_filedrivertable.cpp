#include "core/AdoTypes.h"
#include "core/AppState.h"
#include "core/DataError.h"
#include "datasource/FileDriverTable.h"

#include "DataErrorOf.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFileInfo>
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
    void writeBackIsReadByTheNextOpening();
    void missingSysFolderIsADataErrorAndStaysMissing();
    void foreignFileIsADataErrorAndIsKept();
};

void TestFileDriverTable::firstUseCreatesTheDefaultRowsInOrder()
{
    TempProgramFolder folder;
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("sys/fdrv.dat"))));
    MemoryRecordSet created = openFileDriverTable();
    QCOMPARE(rowsOf(created), defaultFileDriverRows());
    QCOMPARE(QFileInfo(fileDriverTablePath()).size(), 1917); // ten committed rows, as ADO writes them

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
    QCOMPARE(fileDriverPatterns(table), QStringLiteral("*.mdb;*.xls;*.dsn;*.udl;*.dbf;*.db;*.txt;*.csv;*.tab;*.asc;"));
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
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("connection");

    QTest::newRow("capitals kept in the path") << "/Data/Sales.MDB"
                                               << "mdb"
                                               << "Driver={Microsoft Access Driver (*.mdb)};Dbq=/Data/Sales.MDB;"
                                                  "DefaultDir=;PWD=;;";
    QTest::newRow("dBASE gets the folder") << "/Data/cust.dbf"
                                           << "dbf"
                                           << "Driver={Microsoft dBASE Driver (*.dbf)};DriverID=277;Dbq=/Data;";
    QTest::newRow("Paradox gets the folder twice")
        << "/px/orders.db"
        << "db"
        << "Driver={Microsoft Paradox Driver (*.db)};DriverID=538;Fil=Paradox 5.X;DefaultDir=/px;Dbq=/px;"
           "CollatingSequence=ASCII;";
    QTest::newRow("last dot of the last component") << "/my.data/backup.2024.CSV"
                                                    << "csv"
                                                    << "Driver={Microsoft Text Driver (*.txt; *.csv)};Dbq=/my.data;"
                                                       "Extensions=asc,csv,tab,txt;";
    QTest::newRow("file in the root") << "/a.dbf"
                                      << "dbf"
                                      << "Driver={Microsoft dBASE Driver (*.dbf)};DriverID=277;Dbq=/;";
    QTest::newRow("no dot") << "/data/README"
                            << ""
                            << "";
    QTest::newRow("dot only in the folder") << "/data.mdb/file"
                                            << ""
                                            << "";
    QTest::newRow("unknown extension") << "/data/a.sqlite"
                                       << ""
                                       << "";
}

void TestFileDriverTable::lookupBuildsTheConnectionString()
{
    QFETCH(QString, file);
    QFETCH(QString, ext);
    QFETCH(QString, connection);
    TempProgramFolder folder;
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

void TestFileDriverTable::writeBackIsReadByTheNextOpening()
{
    TempProgramFolder folder;
    MemoryRecordSet table = openFileDriverTable(MemoryRecordSet::LockType::Optimistic);
    table.setFilter(QStringLiteral("Ext='xls'"));
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
    QCOMPARE(fileDriverPatterns(next), QStringLiteral("*.mdb;*.dsn;*.udl;*.dbf;*.db;*.txt;*.csv;*.tab;*.asc;*.sq3;"));
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
