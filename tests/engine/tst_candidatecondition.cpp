// The condition that asks a server for a table's candidate rows, built headless from the match options and
// the table's columns: the SQL and the bound texts per server, the columns that can never match and those
// that make the whole table a candidate. The servers' side (that the rows chosen hold every hit) is shown
// by test_serverfilter.
#include "core/AdoTypes.h"
#include "engine/CandidateCondition.h"
#include "engine/DataTypeTable.h"
#include "engine/SearchableTypes.h"

#include "TempProgramFolder.h"

#include <QTest>

#include <memory>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

Q_DECLARE_METATYPE(SqlDialect)

class TestCandidateCondition : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void conditionOfATable_data();
    void conditionOfATable();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<SearchableTypes> m_types;
};

void TestCandidateCondition::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_types = std::make_unique<SearchableTypes>(dataTypeTablePath());
}

void TestCandidateCondition::cleanup()
{
    m_types.reset();
    m_folder.reset();
}

void TestCandidateCondition::conditionOfATable_data()
{
    // columns: "adoType:serverType" each, named a, b, ... in order; sql "-": no condition (every row).
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<SqlDialect>("dialect");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("texts");
    const SqlDialect pg = SqlDialect::PostgreSql;
    const SqlDialect my = SqlDialect::MySql;
    const QStringList text {QStringLiteral("202:varchar")};
    const QString pgLike = QStringLiteral("\"a\" COLLATE \"C\" ILIKE ? ESCAPE '!'");
    const QString pgFind = QStringLiteral("strpos(\"a\" COLLATE \"C\", ?) > 0");
    const QString myBin = QStringLiteral("CONVERT(\"a\" USING utf8mb4) COLLATE utf8mb4_bin LIKE ? ESCAPE '!'");
    const QString myCi = QStringLiteral("\"a\" REGEXP ?");
    const auto row = [](const char* name, const QString& search, const char* switches, SqlDialect dialect,
                        const QStringList& columns, const QString& sql, const QStringList& texts) {
        QTest::newRow(name) << search << QString::fromLatin1(switches) << dialect << columns << sql << texts;
    };

    row("non-ASCII letters become gaps", QStringLiteral("Müller"), "", pg, text, pgLike, {QStringLiteral("%m%ller%")});
    row("with case the text as it is", QStringLiteral("50%_!"), "case", pg, text, pgFind, {QStringLiteral("50%_!")});
    row("pattern characters escaped", QStringLiteral("50%_!"), "case", my, text, myBin, {QStringLiteral("%50!%!_!!%")});
    row("backslash and quotes stay as they are", QStringLiteral("a\\'\""), "case", my, text, myBin,
        {QStringLiteral("%a\\'\"%")});
    row("long s as an alternative", QStringLiteral("Sun"), "", my, text, QStringLiteral("(%1 OR %2)").arg(myCi, myBin),
        {QStringLiteral("(?is)sun"), QStringLiteral("%\u017F%")});
    row("pattern characters of a regular expression escaped", QStringLiteral("a.b*ü(c"), "", my, text, myCi,
        {QStringLiteral("(?is)a\\.b\\*.*\\(c")});
    row("kelvin sign and long s alternatives", QStringLiteral("Kiss"), "", pg, text,
        QStringLiteral("(%1 OR %2 OR %2)").arg(pgLike, pgFind),
        {QStringLiteral("%kiss%"), QStringLiteral("\u212A"), QStringLiteral("\u017F")});
    row("trailing blanks left out", QStringLiteral("ab  "), "case", pg, text, pgFind, {QStringLiteral("ab")});
    row("blanks only", QStringLiteral("   "), "", pg, text, QStringLiteral("-"), {});
    row("gaps only", QStringLiteral("äöü"), "", pg, text, QStringLiteral("-"), {});
    row("two text columns", QStringLiteral("x"), "case", pg, {QStringLiteral("202:text"), QStringLiteral("130:bpchar")},
        QStringLiteral("strpos(concat_ws(chr(1), \"a\", \"b\") COLLATE \"C\", ?) > 0"), {QStringLiteral("x")});
    // A server that refuses to join the texts is given the second form, after " ELSE ".
    const auto ofB = [](QString sql) {
        return sql.replace(QLatin1String("\"a\""), QLatin1String("\"b\""));
    };
    row("two text columns on MariaDB", QStringLiteral("x"), "case", my,
        {QStringLiteral("202:text"), QStringLiteral("130:char")}, myBin + QStringLiteral(" OR ") + ofB(myBin),
        {QStringLiteral("%x%"), QStringLiteral("%x%")});
    row("two text columns on MariaDB without case", QStringLiteral("sa"), "", my,
        {QStringLiteral("202:text"), QStringLiteral("130:char")},
        QStringLiteral("(CONCAT_WS(' ', \"a\", \"b\") REGEXP ? OR %1 OR %2) ELSE (%3 OR %1) OR (%4 OR %2)")
            .arg(myBin, ofB(myBin), myCi, ofB(myCi)),
        {QStringLiteral("(?is)sa"), QStringLiteral("%\u017F%"), QStringLiteral("%\u017F%"), QStringLiteral("ELSE"),
         QStringLiteral("(?is)sa"), QStringLiteral("%\u017F%"), QStringLiteral("(?is)sa"), QStringLiteral("%\u017F%")});
    row("letters leave an integer out", QStringLiteral("abc"), "", pg,
        {QStringLiteral("202:text"), QStringLiteral("3:int4")}, pgLike, {QStringLiteral("%abc%")});
    row("digits read an integer", QStringLiteral("12"), "", pg, {QStringLiteral("202:text"), QStringLiteral("3:int4")},
        QStringLiteral("-"), {});
    row("no column can match", QStringLiteral("x"), "", my, {QStringLiteral("3:int"), QStringLiteral("131:decimal")},
        QStringLiteral("1 = 0"), {});
    // The C locale writes the names of months.
    row("a date's month name", QStringLiteral("jan"), "", my, {QStringLiteral("133:date")}, QStringLiteral("-"), {});
    row("letters of no month name", QStringLiteral("zq"), "", my, {QStringLiteral("133:date")}, QStringLiteral("1 = 0"),
        {});
    row("a date in numbers", QStringLiteral("x"), "de", my, {QStringLiteral("133:date"), QStringLiteral("134:time")},
        QStringLiteral("1 = 0"), {});
    row("a date's own text", QStringLiteral("infinity"), "de", pg, {QStringLiteral("133:date")}, QStringLiteral("-"),
        {});
    row("an era of a date", QStringLiteral("bc"), "de", pg, {QStringLiteral("135:timestamp")}, QStringLiteral("-"), {});
    row("a decimal's own text", QStringLiteral("Infinity"), "", pg, {QStringLiteral("131:numeric")},
        QStringLiteral("-"), {});
    row("a column not searched", QStringLiteral("x"), "", pg, {QStringLiteral("204:bytea"), QStringLiteral("72:uuid")},
        QStringLiteral("1 = 0"), {});
    row("a truth value's word", QStringLiteral("ru"), "", my, {QStringLiteral("11:bit")}, QStringLiteral("-"), {});
    row("no truth value's word", QStringLiteral("xyz"), "", my, {QStringLiteral("11:bit")}, QStringLiteral("1 = 0"),
        {});
    row("booleans as characters", QStringLiteral("x"), "", pg, {QStringLiteral("202:bool")}, QStringLiteral("1 = 0"),
        {});
    row("booleans' characters", QStringLiteral("1"), "", pg, {QStringLiteral("202:bool")}, QStringLiteral("-"), {});
    row("a type without the operators", QStringLiteral("x"), "", pg, {QStringLiteral("201:json")}, QStringLiteral("-"),
        {});
    row("regular expression", QStringLiteral("x"), "regex", pg, text, QStringLiteral("-"), {});
    row("empty search", QString(QLatin1String("")), "", pg, text, QStringLiteral("-"), {});
    row("whole words", QStringLiteral("cat"), "word", pg, text, pgLike, {QStringLiteral("%cat%")});
    row("whole words with a pattern", QStringLiteral("a.c"), "word", pg, text, QStringLiteral("-"), {});
    row("whole field compares with case", QStringLiteral("Ärger"), "field", pg, text, pgFind,
        {QStringLiteral("Ärger")});
    row("whole field never a number", QStringLiteral("12"), "field", pg, {QStringLiteral("3:int4")},
        QStringLiteral("1 = 0"), {});
    row("another source", QStringLiteral("x"), "", SqlDialect::Other, text, QStringLiteral("-"), {});
}

void TestCandidateCondition::conditionOfATable()
{
    QFETCH(QString, search);
    QFETCH(QString, switches);
    QFETCH(SqlDialect, dialect);
    QFETCH(QStringList, columns);
    QFETCH(QString, sql);
    QFETCH(QStringList, texts);
    MatchOptions options;
    options.search = search;
    options.caseSensitive = switches.contains(QLatin1String("case"));
    options.wholeWords = switches.contains(QLatin1String("word"));
    options.wholeField = switches.contains(QLatin1String("field"));
    options.regularExpression = switches.contains(QLatin1String("regex"));
    std::vector<CandidateColumn> described;
    for (const QString& column : columns) {
        const QStringList parts = column.split(QLatin1Char(':'));
        described.push_back(
            {QStringLiteral("\"%1\"").arg(QChar(char16_t(u'a' + described.size()))), parts.at(0).toInt(), parts.at(1)});
    }
    const QLocale locale
        = switches.contains(QLatin1String("de")) ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
    const CandidateCondition candidates(options, locale, *m_types);
    const std::optional<RowCondition> condition = candidates.forColumns(dialect, described);
    QString actualSql = condition ? condition->sql : QStringLiteral("-");
    QStringList actualTexts = condition ? condition->texts : QStringList();
    if (condition && condition->ifRefused) {
        actualSql += QStringLiteral(" ELSE ") + condition->ifRefused->sql;
        actualTexts += QStringList {QStringLiteral("ELSE")} + condition->ifRefused->texts;
    }
    QCOMPARE(actualSql, sql);
    QCOMPARE(actualTexts, texts);
}

QTEST_GUILESS_MAIN(TestCandidateCondition)
#include "tst_candidatecondition.moc"
