#include "core/AdoTypes.h"
#include "core/AppState.h"
#include "core/DataError.h"
#include "datasource/DataTypeLayout.h"
#include "engine/DataTypeName.h"
#include "engine/DataTypeTable.h"
#include "engine/SearchableTypes.h"

#include "DataErrorOf.h"
#include "TempProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

using namespace dorvane;
using dorvane::test::dataErrorOf;
using dorvane::test::TempProgramFolder;

namespace {

// The options dialog's way: open updatable, change the row of one type, write back.
void setCheck(int adoType, bool check)
{
    MemoryRecordSet table = openDataTypeTable(MemoryRecordSet::LockType::Optimistic);
    table.setFilter(QStringLiteral("AdoNr=%1").arg(adoType));
    QCOMPARE(table.RecordCount(), 1);
    table.Fields(CheckField).setValue(check);
    table.Update();
    table.setFilter(QString());
    saveDataTypeTable(table);
}

} // namespace

class TestDataTypeTable : public QObject
{
    Q_OBJECT

private slots:
    void firstLookupCreatesTheDefaultTable();
    void defaultsDecideWhichTypesAreSearched_data();
    void defaultsDecideWhichTypesAreSearched();
    void typeNamesAreFixedInCode_data();
    void typeNamesAreFixedInCode();
    void everyDefaultRowCarriesItsTypeName();
    void twoRowsForOneTypeMeanNotSearched();
    void savedChangeIsSeenByTheNextLookup();
    void changeWrittenInPlaceIsSeenByTheNextLookup();
    void missingSysFolderIsADataErrorAndStaysMissing();
    void foreignFileIsADataErrorAndIsKept();
    void bothSlashSpellingsReachTheSameFile();
};

void TestDataTypeTable::firstLookupCreatesTheDefaultTable()
{
    TempProgramFolder folder;
    QVERIFY(IsSearchableType(ado::adVarWChar));
    QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("sys/dtype.dat"))).size(), 1347);

    MemoryRecordSet table = openDataTypeTable();
    QList<DataTypeRow> rows;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        rows.append(currentDataTypeRow(table));
    QCOMPARE(rows, defaultDataTypeRows());
    QCOMPARE(rows.size(), 39);
    QCOMPARE(std::count_if(rows.begin(), rows.end(), [](const DataTypeRow& row) { return row.Check; }), 25);
    QCOMPARE(table.Fields(DataTypeField).Type(), int(ado::adLongVarWChar));
    QCOMPARE(table.Fields(DataTypeField).DefinedSize(), 64);
    QCOMPARE(table.Fields(CheckField).Type(), int(ado::adBoolean));
    QCOMPARE(table.Fields(AdoNrField).Type(), int(ado::adInteger));
}

void TestDataTypeTable::defaultsDecideWhichTypesAreSearched_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("searched");
    QTest::newRow("VarWChar") << 202 << true;
    QTest::newRow("GUID") << 72 << false;
    QTest::newRow("UnsignedTinyInt") << 17 << false;
    QTest::newRow("TinyInt") << 16 << true;
    QTest::newRow("UnsignedSmallInt") << 18 << true;
    QTest::newRow("UnsignedInt") << 19 << true;
    QTest::newRow("UnsignedBigInt") << 21 << true;
    QTest::newRow("BSTR") << 8 << false;
    QTest::newRow("LongVarChar") << 201 << true;
    QTest::newRow("array flag") << 8192 << false;
    QTest::newRow("negative") << -1 << false;
}

void TestDataTypeTable::defaultsDecideWhichTypesAreSearched()
{
    QFETCH(int, type);
    QFETCH(bool, searched);
    TempProgramFolder folder;
    QCOMPARE(IsSearchableType(type), searched);
}

void TestDataTypeTable::typeNamesAreFixedInCode_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("203") << 203 << "LongVarWChar";
    QTest::newRow("0") << 0 << "Empty";
    QTest::newRow("8") << 8 << "BSTR";
    QTest::newRow("8192") << 8192 << "";
    QTest::newRow("1") << 1 << "";
    QTest::newRow("15") << 15 << "";
    QTest::newRow("63") << 63 << "";
    QTest::newRow("206") << 206 << "";
    QTest::newRow("-3") << -3 << "";
}

void TestDataTypeTable::typeNamesAreFixedInCode()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QCOMPARE(DataTypeName(type), name);
}

void TestDataTypeTable::everyDefaultRowCarriesItsTypeName()
{
    for (const DataTypeRow& row : defaultDataTypeRows())
        QCOMPARE(DataTypeName(row.AdoNr), row.DataType);
}

void TestDataTypeTable::twoRowsForOneTypeMeanNotSearched()
{
    TempProgramFolder folder;
    MemoryRecordSet table = openDataTypeTable(MemoryRecordSet::LockType::Optimistic);
    table.AddNew();
    table.Fields(DataTypeField).setValue(QStringLiteral("VarWChar again"));
    table.Fields(CheckField).setValue(true);
    table.Fields(AdoNrField).setValue(202);
    table.Update();
    saveDataTypeTable(table);
    QVERIFY(!IsSearchableType(202));
    QVERIFY(IsSearchableType(203));
}

// The options dialog's write-back takes effect at the next lookup, however quickly it follows, and
// without a restart; renaming a row does not change the fixed names.
void TestDataTypeTable::savedChangeIsSeenByTheNextLookup()
{
    TempProgramFolder folder;
    // Rows may be reused at once, so the save itself must invalidate them.
    SearchableTypes::setSettleTimeForTesting(0);
    const auto restore = qScopeGuard([] { SearchableTypes::setSettleTimeForTesting(2'000'000'000); });
    QVERIFY(IsSearchableType(202));
    for (int round = 0; round < 5; ++round) {
        setCheck(202, false);
        QVERIFY(!IsSearchableType(202));
        setCheck(202, true);
        QVERIFY(IsSearchableType(202));
    }
    QCOMPARE(DataTypeName(202), QStringLiteral("VarWChar"));
}

// Another program may rewrite the file in place with the same size; a lookup right after must not
// answer from what it read before.
void TestDataTypeTable::changeWrittenInPlaceIsSeenByTheNextLookup()
{
    TempProgramFolder folder;
    QVERIFY(IsSearchableType(202));
    const QString path = folder.filePath(QStringLiteral("sys/dtype.dat"));
    QByteArray bytes = folder.readFile(QStringLiteral("sys/dtype.dat"));
    // VarWChar's Check value: the two bytes after its name, the second-to-last row.
    const QByteArray name = QStringLiteral("VarWChar").toUtf8();
    QByteArray utf16;
    for (char c : name)
        utf16.append(c).append('\0');
    const qsizetype at = bytes.lastIndexOf(utf16) + utf16.size();
    QCOMPARE(bytes.mid(at, 2), QByteArray("\xff\xff", 2));
    bytes.replace(at, 2, QByteArray(2, '\0'));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QVERIFY(!IsSearchableType(202));
}

void TestDataTypeTable::missingSysFolderIsADataErrorAndStaysMissing()
{
    TempProgramFolder folder(TempProgramFolder::WithLang);
    const QString description = dataErrorOf([] { IsSearchableType(202); });
    QVERIFY2(description.contains(QStringLiteral("does not exist")), qPrintable(description));
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("sys"))));
    QVERIFY(dataErrorOf([] { openDataTypeTable(); }).contains(QStringLiteral("does not exist")));
}

void TestDataTypeTable::foreignFileIsADataErrorAndIsKept()
{
    TempProgramFolder folder;
    const QByteArray foreign("BigInt;1;20\r\n");
    folder.writeFile(QStringLiteral("sys/dtype.dat"), foreign);
    QVERIFY(dataErrorOf([] { IsSearchableType(202); }).contains(QStringLiteral("ADTG header")));
    QCOMPARE(folder.readFile(QStringLiteral("sys/dtype.dat")), foreign);

    MemoryRecordSet other;
    other.AppendField(QStringLiteral("DataType"), ado::adVarWChar, 64);
    other.AppendField(QStringLiteral("Check"), ado::adBoolean);
    other.Open();
    other.Save(dataTypeTablePath());
    QVERIFY(dataErrorOf([] { IsSearchableType(202); }).contains(QStringLiteral("no field \"AdoNr\"")));
}

void TestDataTypeTable::bothSlashSpellingsReachTheSameFile()
{
    TempProgramFolder folder;
    QCOMPARE(appState().programPath(QStringLiteral("/sys/dtype.dat")), dataTypeTablePath());
    QCOMPARE(dataTypeTablePath(), folder.filePath(QStringLiteral("sys/dtype.dat")));
}

QTEST_GUILESS_MAIN(TestDataTypeTable)
#include "tst_datatypetable.moc"
