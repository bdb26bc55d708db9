// The structure viewer on the offscreen platform, over real SQLite files through the SQLite3 ODBC driver.
#include "datasource/ui/frmStructure.h"

#include "core/AppState.h"
#include "datasource/Connection.h"

#include "SqliteDatabase.h"
#include "TempProgramFolder.h"
#include "WidgetChild.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace dorvane;
using dorvane::test::child;

namespace {

QStringList columnTexts(const QTreeWidgetItem* parent, int column)
{
    QStringList texts;
    for (int index = 0; index < parent->childCount(); ++index)
        texts.append(parent->child(index)->text(column));
    return texts;
}

QStringList topLevelNames(const QTreeWidget* tree)
{
    QStringList names;
    for (int index = 0; index < tree->topLevelItemCount(); ++index)
        names.append(tree->topLevelItem(index)->text(0));
    return names;
}

// Closes the next message box once it is shown and keeps its text.
void answerNextMessageBox(QString* text)
{
    QTimer::singleShot(0, [text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextMessageBox(text);
            return;
        }
        *text = box->text();
        box->accept();
    });
}

const QByteArray LanguageFile = "[frmStructure]\r\nt0=Structure\r\nt1=Table / field\r\nt2=Type\r\n"
                                "t3=Collapse\r\nt4=Expand\r\nt5=&Close\r\n";

} // namespace

class StructureTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsTablesAndFieldsWithTypeNames();
    void onlyTablesAreListed();
    void unknownTypeShowsEmptyTypeColumn_data();
    void unknownTypeShowsEmptyTypeColumn();
    void collapseAndExpand();
    void tableThatCannotBeOpenedKeepsItsNode();
    void nameHoldingClosingBracket();
    void readsNoRows();
    void languageTexts_data();
    void languageTexts();
    void closedConnectionReportsTheDescription();

private:
    void openConnection();

    std::unique_ptr<test::TempProgramFolder> m_folder;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::SqliteDatabase> m_db;
    std::unique_ptr<Connection> m_connection;
};

void StructureTest::init()
{
    m_folder = std::make_unique<test::TempProgramFolder>();
    m_folder->writeFile(QStringLiteral("lang/English.lng"), LanguageFile);
    m_folder->activate(QStringLiteral("English"));
    appState().GermanOnly = false;
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = std::make_unique<test::SqliteDatabase>(m_dir->path());
    m_connection = std::make_unique<Connection>();
}

void StructureTest::cleanup()
{
    m_connection.reset();
    m_db.reset();
    m_dir.reset();
    m_folder.reset();
}

void StructureTest::openConnection()
{
    m_db->scalar(QStringLiteral("SELECT 1")); // makes the file when the test made no table
    m_db->close();
    m_connection->setConnectionString(m_db->connectionString());
    m_connection->Open();
}

// The SQLite3 driver is an ANSI driver: its text columns come as SQL_VARCHAR (VarChar), never as the
// wide types; VarWChar is covered by the type-number cases below.
void StructureTest::showsTablesAndFieldsWithTypeNames()
{
    m_db->exec(QStringLiteral("CREATE TABLE Customer (Id INTEGER, Name VARCHAR(50))"));
    m_db->exec(QStringLiteral("CREATE TABLE Orders (OrderId INTEGER, CustomerId INTEGER, Note TEXT)"));
    openConnection();

    frmStructure window(*m_connection);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    QCOMPARE(topLevelNames(tree), QStringList({"Customer", "Orders"}));
    QCOMPARE(window.tableNames(), QStringList({"Customer", "Orders"}));

    QTreeWidgetItem* customer = tree->topLevelItem(0);
    QCOMPARE(columnTexts(customer, 0), QStringList({"Id", "Name"}));
    QCOMPARE(columnTexts(customer, 1), QStringList({"Integer", "VarChar"}));
    QCOMPARE(columnTexts(tree->topLevelItem(1), 0), QStringList({"OrderId", "CustomerId", "Note"}));
    QCOMPARE(columnTexts(tree->topLevelItem(1), 1), QStringList({"Integer", "Integer", "LongVarChar"}));
    QCOMPARE(customer->text(1), QString());

    QCOMPARE(customer->data(0, frmStructure::ImageIndexRole).toInt(), 0);
    QCOMPARE(customer->child(1)->data(0, frmStructure::ImageIndexRole).toInt(), 1);
    QVERIFY(!customer->icon(0).isNull());
    QVERIFY(!customer->child(0)->icon(0).isNull());
    QVERIFY(customer->isExpanded());
    QVERIFY(tree->topLevelItem(1)->isExpanded());
}

void StructureTest::onlyTablesAreListed()
{
    m_db->exec(QStringLiteral("CREATE TABLE Customer (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT)"));
    m_db->exec(QStringLiteral("CREATE VIEW CustomerNames AS SELECT Name FROM Customer"));
    m_db->exec(QStringLiteral("CREATE INDEX CustomerByName ON Customer (Name)"));
    m_db->exec(QStringLiteral("INSERT INTO Customer (Name) VALUES ('Ann')")); // fills sqlite_sequence
    openConnection();

    frmStructure window(*m_connection);
    window.show();
    QCOMPARE(topLevelNames(child<QTreeWidget>(&window, "dxTreeList1")), QStringList({"Customer"}));
}

void StructureTest::unknownTypeShowsEmptyTypeColumn_data()
{
    QTest::addColumn<int>("adoType");
    QTest::addColumn<QString>("typeName");
    QTest::newRow("VarWChar") << 202 << "VarWChar";
    QTest::newRow("Integer") << 3 << "Integer";
    QTest::newRow("Empty is a name") << 0 << "Empty";
    QTest::newRow("unknown") << 999 << "";
    QTest::newRow("negative") << -1 << "";
}

// The ODBC mapping gives every column a known type, so the tree is fed the number directly.
void StructureTest::unknownTypeShowsEmptyTypeColumn()
{
    QFETCH(int, adoType);
    QFETCH(QString, typeName);
    openConnection();
    frmStructure window(*m_connection);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    auto* table = new QTreeWidgetItem(tree, QStringList(QStringLiteral("T")));
    QTreeWidgetItem* field = window.addFieldNode(table, QStringLiteral("F"), adoType);
    QCOMPARE(field->text(0), QStringLiteral("F"));
    QCOMPARE(field->text(1), typeName);
    QCOMPARE(field->data(0, frmStructure::ImageIndexRole).toInt(), 1);
}

void StructureTest::collapseAndExpand()
{
    m_db->exec(QStringLiteral("CREATE TABLE Customer (Id INTEGER, Name NVARCHAR(50))"));
    m_db->exec(QStringLiteral("CREATE TABLE Orders (OrderId INTEGER)"));
    openConnection();
    frmStructure window(*m_connection);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    const auto visibleFields = [tree] {
        int visible = 0;
        for (int index = 0; index < tree->topLevelItemCount(); ++index) {
            QTreeWidgetItem* table = tree->topLevelItem(index);
            for (int field = 0; field < table->childCount(); ++field)
                visible += tree->visualItemRect(table->child(field)).isValid() ? 1 : 0;
        }
        return visible;
    };
    QCOMPARE(visibleFields(), 3);

    QTest::mouseClick(child<QPushButton>(&window, "cmdCollapse"), Qt::LeftButton);
    QCOMPARE(visibleFields(), 0);
    QCOMPARE(tree->topLevelItemCount(), 2);
    QVERIFY(!tree->topLevelItem(0)->isExpanded());
    QVERIFY(!tree->topLevelItem(1)->isExpanded());

    QTest::mouseClick(child<QPushButton>(&window, "cmdExpand"), Qt::LeftButton);
    QCOMPARE(visibleFields(), 3);
    QVERIFY(tree->topLevelItem(0)->isExpanded());
}

void StructureTest::tableThatCannotBeOpenedKeepsItsNode()
{
    m_db->exec(QStringLiteral("CREATE TABLE Alpha (A INTEGER)"));
    m_db->exec(QStringLiteral("CREATE TABLE Omega (Z INTEGER)"));
    // A virtual table of a module the driver lacks: listed as a table, but any query on it fails.
    m_db->exec(QStringLiteral("PRAGMA writable_schema=ON"));
    m_db->exec(QStringLiteral("INSERT INTO sqlite_master (type, name, tbl_name, rootpage, sql) VALUES ('table', "
                              "'Broken', 'Broken', 0, 'CREATE VIRTUAL TABLE Broken USING nosuchmodule(x)')"));
    openConnection();

    frmStructure window(*m_connection);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    QCOMPARE(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* broken = tree->findItems(QStringLiteral("Broken"), Qt::MatchExactly).value(0);
    QVERIFY(broken);
    QCOMPARE(broken->childCount(), 0);
    QVERIFY2(broken->text(1).contains(QLatin1String("nosuchmodule")), qPrintable(broken->text(1)));
    // The tables after it are still described.
    for (const char* name : {"Alpha", "Omega"}) {
        QTreeWidgetItem* table = tree->findItems(QLatin1String(name), Qt::MatchExactly).value(0);
        QVERIFY(table);
        QCOMPARE(table->childCount(), 1);
        QCOMPARE(table->text(1), QString());
    }
}

void StructureTest::nameHoldingClosingBracket()
{
    m_db->exec(QStringLiteral("CREATE TABLE \"Odd] Name\" (\"Field]\" INTEGER)"));
    m_db->exec(QStringLiteral("CREATE TABLE \"Odd\" (Decoy INTEGER)"));
    openConnection();

    frmStructure window(*m_connection);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    QTreeWidgetItem* odd = tree->findItems(QStringLiteral("Odd] Name"), Qt::MatchExactly).value(0);
    QVERIFY(odd);
    QCOMPARE(odd->text(1), QString());
    QCOMPARE(columnTexts(odd, 0), QStringList({"Field]"}));
    QCOMPARE(columnTexts(odd, 1), QStringList({"Integer"}));
}

void StructureTest::readsNoRows()
{
    // A row whose value the driver cannot convert would fail a read; the structure never reads one.
    m_db->exec(QStringLiteral("CREATE TABLE Events (Id INTEGER, Day DATE)"));
    m_db->exec(QStringLiteral("INSERT INTO Events VALUES (1, 'not a date at all')"));
    openConnection();

    frmStructure window(*m_connection);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(columnTexts(tree->topLevelItem(0), 0), QStringList({"Id", "Day"}));
    QCOMPARE(tree->topLevelItem(0)->text(1), QString());
}

void StructureTest::languageTexts_data()
{
    QTest::addColumn<bool>("germanOnly");
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QStringList>("texts"); // caption, two headings, collapse, expand, quit
    QTest::newRow("all keys") << false << LanguageFile
                              << QStringList({"Structure", "Table / field", "Type", "Collapse", "Expand", "&Close"});
    QTest::newRow("section missing") << false << QByteArray("[frmMain]\r\nt0=x\r\n")
                                     << QStringList({"", "", "", "", "", ""});
    QTest::newRow("German only") << true << LanguageFile
                                 << QStringList({"", "Tabellename/Feldname", "Datentyp", "Alle zuklappen",
                                                 "Alle aufklappen", "&Schliessen"});
}

void StructureTest::languageTexts()
{
    QFETCH(bool, germanOnly);
    QFETCH(QByteArray, language);
    QFETCH(QStringList, texts);
    m_folder->writeFile(QStringLiteral("lang/English.lng"), language);
    appState().GermanOnly = germanOnly;
    openConnection();

    frmStructure window(*m_connection);
    window.show();
    auto* tree = child<QTreeWidget>(&window, "dxTreeList1");
    QCOMPARE(window.windowTitle(), texts[0]);
    QCOMPARE(tree->headerItem()->text(0), texts[1]);
    QCOMPARE(tree->headerItem()->text(1), texts[2]);
    QCOMPARE(child<QPushButton>(&window, "cmdCollapse")->text(), texts[3]);
    QCOMPARE(child<QPushButton>(&window, "cmdExpand")->text(), texts[4]);
    QCOMPARE(child<QPushButton>(&window, "cmdQuit")->text(), texts[5]);
}

void StructureTest::closedConnectionReportsTheDescription()
{
    Connection closed;
    frmStructure window(closed);
    QString message;
    answerNextMessageBox(&message);
    window.show();
    QVERIFY(!message.isEmpty());
    QVERIFY2(!message.contains(QLatin1String(":\r\n")), qPrintable(message)); // the description alone
    QCOMPARE(child<QTreeWidget>(&window, "dxTreeList1")->topLevelItemCount(), 0);

    QTest::mouseClick(child<QPushButton>(&window, "cmdQuit"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(StructureTest)
#include "tst_structure.moc"
