// The command line "dorvane" started as a program over real databases: SQLite files always, and the
// PostgreSQL and MariaDB servers when the environment names them (see TestBackend.h). What it finds is
// compared with what the window finds, what it changes with the whole database before and after.
#include "core/AppState.h"
#include "core/DataError.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/FileDriverEntry.h"
#include "datasource/FileDriverTable.h"
#include "datasource/PasswordFreeSource.h"
#include "datasource/QueryRecordSet.h"
#include "engine/ChangeJournal.h"
#include "engine/RunSetup.h"
#include "engine/WindowJournal.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/RunPresenter.h"
#include "presentation/HeadlessSurface.h"
#include "presentation/MainWindowTexts.h"
#include "presentation/ToolCatalogue.h"

#include "cli/ProgressBar.h"

#include "CliFixture.h"
#include "PresetDataLinkPrompt.h"
#include "PresetFileChooser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QThread>

#include <csignal>

Q_DECLARE_METATYPE(dorvane::MatchOptions)

using namespace dorvane;
using dorvane::test::CliFixture;
using dorvane::test::CliResult;
using dorvane::test::DatabaseSnapshot;
using dorvane::test::TestBackend;

namespace {

MainWindowTexts windowTexts()
{
    MainWindowTexts t;
    t.findLabel = QStringLiteral("Suchen");
    t.allTablesName = QStringLiteral("Alle Tabellen");
    t.noSourceStatus = QStringLiteral("Keine Datenquelle");
    t.runCompleteStatus = QStringLiteral("Fertig");
    t.runStoppedStatus = QStringLiteral("Abgebrochen");
    t.missingSearchMessage = QStringLiteral("Bitte einen Suchtext eingeben");
    t.emptySearchNote = QStringLiteral("leer");
    return t;
}

const QStringList fruitTables = {
    QStringLiteral("CREATE TABLE {Beta} (id INTEGER PRIMARY KEY, name VARCHAR(40), note VARCHAR(40))"),
    QStringLiteral("CREATE TABLE {Alpha} (id INTEGER PRIMARY KEY, name VARCHAR(40), qty INTEGER)"),
    QStringLiteral("CREATE TABLE {Order Details} (id INTEGER PRIMARY KEY, name VARCHAR(40))"),
    QStringLiteral("INSERT INTO {Beta} VALUES (1, 'apple', 'x'), (2, 'pear', 'apple pie'), (3, '', NULL)"),
    QStringLiteral("INSERT INTO {Alpha} VALUES (1, 'Apple', 12), (2, 'pineapple', 121), (3, 'Apple cake', NULL)"),
    QStringLiteral("INSERT INTO {Order Details} VALUES (1, 'green apple'), (2, 'APPLE')"),
    QStringLiteral("CREATE VIEW {Fruit} AS SELECT name FROM {Beta}"),
};

// One table with a column of every kind the data layer knows, in each backend's types, and rows whose
// searchable values hold the digit 7 (texts with quotes, commas, line breaks and characters beyond ASCII,
// NULLs in every column of one row).
QStringList allTypesTable(TestBackend backend)
{
    QString columns;
    QString binary;
    switch (backend) {
    case TestBackend::Sqlite:
        columns = QStringLiteral("id INTEGER PRIMARY KEY, t TEXT, vc VARCHAR(60), i INTEGER, bi BIGINT, r REAL, "
                                 "f FLOAT, d DECIMAL(10,2), dt DATE, tm TIME, ts TIMESTAMP, b BOOLEAN, bl BLOB");
        binary = QStringLiteral("X'00FF37'");
        break;
    case TestBackend::PostgreSql:
        columns = QStringLiteral("id INTEGER PRIMARY KEY, t TEXT, vc VARCHAR(60), i INTEGER, bi BIGINT, r REAL, "
                                 "f DOUBLE PRECISION, d NUMERIC(10,2), dt DATE, tm TIME, ts TIMESTAMP, b BOOLEAN, "
                                 "bl BYTEA");
        binary = QStringLiteral("'\\x00ff37'::bytea");
        break;
    case TestBackend::MariaDb:
        columns = QStringLiteral("id INTEGER PRIMARY KEY, t TEXT, vc VARCHAR(60), i INTEGER, bi BIGINT, r FLOAT, "
                                 "f DOUBLE, d DECIMAL(10,2), dt DATE, tm TIME, ts DATETIME, b BOOLEAN, bl BLOB");
        binary = QStringLiteral("X'00FF37'");
        break;
    }
    return {
        QStringLiteral("CREATE TABLE {Everything} (%1)").arg(columns),
        QStringLiteral("INSERT INTO {Everything} VALUES (1, 'He said \"7\", then\nleft', 'Grüße 7 東京 😀', 17, "
                       "7000000001, 0.7, 0.7, 17.25, '2017-01-05', '07:17:27', '2017-03-04 05:06:07', TRUE, %1)")
            .arg(binary),
        QStringLiteral("INSERT INTO {Everything} VALUES (2, 'no digit', 'seven', 1, 2, 1.5, 2.5, 3.25, '2024-01-05', "
                       "'10:20:30', '2024-02-03 04:05:06', FALSE, NULL)"),
        QStringLiteral("INSERT INTO {Everything} VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                       "NULL, NULL, NULL)"),
        QStringLiteral("INSERT INTO {Everything} VALUES (4, 'a7,b', '7', 77, -7, -0.75, 7.125, -7.70, '1977-07-07', "
                       "'17:07:07', '1997-07-17 17:17:17', TRUE, %1)")
            .arg(binary),
    };
}

QJsonObject readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "table.record.field" of every hit a report holds, in its order.
QStringList reportedHits(const QJsonObject& report)
{
    QStringList hits;
    for (const QJsonValue& hit : report.value(QStringLiteral("hits")).toArray()) {
        const QJsonObject h = hit.toObject();
        hits.append(QStringLiteral("%1.%2.%3")
                        .arg(h.value(QStringLiteral("table")).toString())
                        .arg(h.value(QStringLiteral("record")).toInt())
                        .arg(h.value(QStringLiteral("field")).toString()));
    }
    return hits;
}

QStringList statusesOf(const QJsonObject& report)
{
    QStringList statuses;
    for (const QJsonValue& hit : report.value(QStringLiteral("hits")).toArray())
        statuses.append(hit.toObject().value(QStringLiteral("status")).toString());
    return statuses;
}

// The window's side: the run presenter on the headless surface over its own connection to the database,
// with the data-type table of the same program folder, skipping every hit.
QStringList windowHits(CliFixture& f, const MatchOptions& match)
{
    auto connection = std::make_unique<Connection>();
    connection->setConnectionString(f.connectionString());
    connection->Open();
    HeadlessSurface surface;
    ToolCatalogue tools;
    const MainWindowTexts texts = windowTexts();
    RunSetup setup(f.folder().path(), [&] { return connection.get(); });
    RunPresenter presenter(setup.session(), surface, tools, texts, [] { return QString(); });
    setup.session().setEventPumpInterval(0);
    tools.setTableText(texts.allTablesEntry());
    surface.setSearchValue(match.search && !match.search->isEmpty() ? match.search : EditorValue());
    surface.setWholeField(match.wholeField);
    surface.setCaseSensitive(match.caseSensitive);
    surface.setWholeWord(match.wholeWords);
    surface.setRegEx(match.regularExpression);
    QStringList hits;
    presenter.Start();
    while (tools.isEnabled(QStringLiteral("ID_Save")) && setup.session().state().RunActive) {
        const HitFound& hit = *setup.session().currentHit();
        hits.append(QStringLiteral("%1.%2.%3").arg(hit.position.tableName).arg(hit.position.record).arg(hit.fieldName));
        presenter.SkipField();
    }
    return hits;
}

QStringList matchArguments(const MatchOptions& match)
{
    QStringList arguments {QStringLiteral("--find"), match.search.value_or(QString())};
    if (match.wholeField)
        arguments.append(QStringLiteral("--whole-field"));
    if (match.caseSensitive)
        arguments.append(QStringLiteral("--match-case"));
    if (match.wholeWords)
        arguments.append(QStringLiteral("--whole-words"));
    if (match.regularExpression)
        arguments.append(QStringLiteral("--regex"));
    return arguments;
}

// The rows of every change in a journal run, as the agreement check needs them.
std::vector<JournalChange> journalChanges(const QString& journalFile, qint64 run)
{
    ChangeJournal journal(journalFile);
    journal.open(false);
    return journal.changes(run);
}

qint64 journaledChangeCount(const QString& journalFile)
{
    if (!QFile::exists(journalFile))
        return 0;
    try {
        Connection connection;
        connection.setConnectionString(ChangeJournal::connectionStringFor(journalFile));
        connection.Open();
        QueryRecordSet count;
        count.Open(connection, QStringLiteral("SELECT COUNT(*) FROM changes"));
        return count.IsEOF() ? 0 : count.Fields(0).Value().toLongLong();
    } catch (const DataError&) {
        return 0; // not made yet
    }
}

// The table Big: `rows` rows, each with two hits of "needle" (a and b), long enough a run to be stopped or
// killed in the middle.
void fillBigTable(CliFixture& f, int rows)
{
    f.exec(QStringLiteral("CREATE TABLE {Big} (id INTEGER PRIMARY KEY, a VARCHAR(80), b VARCHAR(80), n INTEGER)"));
    for (int start = 1; start <= rows; start += 1000) {
        QStringList values;
        for (int id = start; id < start + 1000 && id <= rows; ++id)
            values.append(QStringLiteral("(%1, 'row %1 with a needle', 'needle %1', %1)").arg(id));
        f.exec(QStringLiteral("INSERT INTO {Big} VALUES ") + values.join(QLatin1Char(',')));
    }
}

// Waits until the journal holds a change (the first batch is on its way) or the process ended.
void waitForFirstChange(const QString& journal, QProcess& process)
{
    QElapsedTimer waited;
    waited.start();
    while (journaledChangeCount(journal) == 0 && process.state() == QProcess::Running && waited.elapsed() < 120000)
        QThread::msleep(5);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

public:
    explicit TestCli(TestBackend backend = TestBackend::Sqlite) : m_backend(backend) { }

private slots:
    void initTestCase();
    void sameHitsAsTheWindow_data();
    void sameHitsAsTheWindow();
    void dryRunChangesNothing();
    void replacementIsLiteral_data();
    void replacementIsLiteral();
    void reportContents_data();
    void reportContents();
    void journalAndUndoGiveBackTheDatabase();
    void conflictIsLeftAlone();
    void killedRunIsTakenBackExactly_data();
    void killedRunIsTakenBackExactly();
    void interruptedRunCommitsWhatItSaved();
    void batchThatCannotCommitIsRolledBack();
    void passwordNeverWritten();
    void exitStatuses_data();
    void exitStatuses();
    void fileIsOpenedThroughTheFileDriverTable();
    void windowRunIsTakenBackByUndo_data();
    void windowRunIsTakenBackByUndo();
    void helpShowsTheInterface();
    void progressLineShowsWhatIsKnown_data();
    void progressLineShowsWhatIsKnown();

private:
    bool sqliteOnly();
    // A hit line's record position: the servers send only candidate rows, whose positions are unknown,
    // unless the search reads every row (a regular expression).
    QString recordShown(int record, bool everyRow = false) const;

    TestBackend m_backend;
};

void TestCli::initTestCase()
{
    if (m_backend != TestBackend::Sqlite && test::serverConnectionString(m_backend).isEmpty()) {
        QSKIP(qPrintable(QStringLiteral("%1 is not set: the command-line tests on %2 need its server (see README)")
                             .arg(test::backendVariable(m_backend), test::backendName(m_backend))));
    }
}

bool TestCli::sqliteOnly()
{
    // What does not depend on the database (the window's wiring, the help text, the file-driver table)
    // is tested once.
    return m_backend == TestBackend::Sqlite;
}

QString TestCli::recordShown(int record, bool everyRow) const
{
    return m_backend == TestBackend::Sqlite || everyRow ? QString::number(record) : QString();
}

void TestCli::sameHitsAsTheWindow_data()
{
    QTest::addColumn<MatchOptions>("match");
    const auto options = [](const QString& search, bool wholeField, bool caseSensitive, bool wholeWords, bool regEx) {
        MatchOptions match;
        match.search = search;
        match.wholeField = wholeField;
        match.caseSensitive = caseSensitive;
        match.wholeWords = wholeWords;
        match.regularExpression = regEx;
        return match;
    };
    QTest::newRow("part of field") << options(QStringLiteral("apple"), false, false, false, false);
    QTest::newRow("match case") << options(QStringLiteral("Apple"), false, true, false, false);
    QTest::newRow("whole field") << options(QStringLiteral("apple"), true, false, false, false);
    QTest::newRow("whole words") << options(QStringLiteral("apple"), false, false, true, false);
    QTest::newRow("regular expression") << options(QStringLiteral("^p.*e$"), false, false, false, true);
    QTest::newRow("number") << options(QStringLiteral("12"), false, false, false, false);
    QTest::newRow("empty fields") << options(QString(QLatin1String("")), false, false, false, false);
}

void TestCli::sameHitsAsTheWindow()
{
    QFETCH(MatchOptions, match);
    CliFixture f(m_backend, fruitTables);
    const QStringList window = windowHits(f, match);
    // Every row is read, so that the positions compare too.
    const CliResult result
        = f.run(QStringList {QStringLiteral("search")} + f.source()
                + QStringList {QStringLiteral("--report"), f.path("hits.json"), QStringLiteral("--no-server-filter")}
                + matchArguments(match));
    QCOMPARE(result.exitCode, 0);
    QVERIFY(!window.isEmpty());
    QCOMPARE(reportedHits(readJson(f.path("hits.json"))), window);
    QCOMPARE(result.summary(), QStringLiteral("tables=3 records=8 hits=%1 saved=0 failed=0").arg(window.size()));
    QCOMPARE(result.lines().size(), window.size() + 1); // one line per hit, then the summary
}

void TestCli::dryRunChangesNothing()
{
    CliFixture f(m_backend, fruitTables + allTypesTable(m_backend));
    const DatabaseSnapshot before = f.snapshot();
    const CliResult result
        = f.run(QStringList {QStringLiteral("replace")} + f.source()
                + QStringList {QStringLiteral("--find"), QStringLiteral("7"), QStringLiteral("--replace"),
                               QStringLiteral("8"), QStringLiteral("--dry-run"), QStringLiteral("--report"),
                               f.path("dry.json"), QStringLiteral("--journal"), f.path("j.sqlite")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(f.snapshot(), before);
    QVERIFY(!QFile::exists(f.path("j.sqlite"))); // a dry run has nothing to journal
    const QJsonObject report = readJson(f.path("dry.json"));
    const QStringList statuses = statusesOf(report);
    QVERIFY(statuses.size() >= 10);
    QCOMPARE(statuses, QStringList(statuses.size(), QStringLiteral("dry-run")));
    QVERIFY(result.summary().endsWith(QStringLiteral(" saved=0 failed=0")));
    QCOMPARE(result.lines().size(), statuses.size() + 1);
}

void TestCli::replacementIsLiteral_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("after");
    QTest::newRow("part of field is literal")
        << "a.c abc" << QStringList {"--find", "a.c", "--replace", "X"} << "X abc";
    QTest::newRow("any case") << "Colour" << QStringList {"--find", "COLOUR", "--replace", "color"} << "color";
    QTest::newRow("whole field replaces the value")
        << "abc" << QStringList {"--find", "abc", "--replace", "x.y", "--whole-field"} << "x.y";
    QTest::newRow("whole words") << "the cat concatenates"
                                 << QStringList {"--find", "cat", "--replace", "dog", "--whole-words"}
                                 << "the dog concatenates";
    QTest::newRow("groups of a regular expression")
        << "ann@shop" << QStringList {"--find", "(\\w+)@(\\w+)", "--replace", "$2 at $1", "--regex"} << "shop at ann";
    QTest::newRow("empty replacement removes")
        << "the colour red" << QStringList {"--find", "colour ", "--replace", ""} << "the red";
}

void TestCli::replacementIsLiteral()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, options);
    QFETCH(QString, after);
    CliFixture f(m_backend, {QStringLiteral("CREATE TABLE {T} (id INTEGER PRIMARY KEY, a VARCHAR(40))")});
    f.exec(QStringLiteral("INSERT INTO {T} VALUES (1, '%1')").arg(stored));
    const CliResult result = f.run(QStringList {QStringLiteral("replace")} + f.source() + options
                                   + QStringList {QStringLiteral("--dry-run")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines(),
             QStringList({QStringLiteral("T\t%1\ta\t%2\t%3")
                              .arg(recordShown(0, options.contains(QStringLiteral("--regex"))), stored, after),
                          QStringLiteral("tables=1 records=1 hits=1 saved=0 failed=0")}));
}

void TestCli::reportContents_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("json") << "json";
    QTest::newRow("csv") << "csv";
}

void TestCli::reportContents()
{
    QFETCH(QString, format);
    CliFixture f(
        m_backend,
        {QStringLiteral("CREATE TABLE {R} (id INTEGER PRIMARY KEY, a VARCHAR(60), b VARCHAR(60))"),
         QStringLiteral("INSERT INTO {R} VALUES (1, 'He said \"hi\", then\r\nleft', NULL), (2, '', 'plain, simple')")});
    const QString report = f.path("report." + format);
    // Replace "," by ";" in the two texts that hold one, then look for the empty fields (NULL and '').
    const CliResult replaced
        = f.run(QStringList {QStringLiteral("replace")} + f.source()
                + QStringList {QStringLiteral("--find"), QStringLiteral(","), QStringLiteral("--replace"),
                               QStringLiteral(";"), QStringLiteral("--report"), report});
    QCOMPARE(replaced.exitCode, 0);
    const QString replacedReport = format == QLatin1String("json") ? QString() : readText(report);
    const QJsonObject replacedJson = readJson(report);
    const CliResult empty
        = f.run(QStringList {QStringLiteral("search")} + f.source()
                + QStringList {QStringLiteral("--find"), QString(), QStringLiteral("--report"), report});
    QCOMPARE(empty.exitCode, 0);

    struct Row
    {
        QString table, record, field, key;
        std::optional<QString> before, after;
        QString status;
    };
    const QString said = QStringLiteral("He said \"hi\", then\r\nleft");
    const QList<Row> replacedRows = {
        {"R", "0", "a", "{\"id\":1}", said, QStringLiteral("He said \"hi\"; then\r\nleft"), "saved"},
        {"R", "1", "b", "{\"id\":2}", QStringLiteral("plain, simple"), QStringLiteral("plain; simple"), "saved"},
    };
    const QList<Row> emptyRows = {
        {"R", "0", "b", "{\"id\":1}", std::nullopt, std::nullopt, "found"},
        {"R", "1", "a", "{\"id\":2}", QString(QLatin1String("")), QString(QLatin1String("")), "found"},
    };

    if (format == QLatin1String("csv")) {
        const auto check = [](const QString& text, const QList<Row>& expected) {
            const auto rows = test::parseCsv(text);
            QCOMPARE(rows.size(), expected.size() + 1);
            QCOMPARE(rows.at(0).size(), 8);
            QCOMPARE(rows.at(0).at(0), std::optional<QString>(QStringLiteral("table")));
            QCOMPARE(rows.at(0).at(7), std::optional<QString>(QStringLiteral("reason")));
            for (qsizetype i = 0; i < expected.size(); ++i) {
                const auto& row = rows.at(i + 1);
                const Row& e = expected.at(i);
                QCOMPARE(row.size(), 8);
                QCOMPARE(row.at(0), std::optional<QString>(e.table));
                QCOMPARE(row.at(1), std::optional<QString>(e.record));
                QCOMPARE(row.at(2), std::optional<QString>(e.field));
                QCOMPARE(row.at(3), std::optional<QString>(e.key));
                QCOMPARE(row.at(4), e.before);
                QCOMPARE(row.at(5), e.after);
                QCOMPARE(row.at(6), std::optional<QString>(e.status));
                QCOMPARE(row.at(7), std::optional<QString>());
            }
        };
        check(replacedReport, replacedRows);
        check(readText(report), emptyRows);
        QVERIFY(readText(report).endsWith(QStringLiteral("\r\n")));
        return;
    }
    const auto check = [](const QJsonObject& json, const QString& command, const QList<Row>& expected) {
        QCOMPARE(json.value(QStringLiteral("command")).toString(), command);
        QVERIFY(
            json.value(QStringLiteral("source")).toString().contains(QStringLiteral("DRIVER"), Qt::CaseInsensitive));
        QVERIFY(json.value(QStringLiteral("options")).toObject().contains(QStringLiteral("find")));
        QVERIFY(!json.value(QStringLiteral("started")).toString().isEmpty());
        QVERIFY(!json.value(QStringLiteral("ended")).toString().isEmpty());
        const QJsonObject counts = json.value(QStringLiteral("counts")).toObject();
        QCOMPARE(counts.value(QStringLiteral("hits")).toInt(), int(expected.size()));
        QCOMPARE(counts.value(QStringLiteral("saved")).toInt(), command == QLatin1String("replace") ? 2 : 0);
        const QJsonArray hits = json.value(QStringLiteral("hits")).toArray();
        QCOMPARE(hits.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QJsonObject h = hits.at(i).toObject();
            const Row& e = expected.at(i);
            const auto valueOf = [&](const char* name) {
                const QJsonValue v = h.value(QLatin1String(name));
                return v.isNull() ? std::optional<QString>() : std::optional<QString>(v.toString());
            };
            QCOMPARE(h.value(QStringLiteral("table")).toString(), e.table);
            QCOMPARE(QString::number(h.value(QStringLiteral("record")).toInt()), e.record);
            QCOMPARE(h.value(QStringLiteral("field")).toString(), e.field);
            QCOMPARE(QString::fromUtf8(
                         QJsonDocument(h.value(QStringLiteral("key")).toObject()).toJson(QJsonDocument::Compact)),
                     e.key);
            QCOMPARE(valueOf("before"), e.before);
            QCOMPARE(valueOf("after"), e.after);
            QCOMPARE(h.value(QStringLiteral("status")).toString(), e.status);
        }
    };
    check(replacedJson, QStringLiteral("replace"), replacedRows);
    check(readJson(report), QStringLiteral("search"), emptyRows);
}

void TestCli::journalAndUndoGiveBackTheDatabase()
{
    CliFixture f(m_backend, allTypesTable(m_backend) + fruitTables);
    const DatabaseSnapshot original = f.snapshot();
    const QString journal = f.path("journal.sqlite");
    const CliResult replaced
        = f.run(QStringList {QStringLiteral("replace")} + f.source()
                + QStringList {QStringLiteral("--find"), QStringLiteral("7"), QStringLiteral("--replace"),
                               QStringLiteral("8"), QStringLiteral("--journal"), journal});
    QCOMPARE(replaced.exitCode, 0);
    const DatabaseSnapshot changed = f.snapshot();
    QVERIFY(changed != original);
    const std::vector<JournalChange> changes = journalChanges(journal, 1);
    // Texts, both integer sizes, reals, decimals, dates, times and timestamps were all changed.
    QSet<QString> fields;
    for (const JournalChange& change : changes) {
        QCOMPARE(change.state, JournalChange::State::Done);
        fields.insert(change.field.toLower());
    }
    QCOMPARE(fields, QSet<QString>({"t", "vc", "i", "bi", "r", "f", "d", "dt", "tm", "ts"}));
    QCOMPARE(replaced.summary(),
             QStringLiteral("tables=4 records=12 hits=%1 saved=%1 failed=0").arg(qsizetype(changes.size())));

    const CliResult undone
        = f.run(QStringList {QStringLiteral("undo")} + f.source()
                + QStringList {QStringLiteral("--journal"), journal, QStringLiteral("--run"), QStringLiteral("last"),
                               QStringLiteral("--report"), f.path("undo.json")});
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(f.snapshot(), original);
    QCOMPARE(statusesOf(readJson(f.path("undo.json"))),
             QStringList(qsizetype(changes.size()), QStringLiteral("saved")));

    // The undo is a journaled run itself: taking it back gives the replaced database again.
    const CliResult redone
        = f.run(QStringList {QStringLiteral("undo")} + f.source() + QStringList {QStringLiteral("--journal"), journal});
    QCOMPARE(redone.exitCode, 0);
    QCOMPARE(f.snapshot(), changed);

    const CliResult runs = f.run({QStringLiteral("runs"), QStringLiteral("--journal"), journal});
    QCOMPARE(runs.exitCode, 0);
    const QStringList lines = runs.lines();
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(1).startsWith(QStringLiteral("1\treplace\t")));
    QVERIFY(lines.at(2).startsWith(QStringLiteral("2\tundo of 1\t")));
    QVERIFY(lines.at(3).startsWith(QStringLiteral("3\tundo of 2\t")));
}

void TestCli::conflictIsLeftAlone()
{
    CliFixture f(m_backend, fruitTables);
    const DatabaseSnapshot original = f.snapshot();
    const QString journal = f.path("journal.sqlite");
    QCOMPARE(f.run(QStringList {QStringLiteral("replace")} + f.source()
                   + QStringList {QStringLiteral("--table"), QStringLiteral("Beta"), QStringLiteral("--find"),
                                  QStringLiteral("apple"), QStringLiteral("--replace"), QStringLiteral("plum"),
                                  QStringLiteral("--journal"), journal})
                 .exitCode,
             0);
    // Someone else changes one of the two replaced fields afterwards.
    f.exec(QStringLiteral("UPDATE {Beta} SET note = 'plum jam' WHERE id = 2"));
    const CliResult dry = f.run(QStringList {QStringLiteral("undo")} + f.source()
                                + QStringList {QStringLiteral("--journal"), journal, QStringLiteral("--dry-run")});
    QCOMPARE(dry.exitCode, 1);
    QCOMPARE(dry.lines().mid(0, 2),
             QStringList({QStringLiteral("Beta\t%1\tnote\tplum pie\tapple pie\tconflict").arg(recordShown(1)),
                          QStringLiteral("Beta\t%1\tname\tplum\tapple\tdry-run").arg(recordShown(0))}));

    const CliResult undone
        = f.run(QStringList {QStringLiteral("undo")} + f.source()
                + QStringList {QStringLiteral("--journal"), journal, QStringLiteral("--report"), f.path("undo.csv")});
    QCOMPARE(undone.exitCode, 1);
    QCOMPARE(undone.summary(), QStringLiteral("tables=1 records=2 hits=2 saved=1 failed=1"));
    const auto rows = test::parseCsv(readText(f.path("undo.csv")));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1).at(6), std::optional<QString>(QStringLiteral("conflict")));
    QCOMPARE(rows.at(2).at(6), std::optional<QString>(QStringLiteral("saved")));
    DatabaseSnapshot expected = original;
    expected[QStringLiteral("Beta")][1][2] = QStringLiteral("plum jam");
    QCOMPARE(f.snapshot(), expected);
}

void TestCli::killedRunIsTakenBackExactly_data()
{
    // How long after the first journaled change the process is killed: at once, within the first batch, and
    // a few batches later.
    QTest::addColumn<int>("delayMs");
    QTest::newRow("at the first change") << 0;
    QTest::newRow("within a batch") << 120;
    QTest::newRow("batches later") << 700;
}

void TestCli::killedRunIsTakenBackExactly()
{
    QFETCH(int, delayMs);
    CliFixture f(m_backend, {});
    const int rows = 40000;
    fillBigTable(f, rows);
    const DatabaseSnapshot original = f.snapshot();
    const QString journal = f.path("journal.sqlite");
    std::unique_ptr<QProcess> process = f.start(
        QStringList {QStringLiteral("replace")} + f.source()
        + QStringList {QStringLiteral("--find"), QStringLiteral("needle"), QStringLiteral("--replace"),
                       QStringLiteral("pin"), QStringLiteral("--journal"), journal, QStringLiteral("--quiet")});
    waitForFirstChange(journal, *process);
    QThread::msleep(delayMs);
    QVERIFY2(process->state() == QProcess::Running, "the run ended before it could be killed");
    ::kill(pid_t(process->processId()), SIGKILL);
    process->waitForFinished();

    // Journal and database agree: every change done is in the database, a pending one is there or not, and
    // every field that differs from the original is journaled.
    const std::vector<JournalChange> changes = journalChanges(journal, 1);
    QVERIFY(!changes.empty());
    const DatabaseSnapshot killed = f.snapshot();
    const QList<QVariantList>& before = original.value(QStringLiteral("Big"));
    const QList<QVariantList>& after = killed.value(QStringLiteral("Big"));
    QSet<QString> journaled;
    int pending = 0;
    for (const JournalChange& change : changes) {
        const int row = change.row.values.value(0).toInt() - 1;
        const int column = change.field == QLatin1String("a") ? 1 : 2;
        const QVariant now = after.at(row).at(column);
        if (change.state == JournalChange::State::Done) {
            QCOMPARE(now, change.newValue);
        } else {
            QVERIFY(now == change.newValue || now == change.oldValue);
            ++pending;
        }
        QCOMPARE(change.oldValue, before.at(row).at(column));
        journaled.insert(QStringLiteral("%1.%2").arg(row).arg(column));
    }
    QVERIFY(pending <= 2 * 400); // at most the batch in flight
    int differing = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < 4; ++column) {
            if (after.at(row).at(column) != before.at(row).at(column)) {
                ++differing;
                QVERIFY(journaled.contains(QStringLiteral("%1.%2").arg(row).arg(column)));
            }
        }
    }
    QVERIFY(differing > 0 || delayMs == 0);

    const CliResult undone = f.run(QStringList {QStringLiteral("undo")} + f.source()
                                   + QStringList {QStringLiteral("--journal"), journal, QStringLiteral("--quiet")});
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(f.snapshot(), original);
}

void TestCli::interruptedRunCommitsWhatItSaved()
{
    CliFixture f(m_backend, {});
    fillBigTable(f, 40000);
    const DatabaseSnapshot original = f.snapshot();
    const QString journal = f.path("journal.sqlite");
    std::unique_ptr<QProcess> process
        = f.start(QStringList {QStringLiteral("replace")} + f.source()
                  + QStringList {QStringLiteral("--find"), QStringLiteral("needle"), QStringLiteral("--replace"),
                                 QStringLiteral("pin"), QStringLiteral("--journal"), journal,
                                 QStringLiteral("--report"), f.path("r.json")});
    waitForFirstChange(journal, *process);
    QVERIFY2(process->state() == QProcess::Running, "the run ended before it could be interrupted");
    ::kill(pid_t(process->processId()), SIGINT);
    QVERIFY(process->waitForFinished(120000));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 130);
    const QString out = QString::fromUtf8(process->readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral(" saved=")), qPrintable(out));

    // Everything saved is committed, journaled as done, and reported as saved; nothing is pending.
    const std::vector<JournalChange> changes = journalChanges(journal, 1);
    const QList<QVariantList> after = f.snapshot().value(QStringLiteral("Big"));
    int changedFields = 0;
    for (const QVariantList& row : after) {
        changedFields += (row.at(1).toString().contains(QStringLiteral("pin")) ? 1 : 0)
            + (row.at(2).toString().contains(QStringLiteral("pin")) ? 1 : 0);
    }
    QVERIFY(changedFields > 0);
    QCOMPARE(qsizetype(changes.size()), qsizetype(changedFields));
    for (const JournalChange& change : changes)
        QCOMPARE(change.state, JournalChange::State::Done);
    const QStringList statuses = statusesOf(readJson(f.path("r.json")));
    QCOMPARE(statuses, QStringList(changedFields, QStringLiteral("saved")));

    QCOMPARE(
        f.run(QStringList {QStringLiteral("undo")} + f.source() + QStringList {QStringLiteral("--journal"), journal})
            .exitCode,
        0);
    QCOMPARE(f.snapshot(), original);
}

void TestCli::batchThatCannotCommitIsRolledBack()
{
    if (!sqliteOnly())
        QSKIP("a reader that blocks every commit is a SQLite matter");
    CliFixture f(m_backend, fruitTables);
    const DatabaseSnapshot original = f.snapshot();
    const QString journal = f.path("journal.sqlite");
    CliResult result;
    {
        // Another program reads the file and keeps its read open: the batch can be written but not committed.
        Connection reader;
        reader.setConnectionString(f.connectionString());
        reader.Open();
        QueryRecordSet reading;
        reading.Open(reader, QStringLiteral("SELECT * FROM Beta"));
        QVERIFY(!reading.IsEOF());
        result = f.run(QStringList {QStringLiteral("replace"), QStringLiteral("--connection"),
                                    f.connectionString() + QStringLiteral(";Timeout=300")}
                       + QStringList {QStringLiteral("--find"), QStringLiteral("apple"), QStringLiteral("--replace"),
                                      QStringLiteral("plum"), QStringLiteral("--journal"), journal,
                                      QStringLiteral("--report"), f.path("r.json")});
    }
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.summary(), QStringLiteral("tables=3 records=8 hits=7 saved=0 failed=7"));
    QCOMPARE(f.snapshot(), original);
    QVERIFY(journalChanges(journal, 1).empty()); // discarded with the batch: not in the database, not journaled
    const QJsonArray hits = readJson(f.path("r.json")).value(QStringLiteral("hits")).toArray();
    QCOMPARE(hits.size(), 7);
    for (const QJsonValue& hit : hits) {
        QCOMPARE(hit.toObject().value(QStringLiteral("status")).toString(), QStringLiteral("failed"));
        QVERIFY2(hit.toObject().value(QStringLiteral("reason")).toString().contains(QStringLiteral("locked")),
                 qPrintable(hit.toObject().value(QStringLiteral("reason")).toString()));
    }
}

void TestCli::passwordNeverWritten()
{
    CliFixture f(m_backend, fruitTables);
    // On SQLite the secrets are entries the driver ignores; a server's string carries its real password.
    QString connection = f.connectionString();
    QStringList secrets;
    if (m_backend == TestBackend::Sqlite) {
        connection += QStringLiteral(";PWD=Zq9Secret;Password=Xw8Secret;sslpassword={Yv7;Secret}");
        secrets = {QStringLiteral("Zq9Secret"), QStringLiteral("Xw8Secret"), QStringLiteral("Yv7;Secret")};
    }
    const QStringList source {QStringLiteral("--connection"), connection};
    const QString journal = f.path("journal.sqlite");
    const CliResult replaced
        = f.run(QStringList {QStringLiteral("replace")} + source
                + QStringList {QStringLiteral("--find"), QStringLiteral("apple"), QStringLiteral("--replace"),
                               QStringLiteral("plum"), QStringLiteral("--journal"), journal, QStringLiteral("--report"),
                               f.path("r.json")});
    QCOMPARE(replaced.exitCode, 0);
    const CliResult undone
        = f.run(QStringList {QStringLiteral("undo")} + source
                + QStringList {QStringLiteral("--journal"), journal, QStringLiteral("--report"), f.path("u.csv")});
    QCOMPARE(undone.exitCode, 0);
    const CliResult runs = f.run({QStringLiteral("runs"), QStringLiteral("--journal"), journal});
    // A source that cannot be opened: the driver's message must not repeat the string either.
    const CliResult failed = f.run({QStringLiteral("search"), QStringLiteral("--connection"),
                                    QStringLiteral("DRIVER={No Such Driver};PWD=Zq9Secret;Password=Xw8Secret"),
                                    QStringLiteral("--find"), QStringLiteral("x")});
    QCOMPARE(failed.exitCode, 2);

    // No entry of a secret key in what was written down, and no secret value anywhere.
    QStringList sources {readJson(f.path("r.json")).value(QStringLiteral("source")).toString()};
    {
        ChangeJournal written(journal);
        written.open(false);
        for (const JournalRun& run : written.runs())
            sources.append(run.source);
    }
    QCOMPARE(sources.size(), 3);
    for (const QString& written : sources) {
        QVERIFY(written.contains(QStringLiteral("DRIVER"), Qt::CaseInsensitive));
        const ConnectionStringEntries entries = ConnectionStringEntries::parse(written);
        for (const ConnectionStringEntries::Entry& entry : entries.entries())
            QVERIFY2(!isSecretConnectionKey(entry.key), qPrintable(entry.key));
    }
    QByteArray written = readBytes(f.path("r.json")) + readBytes(f.path("u.csv"));
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        written += readBytes(journal + suffix);
    const QString shown
        = replaced.out + replaced.err + undone.out + undone.err + runs.out + runs.err + failed.out + failed.err;
    for (const QString& secret : secrets) {
        QVERIFY2(!written.contains(secret.toUtf8()), qPrintable(secret));
        QVERIFY2(!shown.contains(secret), qPrintable(secret));
    }
}

void TestCli::exitStatuses_data()
{
    // "{source}" stands for the fixture's --connection; "{dir}" for its folder.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const auto args = [](const QString& line) {
        return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    QTest::newRow("search") << args("search {source} --find apple") << 0 << "";
    QTest::newRow("dry run") << args("replace {source} --find apple --replace x --dry-run") << 0 << "";
    QTest::newRow("some saves fail") << args("replace {source} --find 12 --replace twelve") << 1 << "";
    QTest::newRow("no arguments") << QStringList() << 2 << "no command given";
    QTest::newRow("unknown command") << args("find {source} --find x") << 2 << "unknown command";
    QTest::newRow("unknown option") << args("search {source} --find x --colour") << 2 << "takes no option --colour";
    QTest::newRow("missing find") << args("search {source}") << 2 << "needs --find";
    QTest::newRow("missing replace") << args("replace {source} --find x") << 2 << "needs --replace";
    QTest::newRow("missing value") << args("search {source} --find") << 2 << "--find needs a value";
    QTest::newRow("twice") << args("search {source} --find a --find b") << 2 << "--find is given twice";
    QTest::newRow("no source") << args("search --find x") << 2 << "needs a source";
    // "{stdin}": --connection - with the fixture's string on standard input.
    QTest::newRow("source on standard input") << args("search {stdin} --find apple") << 0 << "";
    QTest::newRow("nothing on standard input")
        << args("search --connection - --find apple") << 2 << "no connection string on standard input";
    QTest::newRow("report ending") << args("search {source} --find x --report {dir}/r.txt") << 2 << ".json or .csv";
    QTest::newRow("invalid pattern") << args("replace {source} --find ([a --replace x --regex") << 2
                                     << "invalid pattern";
    QTest::newRow("unknown table") << args("search {source} --table Gamma --find x") << 2 << "no table \"Gamma\"";
    QTest::newRow("unopenable source") << args("search --connection DRIVER={No_Such_Driver} --find x") << 2
                                       << "the source cannot be opened";
    QTest::newRow("missing file") << args("search --file {dir}/none.db --find x") << 2 << "there is no file";
    QTest::newRow("journal in a missing folder")
        << args("replace {source} --find apple --replace x --journal {dir}/none/j.sqlite") << 2 << "cannot be made";
    QTest::newRow("journal is a folder") << args("replace {source} --find apple --replace x --journal {dir}") << 2
                                         << "is not a file";
    QTest::newRow("journal is another database")
        << args("replace {source} --find apple --replace x --journal {dir}/other.db") << 2 << "not a change journal";
    QTest::newRow("undo without journal")
        << args("undo {source} --journal {dir}/none.sqlite") << 2 << "no change journal";
    QTest::newRow("bad run id") << args("undo {source} --journal {dir}/j.sqlite --run first") << 2 << "--run takes";
    QTest::newRow("unwritable report") << args("search {source} --find x --report {dir}/none/r.json") << 2
                                       << "cannot be written";
}

void TestCli::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    CliFixture f(m_backend, fruitTables);
    {
        // A SQLite database that is no journal.
        Connection other;
        other.setConnectionString(QStringLiteral("DRIVER=SQLite3;NoCreat=0;Database=") + f.path("other.db"));
        other.Open();
        other.Execute(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    }
    QStringList expanded;
    QByteArray input;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("{source}")) {
            expanded += f.source();
        } else if (argument == QLatin1String("{stdin}")) {
            expanded += {QStringLiteral("--connection"), QStringLiteral("-")};
            input = f.connectionString().toUtf8() + "\r\n";
        } else {
            expanded.append(QString(argument).replace(QStringLiteral("{dir}"), f.folder().path()));
        }
    }
    const DatabaseSnapshot before = f.snapshot();
    const CliResult result = f.run(expanded, 300000, input);
    QCOMPARE(result.exitCode, status);
    if (status == 2) {
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(f.snapshot(), before); // nothing started, nothing changed
        QVERIFY(!result.out.contains(QStringLiteral("tables=")));
    } else {
        QVERIFY(result.summary().startsWith(QStringLiteral("tables=")));
    }
    if (status == 0)
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err)); // no progress bar where stderr is no terminal
    if (status == 1) {
        // The integer 12 cannot become "twelve"; the texts holding "12" are none, so every save failed, and
        // each failure is said with its place and reason.
        QVERIFY(result.summary().endsWith(QStringLiteral("saved=0 failed=2")));
        const QStringList said = result.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(said.size(), 2);
        QVERIFY2(said.at(0).startsWith(QStringLiteral("dorvane: failed: Alpha, record 0, field qty (id=1): ")),
                 qPrintable(said.at(0)));
        QVERIFY(said.at(1).contains(QStringLiteral("twelve")));
    }
}

void TestCli::fileIsOpenedThroughTheFileDriverTable()
{
    if (!sqliteOnly())
        QSKIP("the file-driver table is the same on every backend");
    CliFixture f(m_backend, fruitTables);
    // A row for ".shp" files in this program folder's table, as a user adds one in the options.
    f.folder().activate();
    {
        MemoryRecordSet table = openFileDriverTable(MemoryRecordSet::LockType::Optimistic);
        storeFileDriverEntry(
            table, FileDriverRow {QStringLiteral("shp"), QStringLiteral("DRIVER=SQLite3;Database=<path>"), true},
            std::nullopt);
        saveFileDriverTable(table);
    }
    QVERIFY(QFile::copy(f.path("data.db"), f.path("shop.shp")));
    QVERIFY(QFile::copy(f.path("data.db"), f.path("shop.sqlite")));
    QVERIFY(QFile(f.path("empty.xyz")).open(QIODevice::WriteOnly));
    const QStringList tables {"Beta", "Alpha", "Order Details"};
    // Through the user's row; through the file's first bytes where no row fits, as the window opens it.
    for (const char* file : {"shop.shp", "shop.sqlite"}) {
        const CliResult listed = f.run({QStringLiteral("tables"), QStringLiteral("--file"), f.path(file)});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.lines(), tables);
    }
    const CliResult missing = f.run({QStringLiteral("tables"), QStringLiteral("--file"), f.path("none.xyz")});
    QCOMPARE(missing.exitCode, 2);
    QVERIFY(!QFile::exists(f.path("none.xyz")));
    const CliResult noDriver = f.run({QStringLiteral("tables"), QStringLiteral("--file"), f.path("empty.xyz")});
    QCOMPARE(noDriver.exitCode, 2);
    QVERIFY2(noDriver.err.contains(QStringLiteral("no driver for files ending in \".xyz\"")), qPrintable(noDriver.err));
}

void TestCli::windowRunIsTakenBackByUndo_data()
{
    QTest::addColumn<QString>("journalSetting");
    QTest::newRow("journal on by default") << "";
    QTest::newRow("journal off") << "0";
}

void TestCli::windowRunIsTakenBackByUndo()
{
    if (!sqliteOnly())
        QSKIP("the window's journal is the same on every backend");
    QFETCH(QString, journalSetting);
    CliFixture f(m_backend, fruitTables);
    f.folder().activate();
    if (!journalSetting.isEmpty())
        f.folder().writeFile(QStringLiteral("DVNReplacer.ini"),
                             "[Win]\r\nJournal=" + journalSetting.toLatin1() + "\r\n");
    const DatabaseSnapshot original = f.snapshot();
    const QString journal = windowJournalPath();
    QVERIFY(journal.startsWith(f.folder().path())); // the test's own data folder

    {
        HeadlessSurface surface;
        ToolCatalogue tools;
        const MainWindowTexts texts = windowTexts();
        test::PresetFileChooser chooser;
        test::PresetDataLinkPrompt prompt;
        DataSourceState state;
        MainWindowCommands commands(surface, tools, texts, chooser, prompt, MainWindowActions(), state);
        commands.run().setEventPumpInterval(0);
        state.ConnectionString = f.connectionString();
        commands.Load();
        tools.setTableText(texts.allTablesEntry());
        commands.TableChosen(texts.allTablesEntry());
        surface.setSearchValue(QStringLiteral("apple"));
        surface.setReplaceValue(QStringLiteral("plum"));
        commands.ToolClick(QStringLiteral("ID_Start"));
        int saved = 0;
        while (tools.isEnabled(QStringLiteral("ID_Save")) && commands.run().state().RunActive && saved < 3) {
            commands.ToolClick(QStringLiteral("ID_Save"));
            ++saved;
        }
        QCOMPARE(saved, 3);
        QVERIFY(surface.messages.isEmpty());
        commands.ToolClick(QStringLiteral("ID_Stop"));
        commands.Unload();
    }
    QVERIFY(f.snapshot() != original);
    if (journalSetting == QLatin1String("0")) {
        QVERIFY(!QFile::exists(journal));
        return;
    }
    QCOMPARE(journalChanges(journal, 1).size(), size_t(3));
    const CliResult undone
        = f.run(QStringList {QStringLiteral("undo")} + f.source()
                + QStringList {QStringLiteral("--journal"), journal, QStringLiteral("--run"), QStringLiteral("last")});
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(undone.summary(), QStringLiteral("tables=2 records=3 hits=3 saved=3 failed=0"));
    QCOMPARE(f.snapshot(), original);
}

void TestCli::helpShowsTheInterface()
{
    if (!sqliteOnly())
        QSKIP("the help text is the same on every backend");
    CliFixture f(m_backend, {});
    const CliResult help = f.run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char* line :
         {"dorvane tables  SOURCE", "dorvane search  SOURCE [--table NAME]... --find TEXT [MATCH] [--report FILE]",
          "dorvane replace SOURCE [--table NAME]... --find TEXT --replace TEXT [MATCH] [--dry-run] [--report FILE] "
          "[--journal FILE]",
          "dorvane undo    SOURCE --journal FILE [--run ID|last] [--dry-run] [--report FILE]",
          "dorvane runs    --journal FILE", "SOURCE: --connection STRING   an ODBC connection string",
          "--file PATH           a database file, opened through the file-driver table as the window opens it",
          "MATCH:  --whole-field --match-case --whole-words --regex", "--quiet", "--no-server-filter read every row"}) {
        QVERIFY2(help.out.contains(QLatin1String(line)), line);
    }
    QVERIFY(help.err.isEmpty());
}

void TestCli::progressLineShowsWhatIsKnown_data()
{
    QTest::addColumn<qint64>("recordCount");
    QTest::addColumn<QString>("tableName");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("expected");
    QTest::newRow("counted") << qint64(40) << "Orders" << 80
                             << "[######..............] table 2/4 Orders 10/40 records  3 hits";
    // A table is walked before it is counted: no "/-1" while the count is not known.
    QTest::newRow("not counted yet") << qint64(-1) << "Orders" << 80
                                     << "[#####...............] table 2/4 Orders 10 records  3 hits";
    QTest::newRow("a name that would break the line")
        << qint64(40) << "a\nb" << 80 << "[######..............] table 2/4 a b 10/40 records  3 hits";
}

void TestCli::progressLineShowsWhatIsKnown()
{
    if (!sqliteOnly())
        QSKIP("the progress line does not depend on the database");
    QFETCH(qint64, recordCount);
    QFETCH(QString, tableName);
    QFETCH(int, columns);
    QFETCH(QString, expected);
    QCOMPARE(ProgressBar::line(Progress {1, 4, tableName, 10, recordCount, 3}, columns), expected);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return test::runOnSelectedBackend([&](TestBackend backend) {
        TestCli tests(backend);
        return QTest::qExec(&tests, argc, argv);
    });
}

#include "tst_cli.moc"
