// The rules of the file-driver dialog without a window: the four checks in their order, and how an
// accepted entry lands in the open table.
#include "core/DataError.h"
#include "datasource/FileDriverEntry.h"
#include "datasource/FileDriverTable.h"

#include "TempProgramFolder.h"

#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

Q_DECLARE_METATYPE(dorvane::FileDriverEntryCheck)

namespace {

const QString Access = QStringLiteral("Driver={Microsoft Access Driver (*.mdb)};Dbq=<path>;");

QList<FileDriverRow> rowsOf(MemoryRecordSet& table)
{
    QList<FileDriverRow> rows;
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext())
        rows.append(currentFileDriverRow(table));
    return rows;
}

} // namespace

class TestFileDriverEntry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void checks_data();
    void checks();
    void emptyTableTakesAnyShortExtension();
    void refusedEditStaysOnTheEditedRow();
    void storeRemovesCrLfPairsOnly_data();
    void storeRemovesCrLfPairsOnly();
    void storeAddsAtTheEndOrChangesTheEditedRow();
    void storeOfARefusedValueLeavesNoRowBehind();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<MemoryRecordSet> m_table;
};

void TestFileDriverEntry::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_table = std::make_unique<MemoryRecordSet>(openFileDriverTable(MemoryRecordSet::LockType::Optimistic));
}

void TestFileDriverEntry::cleanup()
{
    m_table.reset();
    m_folder.reset();
}

void TestFileDriverEntry::checks_data()
{
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("str");
    QTest::addColumn<int>("editedPosition"); // -1 adds
    QTest::addColumn<FileDriverEntryCheck>("expected");

    const auto ok = FileDriverEntryCheck::Accepted;
    // Rows: 0 mdb, 1 dsn, 2 udl, 3 db, 4 db3, 5 sl3. One to three characters make an extension.
    QTest::newRow("two characters") << "py" << Access << -1 << ok;
    QTest::newRow("one character") << "a" << Access << -1 << ok;
    QTest::newRow("two characters that exist") << "db" << Access << -1 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("four characters") << "mdbx" << Access << -1 << FileDriverEntryCheck::ExtensionLength;
    QTest::newRow("nothing") << "" << Access << -1 << FileDriverEntryCheck::ExtensionLength;
    QTest::newRow("blanks only") << "   " << Access << -1 << FileDriverEntryCheck::ExtensionLength;
    QTest::newRow("length before empty template") << "mdbx"
                                                  << "" << -1 << FileDriverEntryCheck::ExtensionLength;
    QTest::newRow("existing extension") << "mdb" << Access << -1 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("existing before empty template") << "udl"
                                                    << "" << -1 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("capitals are another extension") << "MDB" << Access << -1 << ok;
    // The padded "db" row equals a typed "db " and a typed "db" alike.
    QTest::newRow("padded two-character row") << "db " << Access << -1 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("edit mdb unchanged") << "mdb" << Access << 0 << ok;
    QTest::newRow("edit db unchanged") << "db" << Access << 3 << ok;
    QTest::newRow("edit db into db3") << "db3" << Access << 3 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("edit mdb into udl") << "udl" << Access << 0 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("edit udl into mdb") << "mdb" << Access << 2 << FileDriverEntryCheck::ExtensionExists;
    QTest::newRow("edit last row unchanged") << "sl3" << Access << 5 << ok;
    QTest::newRow("empty template") << "abc"
                                    << "" << -1 << FileDriverEntryCheck::TemplateMissing;
    QTest::newRow("no placeholder") << "abc"
                                    << "Dbq=path;" << -1 << FileDriverEntryCheck::PlaceholderMissing;
    QTest::newRow("placeholder split by a line break")
        << "abc"
        << "Dbq=<pa\r\nth>;" << -1 << FileDriverEntryCheck::PlaceholderMissing;
    QTest::newRow("placeholder in capitals") << "abc"
                                             << "Dbq=<PATH>;" << -1 << ok;
    QTest::newRow("placeholder alone") << "abc"
                                       << "<path>" << -1 << ok;
}

void TestFileDriverEntry::checks()
{
    QFETCH(QString, ext);
    QFETCH(QString, str);
    QFETCH(int, editedPosition);
    QFETCH(FileDriverEntryCheck, expected);
    const QList<FileDriverRow> before = rowsOf(*m_table);
    const std::optional<int> edited = editedPosition < 0 ? std::nullopt : std::optional<int>(editedPosition);
    if (edited)
        moveToPosition(*m_table, *edited);

    QCOMPARE(checkFileDriverEntry(*m_table, {ext, str, true}, edited), expected);
    if (edited)
        QCOMPARE(currentFileDriverRow(*m_table), before[*edited]);
    QCOMPARE(rowsOf(*m_table), before); // checking changes nothing
}

void TestFileDriverEntry::emptyTableTakesAnyShortExtension()
{
    for (m_table->MoveFirst(); !m_table->isEOF(); m_table->MoveNext())
        m_table->Delete();
    QCOMPARE(m_table->RecordCount(), 0);
    QCOMPARE(checkFileDriverEntry(*m_table, {"mdb", Access, true}, std::nullopt), FileDriverEntryCheck::Accepted);
    QCOMPARE(checkFileDriverEntry(*m_table, {"md", Access, true}, std::nullopt), FileDriverEntryCheck::Accepted);
    QCOMPARE(checkFileDriverEntry(*m_table, {"mdbx", Access, true}, std::nullopt),
             FileDriverEntryCheck::ExtensionLength);
}

void TestFileDriverEntry::refusedEditStaysOnTheEditedRow()
{
    moveToPosition(*m_table, 4); // db3
    QCOMPARE(checkFileDriverEntry(*m_table, {"sl3", Access, false}, 4), FileDriverEntryCheck::ExtensionExists);
    QCOMPARE(currentFileDriverRow(*m_table).Ext, QStringLiteral("db3"));
    // A deleted row before it does not count: positions are those of the rows shown.
    moveToPosition(*m_table, 0);
    m_table->Delete();
    moveToPosition(*m_table, 3);
    QCOMPARE(currentFileDriverRow(*m_table).Ext, QStringLiteral("db3"));
    QCOMPARE(checkFileDriverEntry(*m_table, {"mdb", Access, false}, 3), FileDriverEntryCheck::Accepted);
    QCOMPARE(currentFileDriverRow(*m_table).Ext, QStringLiteral("db3"));
}

void TestFileDriverEntry::storeRemovesCrLfPairsOnly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("one line") << "Dbq=<path>;"
                              << "Dbq=<path>;";
    QTest::newRow("three lines") << "Driver={X};\r\nDbq=<path>;\r\nPWD=;"
                                 << "Driver={X};Dbq=<path>;PWD=;";
    QTest::newRow("blanks stay") << "Driver={X}; \r\n  Dbq=<path>;\r\n"
                                 << "Driver={X};   Dbq=<path>;";
    QTest::newRow("empty lines") << "\r\n\r\nDbq=<path>;\r\n\r\n"
                                 << "Dbq=<path>;";
    QTest::newRow("lone CR and LF stay") << "A\rB\nDbq=<path>;"
                                         << "A\rB\nDbq=<path>;";
    QTest::newRow("LF CR is no pair") << "A\n\rDbq=<path>;"
                                      << "A\n\rDbq=<path>;";
}

void TestFileDriverEntry::storeRemovesCrLfPairsOnly()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    storeFileDriverEntry(*m_table, {"new", typed, true}, std::nullopt);
    QCOMPARE(currentFileDriverRow(*m_table).Str, stored);
}

void TestFileDriverEntry::storeAddsAtTheEndOrChangesTheEditedRow()
{
    QList<FileDriverRow> expected = rowsOf(*m_table);
    storeFileDriverEntry(*m_table, {"MDB", Access + "\r\n", true}, std::nullopt);
    expected.append({"MDB", Access, true});
    QCOMPARE(currentFileDriverRow(*m_table), expected.last());
    storeFileDriverEntry(*m_table, {"dbx", "Dbq=<path>;", false}, 4);
    expected[4] = {"dbx", "Dbq=<path>;", false};
    QCOMPARE(currentFileDriverRow(*m_table), expected[4]);
    QCOMPARE(rowsOf(*m_table), expected);

    // Nothing reaches the file until the table is written back.
    MemoryRecordSet onDisk = openFileDriverTable();
    QCOMPARE(rowsOf(onDisk), defaultFileDriverRows());
    saveFileDriverTable(*m_table);
    MemoryRecordSet reopened = openFileDriverTable();
    QCOMPARE(rowsOf(reopened), expected);
}

void TestFileDriverEntry::storeOfARefusedValueLeavesNoRowBehind()
{
    const QList<FileDriverRow> before = rowsOf(*m_table);
    // Ext holds three characters; a longer one is refused by the table itself.
    bool refused = false;
    try {
        storeFileDriverEntry(*m_table, {"toolong", "Dbq=<path>;", true}, std::nullopt);
    } catch (const DataError&) {
        refused = true;
    }
    QVERIFY(refused);
    QCOMPARE(rowsOf(*m_table), before);
    refused = false;
    try {
        storeFileDriverEntry(*m_table, {"toolong", "Dbq=<path>;", false}, 2);
    } catch (const DataError&) {
        refused = true;
    }
    QVERIFY(refused);
    QCOMPARE(rowsOf(*m_table), before);
}

QTEST_GUILESS_MAIN(TestFileDriverEntry)
#include "tst_filedriverentry.moc"
