// Runs over real databases through their ODBC drivers, driven headless through the tool catalogue and
// the main surface as the window's commands drive them. Every test runs on SQLite files, and again on
// PostgreSQL and MariaDB when the environment names their servers (see TestBackend.h).
#include "core/DataError.h"
#include "core/Settings.h"
#include "datasource/Connection.h"
#include "datasource/QueryRecordSet.h"
#include "engine/RunSetup.h"
#include "mainwindow/RunPresenter.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include "TableRows.h"
#include "TempProgramFolder.h"
#include "TestBackend.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace dorvane;
using dorvane::test::TempProgramFolder;
using dorvane::test::TestBackend;

namespace {

MainWindowTexts testTexts()
{
    MainWindowTexts t;
    t.findLabel = QStringLiteral("Suchen");
    t.allTablesName = QStringLiteral("Alle Tabellen");
    t.noSourceStatus = QStringLiteral("Keine Datenquelle");
    t.tableLabel = QStringLiteral("Tabelle");
    t.recordLabel = QStringLiteral("Datensatz");
    t.fieldLabel = QStringLiteral("Feld");
    t.runCompleteStatus = QStringLiteral("Fertig");
    t.runStoppedStatus = QStringLiteral("Abgebrochen");
    t.missingSearchMessage = QStringLiteral("Bitte einen Suchtext eingeben");
    t.emptySearchNote = QStringLiteral("leer");
    return t;
}

// A surface whose event pump can run a command at a chosen pump, as a click during a long walk would.
class SteeredSurface : public HeadlessSurface
{
public:
    int pumps = 0;
    int actAtPump = -1;
    std::function<void()> action;

    void processEvents() override
    {
        HeadlessSurface::processEvents();
        if (++pumps == actAtPump && action)
            action();
    }
};

// One database with its own connection, the run and its controls. In the SQL texts a table name in
// braces, "{Order Details}", is written in the quoting of the backend.
struct Bench
{
    TestBackend backend;
    TempProgramFolder folder;
    QString dbPath = folder.filePath(QStringLiteral("data.db"));
    QString connectionString;
    std::unique_ptr<Connection> connection;
    SteeredSurface surface;
    ToolCatalogue tools;
    MainWindowTexts texts = testTexts();
    QString selectedTable;
    RunSetup setup {folder.path(), [this] {
                        return connection.get();
                    }};
    RunSession& run = setup.session();
    RunPresenter control {run, surface, tools, texts, [this] {
                              return selectedTable;
                          }};

    Bench(TestBackend backend, const QStringList& statements) : backend(backend)
    {
        // A short busy timeout on SQLite: a write from a stale read snapshot fails at once instead of
        // after the driver's default 100 s. The bench makes its database (NoCreat=0).
        connectionString = backend == TestBackend::Sqlite
            ? QStringLiteral("DRIVER=SQLite3;Timeout=1000;NoCreat=0;Database=") + dbPath
            : test::freshServerDatabase(backend, QStringLiteral("dorvane_searchrun"));
        connection = std::make_unique<Connection>();
        connection->setConnectionString(connectionString);
        connection->Open();
        for (const QString& statement : statements)
            connection->Execute(sql(statement));
        run.setEventPumpInterval(0);
        tools.setTableText(texts.allTablesEntry());
    }

    // The SQL text with every "{name}" quoted for this backend.
    QString sql(QString text) const
    {
        static const QRegularExpression braced(QStringLiteral("\\{([^{}]+)\\}"));
        QRegularExpressionMatch match;
        while ((match = braced.match(text)).hasMatch())
            text.replace(match.capturedStart(), match.capturedLength(), connection->quoteIdentifier(match.captured(1)));
        return text;
    }

    // A second connection to the same database, as another program would have.
    std::unique_ptr<Connection> otherConnection() const
    {
        auto other = std::make_unique<Connection>();
        other->setConnectionString(backend == TestBackend::Sqlite ? QStringLiteral("DRIVER=SQLite3;Database=") + dbPath
                                                                  : connectionString);
        other->Open();
        return other;
    }

    void search(const QString& text, const QString& replacement = QString())
    {
        surface.setSearchValue(text);
        surface.setReplaceValue(replacement);
    }

    void chooseTable(const QString& table)
    {
        selectedTable = table;
        tools.setTableText(table);
    }

    // "table.record.field" of the hit on display, from the run's resume position.
    QString hitPosition() const
    {
        const RunState& s = run.state();
        return QStringLiteral("%1.%2.%3").arg(s.TableList.value(s.CurTable)).arg(s.CurRecord).arg(s.CurField - 1);
    }

    // Runs the event loop as the program does (no polling sleeps), while the condition holds.
    void runEventLoopWhile(const std::function<bool()>& condition, int timeoutMs = 120000)
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!condition())
                loop.quit();
        });
        poll.start(1);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }

    bool waitingAtHit() const { return tools.isEnabled(QStringLiteral("ID_Save")) && run.state().RunActive; }

    // Every hit of the run, skipping each, as "table.record.field".
    QStringList collectHits()
    {
        QStringList hits;
        control.Start();
        while (waitingAtHit()) {
            hits.append(hitPosition());
            control.SkipField();
        }
        return hits;
    }

    // The whole content of a table, one text per row, read through a second connection.
    QStringList rows(const QString& table, const QString& order = QStringLiteral("id"))
    {
        const std::unique_ptr<Connection> reader = otherConnection();
        return dorvane::test::tableRows(*reader, table, order);
    }
};

const QStringList threeTablesAndAView = {
    QStringLiteral("CREATE TABLE {Beta} (id INTEGER PRIMARY KEY, name TEXT, note TEXT)"),
    QStringLiteral("CREATE TABLE {Alpha} (id INTEGER PRIMARY KEY, name TEXT)"),
    QStringLiteral("CREATE TABLE {Gamma} (id INTEGER PRIMARY KEY, name TEXT)"),
    QStringLiteral("INSERT INTO {Beta} VALUES (1, 'apple', 'x'), (2, 'pear', 'apple pie')"),
    QStringLiteral("INSERT INTO {Alpha} VALUES (1, 'no'), (2, 'apple')"),
    QStringLiteral("INSERT INTO {Gamma} VALUES (1, 'Apple')"),
    QStringLiteral("CREATE VIEW {Fruit} AS SELECT name FROM {Beta}"),
};

// The tables of threeTablesAndAView in the driver's schema order, never sorted by us: SQLite lists them in
// the order they were made, the servers' drivers by name.
QStringList schemaOrder(TestBackend backend)
{
    if (backend == TestBackend::Sqlite)
        return {QStringLiteral("Beta"), QStringLiteral("Alpha"), QStringLiteral("Gamma")};
    return {QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")};
}

// The hits of "apple" (any case) in threeTablesAndAView per table, each in a record of its own.
QStringList appleHits(const QString& table)
{
    if (table == QLatin1String("Beta"))
        return {QStringLiteral("Beta.0.1"), QStringLiteral("Beta.1.2")};
    if (table == QLatin1String("Alpha"))
        return {QStringLiteral("Alpha.1.1")};
    return {QStringLiteral("Gamma.0.1")};
}

QStringList allAppleHits(TestBackend backend)
{
    QStringList hits;
    for (const QString& table : schemaOrder(backend))
        hits += appleHits(table);
    return hits;
}

} // namespace

class TestSearchRun : public QObject
{
    Q_OBJECT

public:
    explicit TestSearchRun(TestBackend backend = TestBackend::Sqlite) : m_backend(backend) { }

private slots:
    void initTestCase();
    void allTablesVisitsBaseTablesInSchemaOrder();
    void singleTableCountsRecordsOnProgressBar();
    void emptySingleTableCompletesAtOneOfOne();
    void skipAfterLastFieldGoesOnWithNextRecord();
    void saveAtLastHitOfRunWritesAndCompletes();
    void twoHitsInOneRecordAreShownInTurn();
    void pauseDuringWalkAndContinueAtExactField();
    void stopDuringWalkEndsRun();
    void tableWithBlankInName();
    void tableThatCannotBeOpenedReportsOnce();
    void invalidPatternStartsNothing();
    void emptySearchStopsAtEmptyFields();
    void valuelessReplacedViewWritesNullAtHitAndEmptyTextInBrowseMode();
    void skipRecordOnLastRecordGoesToNextTable();
    void skipTableOnSecondToLastDisablesSkipTable();
    void replaceWithoutHaltWritesEveryHitAndNothingElse();
    void clearingReplaceAllLeavesNextHitWaiting();
    void longTextIsSavedWhole();
    void rowChangedMeanwhileIsNotOverwritten();
    void missingSearchRefusesSkips();
    void invalidPatternAtAHitLeavesTheHitEditable();
    void repeatedFieldFaultIsShownOnceAndTheRunGoesOn();
    void unicodeTextAndNullsAreReadAndSavedWhole();

private:
    TestBackend m_backend;
};

class TestSearchRunOnPostgreSql : public TestSearchRun
{
    Q_OBJECT

public:
    TestSearchRunOnPostgreSql() : TestSearchRun(TestBackend::PostgreSql) { }
};

class TestSearchRunOnMariaDb : public TestSearchRun
{
    Q_OBJECT

public:
    TestSearchRunOnMariaDb() : TestSearchRun(TestBackend::MariaDb) { }
};

void TestSearchRun::initTestCase()
{
    if (m_backend != TestBackend::Sqlite && test::serverConnectionString(m_backend).isEmpty()) {
        QSKIP(qPrintable(QStringLiteral("%1 is not set: the run tests on %2 need its server (see README)")
                             .arg(test::backendVariable(m_backend), test::backendName(m_backend))));
    }
}

void TestSearchRun::allTablesVisitsBaseTablesInSchemaOrder()
{
    Bench b(m_backend, threeTablesAndAView);
    b.search(QStringLiteral("apple"));
    const QStringList hits = b.collectHits();
    // The driver's schema order, never sorted; the view is never walked.
    QCOMPARE(hits, allAppleHits(m_backend));
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Fertig "));
    QVERIFY(!b.run.state().RunActive);
    QVERIFY(b.tools.isVisible(QStringLiteral("ID_Start")));
    QVERIFY(!b.tools.isVisible(QStringLiteral("ID_Stop")));
}

void TestSearchRun::singleTableCountsRecordsOnProgressBar()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, name TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1,'a'),(2,'b'),(3,'needle'),(4,'c')"),
             QStringLiteral("CREATE TABLE {U} (id INTEGER PRIMARY KEY, name TEXT)"),
             QStringLiteral("INSERT INTO {U} VALUES (1,'needle')")});
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("needle"), QStringLiteral("pin"));
    b.control.Start();
    QVERIFY(b.waitingAtHit());
    QCOMPARE(b.hitPosition(), QStringLiteral("T.2.1"));
    QCOMPARE(b.surface.progressMaximum(), 4);
    QCOMPARE(b.surface.progressValue(), 2);
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Tabelle: T "));
    QCOMPARE(b.surface.statusText(2), QStringLiteral("Datensatz: 2 "));
    QCOMPARE(b.surface.statusText(3), QStringLiteral("Feld: name "));
    QCOMPARE(b.surface.originalView(), EditorValue(QStringLiteral("needle")));
    QCOMPARE(b.surface.replacedView(), EditorValue(QStringLiteral("pin")));
    QVERIFY(!b.tools.isEnabled(QStringLiteral("ID_SkipTable")));
    QVERIFY(!b.tools.isEnabled(QStringLiteral("ID_Pause")));
    QVERIFY(!b.surface.isInterfaceLocked());
    b.control.SkipField();
    QVERIFY(!b.run.state().RunActive); // U was never visited
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Fertig "));
}

void TestSearchRun::emptySingleTableCompletesAtOneOfOne()
{
    Bench b(m_backend, {QStringLiteral("CREATE TABLE {Empty} (id INTEGER PRIMARY KEY, name TEXT)")});
    b.chooseTable(QStringLiteral("Empty"));
    b.search(QStringLiteral("x"));
    b.control.Start();
    QCOMPARE(b.surface.progressMaximum(), 1);
    QCOMPARE(b.surface.progressValue(), 1);
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Fertig "));
    QVERIFY(!b.run.state().RunActive);
}

void TestSearchRun::skipAfterLastFieldGoesOnWithNextRecord()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (a TEXT, b TEXT, c TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES ('x','x','hit'),('hit','x','x')")});
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("hit"));
    b.control.Start();
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.2"));
    QCOMPARE(b.run.state().CurField, 3); // the field count: nothing of this record is left
    b.control.SkipField();
    QCOMPARE(b.hitPosition(), QStringLiteral("T.1.0"));
}

void TestSearchRun::saveAtLastHitOfRunWritesAndCompletes()
{
    Bench b(m_backend, threeTablesAndAView);
    b.search(QStringLiteral("Apple"), QStringLiteral("Quince"));
    b.surface.setCaseSensitive(true);
    b.control.Start();
    QCOMPARE(b.hitPosition(), QStringLiteral("Gamma.0.1"));
    QCOMPARE(b.run.state().CurField, b.run.fieldCount());
    b.control.SaveCommand();
    QVERIFY(!b.run.state().RunActive);
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Fertig "));
    QCOMPARE(b.rows("Gamma"), QStringList({"1|Quince"}));
    QCOMPARE(b.rows("Beta"), QStringList({"1|apple|x", "2|pear|apple pie"}));
}

void TestSearchRun::twoHitsInOneRecordAreShownInTurn()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT, b TEXT, c TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1,'cat','dog','cat food')")});
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("cat"), QStringLiteral("lion"));
    b.control.Start();
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.1"));
    b.control.SaveCommand();
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.3"));
    QCOMPARE(b.surface.replacedView(), EditorValue(QStringLiteral("lion food")));
    b.control.SaveCommand();
    QVERIFY(!b.run.state().RunActive);
    QCOMPARE(b.rows("T"), QStringList({"1|lion|dog|lion food"}));
}

void TestSearchRun::pauseDuringWalkAndContinueAtExactField()
{
    QStringList sql = {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT, b TEXT)")};
    for (int i = 0; i < 50; ++i)
        sql.append(QStringLiteral("INSERT INTO {T} VALUES (%1, 'r%1a', 'r%1b')").arg(i));
    sql.append(QStringLiteral("UPDATE {T} SET b = 'needle' WHERE id = 49"));
    Bench b(m_backend, sql);
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("needle"));
    // Pumps: one for the table, then per record one plus one per field (3 fields): the 45th is the
    // check before field 2 of record 10.
    b.surface.actAtPump = 1 + 10 * 4 + 4;
    b.surface.action = [&] {
        b.control.Pause();
    };
    b.control.Start();
    const RunState& s = b.run.state();
    QVERIFY(s.RunPaused);
    QVERIFY(b.tools.isVisible(QStringLiteral("ID_Continue")));
    QCOMPARE(s.CurRecord, 10);
    QCOMPARE(s.CurField, 2);
    // Browse mode shows the field where the walk stopped.
    QCOMPARE(b.surface.originalView(), EditorValue(QStringLiteral("r10b")));
    QVERIFY(b.tools.isEnabled(QStringLiteral("ID_Save")));
    b.control.Continue();
    QVERIFY(b.waitingAtHit());
    QCOMPARE(b.hitPosition(), QStringLiteral("T.49.2"));
}

void TestSearchRun::stopDuringWalkEndsRun()
{
    QStringList sql = {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT)")};
    for (int i = 0; i < 30; ++i)
        sql.append(QStringLiteral("INSERT INTO {T} VALUES (%1, 'needle%1')").arg(i));
    Bench b(m_backend, sql);
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("nothing-like-this"));
    b.surface.actAtPump = 20;
    b.surface.action = [&] {
        b.control.StopCommand();
    };
    b.control.Start();
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Abgebrochen "));
    QVERIFY(!b.run.state().RunActive);
    QVERIFY(b.tools.isVisible(QStringLiteral("ID_Start")));
    QVERIFY(!b.tools.isVisible(QStringLiteral("ID_Stop")));
    QVERIFY(!b.surface.isProgressVisible());
    QVERIFY(!b.run.state().isRecordsetOpen());
    QCOMPARE(b.surface.findLabelCaption(), QStringLiteral("Suchen"));
}

void TestSearchRun::tableWithBlankInName()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {Order Details} (id INTEGER PRIMARY KEY, product TEXT)"),
             QStringLiteral("INSERT INTO {Order Details} VALUES (1,'Tofu')")});
    b.search(QStringLiteral("tofu"), QStringLiteral("Tempeh"));
    b.control.Start();
    QCOMPARE(b.hitPosition(), QStringLiteral("Order Details.0.1"));
    QCOMPARE(b.run.state().RunRecordset->Source(), b.sql(QStringLiteral("Select * FROM {Order Details} ")));
    if (m_backend == TestBackend::Sqlite)
        QCOMPARE(b.run.state().RunRecordset->Source(), QStringLiteral("Select * FROM [Order Details] "));
    QCOMPARE(b.surface.replacedView(), EditorValue(QStringLiteral("Tempeh")));
    b.control.SaveCommand();
    QCOMPARE(b.rows("Order Details"), QStringList({"1|Tempeh"}));
}

void TestSearchRun::tableThatCannotBeOpenedReportsOnce()
{
    Bench b(m_backend, {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT)")});
    b.chooseTable(QStringLiteral("Vanished"));
    b.search(QStringLiteral("x"));
    b.control.Start();
    QCOMPARE(b.surface.messages.size(), 1);
    QVERIFY(b.surface.messages[0].contains(QStringLiteral("Vanished")));
    QVERIFY(b.tools.isEnabled(QStringLiteral("ID_Start")));
    QVERIFY(b.tools.isVisible(QStringLiteral("ID_Start")));
    QVERIFY(!b.tools.isEnabled(QStringLiteral("ID_Save")));
    QVERIFY(!b.run.state().RunActive);
}

void TestSearchRun::invalidPatternStartsNothing()
{
    Bench b(m_backend, threeTablesAndAView);
    b.surface.setRegEx(true);
    b.search(QStringLiteral("(unclosed"));
    b.control.Start();
    QCOMPARE(b.surface.messages.size(), 1);
    QVERIFY(b.surface.messages[0].contains(QStringLiteral("offset")));
    QVERIFY(!b.run.state().RunActive);
    QVERIFY(b.tools.isVisible(QStringLiteral("ID_Start")));
    QVERIFY(!b.surface.isInterfaceLocked());
}

void TestSearchRun::emptySearchStopsAtEmptyFields()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT, b TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1,'full',NULL),(2,'','full')")});
    b.chooseTable(QStringLiteral("T"));
    b.surface.setSearchValue(EditorValue());
    const QStringList hits = b.collectHits();
    QCOMPARE(hits, QStringList({"T.0.2", "T.1.1"}));
    // A present text of length zero looks for empty fields too.
    b.surface.setSearchValue(QString(QLatin1String("")));
    b.control.Start();
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.2"));
    QCOMPARE(b.surface.findLabelCaption(), QStringLiteral("Suchen [leer]"));
}

void TestSearchRun::valuelessReplacedViewWritesNullAtHitAndEmptyTextInBrowseMode()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT, b TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1,'gone','keep')")});
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("gone"));
    b.control.Start();
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.1"));
    b.surface.setReplacedView(EditorValue());
    b.control.SaveCommand();
    QCOMPARE(b.rows("T"), QStringList({"1|<NULL>|keep"}));

    // Pause just before field b of record 0: table, record and two field checks come first.
    b.search(QStringLiteral("absent"));
    b.surface.pumps = 0;
    b.surface.actAtPump = 5;
    b.surface.action = [&] {
        b.control.Pause();
    };
    b.control.Start();
    QCOMPARE(b.run.state().CurField, 2);
    QCOMPARE(b.surface.originalView(), EditorValue(QStringLiteral("keep")));
    b.surface.setReplacedView(EditorValue());
    b.control.SaveCommand();
    QCOMPARE(b.surface.statusText(5), QStringLiteral("Gespeichert"));
    QVERIFY(b.tools.isVisible(QStringLiteral("ID_Continue"))); // still browsing
    QCOMPARE(b.rows("T"), QStringList({"1|<NULL>|"}));
}

void TestSearchRun::skipRecordOnLastRecordGoesToNextTable()
{
    Bench b(m_backend, threeTablesAndAView);
    b.search(QStringLiteral("apple"));
    b.control.Start();
    // Each hit is in a record of its own, so skipping the record goes to the next hit, from the last
    // record of a table on to the next table, and after the last one to the end of the run.
    for (const QString& hit : allAppleHits(m_backend)) {
        QCOMPARE(b.hitPosition(), hit);
        b.control.SkipRecord();
    }
    QVERIFY(!b.run.state().RunActive);
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Fertig "));
}

void TestSearchRun::skipTableOnSecondToLastDisablesSkipTable()
{
    Bench b(m_backend, threeTablesAndAView);
    b.search(QStringLiteral("apple"));
    b.control.Start();
    const QStringList order = schemaOrder(m_backend);
    QCOMPARE(b.hitPosition(), appleHits(order[0]).first());
    QVERIFY(b.tools.isEnabled(QStringLiteral("ID_SkipTable")));
    b.control.SkipTable();
    QCOMPARE(b.hitPosition(), appleHits(order[1]).first());
    QVERIFY(b.tools.isEnabled(QStringLiteral("ID_SkipTable")));
    b.control.SkipTable();
    QCOMPARE(b.hitPosition(), appleHits(order[2]).first());
    QVERIFY(!b.tools.isEnabled(QStringLiteral("ID_SkipTable")));
}

void TestSearchRun::replaceWithoutHaltWritesEveryHitAndNothingElse()
{
    QStringList sql = {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT, b TEXT)"),
                       QStringLiteral("CREATE TABLE {K} (x TEXT, y TEXT)"),
                       QStringLiteral("INSERT INTO {K} VALUES ('old', 'old'), ('old', 'old')")};
    QString values;
    for (int i = 0; i < 1000; ++i)
        values += QStringLiteral("%1(%2, 'old %2', 'keep %2')").arg(i ? "," : "").arg(i);
    sql.append(QStringLiteral("INSERT INTO {T} VALUES ") + values);
    Bench b(m_backend, sql);
    WriteIniValue(QStringLiteral("Win"), QStringLiteral("ReplaceDelay"), QStringLiteral("0"));
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("old"), QStringLiteral("new"));
    b.surface.setReplaceAll(true);
    QStringList expected = b.rows("T");
    expected.replaceInStrings(QStringLiteral("|old "), QStringLiteral("|new "));
    const QStringList untouched = b.rows("K", QStringLiteral("x"));

    b.control.Start();
    b.runEventLoopWhile([&] { return b.run.state().RunActive; });
    QVERIFY(b.surface.messages.isEmpty());
    QCOMPARE(b.rows("T"), expected);
    QCOMPARE(b.rows("K", QStringLiteral("x")), untouched);
}

void TestSearchRun::clearingReplaceAllLeavesNextHitWaiting()
{
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1,'old'),(2,'old')")});
    WriteIniValue(QStringLiteral("Win"), QStringLiteral("ReplaceDelay"), QStringLiteral("0"));
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("old"), QStringLiteral("new"));
    b.surface.setReplaceAll(true);
    b.control.Start();
    QVERIFY(b.surface.isTimer1Enabled());
    b.surface.setReplaceAll(false);
    QTRY_VERIFY(!b.surface.isTimer1Enabled());
    QVERIFY(b.waitingAtHit());
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.1"));
    QCOMPARE(b.rows("T"), QStringList({"1|old", "2|old"}));

    // A stop cancels a pending automatic save.
    b.surface.setReplaceAll(true);
    b.surface.setTimer1Enabled(true);
    b.control.StopCommand();
    QTest::qWait(30);
    QCOMPARE(b.rows("T"), QStringList({"1|old", "2|old"}));
}

void TestSearchRun::longTextIsSavedWhole()
{
    // Longer than the replaced view's typing limit (at most 32767): the save must not cut it.
    const QString longText = QString(40000, QLatin1Char('x')) + QStringLiteral("old");
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1, '%1')").arg(longText)});
    WriteIniValue(QStringLiteral("Win"), QStringLiteral("ReplaceDelay"), QStringLiteral("0"));
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("old"), QStringLiteral("new"));
    b.surface.setReplaceAll(true);
    b.control.Start();
    b.runEventLoopWhile([&] { return b.run.state().RunActive; });
    QString expected = longText;
    expected.replace(QStringLiteral("old"), QStringLiteral("new"));
    QCOMPARE(b.rows("T"), QStringList({QStringLiteral("1|") + expected}));
}

void TestSearchRun::rowChangedMeanwhileIsNotOverwritten()
{
    QStringList sql = {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT)"),
                       QStringLiteral("INSERT INTO {T} VALUES (1,'old')")};
    // In WAL mode another program can write to a SQLite file while the run reads.
    if (m_backend == TestBackend::Sqlite)
        sql.prepend(QStringLiteral("PRAGMA journal_mode=WAL"));
    Bench b(m_backend, sql);
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("old"), QStringLiteral("new"));
    b.control.Start();
    QVERIFY(b.waitingAtHit());
    {
        const std::unique_ptr<Connection> other = b.otherConnection();
        other->Execute(b.sql(QStringLiteral("UPDATE {T} SET a = 'older' WHERE id = 1")));
    }
    b.control.SaveCommand();
    QCOMPARE(b.surface.messages.size(), 1);
    QCOMPARE(b.rows("T"), QStringList({"1|older"}));
    QVERIFY(b.waitingAtHit()); // the hit stays on display
    QCOMPARE(b.surface.originalView(), EditorValue(QStringLiteral("old")));
}

void TestSearchRun::missingSearchRefusesSkips()
{
    Bench b(m_backend, threeTablesAndAView);
    b.search(QStringLiteral("apple"));
    b.control.Start();
    const QString before = b.hitPosition();
    b.surface.setRegEx(true);
    b.surface.setSearchValue(EditorValue());
    b.control.SkipField();
    b.control.SkipRecord();
    b.control.SkipTable();
    b.control.Continue();
    QCOMPARE(b.surface.messages, QStringList(4, QStringLiteral("Bitte einen Suchtext eingeben")));
    QCOMPARE(b.hitPosition(), before);
}

void TestSearchRun::invalidPatternAtAHitLeavesTheHitEditable()
{
    Bench b(m_backend, threeTablesAndAView);
    b.search(QStringLiteral("apple"));
    b.control.Start();
    const QString before = b.hitPosition();
    const EditorValue shown = b.surface.originalView();
    b.surface.setRegEx(true);
    b.surface.setSearchValue(QStringLiteral("(apple"));
    for (const auto& skip : {&RunPresenter::SkipField, &RunPresenter::SkipRecord, &RunPresenter::SkipTable}) {
        b.surface.messages.clear();
        (b.control.*skip)();
        QCOMPARE(b.surface.messages.size(), 1);
        // Nothing moved and the hit can still be edited and decided.
        QCOMPARE(b.hitPosition(), before);
        QVERIFY(!b.surface.isInterfaceLocked());
        QCOMPARE(b.surface.originalView(), shown);
        QVERIFY(b.waitingAtHit());
    }
    b.surface.setSearchValue(QStringLiteral("apple"));
    b.control.SkipField();
    QVERIFY(b.hitPosition() != before);
}

void TestSearchRun::repeatedFieldFaultIsShownOnceAndTheRunGoesOn()
{
    Bench b(m_backend, threeTablesAndAView);
    // A data-type table that cannot be read fails the type test of every field that matches.
    b.folder.writeFile(QStringLiteral("sys/dtype.dat"), "not a record set");
    b.search(QStringLiteral("apple"));
    b.control.Start();
    QCOMPARE(b.surface.messages.size(), 1);
    QVERIFY(!b.run.state().RunActive);
    QCOMPARE(b.surface.statusText(1), QStringLiteral("Fertig "));
    QCOMPARE(b.run.counts().faults, allAppleHits(m_backend).size());
}

void TestSearchRun::unicodeTextAndNullsAreReadAndSavedWhole()
{
    // Beyond Latin-1 and beyond the BMP: nothing may be cut to bytes or to the server's narrow charset.
    Bench b(m_backend,
            {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a TEXT, b TEXT)"),
             QStringLiteral("INSERT INTO {T} VALUES (1, NULL, 'Grüße aus 東京 😀'), (2, 'Ärger €', NULL)")});
    QCOMPARE(b.rows("T"), QStringList({"1|<NULL>|Grüße aus 東京 😀", "2|Ärger €|<NULL>"}));
    b.chooseTable(QStringLiteral("T"));
    b.search(QStringLiteral("東京 😀"), QStringLiteral("Κρήτη 🌊"));
    b.control.Start();
    QVERIFY(b.waitingAtHit());
    QCOMPARE(b.hitPosition(), QStringLiteral("T.0.2"));
    QCOMPARE(b.surface.originalView(), EditorValue(QStringLiteral("Grüße aus 東京 😀")));
    QCOMPARE(b.surface.replacedView(), EditorValue(QStringLiteral("Grüße aus Κρήτη 🌊")));
    b.control.SaveCommand();
    QVERIFY(!b.run.state().RunActive);
    QVERIFY(b.surface.messages.isEmpty());
    QCOMPARE(b.rows("T"), QStringList({"1|<NULL>|Grüße aus Κρήτη 🌊", "2|Ärger €|<NULL>"}));

    // A row named by a NULL beside its key, saved by a search for a character outside ASCII.
    b.search(QStringLiteral("€"), QStringLiteral("£"));
    b.control.Start();
    QVERIFY(b.waitingAtHit());
    QCOMPARE(b.run.state().CurField, 2); // PostgreSQL walks the row it rewrote last, so only the field is sure
    QCOMPARE(b.surface.originalView(), EditorValue(QStringLiteral("Ärger €")));
    b.control.SaveCommand();
    QCOMPARE(b.rows("T"), QStringList({"1|<NULL>|Grüße aus Κρήτη 🌊", "2|Ärger £|<NULL>"}));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestSearchRun onSqlite;
    TestSearchRunOnPostgreSql onPostgreSql;
    TestSearchRunOnMariaDb onMariaDb;
    int failures = 0;
    for (QObject* tests : std::initializer_list<QObject*> {&onSqlite, &onPostgreSql, &onMariaDb})
        failures += QTest::qExec(tests, argc, argv);
    return failures;
}

#include "tst_searchrun.moc"
