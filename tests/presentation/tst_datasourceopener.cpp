// Opening data sources and choosing tables, headless: real SQLite files through the SQLite3 ODBC
// driver, the real file-driver table in a temporary program folder, the dialogs answered through their
// seams.
#include "presentation/DataSourceOpener.h"

#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "datasource/Connection.h"
#include "datasource/FileDriverTable.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include "PresetDataLinkPrompt.h"
#include "PresetFileChooser.h"
#include "SqliteDatabase.h"
#include "TempProgramFolder.h"

#include <QFile>
#include <QTest>

#include <memory>

using namespace dorvane;

namespace {

const QString Start = QStringLiteral("ID_Start");
const QString Structure = QStringLiteral("ID_Structure");

MainWindowTexts germanTexts()
{
    MainWindowTexts texts;
    texts.openFileTitle = QStringLiteral("Datenbank öffnen");
    texts.allTablesName = QStringLiteral("Alle Tabellen");
    texts.noSourceStatus = QStringLiteral("Keine Datenquelle");
    return texts;
}

QString head()
{
    return captionHead();
}

// Adds a row to the program folder's file-driver table, creating the table with its defaults first.
void addFileDriverRow(const QString& ext, const QString& str, bool file)
{
    MemoryRecordSet table = openFileDriverTable(MemoryRecordSet::LockType::Optimistic);
    table.AddNew();
    table.Fields(QStringLiteral("Ext")).setValue(ext);
    table.Fields(QStringLiteral("Str")).setValue(str);
    table.Fields(QStringLiteral("File")).setValue(file);
    table.Update();
    saveFileDriverTable(table);
}

// Everything one test needs: its program folder, a surface, the tools and the opener on its own state.
struct Fixture
{
    explicit Fixture(int layout = test::TempProgramFolder::Full) : folder(layout) { folder.activate(); }

    QString makeDatabase(const QString& name, const QStringList& statements) const
    {
        test::SqliteDatabase database(folder.path(), name);
        for (const QString& statement : statements)
            database.exec(statement);
        return database.filePath();
    }

    test::TempProgramFolder folder;
    HeadlessSurface surface;
    ToolCatalogue tools;
    MainWindowTexts texts = germanTexts();
    test::PresetFileChooser chooser;
    test::PresetDataLinkPrompt prompt;
    DataSourceState state;
    DataSourceOpener opener {surface, tools, texts, chooser, prompt, state};
};

const QStringList TwoTables {QStringLiteral("CREATE TABLE B (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT)"),
                             QStringLiteral("CREATE TABLE A (Note TEXT)"),
                             QStringLiteral("CREATE VIEW V AS SELECT Note FROM A"),
                             QStringLiteral("INSERT INTO B (Name) VALUES ('x')")};

} // namespace

class DataSourceOpenerTest : public QObject
{
    Q_OBJECT

private slots:
    void chosenFileOpensThroughItsRow_data();
    void chosenFileOpensThroughItsRow();
    void fileWithoutDriverKeepsThePreviousSource();
    void cancelledDialogReopensAndRelists();
    void failedOpenKeepsWhatWasOpen_data();
    void failedOpenKeepsWhatWasOpen();
    void failedOpenShowsOneMessage_data();
    void failedOpenShowsOneMessage();
    void sqliteFileFoundByItsContent_data();
    void sqliteFileFoundByItsContent();
    void existingFileDriverTableIsNeverRewritten();
    void anotherSourceForgetsTheTableChoice();
    void unreadableTableListShowsNoStaleTables();
    void unreadableFileDriverTableChangesNothing_data();
    void unreadableFileDriverTableChangesNothing();
    void hostValuesDecideTheCaption_data();
    void hostValuesDecideTheCaption();
    void tableListFollowsTheSchema();
    void tableChoiceDecidesTheNextRun();
    void selectionCaptionUsesASingleBlank();
    void dataLinkOpensAndNamesTheSource();
    void cancelledDataLinkChangesNothing();
};

void DataSourceOpenerTest::chosenFileOpensThroughItsRow_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("shownPart"); // what the caption shows: the file or its folder

    QTest::newRow("file row") << "shop.dbs"
                              << "dbs"
                              << "DRIVER=SQLite3;Database=<path>" << true << "file";
    QTest::newRow("capitals kept in path") << "Shop.DBS"
                                           << "dbs"
                                           << "DRIVER=SQLite3;Database=<path>" << true << "file";
    QTest::newRow("folder row") << "anything.sq3"
                                << "sq3"
                                << "DRIVER=SQLite3;Database=<path>/folder.sq3" << false << "folder";
}

void DataSourceOpenerTest::chosenFileOpensThroughItsRow()
{
    QFETCH(QString, fileName);
    QFETCH(QString, ext);
    QFETCH(QString, pattern);
    QFETCH(bool, file);
    QFETCH(QString, shownPart);

    Fixture f;
    addFileDriverRow(ext, pattern, file);
    const QString database = f.makeDatabase(file ? fileName : QStringLiteral("folder.sq3"), TwoTables);
    const QString chosen = f.folder.filePath(fileName);
    f.chooser.nextAnswers = {chosen};

    f.opener.OpenDatabaseFile();

    QCOMPARE(f.chooser.titles, QStringList {f.texts.openFileTitle});
    QCOMPARE(f.chooser.patternLists.size(), 1);
    // The table's patterns, then the files found by their content.
    QVERIFY(f.chooser.patternLists.first().startsWith(QStringLiteral("*.mdb;*.dsn;*.udl;*.db;*.db3;*.sl3;")));
    QVERIFY(
        f.chooser.patternLists.first().endsWith(QStringLiteral(";*.") + ext + QStringLiteral(";*.sqlite;*.sqlite3;")));
    QCOMPARE(f.surface.processEventsCalls, 1);
    QVERIFY2(f.surface.messages.isEmpty(), qPrintable(f.surface.messages.join(QLatin1Char('\n'))));

    const QString shown = shownPart == QLatin1String("file") ? chosen : f.folder.path();
    QCOMPARE(f.surface.caption(), head() + QStringLiteral(" - [*.") + ext + QStringLiteral(" - ") + shown + "]");
    QVERIFY(f.state.isOpen());
    QVERIFY(f.state.ConnectionString.contains(QStringLiteral("Database=") + database));
    QCOMPARE(f.state.ConnectionString, f.state.Connection->ConnectionString());
    QCOMPARE(f.surface.statusText(1), f.state.ConnectionString);
    QVERIFY(f.tools.isEnabled(Start));
    QVERIFY(f.tools.isEnabled(Structure));
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A"}));
    QVERIFY(!f.surface.isWaitCursor());
}

// A file that no row fits and whose content names no driver cannot be opened: the window says so and
// keeps the source that was open, not even reopening it.
void DataSourceOpenerTest::fileWithoutDriverKeepsThePreviousSource()
{
    Fixture f;
    addFileDriverRow(QStringLiteral("dbs"), QStringLiteral("DRIVER=SQLite3;Database=<path>"), true);
    const QString database = f.makeDatabase(QStringLiteral("shop.dbs"), TwoTables);
    const QString other = f.folder.filePath(QStringLiteral("other.XyZ"));
    f.folder.writeFile(QStringLiteral("other.XyZ"), QByteArray("plain text, no database"));
    f.chooser.nextAnswers = {database, other};
    f.opener.OpenDatabaseFile();
    const QString opened = f.state.ConnectionString;
    const QString caption = f.surface.caption();
    const Connection* first = f.state.Connection.get();
    QVERIFY(f.state.isOpen());

    f.opener.OpenDatabaseFile();

    QCOMPARE(f.surface.messages.size(), 1);
    QVERIFY2(f.surface.messages.first().contains(QStringLiteral("No file driver opens \"%1\"").arg(other)),
             qPrintable(f.surface.messages.first()));
    QCOMPARE(f.surface.caption(), caption);
    QCOMPARE(f.state.ConnectionString, opened);
    QCOMPARE(f.state.Connection.get(), first);
    QVERIFY(f.state.isOpen());
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A"}));
    QVERIFY(f.tools.isEnabled(Start));
}

void DataSourceOpenerTest::cancelledDialogReopensAndRelists()
{
    Fixture f;
    addFileDriverRow(QStringLiteral("dbs"), QStringLiteral("DRIVER=SQLite3;Database=<path>"), true);
    const QString database = f.makeDatabase(QStringLiteral("shop.dbs"), TwoTables);
    f.chooser.nextAnswers = {database};
    f.opener.OpenDatabaseFile();
    const QString caption = f.surface.caption();
    const QString opened = f.state.ConnectionString;
    f.opener.SelectTable(QStringLiteral("A"));

    // A table made meanwhile shows that the list is read again, not kept.
    test::SqliteDatabase(f.folder.path(), QStringLiteral("shop.dbs"))
        .exec(QStringLiteral("CREATE TABLE C (Text TEXT)"));
    f.opener.OpenDatabaseFile(); // the chooser has no answer left: cancelled

    QCOMPARE(f.chooser.titles.size(), 2);
    QVERIFY(f.surface.messages.isEmpty());
    QVERIFY(f.state.isOpen());
    QCOMPARE(f.state.ConnectionString, opened);
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A", "C"}));
    QCOMPARE(f.tools.tableText(), f.texts.allTablesEntry());
    QVERIFY(f.tools.isEnabled(Start));
    // A table chosen before survives the refill; without a data-source name the caption is the bare head.
    QCOMPARE(f.state.SelectedTable, QStringLiteral("A"));
    QVERIFY(caption != head());
    QCOMPARE(f.surface.caption(), head());
}

void DataSourceOpenerTest::failedOpenKeepsWhatWasOpen_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("why"); // a part of the message
    QTest::newRow("file in a missing folder") << "missing folder"
                                              << "does not exist";
    QTest::newRow("mistyped file name") << "missing file"
                                        << "does not exist";
    QTest::newRow("file that is no database") << "no database"
                                              << "is not a SQLite database";
    QTest::newRow("host string with an unknown driver") << "host"
                                                        << "Can't open lib";
    QTest::newRow("data link to a missing folder") << "link"
                                                   << "does not exist";
}

// The chosen source cannot be opened: the message says why, and the source that was open stays open
// with its table list, table choice, caption, status line and tools.
void DataSourceOpenerTest::failedOpenKeepsWhatWasOpen()
{
    QFETCH(QString, way);
    QFETCH(QString, why);
    Fixture f;
    addFileDriverRow(QStringLiteral("dbs"), QStringLiteral("DRIVER=SQLite3;Database=<path>"), true);
    f.chooser.nextAnswers = {f.makeDatabase(QStringLiteral("good.dbs"), TwoTables)};
    f.opener.OpenDatabaseFile();
    f.opener.SelectTable(QStringLiteral("A"));
    f.surface.setProgressVisible(true);
    f.surface.setProgressValue(5);
    f.surface.setStatusText(2, QStringLiteral("Datensatz: 3"));
    const Connection* open = f.state.Connection.get();
    const QString string = f.state.ConnectionString;
    const QString caption = f.surface.caption();
    const QString status = f.surface.statusText(1);
    QVERIFY(f.tools.isEnabled(Start));
    QVERIFY(f.tools.isEnabled(Structure));

    if (way == QLatin1String("host")) {
        f.state.ConnectionString = QStringLiteral("DRIVER={No Such Dorvane Driver};Database=x");
        f.opener.LoadData();
    } else if (way == QLatin1String("link")) {
        f.prompt.nextAnswers
            = {QStringLiteral("DRIVER={SQLite3};Database=") + f.folder.filePath(QStringLiteral("gone/away.db"))};
        f.opener.OpenDataLink();
    } else {
        QString chosen = f.folder.filePath(QStringLiteral("gone/away.dbs"));
        if (way == QLatin1String("missing file")) {
            chosen = f.folder.filePath(QStringLiteral("typo.dbs"));
        } else if (way == QLatin1String("no database")) {
            chosen = f.folder.filePath(QStringLiteral("notes.dbs"));
            f.folder.writeFile(QStringLiteral("notes.dbs"), QByteArray("notes, not a database\n").repeated(30));
        }
        f.chooser.nextAnswers = {chosen};
        f.opener.OpenDatabaseFile();
        QVERIFY(!QFile::exists(f.folder.filePath(QStringLiteral("typo.dbs")))); // nothing is created
    }

    QCOMPARE(f.surface.messages.size(), 1);
    QVERIFY2(f.surface.messages.first().contains(QStringLiteral(":\r\n")), qPrintable(f.surface.messages.first()));
    QVERIFY2(f.surface.messages.first().contains(why), qPrintable(f.surface.messages.first()));
    QVERIFY(f.state.isOpen());
    QCOMPARE(f.state.Connection.get(), open);
    QCOMPARE(f.state.ConnectionString, string);
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A"}));
    QCOMPARE(f.tools.tableText(), QStringLiteral("A"));
    QCOMPARE(f.state.SelectedTable, QStringLiteral("A"));
    QCOMPARE(f.surface.caption(), caption);
    QCOMPARE(f.surface.statusText(1), status);
    QCOMPARE(f.surface.statusText(2), QStringLiteral("Datensatz: 3"));
    QVERIFY(f.tools.isEnabled(Start));
    QVERIFY(f.tools.isEnabled(Structure));
    QVERIFY(f.surface.isProgressVisible());
    QVERIFY(!f.surface.isWaitCursor());

    // It is the same source, and it still reads.
    QCOMPARE(f.opener.tablesForRun(true), (QStringList {"B", "A"}));
}

void DataSourceOpenerTest::failedOpenShowsOneMessage_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("file in a missing folder") << "file";
    QTest::newRow("host string with an unknown driver") << "host";
    QTest::newRow("data link to a missing folder") << "link";
}

// Without a source that was open before, a failed open leaves none open.
void DataSourceOpenerTest::failedOpenShowsOneMessage()
{
    QFETCH(QString, way);
    Fixture f;
    addFileDriverRow(QStringLiteral("dbs"), QStringLiteral("DRIVER=SQLite3;Database=<path>"), true);
    f.tools.setEnabled(Structure, true);
    f.surface.setCaption(QStringLiteral("before"));
    f.surface.setProgressVisible(true);
    f.surface.setProgressValue(5);
    f.surface.setStatusText(2, QStringLiteral("Datensatz: 3"));

    QString failing;
    if (way == QLatin1String("file")) {
        const QString missing = f.folder.filePath(QStringLiteral("gone/away.dbs"));
        failing = QStringLiteral("DRIVER=SQLite3;Database=") + missing;
        f.chooser.nextAnswers = {missing};
        f.opener.OpenDatabaseFile();
    } else if (way == QLatin1String("host")) {
        failing = QStringLiteral("DRIVER={No Such Dorvane Driver};Database=x");
        f.state.ConnectionString = failing;
        f.opener.LoadData();
    } else {
        failing = QStringLiteral("DRIVER={SQLite3};Database=") + f.folder.filePath(QStringLiteral("gone/away.db"));
        f.prompt.nextAnswers = {failing};
        f.opener.OpenDataLink();
    }

    QCOMPARE(f.surface.messages.size(), 1);
    QVERIFY2(f.surface.messages.first().contains(QStringLiteral(":\r\n")), qPrintable(f.surface.messages.first()));
    QVERIFY(!f.tools.isEnabled(Start));
    QVERIFY(!f.state.isOpen());
    QVERIFY(f.state.Connection); // the new object stays, closed
    QCOMPARE(f.state.ConnectionString, failing);
    QCOMPARE(f.surface.statusText(1), f.texts.noSourceStatus + QLatin1Char(' '));
    QVERIFY(!f.surface.isWaitCursor());
    if (way == QLatin1String("link")) {
        QVERIFY(!f.tools.isEnabled(Structure));
        QVERIFY(f.tools.tableEntries().isEmpty());
        QVERIFY(f.tools.tableText().isEmpty());
        QCOMPARE(f.surface.caption(), head());
        QVERIFY(f.surface.statusText(2).isEmpty());
        QVERIFY(!f.surface.isProgressVisible());
        QCOMPARE(f.surface.progressValue(), 0);
    } else {
        // LoadData leaves the structure tool as it was; a file that did not open is not named.
        QVERIFY(f.tools.isEnabled(Structure));
        QCOMPARE(f.surface.caption(), QStringLiteral("before"));
    }
}

void DataSourceOpenerTest::sqliteFileFoundByItsContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("windowsTable"); // a table written on Windows, with its Paradox row for ".db"
    QTest::newRow(".sqlite") << "shop.sqlite" << false;
    QTest::newRow(".sqlite3") << "Shop.SQLITE3" << false;
    QTest::newRow("no extension") << "shop" << false;
    QTest::newRow(".db with a Paradox row") << "shop.db" << true;
}

// No row fits (or the row's driver is not installed here): the first bytes say SQLite.
void DataSourceOpenerTest::sqliteFileFoundByItsContent()
{
    QFETCH(QString, name);
    QFETCH(bool, windowsTable);
    Fixture f;
    if (windowsTable)
        addFileDriverRow(QStringLiteral("db"),
                         QStringLiteral("Driver={Microsoft Paradox Driver (*.db)};DriverID=538;DefaultDir=<path>;"),
                         false);
    MemoryRecordSet table = openFileDriverTable(MemoryRecordSet::LockType::Optimistic);
    if (windowsTable) {
        // Only the Paradox row is left for ".db", as in a table brought from Windows.
        for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
            if (currentFileDriverRow(table).Str.startsWith(QLatin1String("Driver={SQLite3}")))
                table.Delete();
        }
    }
    saveFileDriverTable(table);
    const QString database = f.makeDatabase(name, TwoTables);
    f.chooser.nextAnswers = {database};

    f.opener.OpenDatabaseFile();

    QVERIFY2(f.surface.messages.isEmpty(), qPrintable(f.surface.messages.join(QLatin1Char('\n'))));
    QVERIFY(f.state.isOpen());
    QCOMPARE(f.state.Connection->dbmsName(), QStringLiteral("SQLite"));
    QVERIFY(f.state.ConnectionString.contains(QStringLiteral("Database=") + database));
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A"}));
    const QString extension = name.contains(QLatin1Char('.')) ? name.section(QLatin1Char('.'), -1).toLower() : "";
    QCOMPARE(f.surface.caption(),
             head() + QStringLiteral(" - [*.") + extension + QStringLiteral(" - ") + database + "]");
}

// The table beside the program is the user's: opening files reads it and never writes it back, whatever
// rows it holds.
void DataSourceOpenerTest::existingFileDriverTableIsNeverRewritten()
{
    Fixture f;
    addFileDriverRow(QStringLiteral("xls"), QStringLiteral("Driver={Microsoft Excel Driver (*.xls)};Dbq=<path>;"),
                     true);
    const QByteArray before = f.folder.readFile(QStringLiteral("sys/fdrv.dat"));
    const QString database = f.makeDatabase(QStringLiteral("shop.db"), TwoTables);
    f.chooser.nextAnswers = {database, f.folder.filePath(QStringLiteral("book.xls")), QString()};
    f.opener.OpenDatabaseFile();
    f.opener.OpenDatabaseFile(); // a row whose driver is missing
    f.opener.OpenDatabaseFile(); // cancelled
    QCOMPARE(f.surface.messages.size(), 1);
    QVERIFY(f.state.isOpen());
    QCOMPARE(f.folder.readFile(QStringLiteral("sys/fdrv.dat")), before);
}

// A source opened by the user is another source: the table chosen in the previous one, and the name a
// host gave it, no longer apply.
void DataSourceOpenerTest::anotherSourceForgetsTheTableChoice()
{
    Fixture f;
    f.state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=") + f.makeDatabase("host.db", TwoTables);
    f.state.DataSourceName = QStringLiteral("Shop");
    f.state.SelectedTable = QStringLiteral("A");
    f.opener.LoadData();
    QCOMPARE(f.tools.tableText(), QStringLiteral("A"));
    const QString other = f.makeDatabase(QStringLiteral("other.db"), {QStringLiteral("CREATE TABLE Gamma (x TEXT)")});
    f.chooser.nextAnswers = {other};

    f.opener.OpenDatabaseFile();

    QVERIFY(f.surface.messages.isEmpty());
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "Gamma"}));
    QCOMPARE(f.tools.tableText(), f.texts.allTablesEntry());
    QVERIFY(f.state.SelectedTable.isEmpty());
    QVERIFY(f.state.DataSourceName.isEmpty());
    QCOMPARE(f.surface.caption(), head() + QStringLiteral(" - [*.db - ") + other + "]");
    QCOMPARE(f.opener.tablesForRun(f.opener.isAllTablesChoice()), QStringList {"Gamma"});

    // Reopening the same source keeps its choice.
    f.opener.SelectTable(QStringLiteral("Gamma"));
    f.opener.OpenDatabaseFile(); // cancelled: the same source again
    QCOMPARE(f.state.SelectedTable, QStringLiteral("Gamma"));
}

// A list that cannot be read (the connection was lost) must not go on showing the tables and the choice.
void DataSourceOpenerTest::unreadableTableListShowsNoStaleTables()
{
    Fixture f;
    f.state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=") + f.makeDatabase("lost.db", TwoTables);
    f.opener.LoadData();
    f.opener.SelectTable(QStringLiteral("A"));
    f.state.Connection->Close();

    f.opener.FillTableList();

    QCOMPARE(f.surface.messages.size(), 1);
    QVERIFY(f.tools.tableEntries().isEmpty());
    QVERIFY(f.tools.tableText().isEmpty());
}

void DataSourceOpenerTest::unreadableFileDriverTableChangesNothing_data()
{
    QTest::addColumn<bool>("withSys");
    QTest::newRow("no sys folder") << false;
    QTest::newRow("foreign fdrv.dat") << true;
}

void DataSourceOpenerTest::unreadableFileDriverTableChangesNothing()
{
    QFETCH(bool, withSys);
    Fixture f(withSys ? test::TempProgramFolder::Full : test::TempProgramFolder::WithLang);
    if (withSys)
        f.folder.writeFile(QStringLiteral("sys/fdrv.dat"), QByteArray("not a table at all"));
    f.state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=/previous.db");
    f.surface.setCaption(QStringLiteral("before"));
    f.surface.setStatusText(1, QStringLiteral("status before"));
    f.tools.setEnabled(Start, true);
    f.chooser.nextAnswers = {f.folder.filePath(QStringLiteral("x.mdb"))};

    f.opener.OpenDatabaseFile();

    QCOMPARE(f.surface.messages.size(), 1);
    QVERIFY2(f.surface.messages.first().contains(QStringLiteral(":\r\n")), qPrintable(f.surface.messages.first()));
    QVERIFY(f.chooser.titles.isEmpty());
    QCOMPARE(f.state.ConnectionString, QStringLiteral("DRIVER=SQLite3;Database=/previous.db"));
    QVERIFY(!f.state.Connection);
    QCOMPARE(f.surface.caption(), QStringLiteral("before"));
    QCOMPARE(f.surface.statusText(1), QStringLiteral("status before"));
    QVERIFY(f.tools.isEnabled(Start));
    QCOMPARE(QFile::exists(f.folder.filePath(QStringLiteral("sys/fdrv.dat"))), withSys);
}

void DataSourceOpenerTest::hostValuesDecideTheCaption_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("listText"); // "*" for the all-tables entry

    QTest::newRow("name and table") << "Shop"
                                    << "A" << head() + " - [Shop - A]"
                                    << "A";
    QTest::newRow("table without name") << ""
                                        << "A" << head() << "*";
    QTest::newRow("name without table") << "Shop"
                                        << "" << head() + " - [Shop]"
                                        << "*";
    QTest::newRow("neither") << ""
                             << ""
                             << "before"
                             << "*";
}

void DataSourceOpenerTest::hostValuesDecideTheCaption()
{
    QFETCH(QString, name);
    QFETCH(QString, table);
    QFETCH(QString, caption);
    QFETCH(QString, listText);

    Fixture f;
    const QString database = f.makeDatabase(QStringLiteral("host.db"), TwoTables);
    f.surface.setCaption(QStringLiteral("before"));
    f.state.DataSourceName = name;
    f.state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=") + database;
    f.state.SelectedTable = table;
    f.state.SqlQuery = QStringLiteral("SELECT * FROM A");

    f.opener.LoadData();

    QVERIFY(f.surface.messages.isEmpty());
    QCOMPARE(f.surface.caption(), caption);
    QCOMPARE(f.tools.tableText(), listText == QLatin1String("*") ? f.texts.allTablesEntry() : listText);
    QCOMPARE(f.tools.sqlText(), QStringLiteral("SELECT * FROM A"));
    QVERIFY(f.tools.isEnabled(Start));
    QCOMPARE(f.surface.statusText(1), f.state.ConnectionString);
}

void DataSourceOpenerTest::tableListFollowsTheSchema()
{
    Fixture f;
    const QString database = f.makeDatabase(
        QStringLiteral("order.db"),
        TwoTables
            + QStringList {QStringLiteral("CREATE TABLE \"Order Details\" (Qty INTEGER)"),
                           QStringLiteral("CREATE TABLE Empty1 (x TEXT)"), QStringLiteral("DROP TABLE Empty1")});
    f.state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=") + database;
    f.tools.setTableText(QStringLiteral("stale"));

    f.opener.LoadData();

    // Schema order (B was made before A), no view, no sqlite_sequence of B's AUTOINCREMENT.
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A", "Order Details"}));
    QCOMPARE(f.tools.tableText(), f.texts.allTablesEntry());

    // A data source without tables lists the all-tables entry only.
    Fixture empty;
    empty.state.ConnectionString = QStringLiteral("DRIVER=SQLite3;Database=")
        + empty.makeDatabase(QStringLiteral("empty.db"), {QStringLiteral("CREATE VIEW W AS SELECT 1")});
    empty.opener.LoadData();
    QCOMPARE(empty.tools.tableEntries(), QStringList {empty.texts.allTablesEntry()});
}

void DataSourceOpenerTest::tableChoiceDecidesTheNextRun()
{
    Fixture f;
    f.state.ConnectionString
        = QStringLiteral("DRIVER=SQLite3;Database=") + f.makeDatabase(QStringLiteral("run.db"), TwoTables);
    f.opener.LoadData();
    const QStringList all {QStringLiteral("B"), QStringLiteral("A")};

    QVERIFY(f.opener.isAllTablesChoice());
    QCOMPARE(f.opener.tablesForRun(f.opener.isAllTablesChoice()), all);

    f.opener.SelectTable(f.texts.allTablesEntry());
    QVERIFY(f.tools.isEnabled(Start));
    QVERIFY(f.opener.isAllTablesChoice());
    QCOMPARE(f.opener.tablesForRun(f.opener.isAllTablesChoice()), all);

    f.opener.SelectTable(QStringLiteral("A"));
    QCOMPARE(f.state.SelectedTable, QStringLiteral("A"));
    QCOMPARE(f.tools.tableText(), QStringLiteral("A"));
    QVERIFY(!f.opener.isAllTablesChoice());
    QCOMPARE(f.opener.tablesForRun(f.opener.isAllTablesChoice()), QStringList {QStringLiteral("A")});

    f.opener.SelectTable(f.texts.allTablesEntry());
    QVERIFY(f.opener.isAllTablesChoice());
    QCOMPARE(f.opener.tablesForRun(f.opener.isAllTablesChoice()), all);

    // The all-tables entry is compared exactly: a look-alike is a table name.
    f.opener.SelectTable(QStringLiteral("[alle Tabellen]"));
    QVERIFY(!f.opener.isAllTablesChoice());
}

void DataSourceOpenerTest::selectionCaptionUsesASingleBlank()
{
    Fixture f;
    f.opener.SelectTable(QStringLiteral("Kunden"));
    QCOMPARE(f.surface.caption(), head() + QStringLiteral(" - [Kunden]"));
    QVERIFY(f.tools.isEnabled(Start));

    f.state.DataSourceName = QStringLiteral("Shop");
    f.opener.SelectTable(QStringLiteral("Kunden"));
    QCOMPARE(f.surface.caption(), head() + QStringLiteral(" - [Shop Kunden]"));

    f.opener.SelectTable(QString());
    QCOMPARE(f.surface.caption(), head() + QStringLiteral(" - [Shop Alle Tabellen]"));
    QVERIFY(!f.tools.isEnabled(Start));
    QVERIFY(f.state.SelectedTable.isEmpty());
}

void DataSourceOpenerTest::dataLinkOpensAndNamesTheSource()
{
    Fixture f;
    const QString database = f.makeDatabase(QStringLiteral("link.db"), TwoTables);
    f.prompt.nextAnswers = {QStringLiteral("DRIVER={SQLite3};Database=") + database};
    f.surface.setStatusText(1, f.texts.noSourceStatus);

    f.opener.OpenDataLink();

    QCOMPARE(f.prompt.shown, 1);
    QVERIFY(f.surface.messages.isEmpty());
    QVERIFY(f.state.isOpen());
    const QString name = f.state.Connection->Properties().at(Connection::DataSourceNameProperty).Value;
    QVERIFY(!name.isEmpty());
    QCOMPARE(f.surface.caption(), head() + QStringLiteral(" - [DSN=") + name + QLatin1Char(']'));
    QCOMPARE(f.surface.statusText(1), f.state.ConnectionString);
    QVERIFY(f.state.ConnectionString.contains(database));
    QVERIFY(f.tools.isEnabled(Start));
    QVERIFY(f.tools.isEnabled(Structure));
    QCOMPARE(f.tools.tableEntries(), (QStringList {f.texts.allTablesEntry(), "B", "A"}));
}

void DataSourceOpenerTest::cancelledDataLinkChangesNothing()
{
    Fixture f;
    f.state.ConnectionString
        = QStringLiteral("DRIVER=SQLite3;Database=") + f.makeDatabase(QStringLiteral("kept.db"), TwoTables);
    f.opener.LoadData();
    const QString string = f.state.ConnectionString;
    const QString caption = f.surface.caption();
    const Connection* connection = f.state.Connection.get();
    f.prompt.nextAnswers = {std::nullopt, QString()};

    f.opener.OpenDataLink(); // cancelled
    f.opener.OpenDataLink(); // an empty string

    QCOMPARE(f.prompt.shown, 2);
    QVERIFY(f.surface.messages.isEmpty());
    QCOMPARE(f.state.ConnectionString, string);
    QCOMPARE(f.surface.caption(), caption);
    QCOMPARE(f.state.Connection.get(), connection);
    QVERIFY(f.state.isOpen());
    QVERIFY(f.tools.isEnabled(Start));
}

QTEST_GUILESS_MAIN(DataSourceOpenerTest)
#include "tst_datasourceopener.moc"
