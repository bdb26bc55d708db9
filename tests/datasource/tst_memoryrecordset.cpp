#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/DataTypeLayout.h"
#include "datasource/MemoryRecordSet.h"

#include "DataErrorOf.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

using namespace dorvane;
using dorvane::test::dataErrorOf;

namespace {

MemoryRecordSet dataTypeTable(const QList<std::tuple<QString, bool, int>>& rows)
{
    MemoryRecordSet rs;
    appendDataTypeFields(rs);
    rs.Open();
    for (const auto& [name, check, number] : rows) {
        rs.AddNew();
        rs.Fields(DataTypeField).setValue(name);
        rs.Fields(CheckField).setValue(check);
        rs.Fields(AdoNrField).setValue(number);
        rs.Update();
    }
    rs.UpdateBatch();
    rs.MoveFirst();
    return rs;
}

QStringList namesOf(MemoryRecordSet& rs)
{
    QStringList names;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext())
        names.append(rs.Fields(0).Value().toString());
    return names;
}

} // namespace

class TestMemoryRecordSet : public QObject
{
    Q_OBJECT

private slots:
    void valuesOfEveryTypeSurviveSaveAndOpen_data();
    void valuesOfEveryTypeSurviveSaveAndOpen();
    void valuesThatDoNotFitAreRefused_data();
    void valuesThatDoNotFitAreRefused();
    void fixedWidthTextIsPaddedLikeAdo();
    void appendedFieldsReportAdoAttributes();
    void filterKeepsExactlyTheMatchingRows_data();
    void filterKeepsExactlyTheMatchingRows();
    void badFiltersAreDataErrors();
    void deleteHidesTheRowAndUpdateBatchDropsIt();
    void pendingChangesAreSavedAndOpenedAgain();
    void readOnlyOpenRefusesChanges();
    void updateRefusesNullWhereTheFieldNeedsAValue();
    void navigationPastTheEndIsADataError();
    void failedSaveKeepsThePreviousFile();
    void openReportsMissingFolderAndForeignFiles();
    void startupProofSucceeds();
};

void TestMemoryRecordSet::valuesOfEveryTypeSurviveSaveAndOpen_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");

    const auto same = [](int type, int size, const QVariant& v) {
        QTest::addRow("%d %s", type, qPrintable(v.toString().left(20))) << type << size << v << v;
    };
    same(ado::adSmallInt, 0, -32768);
    same(ado::adInteger, 0, 2147483647);
    same(ado::adBigInt, 0, QVariant::fromValue(qlonglong(-9223372036854775807LL - 1)));
    same(ado::adUnsignedBigInt, 0, QVariant::fromValue(qulonglong(18446744073709551615ULL)));
    same(ado::adTinyInt, 0, -128);
    same(ado::adUnsignedTinyInt, 0, 255);
    same(ado::adSingle, 0, QVariant::fromValue(-12345.25f));
    same(ado::adDouble, 0, 0.1);
    same(ado::adBoolean, 0, false);
    same(ado::adVarWChar, 40, QStringLiteral("ä ß 漢字 😀"));
    same(ado::adLongVarWChar, 100000, QString(70000, QChar(u'ü')));
    same(ado::adVarChar, 20, QStringLiteral("Grüße €"));
    same(ado::adVarWChar, 10, QString());
    same(ado::adVarBinary, 8, QByteArray("\x00\xff\x10", 3));
    same(ado::adLongVarBinary, 1000, QByteArray(700, '\x7f'));
    same(ado::adGUID, 0, QVariant::fromValue(QUuid(QStringLiteral("{3ff292b6-b204-11cf-8d23-00aa005ffe58}"))));
    same(ado::adDate, 0, QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC));
    same(ado::adDate, 0, QDateTime(QDate(2026, 6, 12), QTime(14, 30, 15), Qt::UTC));
    same(ado::adDBTimeStamp, 0, QDateTime(QDate(2001, 2, 2), QTime(1, 3, 0, 250), Qt::UTC));
    same(ado::adDBDate, 0, QDate(1, 1, 1));
    same(ado::adDBTime, 0, QTime(23, 59, 59));
    same(ado::adFileTime, 0, QDateTime(QDate(1601, 1, 1), QTime(0, 0, 1), Qt::UTC));
    // Exact decimals: no digit may be lost to a floating-point detour.
    same(ado::adCurrency, 0, QStringLiteral("-922337203685477.5808"));
    same(ado::adDecimal, 0, QStringLiteral("79228162514264337593543950335"));
    QTest::newRow("currency from a double") << int(ado::adCurrency) << 0 << QVariant(1.0001) << QVariant("1.0001");
    QTest::newRow("currency rounds half away")
        << int(ado::adCurrency) << 0 << QVariant("-0.00005") << QVariant("-0.0001");
    QTest::newRow("integer from text") << int(ado::adInteger) << 0 << QVariant(" 202 ") << QVariant(202);
    QTest::newRow("boolean from text") << int(ado::adBoolean) << 0 << QVariant("False") << QVariant(false);
    QTest::newRow("date from ISO text") << int(ado::adDate) << 0 << QVariant("2021-03-28T02:30:00")
                                        << QVariant(QDateTime(QDate(2021, 3, 28), QTime(2, 30), Qt::UTC));
    QTest::newRow("NULL") << int(ado::adVarWChar) << 10 << QVariant() << QVariant();
}

void TestMemoryRecordSet::valuesOfEveryTypeSurviveSaveAndOpen()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("values.dat"));

    MemoryRecordSet rs;
    rs.AppendField(QStringLiteral("Id"), ado::adInteger);
    rs.AppendField(QStringLiteral("Value"), type, size, ado::adFldIsNullable);
    rs.Open();
    rs.AddNew();
    rs.Fields(QStringLiteral("id")).setValue(1);
    rs.Fields(QStringLiteral("Value")).setValue(value);
    rs.Update();
    QCOMPARE(rs.Fields(1).Value(), expected);
    rs.UpdateBatch();
    rs.Save(path);

    MemoryRecordSet reopened;
    reopened.Open(path);
    QCOMPARE(reopened.RecordCount(), 1);
    QCOMPARE(reopened.Fields(1).Type(), type);
    QCOMPARE(reopened.Fields(1).DefinedSize(), rs.Fields(1).DefinedSize());
    QCOMPARE(reopened.Fields(1).Value(), expected);
    QCOMPARE(reopened.Fields(1).Value().isNull(), !expected.isValid());
}

void TestMemoryRecordSet::valuesThatDoNotFitAreRefused_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("reason");

    QTest::newRow("text into integer") << int(ado::adInteger) << 0 << QVariant("zwei") << "not a whole number";
    QTest::newRow("integer overflow") << int(ado::adSmallInt) << 0 << QVariant(40000) << "outside -32768 to 32767";
    QTest::newRow("negative unsigned") << int(ado::adUnsignedInt) << 0 << QVariant(-1) << "outside 0 to";
    QTest::newRow("too long text") << int(ado::adVarWChar) << 3 << QVariant("abcd") << "longer than 3 characters";
    QTest::newRow("too long ANSI") << int(ado::adChar) << 3 << QVariant("dbff") << "longer than 3 characters";
    QTest::newRow("not ANSI") << int(ado::adVarChar) << 10 << QVariant("漢") << "Windows-1252";
    QTest::newRow("not a boolean") << int(ado::adBoolean) << 0 << QVariant("vielleicht") << "not true or false";
    QTest::newRow("not a date") << int(ado::adDate) << 0 << QVariant("gestern") << "not a date";
    QTest::newRow("currency overflow") << int(ado::adCurrency) << 0 << QVariant("922337203685477.5808")
                                       << "too many digits";
    QTest::newRow("text into binary") << int(ado::adVarBinary) << 8 << QVariant("ab") << "not binary";
    QTest::newRow("not a GUID") << int(ado::adGUID) << 0 << QVariant("{xyz}") << "not a GUID";
}

void TestMemoryRecordSet::valuesThatDoNotFitAreRefused()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    QFETCH(QString, reason);
    MemoryRecordSet rs;
    rs.AppendField(QStringLiteral("Feld"), type, size, ado::adFldIsNullable);
    rs.Open();
    rs.AddNew();
    const QString description = dataErrorOf([&] { rs.Fields(0).setValue(value); });
    QVERIFY2(description.contains(reason), qPrintable(description));
    QVERIFY(description.contains(QLatin1String("\"Feld\"")));
    QVERIFY(rs.Fields(0).Value().isNull()); // nothing half-written
}

void TestMemoryRecordSet::fixedWidthTextIsPaddedLikeAdo()
{
    MemoryRecordSet rs;
    rs.AppendField(QStringLiteral("Ext"), ado::adChar, 3, ado::adFldKeyColumn);
    rs.Open();
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("db"));
    QCOMPARE(rs.Fields(0).Value().toString(), QStringLiteral("db "));
}

void TestMemoryRecordSet::appendedFieldsReportAdoAttributes()
{
    MemoryRecordSet rs;
    rs.AppendField(QStringLiteral("Ext"), ado::adChar, 3, ado::adFldKeyColumn);
    rs.AppendField(QStringLiteral("Str"), ado::adLongVarWChar, 256);
    rs.AppendField(QStringLiteral("File"), ado::adBoolean);
    rs.AppendField(QStringLiteral("AdoNr"), ado::adInteger, 0, -1);
    QCOMPARE(rs.Fields(0).Attributes(), 0x8014);
    QCOMPARE(rs.Fields(1).Attributes(), 0x0084);
    QCOMPARE(rs.Fields(2).Attributes(), 0x0014);
    QCOMPARE(rs.Fields(2).DefinedSize(), 2);
    QCOMPARE(rs.Fields(3).DefinedSize(), 4);

    QVERIFY(dataErrorOf([&] { rs.AppendField(QStringLiteral("ext"), ado::adInteger); }).contains("already has"));
    QVERIFY(dataErrorOf([&] { rs.AppendField(QStringLiteral("V"), ado::adVariant); }).contains("cannot have the type"));
    QVERIFY(dataErrorOf([&] { rs.AppendField(QStringLiteral("T"), ado::adVarWChar, 0); }).contains("defined size"));
    rs.Open();
    QVERIFY(dataErrorOf([&] { rs.AppendField(QStringLiteral("Late"), ado::adInteger); }).contains("is open"));
}

void TestMemoryRecordSet::filterKeepsExactlyTheMatchingRows_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("number") << "AdoNr=202" << QStringList {"VarWChar"};
    QTest::newRow("blanks and case") << " adonr = 3 " << QStringList {"Integer", "Integer2"};
    QTest::newRow("no row") << "AdoNr=8192" << QStringList {};
    QTest::newRow("quoted text, any case") << "DataType='varwchar'" << QStringList {"VarWChar"};
    QTest::newRow("boolean") << "Check=false" << QStringList {"GUID"};
    QTest::newRow("cleared") << "" << QStringList {"VarWChar", "Integer", "GUID", "Integer2"};
}

void TestMemoryRecordSet::filterKeepsExactlyTheMatchingRows()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    MemoryRecordSet rs
        = dataTypeTable({{"VarWChar", true, 202}, {"Integer", true, 3}, {"GUID", false, 72}, {"Integer2", true, 3}});
    rs.setFilter(QStringLiteral("AdoNr=72"));
    rs.setFilter(filter);
    QCOMPARE(rs.RecordCount(), expected.size());
    QCOMPARE(rs.isEOF(), expected.isEmpty()); // the filter moves to the first row left
    QCOMPARE(namesOf(rs), expected);
}

void TestMemoryRecordSet::badFiltersAreDataErrors()
{
    MemoryRecordSet rs = dataTypeTable({{"VarWChar", true, 202}});
    QVERIFY(dataErrorOf([&] { rs.setFilter(QStringLiteral("AdoNr")); }).contains("form Name=value"));
    QVERIFY(dataErrorOf([&] { rs.setFilter(QStringLiteral("Nr=202")); }).contains("\"Nr\""));
    QVERIFY(dataErrorOf([&] { rs.setFilter(QStringLiteral("AdoNr=abc")); }).contains("not a whole number"));
}

void TestMemoryRecordSet::deleteHidesTheRowAndUpdateBatchDropsIt()
{
    MemoryRecordSet rs = dataTypeTable({{"A", true, 1}, {"B", true, 2}, {"C", true, 3}});
    rs.MoveNext();
    rs.Delete();
    QVERIFY(dataErrorOf([&] { rs.Fields(0).Value(); }).contains("deleted"));
    QCOMPARE(rs.RecordCount(), 2);
    rs.MoveNext();
    QCOMPARE(rs.Fields(0).Value().toString(), QStringLiteral("C"));
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("D"));
    rs.Fields(1).setValue(false);
    rs.Fields(2).setValue(4);
    rs.Update();
    rs.Delete(); // an added row deleted again leaves no trace
    rs.UpdateBatch();
    QCOMPARE(namesOf(rs), QStringList({"A", "C"}));
    QCOMPARE(rs.table().rows.size(), 2);
}

// Without UpdateBatch the file keeps the pending changes, as ADO's does; the reader shows inserted and
// changed rows and hides deleted ones.
void TestMemoryRecordSet::pendingChangesAreSavedAndOpenedAgain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pending.dat"));
    MemoryRecordSet rs = dataTypeTable({{"A", true, 1}, {"B", true, 2}, {"C", true, 3}});
    rs.Fields(1).setValue(false); // A changed
    rs.MoveNext();
    rs.Delete(); // B deleted
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("D"));
    rs.Fields(1).setValue(true);
    rs.Fields(2).setValue(4);
    rs.Update();
    rs.Save(path);

    MemoryRecordSet reopened;
    reopened.Open(path, MemoryRecordSet::LockType::Optimistic);
    QCOMPARE(namesOf(reopened), QStringList({"A", "C", "D"}));
    reopened.MoveFirst();
    QCOMPARE(reopened.Fields(1).Value(), QVariant(false));
    QCOMPARE(reopened.table().rows[0].state, RowState::Deleted);
    reopened.UpdateBatch();
    QCOMPARE(reopened.table().rows.size(), 3);
}

void TestMemoryRecordSet::readOnlyOpenRefusesChanges()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ro.dat"));
    dataTypeTable({{"A", true, 1}}).Save(path);
    MemoryRecordSet rs;
    rs.Open(path);
    QVERIFY(dataErrorOf([&] { rs.AddNew(); }).contains("read-only"));
    QVERIFY(dataErrorOf([&] { rs.Fields(1).setValue(false); }).contains("read-only"));
    QVERIFY(dataErrorOf([&] { rs.Delete(); }).contains("read-only"));
    QCOMPARE(rs.Fields(1).Value(), QVariant(true));
}

void TestMemoryRecordSet::updateRefusesNullWhereTheFieldNeedsAValue()
{
    MemoryRecordSet rs = dataTypeTable({});
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("Half"));
    QVERIFY(dataErrorOf([&] { rs.Update(); }).contains("\"Check\" needs a value"));
}

void TestMemoryRecordSet::navigationPastTheEndIsADataError()
{
    MemoryRecordSet rs = dataTypeTable({{"A", true, 1}});
    rs.MoveNext();
    QVERIFY(rs.isEOF());
    QVERIFY(dataErrorOf([&] { rs.MoveNext(); }).contains("at its end"));
    QVERIFY(dataErrorOf([&] { rs.Fields(0).Value(); }).contains("at its end"));
    QVERIFY(dataErrorOf([&] { rs.Fields(7); }).contains("no field 7"));
    rs.Close();
    QVERIFY(dataErrorOf([&] { rs.RecordCount(); }).contains("closed"));
    QVERIFY(rs.isEOF());
}

void TestMemoryRecordSet::failedSaveKeepsThePreviousFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("table.dat"));
    MemoryRecordSet good = dataTypeTable({{"A", true, 1}});
    good.Save(path);
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    // A row that cannot be persisted (a NULL where the column cannot hold one) fails the save.
    MemoryRecordSet bad = dataTypeTable({});
    bad.AddNew();
    bad.Fields(0).setValue(QStringLiteral("B"));
    bad.UpdateBatch();
    QVERIFY(dataErrorOf([&] { bad.Save(path); }).contains("cannot be NULL"));

    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("table.dat")});
}

void TestMemoryRecordSet::openReportsMissingFolderAndForeignFiles()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder.dat"));
    QFile foreign(dir.filePath(QStringLiteral("foreign.dat")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("[Options]\r\nLanguage=Deutsch\r\n");
    foreign.close();

    MemoryRecordSet rs;
    QVERIFY(dataErrorOf([&] { rs.Open(dir.filePath(QStringLiteral("missing.dat"))); }).contains("does not exist"));
    QVERIFY(dataErrorOf([&] { rs.Open(dir.filePath(QStringLiteral("folder.dat"))); }).contains("is a folder"));
    QVERIFY(dataErrorOf([&] { rs.Open(foreign.fileName()); }).contains("ADTG header"));
    QVERIFY(!rs.isOpen());
    const QString nowhere = dir.filePath(QStringLiteral("sys/dtype.dat"));
    QVERIFY(dataErrorOf([&] { dataTypeTable({}).Save(nowhere); }).contains("does not exist"));
    QVERIFY(!QDir(dir.filePath(QStringLiteral("sys"))).exists());
}

void TestMemoryRecordSet::startupProofSucceeds()
{
    QVERIFY(proveRecordSetsWork());
}

QTEST_GUILESS_MAIN(TestMemoryRecordSet)
#include "tst_memoryrecordset.moc"
