// The server's candidate rows against every row: the same search and replace run by the real program both
// ways (with and without --no-server-filter) on the same data give the same hits (table, field, key, value
// before and after), the same counts (the records examined aside: only the candidates where the server
// chose them) and, for a replace, the same database. The texts hold what a LIKE
// pattern, a literal or a server's case folding could get wrong: %, _, the escape character !, backslash,
// quotes, letters with and without case beyond ASCII (Ä/ä, ß, KELVIN SIGN, LONG S, dotted İ), trailing
// blanks in char(n) and varchar columns; beside them number, date and truth-value columns and a table
// without key. Runs per server (see TestBackend.h).
#include "CliFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace dorvane;
using dorvane::test::CliFixture;
using dorvane::test::CliResult;
using dorvane::test::TestBackend;

namespace {

const QString Database = QStringLiteral("dorvane_filter");

// A text as an SQL literal of the backend: MariaDB reads a backslash in a literal as an escape.
QString literal(TestBackend backend, QString text)
{
    if (backend == TestBackend::MariaDb)
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QStringList tables(TestBackend backend)
{
    const QStringList texts {
        QStringLiteral("100% sure"),     QStringLiteral("a_b and axb"),   QStringLiteral("back\\slash"),
        QStringLiteral("it's"),          QStringLiteral("say \"hi\""),    QStringLiteral("bang! and !%"),
        QStringLiteral("ÄRGER"),         QStringLiteral("ärger"),         QStringLiteral("Straße"),
        QStringLiteral("STRASSE"),       QStringLiteral("Kelvin \u212A"), QStringLiteral("kelvin"),
        QStringLiteral("\u017Fun"),      QStringLiteral("sun and sea"),   QStringLiteral("trail  "),
        QStringLiteral("\u0130stanbul"), QStringLiteral("istanbul"),      QStringLiteral("IRAN"),
        QStringLiteral("a.c abc"),       QString(QLatin1String("")),
    };
    QStringList statements {
        QStringLiteral("CREATE TABLE {Texts} (id INTEGER PRIMARY KEY, v VARCHAR(60), c CHAR(12), n INTEGER)"),
        QStringLiteral("CREATE TABLE {Numbers} (id INTEGER PRIMARY KEY, n INTEGER, x DECIMAL(10,2), d DATE, "
                       "t TIMESTAMP NULL, b BOOLEAN)"),
        QStringLiteral("CREATE TABLE {NoKey} (v VARCHAR(40), n INTEGER)"),
        QStringLiteral("INSERT INTO {Numbers} VALUES (1, 2024, 12.50, '2024-01-05', '2020-02-03 04:05:06', TRUE)"),
        QStringLiteral("INSERT INTO {Numbers} VALUES (2, -7, -0.25, '1999-12-31', NULL, FALSE)"),
        QStringLiteral("INSERT INTO {Numbers} VALUES (3, NULL, NULL, NULL, NULL, NULL)"),
    };
    int id = 0;
    for (const QString& text : texts) {
        ++id;
        const QString value = literal(backend, text);
        statements.append(QStringLiteral("INSERT INTO {Texts} VALUES (%1, %2, %3, %4)")
                              .arg(id)
                              .arg(value, literal(backend, text.left(12)))
                              .arg(id * 7));
        statements.append(QStringLiteral("INSERT INTO {NoKey} VALUES (%1, %2)").arg(value).arg(id));
    }
    statements.append(QStringLiteral("INSERT INTO {Texts} VALUES (99, NULL, 'ab', NULL)"));
    statements.append(QStringLiteral("INSERT INTO {NoKey} VALUES (NULL, NULL)"));
    // Columns of several character sets and collations in one table (on MariaDB; plain text columns
    // elsewhere): Collations has two collations of one character set, which the server cannot join;
    // Charsets has three character sets, one of them not ASCII-compatible.
    const bool mariaDb = backend == TestBackend::MariaDb;
    const auto column = [&](const char* name, const char* mariaDbType) {
        return QStringLiteral("%1 %2").arg(QLatin1String(name),
                                           mariaDb ? QLatin1String(mariaDbType) : QLatin1String("VARCHAR(40)"));
    };
    statements.append(QStringLiteral("CREATE TABLE {Collations} (id INTEGER PRIMARY KEY, %1, %2, %3)")
                          .arg(column("g", "VARCHAR(40) COLLATE utf8mb4_general_ci"),
                               column("u", "VARCHAR(40) COLLATE utf8mb4_unicode_ci"),
                               column("b", "VARCHAR(40) COLLATE utf8mb4_bin")));
    statements.append(QStringLiteral("CREATE TABLE {Charsets} (id INTEGER PRIMARY KEY, %1, %2, %3)")
                          .arg(column("l", "VARCHAR(40) CHARACTER SET latin1"),
                               column("w", "VARCHAR(40) CHARACTER SET utf16"),
                               column("m", "VARCHAR(40) CHARACTER SET utf8mb4")));
    for (int row = 0; row < texts.size() / 3; ++row) {
        QStringList values;
        QStringList latin1Values;
        for (int i = 0; i < 3; ++i) {
            const QString text = texts.at(row * 3 + i);
            values.append(literal(backend, text));
            // Latin-1 holds neither the kelvin sign nor the long s nor the dotted capital I.
            const bool inLatin1 = QString::fromLatin1(text.toLatin1()) == text;
            latin1Values.append(i == 0 && !inLatin1 ? QStringLiteral("NULL") : values.last());
        }
        statements.append(
            QStringLiteral("INSERT INTO {Collations} VALUES (%1, %2)").arg(row).arg(values.join(QStringLiteral(", "))));
        statements.append(QStringLiteral("INSERT INTO {Charsets} VALUES (%1, %2)")
                              .arg(row)
                              .arg(latin1Values.join(QStringLiteral(", "))));
    }
    return statements;
}

QJsonObject readJson(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

struct Hits
{
    QStringList hits; // table, field, key, before, after; sorted, since rows read whole may come in any order
    int withPosition = 0;
    int withoutPosition = 0;
};

Hits hitsOf(const QJsonObject& report)
{
    Hits result;
    for (const QJsonValue& value : report.value(QStringLiteral("hits")).toArray()) {
        const QJsonObject hit = value.toObject();
        const auto text = [&](const char* name) {
            return QString::fromUtf8(
                QJsonDocument(QJsonArray {hit.value(QLatin1String(name))}).toJson(QJsonDocument::Compact));
        };
        result.hits.append(QStringList {text("table"), text("field"), text("key"), text("before"), text("after")}.join(
            QLatin1Char('|')));
        if (hit.value(QStringLiteral("record")).isNull())
            ++result.withoutPosition;
        else
            ++result.withPosition;
    }
    result.hits.sort();
    return result;
}

// The summary's counts; records (the rows examined) apart, since the server examines the rest.
struct Summary
{
    QString counts;
    qint64 records = -1;
};

Summary summaryOf(const CliResult& result)
{
    static const QRegularExpression records(QStringLiteral(" records=(\\d+) "));
    Summary summary;
    summary.counts = result.summary();
    const QRegularExpressionMatch match = records.match(summary.counts);
    if (match.hasMatch()) {
        summary.records = match.captured(1).toLongLong();
        summary.counts.replace(match.capturedStart(), match.capturedLength(), QStringLiteral(" "));
    }
    return summary;
}

enum class Reading
{
    Candidates, // the hits' rows come from the server's candidates: no positions
    EveryRow, // every row is read: positions
    NoHits,
    Unchecked, // a server's own rules decide whether there are hits (char(n) padding)
};

} // namespace

Q_DECLARE_METATYPE(Reading)

class TestServerFilter : public QObject
{
    Q_OBJECT

public:
    explicit TestServerFilter(TestBackend backend) : m_backend(backend) { }

private slots:
    void searchGivesTheSameHitsBothWays_data();
    void searchGivesTheSameHitsBothWays();
    void replaceGivesTheSameDatabaseBothWays_data();
    void replaceGivesTheSameDatabaseBothWays();

private:
    TestBackend m_backend;
};

void TestServerFilter::searchGivesTheSameHitsBothWays_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Reading>("reading");
    const auto find = [](const QString& text, const QStringList& more = {}) {
        return QStringList {QStringLiteral("--find"), text} + more;
    };
    const QStringList matchCase {QStringLiteral("--match-case")};
    const QStringList wholeWords {QStringLiteral("--whole-words")};
    const QStringList wholeField {QStringLiteral("--whole-field")};
    const QStringList texts {QStringLiteral("--table"), QStringLiteral("Texts"), QStringLiteral("--table"),
                             QStringLiteral("NoKey")};
    const auto row = [&](const char* name, const QStringList& arguments, Reading reading) {
        QTest::newRow(name) << arguments << reading;
    };
    row("percent", find(QStringLiteral("%")) + texts, Reading::Candidates);
    row("percent with case", find(QStringLiteral("0%"), matchCase) + texts, Reading::Candidates);
    row("underscore", find(QStringLiteral("a_b")) + texts, Reading::Candidates);
    row("underscore with case", find(QStringLiteral("_"), matchCase) + texts, Reading::Candidates);
    row("escape character", find(QStringLiteral("!%")) + texts, Reading::Candidates);
    row("escape character with case", find(QStringLiteral("g!"), matchCase) + texts, Reading::Candidates);
    row("backslash", find(QStringLiteral("k\\s")) + texts, Reading::Candidates);
    row("backslash with case", find(QStringLiteral("\\"), matchCase) + texts, Reading::Candidates);
    row("single quote", find(QStringLiteral("t's")) + texts, Reading::Candidates);
    row("double quote", find(QStringLiteral("\"HI\"")) + texts, Reading::Candidates);
    row("umlaut without case", find(QStringLiteral("äR")) + texts, Reading::Candidates);
    row("capital umlaut without case", find(QStringLiteral("Ärger")) + texts, Reading::Candidates);
    row("umlaut with case", find(QStringLiteral("Ä"), matchCase) + texts, Reading::Candidates);
    row("sharp s", find(QStringLiteral("straße")) + texts, Reading::Candidates);
    row("sharp s with case", find(QStringLiteral("ß"), matchCase) + texts, Reading::Candidates);
    row("k finds the kelvin sign", find(QStringLiteral("n k")) + texts, Reading::Candidates);
    row("kelvin sign finds k", find(QStringLiteral("\u212Aelvin")) + texts, Reading::Candidates);
    row("kelvin sign with case", find(QStringLiteral("\u212A"), matchCase) + texts, Reading::Candidates);
    row("s finds the long s", find(QStringLiteral("sun")) + texts, Reading::Candidates);
    row("long s finds s", find(QStringLiteral("\u017FEA")) + texts, Reading::Candidates);
    row("dotted capital I", find(QStringLiteral("\u0130stan")) + texts, Reading::Candidates);
    row("i and I", find(QStringLiteral("ir")) + texts, Reading::Candidates);
    row("trailing blanks in varchar", find(QStringLiteral("trail  ")) + texts, Reading::Candidates);
    row("trailing blank in char(n)", find(QStringLiteral("ab "), matchCase) + texts, Reading::Unchecked);
    row("trailing blanks without case", find(QStringLiteral("AB   ")) + texts, Reading::Unchecked);
    row("blanks only", find(QStringLiteral("  ")) + texts, Reading::EveryRow);
    row("whole field", find(QStringLiteral("ärger"), wholeField) + texts, Reading::Candidates);
    row("whole field of char(n)", find(QStringLiteral("ab"), wholeField) + texts, Reading::Unchecked);
    row("whole words", find(QStringLiteral("SEA"), wholeWords) + texts, Reading::Candidates);
    row("whole words with case", find(QStringLiteral("and"), wholeWords + matchCase) + texts, Reading::Candidates);
    row("whole words pattern", find(QStringLiteral("a.c"), wholeWords) + texts, Reading::EveryRow);
    row("regular expression", find(QStringLiteral("^s"), {QStringLiteral("--regex")}) + texts, Reading::EveryRow);
    row("empty search", find(QString(QLatin1String(""))) + texts, Reading::EveryRow);
    const QStringList mixed {QStringLiteral("--table"), QStringLiteral("Collations"), QStringLiteral("--table"),
                             QStringLiteral("Charsets")};
    row("columns in several collations", find(QStringLiteral("ärger")) + mixed, Reading::Candidates);
    row("columns in several collations with case", find(QStringLiteral("Kelvin"), matchCase) + mixed,
        Reading::Candidates);
    row("columns in several collations, kelvin sign", find(QStringLiteral("n k")) + mixed, Reading::Candidates);
    row("letters leave numbers and dates out", find(QStringLiteral("sure")), Reading::Candidates);
    row("letters in no column", find(QStringLiteral("xyzzy")), Reading::NoHits);
    row("digits read numbers", find(QStringLiteral("20")), Reading::EveryRow);
    row("a date's digits", find(QStringLiteral("1999")), Reading::EveryRow);
    row("a truth value's word", find(QStringLiteral("ru")), Reading::Unchecked);
}

void TestServerFilter::searchGivesTheSameHitsBothWays()
{
    QFETCH(QStringList, arguments);
    QFETCH(Reading, reading);
    CliFixture f(m_backend, tables(m_backend), Database);
    const QStringList search = QStringList {QStringLiteral("search")} + f.source() + arguments;
    const CliResult filtered = f.run(search + QStringList {QStringLiteral("--report"), f.path("filtered.json")});
    const CliResult everyRow = f.run(
        search + QStringList {QStringLiteral("--report"), f.path("every.json"), QStringLiteral("--no-server-filter")});
    QVERIFY2(filtered.exitCode == 0, qPrintable(filtered.err));
    QCOMPARE(everyRow.exitCode, 0);
    const Hits candidates = hitsOf(readJson(f.path("filtered.json")));
    const Hits all = hitsOf(readJson(f.path("every.json")));
    QCOMPARE(candidates.hits, all.hits);
    const Summary filteredSummary = summaryOf(filtered);
    const Summary everyRowSummary = summaryOf(everyRow);
    QCOMPARE(filteredSummary.counts, everyRowSummary.counts);
    QVERIFY(everyRowSummary.records > 0);
    QCOMPARE(all.withoutPosition, 0);
    switch (reading) {
    case Reading::Candidates:
        QVERIFY(!all.hits.isEmpty());
        QCOMPARE(candidates.withPosition, 0);
        QVERIFY(filteredSummary.records < everyRowSummary.records);
        break;
    case Reading::EveryRow:
        QVERIFY(!all.hits.isEmpty());
        QCOMPARE(candidates.withoutPosition, 0);
        QCOMPARE(filteredSummary.records, everyRowSummary.records);
        break;
    case Reading::NoHits:
        QVERIFY(all.hits.isEmpty());
        break;
    case Reading::Unchecked:
        break;
    }
}

void TestServerFilter::replaceGivesTheSameDatabaseBothWays_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("umlaut") << QStringList {QStringLiteral("--find"), QStringLiteral("ärg"),
                                            QStringLiteral("--replace"), QStringLiteral("aerg")};
    QTest::newRow("s and the long s") << QStringList {QStringLiteral("--find"), QStringLiteral("S"),
                                                      QStringLiteral("--replace"), QStringLiteral("5")};
    QTest::newRow("percent, case") << QStringList {QStringLiteral("--find"), QStringLiteral("%"),
                                                   QStringLiteral("--replace"), QStringLiteral("#"),
                                                   QStringLiteral("--match-case")};
}

void TestServerFilter::replaceGivesTheSameDatabaseBothWays()
{
    QFETCH(QStringList, arguments);
    QList<test::DatabaseSnapshot> databases;
    QList<Hits> reports;
    QStringList summaries;
    for (const bool everyRow : {false, true}) {
        CliFixture f(m_backend, tables(m_backend), Database);
        const test::DatabaseSnapshot original = f.snapshot();
        QStringList replace = QStringList {QStringLiteral("replace")} + f.source() + arguments
            + QStringList {QStringLiteral("--report"), f.path("replace.json")};
        if (everyRow)
            replace.append(QStringLiteral("--no-server-filter"));
        const CliResult result = f.run(replace);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        databases.append(f.snapshot());
        QVERIFY(databases.last() != original);
        reports.append(hitsOf(readJson(f.path("replace.json"))));
        summaries.append(summaryOf(result).counts);
    }
    QCOMPARE(databases.at(0), databases.at(1));
    QCOMPARE(reports.at(0).hits, reports.at(1).hits);
    QCOMPARE(summaries.at(0), summaries.at(1));
    QVERIFY(reports.at(0).withoutPosition > 0);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return test::runOnSelectedBackend(
        [&](TestBackend backend) {
            TestServerFilter tests(backend);
            return QTest::qExec(&tests, argc, argv);
        },
        false);
}

#include "tst_serverfilter.moc"
