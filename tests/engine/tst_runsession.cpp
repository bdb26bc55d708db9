// The run session without any window: the events of a run and the decisions as calls, over real SQLite
// files through the ODBC driver, each session with a program folder of its own (no process-wide state).
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/SysTableFile.h"
#include "engine/DataTypeTable.h"
#include "engine/RunSetup.h"

#include "SqliteDatabase.h"
#include "TableRows.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace dorvane;
using dorvane::test::SqliteDatabase;

namespace {

QString at(const RunPosition& p)
{
    return QStringLiteral("%1.%2.%3").arg(p.tableName).arg(p.record).arg(p.field);
}

// Every event as one short line.
class EventLog : public RunObserver
{
public:
    QStringList lines;
    const RunSession* session = nullptr;

    void tableBegun(const TableBegun& e) override
    {
        lines << QStringLiteral("begin %1 %2").arg(e.name).arg(session->recordCount());
    }
    void hitFound(const HitFound& e) override
    {
        lines << QStringLiteral("hit %1 %2>%3").arg(at(e.position), e.storedText, e.proposed);
    }
    void fieldSaved(const SaveOutcome& e) override
    {
        lines << QStringLiteral("save %1 %2")
                     .arg(at(e.position), e.written ? e.newValue.toString() : QStringLiteral("failed"));
    }
    void runFault(const RunFault& e) override
    {
        lines << QStringLiteral("fault %1").arg(e.tableFailed() ? e.position.tableName : at(e.position));
    }
    void tableEnded(const TableEnded& e) override { lines << QStringLiteral("end %1").arg(e.name); }
    void runEnded(const RunEnded& e) override
    {
        lines << QStringLiteral("run %1 hits=%2 saved=%3 failed=%4 skipped=%5 faults=%6")
                     .arg(e.ending == RunEnding::Completed ? "completed" : "stopped")
                     .arg(e.counts.hits)
                     .arg(e.counts.saved)
                     .arg(e.counts.failed)
                     .arg(e.counts.skipped)
                     .arg(e.counts.faults);
    }
};

// A database, a program folder with its data-type table, and a session over both.
struct Fixture
{
    QTemporaryDir folder;
    SqliteDatabase db {folder.path()};
    Connection connection;
    std::unique_ptr<RunSetup> setup;
    EventLog log;

    explicit Fixture(const QStringList& statements)
    {
        QDir(folder.path()).mkdir(QStringLiteral("sys"));
        for (const QString& statement : statements)
            db.exec(statement);
        connection.setConnectionString(db.connectionString() + QStringLiteral(";Timeout=1000"));
        connection.Open();
        setup = std::make_unique<RunSetup>(folder.path(), [this] { return &connection; });
        log.session = &session();
        session().addObserver(&log);
        session().setEventPumpInterval(0);
    }

    RunSession& session() { return setup->session(); }

    RunOptions options(const QString& search, const QString& replacement, HitPolicy policy = HitPolicy::Wait)
    {
        RunOptions o;
        o.match.search = search;
        o.match.replacement = replacement;
        o.policy = policy;
        return o;
    }

    // Read through a connection of its own, as another program sees the file.
    QStringList rows(const QString& table)
    {
        Connection reader;
        reader.setConnectionString(db.connectionString());
        reader.Open();
        return test::tableRows(reader, table, QStringLiteral("1"));
    }
};

const QStringList threeTables = {
    QStringLiteral("CREATE TABLE Beta (id INTEGER PRIMARY KEY, name TEXT, note TEXT)"),
    QStringLiteral("CREATE TABLE Alpha (id INTEGER PRIMARY KEY, name TEXT)"),
    QStringLiteral("CREATE TABLE Gamma (id INTEGER PRIMARY KEY, name TEXT)"),
    QStringLiteral("INSERT INTO Beta VALUES (1, 'apple', 'x'), (2, 'pear', 'apple pie')"),
    QStringLiteral("INSERT INTO Alpha VALUES (1, 'no'), (2, 'apple'), (3, 'apple too')"),
    QStringLiteral("INSERT INTO Gamma VALUES (1, 'Apple'), (2, 'apple')"),
    QStringLiteral("CREATE VIEW Fruit AS SELECT name FROM Beta"),
};

} // namespace

class TestRunSession : public QObject
{
    Q_OBJECT

private slots:
    void eventsAndDecisionsOverThreeTables();
    void pauseThenBrowseAndContinue();
    void stopFromThePumpEndsTheRunOnce();
    void failedSaveLeavesTheHitAndTheRow();
    void saveEveryHitChangesExactlyTheHitFields();
    void faultsAreReportedAndTheRunGoesOn();
    void twoSessionsKeepTheirOwnDataTypeTables();
};

void TestRunSession::eventsAndDecisionsOverThreeTables()
{
    Fixture f(threeTables);
    RunSession& s = f.session();
    s.start(f.options(QStringLiteral("apple"), QStringLiteral("quince")));
    QCOMPARE(s.state().TableList, QStringList({"Beta", "Alpha", "Gamma"})); // the view is no table
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QCOMPARE(s.currentHit()->row.columns, QStringList({"id"}));
    QCOMPARE(s.currentHit()->row.values, QVariantList({1}));
    QCOMPARE(s.skipField(), RunSession::Step::Walk);
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QVERIFY(s.saveProposed().written);
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QCOMPARE(s.skipRecord(), RunSession::Step::Walk); // Alpha's next record holds a hit too
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QCOMPARE(s.skipTable(), RunSession::Step::Walk);
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QVERIFY(s.saveHit(QStringLiteral("edited")).written);
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QVERIFY(s.isLastHitOfRun());
    QCOMPARE(s.skipField(), RunSession::Step::Ended);

    QCOMPARE(f.log.lines,
             QStringList({"begin Beta 2", "hit Beta.0.1 apple>quince", "hit Beta.1.2 apple pie>quince pie",
                          "save Beta.1.2 quince pie", "end Beta", "begin Alpha 3", "hit Alpha.1.1 apple>quince",
                          "hit Alpha.2.1 apple too>quince too", "begin Gamma 2", "hit Gamma.0.1 Apple>quince",
                          "save Gamma.0.1 edited", "hit Gamma.1.1 apple>quince",
                          "run completed hits=6 saved=2 failed=0 skipped=4 faults=0"}));
    QCOMPARE(f.rows(QStringLiteral("Beta")), QStringList({"1|apple|x", "2|pear|quince pie"}));
    QCOMPARE(f.rows(QStringLiteral("Gamma")), QStringList({"1|edited", "2|apple"}));
    QCOMPARE(s.phase(), RunSession::Phase::Ended);
    QVERIFY(!s.state().isRecordsetOpen());
}

void TestRunSession::pauseThenBrowseAndContinue()
{
    Fixture f({QStringLiteral("CREATE TABLE T (id INTEGER PRIMARY KEY, a TEXT, b TEXT)"),
               QStringLiteral("INSERT INTO T VALUES (1,'r1a','r1b'), (2,'r2a','r2b'), (3,'r3a','needle')")});
    RunSession& s = f.session();
    int checks = 0;
    // Checks: the table, then per record one and one per field; the 6th is record 1's, so the walk pauses
    // at the next check, before field 0 of record 1.
    s.setPump([&](RunSession::Checkpoint) {
        if (++checks == 6)
            s.pause();
    });
    s.start(f.options(QStringLiteral("needle"), QStringLiteral("pin")));
    QCOMPARE(s.walk(), RunSession::Phase::Paused);
    QVERIFY(s.isBrowsing());
    QCOMPARE(s.state().CurRecord, 1);
    QCOMPARE(s.state().CurField, 0);
    QCOMPARE(s.skipField(), RunSession::Step::Browse);
    QCOMPARE(s.fieldSnapshot(s.state().CurField).value, QVariant("r2a"));
    QVERIFY(s.saveBrowsedField(QStringLiteral("typed")).written);
    QCOMPARE(s.skipRecord(), RunSession::Step::Browse);
    QCOMPARE(s.state().CurRecord, 2);
    s.resume();
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    QCOMPARE(at(s.currentHit()->position), QStringLiteral("T.2.2"));
    QCOMPARE(f.rows(QStringLiteral("T")), QStringList({"1|r1a|r1b", "2|typed|r2b", "3|r3a|needle"}));
}

void TestRunSession::stopFromThePumpEndsTheRunOnce()
{
    Fixture f({QStringLiteral("CREATE TABLE T (id INTEGER PRIMARY KEY, a TEXT)"),
               QStringLiteral("INSERT INTO T VALUES (1,'x'), (2,'x'), (3,'x')")});
    RunSession& s = f.session();
    int checks = 0;
    s.setPump([&](RunSession::Checkpoint) {
        if (++checks == 4)
            s.stop();
    });
    s.start(f.options(QStringLiteral("absent"), QString()));
    QCOMPARE(s.walk(), RunSession::Phase::Ended);
    QCOMPARE(f.log.lines.filter(QStringLiteral("run ")),
             QStringList({"run stopped hits=0 saved=0 failed=0 skipped=0 faults=0"}));
    QVERIFY(!s.state().isRecordsetOpen());
    QVERIFY(!s.state().RunActive);
}

void TestRunSession::failedSaveLeavesTheHitAndTheRow()
{
    Fixture f({QStringLiteral("PRAGMA journal_mode=WAL"),
               QStringLiteral("CREATE TABLE T (id INTEGER PRIMARY KEY, a TEXT)"),
               QStringLiteral("INSERT INTO T VALUES (1,'old')")});
    RunSession& s = f.session();
    s.start(f.options(QStringLiteral("old"), QStringLiteral("new")));
    QCOMPARE(s.walk(), RunSession::Phase::AtHit);
    f.db.exec(QStringLiteral("UPDATE T SET a = 'older' WHERE id = 1")); // another program, meanwhile
    const SaveOutcome outcome = s.saveProposed();
    QVERIFY(!outcome.written);
    QVERIFY(!outcome.reason.isEmpty());
    QCOMPARE(s.phase(), RunSession::Phase::AtHit);
    QCOMPARE(s.counts().failed, 1);
    QCOMPARE(f.rows(QStringLiteral("T")), QStringList({"1|older"}));
}

void TestRunSession::saveEveryHitChangesExactlyTheHitFields()
{
    QStringList sql = {QStringLiteral("CREATE TABLE T (id INTEGER PRIMARY KEY, a TEXT, b TEXT, n INTEGER)"),
                       QStringLiteral("CREATE TABLE K (x TEXT, y TEXT)"),
                       QStringLiteral("INSERT INTO K VALUES ('old', NULL), ('keep', 'old old')")};
    QString values;
    for (int i = 0; i < 1000; ++i)
        values += QStringLiteral("%1(%2, 'old %2', 'keep %2', %2)").arg(i ? "," : "").arg(i);
    sql.append(QStringLiteral("INSERT INTO T VALUES ") + values);
    Fixture f(sql);
    QStringList expectedT = f.rows(QStringLiteral("T"));
    expectedT.replaceInStrings(QStringLiteral("|old "), QStringLiteral("|new "));
    const RunEnded ended
        = f.session().runToEnd(f.options(QStringLiteral("old"), QStringLiteral("new"), HitPolicy::SaveEvery));
    QCOMPARE(ended.ending, RunEnding::Completed);
    QCOMPARE(ended.counts.hits, 1002);
    QCOMPARE(ended.counts.saved, 1002);
    QCOMPARE(f.rows(QStringLiteral("T")), expectedT);
    // A table without a key: each row named by all of its values.
    QCOMPARE(f.rows(QStringLiteral("K")), QStringList({"keep|new new", "new|<NULL>"}));
}

void TestRunSession::faultsAreReportedAndTheRunGoesOn()
{
    Fixture f(threeTables);
    RunSession& s = f.session();
    RunOptions options = f.options(QStringLiteral("apple"), QString(), HitPolicy::SkipEvery);
    options.tables = QStringList({"Vanished", "Gamma"});
    QCOMPARE(s.runToEnd(options).counts.hits, 2);
    QCOMPARE(f.log.lines.first(), QStringLiteral("fault Vanished"));

    // A data-type table that cannot be read fails every matched field's type test; each is reported, the
    // run walks on to its end.
    f.log.lines.clear();
    QFile file(RunSetup::dataTypeFile(f.folder.path()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a record set");
    file.close();
    options.tables.clear();
    const RunEnded ended = s.runToEnd(options);
    QCOMPARE(ended.ending, RunEnding::Completed);
    QCOMPARE(ended.counts.faults, 6);
    QCOMPARE(ended.counts.records, 7);
    QCOMPARE(f.log.lines.filter(QStringLiteral("fault ")).size(), 6);
}

void TestRunSession::twoSessionsKeepTheirOwnDataTypeTables()
{
    Fixture searched(threeTables);
    Fixture unsearched(threeTables);
    // In the second program folder text is no searched type.
    const QString path = RunSetup::dataTypeFile(unsearched.folder.path());
    MemoryRecordSet table = BuildDataTypeTable(path);
    table.Close();
    table.Open(path, MemoryRecordSet::LockType::Optimistic);
    for (table.MoveFirst(); !table.isEOF(); table.MoveNext()) {
        table.Fields(QStringLiteral("Check")).setValue(false);
        table.Update();
    }
    saveSysTable(table, path);

    const RunOptions options = searched.options(QStringLiteral("apple"), QString(), HitPolicy::SkipEvery);
    QCOMPARE(searched.session().runToEnd(options).counts.hits, 6);
    QCOMPARE(unsearched.session().runToEnd(options).counts.hits, 0);
    QCOMPARE(searched.session().runToEnd(options).counts.hits, 6);
}

QTEST_GUILESS_MAIN(TestRunSession)
#include "tst_runsession.moc"
