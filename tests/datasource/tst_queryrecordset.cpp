// Query record sets over real SQLite files: values of the common column types, NULLs, Unicode, long
// values, forward reading and its end, counting, the structure-only open, and the update rule with its
// faults (row changed meanwhile, duplicate rows, text that does not convert), and the shown text of a
// value written back.
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"
#include "engine/FieldText.h"

#include "SqliteDatabase.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::SqliteDatabase;

namespace {

const QString Unicode = QStringLiteral("ä ß 漢字 😀");

// A text of the given length that mixes ASCII, umlauts, CJK and surrogate pairs.
QString longText(int length)
{
    const QString pattern = QStringLiteral("abcdefghij ä漢😀 ");
    QString text;
    text.reserve(length + pattern.size());
    while (text.size() < length)
        text += pattern;
    text.truncate(length);
    if (text.back().isHighSurrogate())
        text.back() = QLatin1Char('x');
    return text;
}

QString sqlText(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

class TestQueryRecordSet : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsTheCommonTypes_data();
    void readsTheCommonTypes();
    void readsUnicodeAndLongValuesWhole();
    void tenMegabyteValuesRoundTrip();
    void readsForwardAndRaisesPastTheEnd();
    void countsRecordsExactly();
    void findsFieldsByPositionAndName();
    void opensTheStructureWithoutReadingRows();
    void sqlTextRecordSetsAreReadOnly();

    void updatesTheCurrentRowAndKeepsReading();
    void updatesByKeyRowIdOrAllValues_data();
    void updatesByKeyRowIdOrAllValues();
    void updatesNullsAndTypedText();
    void changedKeysAreNotReadTwice_data();
    void changedKeysAreNotReadTwice();
    void refusesARowChangedMeanwhile();
    void refusesARowChangedByAnotherConnection();
    void refusesDuplicateRows();
    void refusesTextThatDoesNotConvert();
    void writingTheShownTextBackKeepsTheValue_data();
    void writingTheShownTextBackKeepsTheValue();
    void movingDropsUnsavedChanges();
    void textsAskedForLateAreThoseOfTheirRow();
    void sqliteIntegersAreReadAndNamedWhole();

private:
    void openTable(const QString& table);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SqliteDatabase> m_db;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<QueryRecordSet> m_recordSet;
};

void TestQueryRecordSet::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = std::make_unique<SqliteDatabase>(m_dir->path());
    m_connection = std::make_unique<Connection>();
    m_recordSet = std::make_unique<QueryRecordSet>();
}

void TestQueryRecordSet::cleanup()
{
    m_recordSet.reset();
    m_connection.reset();
    m_db.reset();
    m_dir.reset();
}

void TestQueryRecordSet::sqliteIntegersAreReadAndNamedWhole()
{
    // SQLite keeps 64 bits in any integer column; cut to the declared 32, a key would name another row.
    m_db->exec(QStringLiteral("CREATE TABLE T (id INTEGER PRIMARY KEY, n INTEGER, small SMALLINT, note TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO T VALUES (5000000000, 9000000000, -70000, 'x'), (705032704, 1, 2, 'x')"));
    openTable(QStringLiteral("T"));
    m_recordSet->MoveNext(); // rowid order: 705032704 first
    QCOMPARE(m_recordSet->Fields(0).Value(), QVariant(qlonglong(5000000000)));
    QCOMPARE(m_recordSet->Fields(1).Value(), QVariant(qlonglong(9000000000)));
    QCOMPARE(m_recordSet->Fields(2).Value(), QVariant(-70000));
    m_recordSet->Fields(QStringLiteral("note")).setValue(QStringLiteral("saved"));
    m_recordSet->Fields(QStringLiteral("n")).setValue(QStringLiteral("-9000000001"));
    m_recordSet->Update();
    QCOMPARE(m_db->rows(QStringLiteral("SELECT id, n, note FROM T ORDER BY id")),
             QList<QVariantList>({{705032704, 1, QStringLiteral("x")},
                                  {qlonglong(5000000000), qlonglong(-9000000001), QStringLiteral("saved")}}));
}

void TestQueryRecordSet::openTable(const QString& table)
{
    if (m_connection->State() != ado::adStateOpen) {
        if (m_connection->ConnectionString().isEmpty())
            m_connection->setConnectionString(m_db->connectionString());
        m_connection->Open();
    }
    m_recordSet->OpenTable(*m_connection, table);
}

void TestQueryRecordSet::readsTheCommonTypes_data()
{
    QTest::addColumn<QString>("declaredType");
    QTest::addColumn<QString>("literal");
    QTest::addColumn<int>("adoType");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("INTEGER") << "INTEGER"
                             << "-42" << int(ado::adInteger) << QVariant(-42);
    QTest::newRow("BIGINT") << "BIGINT"
                            << "9000000000" << int(ado::adBigInt) << QVariant::fromValue(qlonglong(9000000000LL));
    QTest::newRow("SMALLINT") << "SMALLINT"
                              << "-300" << int(ado::adSmallInt) << QVariant(-300);
    QTest::newRow("TINYINT") << "TINYINT"
                             << "7" << int(ado::adTinyInt) << QVariant(7);
    QTest::newRow("DOUBLE") << "DOUBLE"
                            << "2.25" << int(ado::adDouble) << QVariant(2.25);
    QTest::newRow("REAL") << "REAL"
                          << "-1.5" << int(ado::adDouble) << QVariant(-1.5);
    QTest::newRow("BOOLEAN") << "BOOLEAN"
                             << "1" << int(ado::adBoolean) << QVariant(true);
    QTest::newRow("DATE") << "DATE"
                          << "'2024-01-05'" << int(ado::adDBDate) << QVariant(QDate(2024, 1, 5));
    QTest::newRow("TIME") << "TIME"
                          << "'10:11:12'" << int(ado::adDBTime) << QVariant(QTime(10, 11, 12));
    QTest::newRow("TIMESTAMP") << "TIMESTAMP"
                               << "'2024-01-05 10:20:30'" << int(ado::adDBTimeStamp)
                               << QVariant(QDateTime(QDate(2024, 1, 5), QTime(10, 20, 30), Qt::UTC));
    QTest::newRow("DATETIME with fraction") << "DATETIME"
                                            << "'2024-02-03 04:05:06.789'" << int(ado::adDBTimeStamp)
                                            << QVariant(QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6, 789), Qt::UTC));
    QTest::newRow("TEXT") << "TEXT" << sqlText(Unicode) << int(ado::adLongVarChar) << QVariant(Unicode);
    QTest::newRow("TEXT with a leading byte order mark")
        << "TEXT" << sqlText(QStringLiteral("\uFEFFbom")) << int(ado::adLongVarChar)
        << QVariant(QStringLiteral("\uFEFFbom"));
    QTest::newRow("VARCHAR") << "VARCHAR(20)"
                             << "'short'" << int(ado::adVarChar) << QVariant(QStringLiteral("short"));
    QTest::newRow("empty text is not NULL") << "VARCHAR(20)"
                                            << "''" << int(ado::adVarChar) << QVariant(QString(""));
    QTest::newRow("BLOB") << "BLOB"
                          << "x'00ff10'" << int(ado::adBinary) << QVariant(QByteArray("\x00\xff\x10", 3));
    QTest::newRow("VARBINARY") << "VARBINARY(10)"
                               << "x'01'" << int(ado::adVarBinary) << QVariant(QByteArray("\x01", 1));
}

void TestQueryRecordSet::readsTheCommonTypes()
{
    QFETCH(QString, declaredType);
    QFETCH(QString, literal);
    QFETCH(int, adoType);
    QFETCH(QVariant, value);
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, v %1)").arg(declaredType));
    m_db->exec(QStringLiteral("INSERT INTO t (v) VALUES (%1)").arg(literal));
    m_db->exec(QStringLiteral("INSERT INTO t (v) VALUES (NULL)"));
    openTable(QStringLiteral("t"));

    QCOMPARE(m_recordSet->FieldCount(), 2);
    const QueryField& field = m_recordSet->Fields(1);
    QCOMPARE(field.Name(), QStringLiteral("v"));
    QCOMPARE(field.Type(), adoType);
    QVERIFY(field.DefinedSize() > 0);
    QCOMPARE(field.Value().metaType(), value.metaType());
    QCOMPARE(field.Value(), value);
    if (value.metaType().id() == QMetaType::QDateTime)
        QCOMPARE(field.Value().toDateTime().timeSpec(), Qt::UTC);

    m_recordSet->MoveNext();
    QVERIFY(!m_recordSet->IsEOF());
    QVERIFY(field.Value().isNull());
    QVERIFY(!field.Value().isValid());
}

void TestQueryRecordSet::readsUnicodeAndLongValuesWhole()
{
    const QString text = longText(200000);
    QByteArray bytes(100000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(10), memo TEXT, data BLOB)"));
    m_db->exec(QStringLiteral("INSERT INTO t (name, memo, data) VALUES (%1, %2, x'%3')")
                   .arg(sqlText(Unicode), sqlText(text), QString::fromLatin1(bytes.toHex())));
    m_db->exec(QStringLiteral("INSERT INTO t (name, memo) VALUES ('next', 'short')"));
    openTable(QStringLiteral("t"));

    QCOMPARE(m_recordSet->Fields(1).DefinedSize(), 10);
    QCOMPARE(m_recordSet->Fields(QStringLiteral("name")).Value().toString(), Unicode);
    const QString read = m_recordSet->Fields(2).Value().toString();
    QCOMPARE(read.size(), text.size());
    QCOMPARE(read, text);
    QCOMPARE(m_recordSet->Fields(3).Value().toByteArray(), bytes);
    m_recordSet->MoveNext();
    QCOMPARE(m_recordSet->Fields(2).Value().toString(), QStringLiteral("short"));

    // Writing the long text back (changed at its end) stores it whole as well.
    m_recordSet->MoveFirst();
    const QString changed = text.left(text.size() - 1) + QStringLiteral("Z");
    m_recordSet->Fields(2).setValue(changed);
    m_recordSet->Update();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT memo FROM t WHERE id = 1")).toString(), changed);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT length(memo) FROM t WHERE id = 1")).toLongLong(),
             qlonglong(changed.toUcs4().size())); // SQLite counts characters, not UTF-16 units
}

void TestQueryRecordSet::tenMegabyteValuesRoundTrip()
{
    // 10 MiB of UTF-8 (two, three and four bytes beside ASCII) and 10 MiB of every byte value, written
    // through the record set and read back whole. Reading them once took minutes.
    const QString text = longText(8 << 20);
    QByteArray bytes(10 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 256);
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, memo TEXT, data BLOB)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1, '', x'')"));
    openTable(QStringLiteral("t"));
    m_recordSet->Fields(1).setValue(text);
    m_recordSet->Fields(2).setValue(bytes);
    m_recordSet->Update();
    m_recordSet->Close();
    QVERIFY(text.toUtf8().size() >= 10 << 20);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT length(CAST(memo AS BLOB)) FROM t")).toLongLong(),
             qlonglong(text.toUtf8().size()));

    openTable(QStringLiteral("t"));
    const QString readText = m_recordSet->Fields(1).Value().toString();
    QCOMPARE(readText.size(), text.size());
    QVERIFY(readText == text);
    const QByteArray readBytes = m_recordSet->Fields(2).Value().toByteArray();
    QCOMPARE(readBytes.size(), bytes.size());
    QVERIFY(readBytes == bytes);
}

void TestQueryRecordSet::readsForwardAndRaisesPastTheEnd()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    m_db->exec(QStringLiteral("CREATE TABLE empty (x INTEGER)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (2)"));
    openTable(QStringLiteral("t"));

    QCOMPARE(m_recordSet->State(), int(ado::adStateOpen));
    QList<int> seen;
    for (m_recordSet->MoveFirst(); !m_recordSet->IsEOF(); m_recordSet->MoveNext())
        seen.append(m_recordSet->Fields(0).Value().toInt());
    QCOMPARE(seen, QList<int>({1, 2}));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->MoveNext());
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(0).Value());
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(0).setValue(3));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Update());
    QVERIFY(m_recordSet->IsEOF());

    m_recordSet->MoveFirst(); // runs the query again
    QCOMPARE(m_recordSet->Fields(0).Value(), QVariant(1));

    m_recordSet->OpenTable(*m_connection, QStringLiteral("empty"));
    QVERIFY(m_recordSet->IsEOF());
    QCOMPARE(m_recordSet->RecordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->MoveNext());

    m_recordSet->Close();
    QCOMPARE(m_recordSet->State(), int(ado::adStateClosed));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->MoveFirst());
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(0));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->OpenTable(*m_connection, QStringLiteral("missing")));
    QCOMPARE(m_recordSet->State(), int(ado::adStateClosed));
}

void TestQueryRecordSet::countsRecordsExactly()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    for (int i = 0; i < 25; ++i)
        m_db->exec(QStringLiteral("INSERT INTO t VALUES (%1)").arg(i));
    openTable(QStringLiteral("t"));
    QCOMPARE(m_recordSet->RecordCount(), 25);
    int walked = 0;
    for (; !m_recordSet->IsEOF(); m_recordSet->MoveNext())
        ++walked;
    QCOMPARE(walked, 25);

    m_recordSet->Open(*m_connection, QStringLiteral("SELECT x FROM t WHERE x < 10;"));
    QCOMPARE(m_recordSet->RecordCount(), 10);
}

void TestQueryRecordSet::findsFieldsByPositionAndName()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (Id INTEGER PRIMARY KEY, [Full Name] TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1, 'Ann')"));
    openTable(QStringLiteral("t"));
    QCOMPARE(m_recordSet->Fields(QStringLiteral("full name")).Value(), QVariant(QStringLiteral("Ann")));
    QCOMPARE(&m_recordSet->Fields(QStringLiteral("ID")), &m_recordSet->Fields(0));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(QStringLiteral("Nope")));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(2));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(-1));
}

void TestQueryRecordSet::opensTheStructureWithoutReadingRows()
{
    m_db->exec(QStringLiteral("CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name VARCHAR(40), Born DATE)"));
    m_db->exec(QStringLiteral("INSERT INTO Customer VALUES (1, 'Ann', '1990-01-01')"));
    m_connection->setConnectionString(m_db->connectionString());
    m_connection->Open();
    m_recordSet->OpenStructure(*m_connection, QStringLiteral("Customer"));

    QCOMPARE(m_recordSet->FieldCount(), 3);
    QCOMPARE(m_recordSet->Fields(0).Name(), QStringLiteral("Id"));
    QCOMPARE(m_recordSet->Fields(0).Type(), int(ado::adInteger));
    QCOMPARE(m_recordSet->Fields(1).Type(), int(ado::adVarChar));
    QCOMPARE(m_recordSet->Fields(1).DefinedSize(), 40);
    QCOMPARE(m_recordSet->Fields(2).Type(), int(ado::adDBDate));
    QVERIFY(m_recordSet->IsEOF());
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(0).Value());

    // No query ran, so the file is not held: another connection can write meanwhile.
    QCOMPARE(m_db->exec(QStringLiteral("INSERT INTO Customer VALUES (2, 'Bob', NULL)")), qint64(1));

    m_recordSet->MoveFirst();
    QCOMPARE(m_recordSet->Fields(1).Value(), QVariant(QStringLiteral("Ann")));
}

void TestQueryRecordSet::sqlTextRecordSetsAreReadOnly()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (x TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES ('a')"));
    m_connection->setConnectionString(m_db->connectionString());
    m_connection->Open();
    m_recordSet->Open(*m_connection, QStringLiteral("SELECT x FROM t"));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(0).setValue(QStringLiteral("b")));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Open(*m_connection, QStringLiteral("DELETE FROM t")));
}

void TestQueryRecordSet::updatesTheCurrentRowAndKeepsReading()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)"));
    for (int i = 1; i <= 500; ++i)
        m_db->exec(QStringLiteral("INSERT INTO t VALUES (%1, 'name %1')").arg(i));
    openTable(QStringLiteral("t"));
    QCOMPARE(m_recordSet->RecordCount(), 500);

    // Write at every tenth row while the cursor walks the table; the cursor must survive each write.
    int rows = 0;
    for (; !m_recordSet->IsEOF(); m_recordSet->MoveNext()) {
        ++rows;
        const int id = m_recordSet->Fields(0).Value().toInt();
        QCOMPARE(m_recordSet->Fields(1).Value().toString(), QStringLiteral("name %1").arg(id));
        if (id % 10 == 0) {
            m_recordSet->Fields(1).setValue(QStringLiteral("new %1 %2").arg(id).arg(Unicode));
            m_recordSet->Update();
            QCOMPARE(m_recordSet->Fields(1).Value().toString(), QStringLiteral("new %1 %2").arg(id).arg(Unicode));
            QVERIFY(!m_recordSet->Fields(1).isChanged());
        }
    }
    QCOMPARE(rows, 500);
    m_recordSet->Close();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM t WHERE name LIKE 'new %'")), QVariant(50));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT name FROM t WHERE id = 20")),
             QVariant(QStringLiteral("new 20 ") + Unicode));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT name FROM t WHERE id = 21")), QVariant(QStringLiteral("name 21")));
}

void TestQueryRecordSet::updatesByKeyRowIdOrAllValues_data()
{
    QTest::addColumn<QString>("create");
    QTest::newRow("primary key")
        << "CREATE TABLE t (k1 INTEGER, k2 TEXT, v TEXT, stamp TIMESTAMP, PRIMARY KEY (k1, k2))";
    QTest::newRow("rowid alias") << "CREATE TABLE t (k1 INTEGER PRIMARY KEY, k2 TEXT, v TEXT, stamp TIMESTAMP)";
    QTest::newRow("no key: all values") << "CREATE TABLE t (k1 INTEGER, k2 TEXT, v TEXT, stamp TIMESTAMP)";
    QTest::newRow("no key, real and blob")
        << "CREATE TABLE t (k1 INTEGER, k2 TEXT, v TEXT, stamp TIMESTAMP, r REAL, b BLOB)";
}

void TestQueryRecordSet::updatesByKeyRowIdOrAllValues()
{
    QFETCH(QString, create);
    m_db->exec(create);
    const bool extra = create.contains(QLatin1String(" r REAL"));
    for (int i = 1; i <= 3; ++i) {
        // The stamp is stored without fraction: a re-formatted value would not match it in the WHERE.
        m_db->exec(QStringLiteral(
                       "INSERT INTO t (k1, k2, v, stamp%1) VALUES (%2, 'k%2', 'value %2', '2024-01-0%2 10:20:30'%3)")
                       .arg(extra ? QStringLiteral(", r, b") : QString())
                       .arg(i)
                       .arg(extra ? QStringLiteral(", 0.1, x'00ff'") : QString()));
    }
    openTable(QStringLiteral("t"));
    m_recordSet->MoveNext();
    m_recordSet->Fields(QStringLiteral("v")).setValue(QStringLiteral("changed"));
    m_recordSet->Fields(QStringLiteral("stamp")).setValue(QDateTime(QDate(2030, 12, 31), QTime(23, 59, 58), Qt::UTC));
    m_recordSet->Update();
    m_recordSet->Close();
    const QList<QVariantList> rows = m_db->rows(QStringLiteral("SELECT k1, v, stamp FROM t ORDER BY k1"));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).at(1), QVariant(QStringLiteral("value 1")));
    QCOMPARE(rows.at(1).at(1), QVariant(QStringLiteral("changed")));
    QCOMPARE(rows.at(1).at(2), QVariant(QDateTime(QDate(2030, 12, 31), QTime(23, 59, 58), Qt::UTC)));
    QCOMPARE(rows.at(2).at(1), QVariant(QStringLiteral("value 3")));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT stamp FROM t WHERE k1 = 2")),
             QVariant(QDateTime(QDate(2030, 12, 31), QTime(23, 59, 58), Qt::UTC)));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT CAST(stamp AS TEXT) FROM t WHERE k1 = 2")),
             QVariant(QStringLiteral("2030-12-31 23:59:58")));
}

void TestQueryRecordSet::updatesNullsAndTypedText()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (name TEXT, amount INTEGER, price DOUBLE, day DATE, flag BOOLEAN)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (NULL, NULL, 1.5, '2024-01-05', 0)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (NULL, NULL, 1.5, '2024-01-05', 0)")); // a twin, told apart below
    m_db->exec(QStringLiteral("UPDATE t SET name = 'second' WHERE rowid = 2"));
    openTable(QStringLiteral("t"));

    // Text from the (German) system locale goes into the typed fields; NULL originals match with IS NULL.
    m_recordSet->Fields(QStringLiteral("name")).setValue(QStringLiteral("first"));
    m_recordSet->Fields(QStringLiteral("amount")).setValue(QStringLiteral("1.234"));
    m_recordSet->Fields(QStringLiteral("price")).setValue(QStringLiteral("2,75"));
    m_recordSet->Fields(QStringLiteral("day")).setValue(QStringLiteral("31.12.2025"));
    m_recordSet->Fields(QStringLiteral("flag")).setValue(QStringLiteral("Wahr"));
    m_recordSet->Update();
    QCOMPARE(m_recordSet->Fields(QStringLiteral("amount")).Value(), QVariant(1234));
    QCOMPARE(m_recordSet->Fields(QStringLiteral("day")).Value(), QVariant(QDate(2025, 12, 31)));

    // And back to NULL, naming the row by the values just written.
    m_recordSet->Fields(QStringLiteral("amount")).setValue(QVariant());
    m_recordSet->Update();
    m_recordSet->Close();

    const QList<QVariantList> rows
        = m_db->rows(QStringLiteral("SELECT name, amount, price, day, flag FROM t ORDER BY rowid"));
    QCOMPARE(rows.at(0), (QVariantList {QStringLiteral("first"), QVariant(), 2.75, QDate(2025, 12, 31), true}));
    QCOMPARE(rows.at(1), (QVariantList {QStringLiteral("second"), QVariant(), 1.5, QDate(2024, 1, 5), false}));
}

void TestQueryRecordSet::changedKeysAreNotReadTwice_data()
{
    QTest::addColumn<int>("newKey");
    QTest::newRow("moved between later rows") << 5;
    QTest::newRow("moved to the end") << 200;
    QTest::newRow("moved behind the cursor") << -1;
}

void TestQueryRecordSet::changedKeysAreNotReadTwice()
{
    // SQLite keeps the table in the order of its INTEGER PRIMARY KEY: a changed key moves the row.
    QFETCH(int, newKey);
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)"));
    for (int id : {1, 2, 10, 20})
        m_db->exec(QStringLiteral("INSERT INTO t VALUES (%1, 'n%1')").arg(id));
    openTable(QStringLiteral("t"));
    QCOMPARE(m_recordSet->RecordCount(), 4);
    QStringList seen;
    for (; !m_recordSet->IsEOF(); m_recordSet->MoveNext()) {
        seen.append(m_recordSet->Fields(1).Value().toString());
        if (m_recordSet->Fields(0).Value().toInt() == 2) {
            m_recordSet->Fields(0).setValue(newKey);
            m_recordSet->Update();
        }
    }
    QCOMPARE(seen,
             QStringList({QStringLiteral("n1"), QStringLiteral("n2"), QStringLiteral("n10"), QStringLiteral("n20")}));
    m_recordSet->Close();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT name FROM t WHERE id = %1").arg(newKey)),
             QVariant(QStringLiteral("n2")));
}

void TestQueryRecordSet::refusesARowChangedMeanwhile()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1, 'read')"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (2, 'other')"));
    openTable(QStringLiteral("t"));

    // Changed through the same connection while the record set stands on the row.
    m_connection->Execute(QStringLiteral("UPDATE t SET name = 'meanwhile' WHERE id = 1"));
    m_recordSet->Fields(1).setValue(QStringLiteral("mine"));
    try {
        m_recordSet->Update();
        QFAIL("the update succeeded");
    } catch (const DataError& error) {
        QCOMPARE(error.source(), QStringLiteral("Dorvane.Recordset"));
        QVERIFY2(error.description().contains(QStringLiteral("changed or deleted")), qPrintable(error.description()));
    }
    QCOMPARE(m_recordSet->Fields(1).Value(), QVariant(QStringLiteral("read")));
    QVERIFY(!m_recordSet->Fields(1).isChanged());

    // Deleted meanwhile: the same refusal.
    m_recordSet->MoveNext();
    m_connection->Execute(QStringLiteral("DELETE FROM t WHERE id = 2"));
    m_recordSet->Fields(1).setValue(QStringLiteral("mine"));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Update());
    m_recordSet->Close();

    QCOMPARE(m_db->rows(QStringLiteral("SELECT id, name FROM t")),
             (QList<QVariantList> {{1, QStringLiteral("meanwhile")}}));
}

void TestQueryRecordSet::refusesARowChangedByAnotherConnection()
{
    // In WAL mode another connection can write while our cursor reads; SQLite then refuses our write
    // because our snapshot is stale.
    m_db->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1, 'read')"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (2, 'other')"));
    // SQLite waits for its busy timeout (100 s by default) before it refuses the write.
    m_connection->setConnectionString(m_db->connectionString() + QStringLiteral(";Timeout=300"));
    openTable(QStringLiteral("t"));
    QCOMPARE(m_recordSet->Fields(1).Value(), QVariant(QStringLiteral("read")));

    QCOMPARE(m_db->exec(QStringLiteral("UPDATE t SET name = 'theirs' WHERE id = 1")), qint64(1));
    m_recordSet->Fields(1).setValue(QStringLiteral("mine"));
    try {
        m_recordSet->Update();
        QFAIL("the update succeeded");
    } catch (const DataError& error) {
        QCOMPARE(error.source(), QStringLiteral("SQLite"));
        QVERIFY2(error.description().startsWith(QStringLiteral("The record was not saved: ")),
                 qPrintable(error.description()));
    }
    QCOMPARE(m_recordSet->Fields(1).Value(), QVariant(QStringLiteral("read")));
    m_recordSet->MoveNext(); // the cursor is still usable
    QCOMPARE(m_recordSet->Fields(0).Value(), QVariant(2));
    m_recordSet->Close();

    QCOMPARE(m_db->rows(QStringLiteral("SELECT id, name FROM t ORDER BY id")),
             (QList<QVariantList> {{1, QStringLiteral("theirs")}, {2, QStringLiteral("other")}}));
    // Nothing of ours lingers in an open transaction: the other connection can still write.
    QCOMPARE(m_db->exec(QStringLiteral("UPDATE t SET name = 'later' WHERE id = 2")), qint64(1));
}

void TestQueryRecordSet::refusesDuplicateRows()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (name TEXT, n INTEGER)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES ('same', 1)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES ('same', 1)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES ('single', 2)"));
    openTable(QStringLiteral("t"));

    m_recordSet->Fields(0).setValue(QStringLiteral("changed"));
    try {
        m_recordSet->Update();
        QFAIL("the update succeeded");
    } catch (const DataError& error) {
        QVERIFY2(error.description().contains(QStringLiteral("2 rows")), qPrintable(error.description()));
    }
    QCOMPARE(m_recordSet->Fields(0).Value(), QVariant(QStringLiteral("same")));

    // The rest of the table is still readable and writable.
    m_recordSet->MoveNext();
    m_recordSet->MoveNext();
    m_recordSet->Fields(0).setValue(QStringLiteral("changed"));
    m_recordSet->Update();
    m_recordSet->Close();
    QCOMPARE(m_db->rows(QStringLiteral("SELECT name FROM t ORDER BY rowid")),
             (QList<QVariantList> {{QStringLiteral("same")}, {QStringLiteral("same")}, {QStringLiteral("changed")}}));
}

void TestQueryRecordSet::refusesTextThatDoesNotConvert()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, amount INTEGER, name TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1, 5, 'x')"));
    openTable(QStringLiteral("t"));
    m_recordSet->Fields(2).setValue(QStringLiteral("pending"));
    QVERIFY_THROWS_EXCEPTION(DataError, m_recordSet->Fields(1).setValue(QStringLiteral("fünf")));
    QCOMPARE(m_recordSet->Fields(1).Value(), QVariant(5));
    QVERIFY(!m_recordSet->Fields(1).isChanged());
    m_recordSet->CancelUpdate();
    m_recordSet->Update(); // nothing changed: nothing written
    m_recordSet->Close();
    QCOMPARE(m_db->rows(QStringLiteral("SELECT amount, name FROM t")),
             (QList<QVariantList> {{5, QStringLiteral("x")}}));
}

void TestQueryRecordSet::writingTheShownTextBackKeepsTheValue_data()
{
    QTest::addColumn<QString>("declaredType");
    QTest::addColumn<QString>("literal");
    QTest::newRow("timestamp with milliseconds") << "TIMESTAMP"
                                                 << "'2025-02-05 12:34:56.789'";
    QTest::newRow("timestamp") << "TIMESTAMP"
                               << "'2025-02-05 12:34:56'";
    QTest::newRow("timestamp at midnight") << "DATETIME"
                                           << "'2025-02-05 00:00:00'";
    QTest::newRow("date") << "DATE"
                          << "'2025-02-05'";
    QTest::newRow("time with milliseconds") << "TIME"
                                            << "'12:34:56.789'";
    QTest::newRow("time") << "TIME"
                          << "'12:34:56'";
    QTest::newRow("double, 0.1 + 0.2") << "DOUBLE"
                                       << "0.30000000000000004";
    QTest::newRow("double, large") << "DOUBLE"
                                   << "-1.2345678901234567e300";
    QTest::newRow("real, tiny") << "REAL"
                                << "4.9406564584124654e-324";
    QTest::newRow("integer beyond 2^53") << "BIGINT"
                                         << "9007199254740993";
    QTest::newRow("boolean") << "BOOLEAN"
                             << "1";
}

void TestQueryRecordSet::writingTheShownTextBackKeepsTheValue()
{
    QFETCH(QString, declaredType);
    QFETCH(QString, literal);
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, v %1)").arg(declaredType));
    m_db->exec(QStringLiteral("INSERT INTO t (v) VALUES (%1)").arg(literal));
    const QString stored = QStringLiteral("SELECT typeof(v), CAST(v AS TEXT), v FROM t");
    const QList<QVariantList> before = m_db->rows(stored);
    openTable(QStringLiteral("t"));

    // A save writes back what the views show, in the (German) system locale: unchanged, it changes nothing.
    QueryField& field = m_recordSet->Fields(1);
    const QVariant value = field.Value();
    const QString shown = fieldValueToText(value, field.Type());
    try {
        field.setValue(shown);
        QCOMPARE(field.Value(), value);
        m_recordSet->Update();
    } catch (const DataError& error) {
        QFAIL(qPrintable(shown + QStringLiteral(": ") + error.description()));
    }
    m_recordSet->Close();
    QCOMPARE(m_db->rows(stored), before);
}

void TestQueryRecordSet::movingDropsUnsavedChanges()
{
    m_db->exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT)"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (1, 'a')"));
    m_db->exec(QStringLiteral("INSERT INTO t VALUES (2, 'b')"));
    openTable(QStringLiteral("t"));
    m_recordSet->Fields(1).setValue(QStringLiteral("unsaved"));
    QCOMPARE(m_recordSet->Fields(1).OriginalValue(), QVariant(QStringLiteral("a")));
    m_recordSet->MoveNext();
    m_recordSet->Fields(1).setValue(QStringLiteral("saved"));
    m_recordSet->Update();
    m_recordSet->Close();
    QCOMPARE(m_db->rows(QStringLiteral("SELECT name FROM t ORDER BY id")),
             (QList<QVariantList> {{QStringLiteral("a")}, {QStringLiteral("saved")}}));
}

void TestQueryRecordSet::textsAskedForLateAreThoseOfTheirRow()
{
    // No key: an update names its row by every value, also those nobody asked for before it.
    m_db->exec(QStringLiteral("CREATE TABLE t (a TEXT, b TEXT)"));
    for (int i = 0; i < 30; ++i)
        m_db->exec(QStringLiteral("INSERT INTO t VALUES ('a%1 %2', 'b%1')").arg(i).arg(Unicode));
    openTable(QStringLiteral("t"));
    QList<QVariant> kept;
    for (int i = 0; !m_recordSet->IsEOF(); ++i, m_recordSet->MoveNext()) {
        QueryField& a = m_recordSet->Fields(0);
        QueryField& b = m_recordSet->Fields(1);
        QCOMPARE(a.undecodedUtf8() != nullptr, m_connection->deliversUtf8Text());
        if (i % 3 == 0) {
            b.setValue(QStringLiteral("new b%1").arg(i)); // neither value asked for
            m_recordSet->Update();
        } else if (i % 3 == 1) {
            kept.append(a.Value());
            b.setValue(QStringLiteral("dropped"));
            m_recordSet->CancelUpdate();
            QCOMPARE(b.Value(), QVariant(QStringLiteral("b%1").arg(i)));
        }
    }
    m_recordSet->Close();
    for (int k = 0; k < kept.size(); ++k)
        QCOMPARE(kept[k], QVariant(QStringLiteral("a%1 %2").arg(3 * k + 1).arg(Unicode)));
    const QList<QVariantList> rows = m_db->rows(QStringLiteral("SELECT a, b FROM t ORDER BY rowid"));
    QCOMPARE(rows.size(), 30);
    for (int i = 0; i < 30; ++i) {
        const QString b = i % 3 == 0 ? QStringLiteral("new b%1").arg(i) : QStringLiteral("b%1").arg(i);
        QCOMPARE(rows[i], (QVariantList {QStringLiteral("a%1 %2").arg(i).arg(Unicode), b}));
    }
}

int main(int argc, char** argv)
{
    // Typed text is read with the system locale; pin it so the expectations hold on every machine.
    qputenv("LC_ALL", "de_DE.UTF-8");
    QCoreApplication app(argc, argv);
    TestQueryRecordSet test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queryrecordset.moc"
