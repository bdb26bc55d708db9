// The field test, the proposed replacement and the value texts, with the data-type table of a temporary
// program folder.
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/FieldInputConversion.h"
#include "datasource/Utf8Text.h"
#include "engine/DataTypeTable.h"
#include "engine/FieldMatcher.h"
#include "engine/FieldText.h"
#include "engine/LiteralMatcher.h"
#include "engine/RegExp.h"
#include "engine/ReplacementProposal.h"
#include "engine/SearchableTypes.h"
#include "engine/Utf8LiteralFilter.h"

#include "TempProgramFolder.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>
#include <QUuid>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

namespace {

// A QVariant column stands for an editor value: a null QVariant is "no value".
const QVariant NoValue;

OptionalText editorValue(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toString();
}

// The switches as a compact word list: "whole", "case", "word", "regex"; the engine must rank the modes
// also when they are set together.
void setSwitches(MatchOptions& options, const QString& switches)
{
    const QStringList on = switches.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    options.regularExpression = on.contains(QLatin1String("regex"));
    options.wholeField = on.contains(QLatin1String("whole"));
    options.wholeWords = on.contains(QLatin1String("word"));
    options.caseSensitive = on.contains(QLatin1String("case"));
}

// Sets Check of the data-type table's row for `adoType` through the options dialog's write-back.
void markSearchable(int adoType, bool check)
{
    MemoryRecordSet table = openDataTypeTable(MemoryRecordSet::LockType::Optimistic);
    table.setFilter(QStringLiteral("AdoNr=%1").arg(adoType));
    QVERIFY(!table.isEOF());
    table.Fields(QStringLiteral("Check")).setValue(check);
    table.Update();
    table.setFilter(QString());
    saveDataTypeTable(table);
}

} // namespace

class TestFieldMatcher : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fieldTest_data();
    void fieldTest();
    void modeFollowsPrecedence_data();
    void modeFollowsPrecedence();
    void invalidPatternIsRejectedAtPrepare_data();
    void invalidPatternIsRejectedAtPrepare();
    void optionsTakeEffectAtNextPrepare();

    void typeTestFollowsTheTable();
    void typeTestRunsOnlyForMatchedValues();

    void proposal_data();
    void proposal();

    void literalSearchAgreesWithQString_data();
    void literalSearchAgreesWithQString();
    void literalSearchRandomTexts();
    void utf8FilterTurnsAwayOnlyTextsWithoutTheLiteral();
    void numbersAndDatesSkippedOnlyWhenTheirTextCannotMatch();
    void wholeWordAgreesWithItsExpression_data();
    void wholeWordAgreesWithItsExpression();

    void valueText_data();
    void valueText();
    void datesAndNumbersMatchTheLocaleInEveryLocale();
    void valueTextReadsBack_data();
    void valueTextReadsBack();
    void numbersReadBackExactly_data();
    void numbersReadBackExactly();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<SearchableTypes> m_types;
    MatchOptions m_options;
};

void TestFieldMatcher::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_types = std::make_unique<SearchableTypes>(dataTypeTablePath());
    m_options = MatchOptions();
}

void TestFieldMatcher::cleanup()
{
    m_types.reset();
    m_folder.reset();
}

void TestFieldMatcher::fieldTest_data()
{
    QTest::addColumn<QVariant>("search");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("hit");

    const int text = ado::adVarWChar;
    const QVariant empty = QString(QLatin1String(""));

    // Part of field: case option, literal search text.
    QTest::newRow("part, case off, other case") << QVariant("abc") << "" << QVariant("xxABCxx") << text << true;
    QTest::newRow("part, case on, other case") << QVariant("abc") << "case" << QVariant("xxABCxx") << text << false;
    QTest::newRow("part, case on, same case") << QVariant("abc") << "case" << QVariant("xxabcxx") << text << true;
    QTest::newRow("part, case off, umlaut") << QVariant("müller") << "" << QVariant("Herr MÜLLER") << text << true;
    QTest::newRow("part, dot is literal") << QVariant("a.c") << "" << QVariant("a.c abc") << text << true;
    QTest::newRow("part, dot matches no letter") << QVariant("a.c") << "" << QVariant("abc") << text << false;
    QTest::newRow("part, no pattern text") << QVariant("a(b") << "" << QVariant("xa(bx") << text << true;
    QTest::newRow("part, on a number") << QVariant("2345") << "" << QVariant(12345) << int(ado::adInteger) << true;

    // Whole field: exact, ordinal, whatever the case option says.
    QTest::newRow("whole, case off, other case") << QVariant("abc") << "whole" << QVariant("ABC") << text << false;
    QTest::newRow("whole, equal") << QVariant("abc") << "whole" << QVariant("abc") << text << true;
    QTest::newRow("whole, case on, equal") << QVariant("abc") << "whole+case" << QVariant("abc") << text << true;
    QTest::newRow("whole, part only") << QVariant("abc") << "whole" << QVariant("xabcx") << text << false;
    QTest::newRow("whole, trailing blank") << QVariant("abc") << "whole" << QVariant("abc ") << text << false;

    // A number, date or truth value never equals a typed text, even when their texts agree.
    QTest::newRow("whole, integer") << QVariant("123") << "whole" << QVariant(123) << int(ado::adInteger) << false;
    QTest::newRow("whole, double") << QVariant("1.5") << "whole" << QVariant(1.5) << int(ado::adDouble) << false;
    QTest::newRow("whole, decimal text") << QVariant(fieldValueToText(QStringLiteral("12.50"), ado::adNumeric))
                                         << "whole" << QVariant("12.50") << int(ado::adNumeric) << false;
    QTest::newRow("whole, boolean") << QVariant(fieldValueToText(true)) << "whole" << QVariant(true)
                                    << int(ado::adBoolean) << false;
    QTest::newRow("whole, date") << QVariant(fieldValueToText(QDate(2024, 1, 5))) << "whole"
                                 << QVariant(QDate(2024, 1, 5)) << int(ado::adDBDate) << false;
    QTest::newRow("whole, digits in a text field") << QVariant("123") << "whole" << QVariant("123") << text << true;

    // Whole word: "\b" + text + "\b".
    QTest::newRow("word, standalone") << QVariant("cat") << "word" << QVariant("the cat sat") << text << true;
    QTest::newRow("word, inside a word") << QVariant("cat") << "word" << QVariant("concatenate") << text << false;
    QTest::newRow("word, case off") << QVariant("cat") << "word" << QVariant("Cat.") << text << true;
    QTest::newRow("word, case on") << QVariant("cat") << "word+case" << QVariant("Cat.") << text << false;
    QTest::newRow("word, second line") << QVariant("cat") << "word" << QVariant("dog\ncat") << text << true;

    // Regular expression.
    QTest::newRow("regex, digits text") << QVariant("^[0-9]+$") << "regex" << QVariant("123") << text << true;
    QTest::newRow("regex, digits and letter") << QVariant("^[0-9]+$") << "regex" << QVariant("12a") << text << false;
    QTest::newRow("regex, integer field")
        << QVariant("^[0-9]+$") << "regex" << QVariant(123) << int(ado::adInteger) << true;
    QTest::newRow("regex, not multi-line") << QVariant("^[0-9]+$") << "regex" << QVariant("abc\n123") << text << false;
    QTest::newRow("regex, case off") << QVariant("^ABC$") << "regex" << QVariant("abc") << text << true;
    QTest::newRow("regex, case on") << QVariant("^ABC$") << "regex+case" << QVariant("abc") << text << false;

    // Empty fields match only a search box without value; a present empty text counts as none.
    for (const auto& [name, search] : {std::pair {"no value", NoValue}, std::pair {"empty text", empty}}) {
        for (const QString& switches : {QString(), QStringLiteral("word"), QStringLiteral("whole")}) {
            const QByteArray row = QByteArray(name) + ", " + switches.toLatin1();
            QTest::newRow((row + ", null").constData()) << search << switches << QVariant() << text << true;
            QTest::newRow((row + ", empty").constData()) << search << switches << empty << text << true;
            QTest::newRow((row + ", text").constData()) << search << switches << QVariant("abc") << text << false;
            QTest::newRow((row + ", zero").constData())
                << search << switches << QVariant(0) << int(ado::adInteger) << false;
        }
    }

    // A non-empty search never hits an empty field, not even a pattern that matches the empty text.
    for (const QString& switches : QStringList {"", "case", "whole", "word", "regex"}) {
        const QByteArray row = "search .*, " + switches.toLatin1();
        QTest::newRow((row + ", null").constData()) << QVariant(".*") << switches << QVariant() << text << false;
        QTest::newRow((row + ", empty").constData()) << QVariant(".*") << switches << empty << text << false;
    }
}

void TestFieldMatcher::fieldTest()
{
    QFETCH(QVariant, search);
    QFETCH(QString, switches);
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(bool, hit);

    m_options.search = (editorValue(search));
    setSwitches(m_options, switches);
    FieldMatcher matcher(*m_types);
    matcher.prepare(m_options);
    QCOMPARE(matcher.isHit(value, type), hit);
}

void TestFieldMatcher::modeFollowsPrecedence_data()
{
    QTest::addColumn<QString>("switches");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("hit");

    const int whole = int(FieldMatcher::Mode::WholeField);
    const int regex = int(FieldMatcher::Mode::RegularExpression);
    const int word = int(FieldMatcher::Mode::WholeWord);
    // Whole field compares the text as typed: no pattern, no word boundaries, no case folding.
    QTest::newRow("whole over regex") << "whole+regex" << whole << "a.c"
                                      << "abc" << false;
    QTest::newRow("whole over regex, equal") << "whole+regex" << whole << "a.c"
                                             << "a.c" << true;
    QTest::newRow("whole over word") << "whole+word" << whole << "cat"
                                     << "cat" << true;
    QTest::newRow("whole over word, inside") << "whole+word" << whole << "cat"
                                             << "the cat" << false;
    QTest::newRow("whole over all") << "whole+word+regex" << whole << "ab"
                                    << "AB" << false;
    // A regular expression is not wrapped in word boundaries.
    QTest::newRow("regex over word") << "regex+word" << regex << "c.t"
                                     << "concatenate" << true;
    QTest::newRow("word alone") << "word" << word << "c.t"
                                << "concatenate" << false;
}

void TestFieldMatcher::modeFollowsPrecedence()
{
    QFETCH(QString, switches);
    QFETCH(int, mode);
    QFETCH(QString, search);
    QFETCH(QString, value);
    QFETCH(bool, hit);

    m_options.search = (search);
    setSwitches(m_options, switches);
    FieldMatcher matcher(*m_types);
    matcher.prepare(m_options);
    QCOMPARE(int(matcher.mode()), mode);
    QCOMPARE(matcher.valueMatches(value, ado::adVarWChar), hit);
}

void TestFieldMatcher::invalidPatternIsRejectedAtPrepare_data()
{
    QTest::addColumn<QString>("switches");
    QTest::addColumn<bool>("rejected");

    // Only the modes that use a matching expression compile the text.
    QTest::newRow("regex") << "regex" << true;
    QTest::newRow("word") << "word" << true;
    QTest::newRow("part") << "" << false;
    QTest::newRow("whole") << "whole" << false;
    // Whole field compares the text as typed, also with whole words ticked: it never compiles it.
    QTest::newRow("whole with word") << "whole+word" << false;
    QTest::newRow("whole with regex") << "whole+regex" << false;
}

void TestFieldMatcher::invalidPatternIsRejectedAtPrepare()
{
    QFETCH(QString, switches);
    QFETCH(bool, rejected);

    m_options.search = (QStringLiteral("a(b"));
    setSwitches(m_options, switches);
    FieldMatcher matcher(*m_types);
    bool threw = false;
    try {
        matcher.prepare(m_options);
    } catch (const DataError& error) {
        threw = true;
        QVERIFY(!error.description().isEmpty());
    }
    QCOMPARE(threw, rejected);
    if (!rejected)
        QVERIFY(matcher.valueMatches(QStringLiteral("a(b"), ado::adVarWChar));
}

void TestFieldMatcher::optionsTakeEffectAtNextPrepare()
{
    m_options.search = (QStringLiteral("abc"));
    FieldMatcher matcher(*m_types);
    matcher.prepare(m_options);
    QVERIFY(matcher.valueMatches(QStringLiteral("ABC"), ado::adVarWChar));

    // The run keeps what it prepared until it is entered again.
    m_options.caseSensitive = (true);
    m_options.search = (QStringLiteral("xyz"));
    QVERIFY(matcher.valueMatches(QStringLiteral("ABC"), ado::adVarWChar));
    matcher.prepare(m_options);
    QVERIFY(!matcher.valueMatches(QStringLiteral("ABC"), ado::adVarWChar));
    QVERIFY(matcher.valueMatches(QStringLiteral("xyz"), ado::adVarWChar));
}

void TestFieldMatcher::typeTestFollowsTheTable()
{
    m_options.search = (QStringLiteral("^[0-9]+$"));
    m_options.regularExpression = (true);
    FieldMatcher matcher(*m_types);
    matcher.prepare(m_options);

    QVERIFY(matcher.isHit(123, ado::adInteger));
    markSearchable(ado::adInteger, false);
    QVERIFY(matcher.valueMatches(123, ado::adInteger));
    QVERIFY(!matcher.isHit(123, ado::adInteger));
    // A text field is not affected by the Integer row.
    QVERIFY(matcher.isHit(QStringLiteral("123"), ado::adVarWChar));
    markSearchable(ado::adInteger, true);
    QVERIFY(matcher.isHit(123, ado::adInteger));

    // Unmarked by default: a GUID's text matches, the field is no hit.
    m_options.search = (QStringLiteral("-"));
    m_options.regularExpression = (false);
    matcher.prepare(m_options);
    const QVariant guid = QVariant::fromValue(QUuid::createUuid());
    QVERIFY(matcher.valueMatches(guid, ado::adGUID));
    QVERIFY(!matcher.isHit(guid, ado::adGUID));
}

void TestFieldMatcher::typeTestRunsOnlyForMatchedValues()
{
    // A foreign table file makes every type lookup fail, which shows whether one was made.
    m_folder->writeFile(QStringLiteral("sys/dtype.dat"), "not a record set");
    m_options.search = (QStringLiteral("abc"));
    FieldMatcher matcher(*m_types);
    matcher.prepare(m_options);
    QVERIFY(!matcher.isHit(QStringLiteral("xyz"), ado::adVarWChar));
    QVERIFY_THROWS_EXCEPTION(DataError, matcher.isHit(QStringLiteral("abc"), ado::adVarWChar));
}

void TestFieldMatcher::proposal_data()
{
    QTest::addColumn<QVariant>("search");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<QVariant>("replacement");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("original");
    QTest::addColumn<QVariant>("replaced");

    const int text = ado::adVarWChar;
    const QVariant empty = QString(QLatin1String(""));

    // Outside regular-expression mode the hit is found literally but shown with the text as a pattern.
    QTest::newRow("part, a.c as pattern") << QVariant("a.c") << "" << QVariant("X") << QVariant("a.c abc") << text
                                          << QVariant("a.c abc") << QVariant("X X");
    QTest::newRow("part, case off") << QVariant("abc") << "" << QVariant("X") << QVariant("abc ABC") << text
                                    << QVariant("abc ABC") << QVariant("X X");
    QTest::newRow("part, case on") << QVariant("abc") << "case" << QVariant("X") << QVariant("abc ABC") << text
                                   << QVariant("abc ABC") << QVariant("X ABC");
    QTest::newRow("part, every line") << QVariant("^a") << "" << QVariant("X") << QVariant("x^a\nab") << text
                                      << QVariant("x^a\nab") << QVariant("x^a\nXb");
    QTest::newRow("part, no pattern text")
        << QVariant("a(b") << "" << QVariant("Y") << QVariant("xa(bx") << text << QVariant("xa(bx") << QVariant("xYx");
    QTest::newRow("whole, shown through pattern")
        << QVariant("abc") << "whole" << QVariant("Z") << QVariant("abc") << text << QVariant("abc") << QVariant("Z");

    QTest::newRow("word, the dog sat") << QVariant("cat") << "word" << QVariant("dog") << QVariant("the cat sat")
                                       << text << QVariant("the cat sat") << QVariant("the dog sat");
    QTest::newRow("word, not inside words")
        << QVariant("cat") << "word" << QVariant("dog") << QVariant("cat concatenate Cat") << text
        << QVariant("cat concatenate Cat") << QVariant("dog concatenate dog");

    QTest::newRow("regex, integer") << QVariant("^[0-9]+$") << "regex" << QVariant("456") << QVariant(123)
                                    << int(ado::adInteger) << QVariant("123") << QVariant("456");
    QTest::newRow("regex, groups") << QVariant("(\\w+)@(\\w+)") << "regex" << QVariant("$2 at $1")
                                   << QVariant("joe@example") << text << QVariant("joe@example")
                                   << QVariant("example at joe");
    // Not multi-line: "$" is the very end only.
    QTest::newRow("regex, end of text") << QVariant("a$") << "regex" << QVariant("X") << QVariant("a\na") << text
                                        << QVariant("a\na") << QVariant("a\nX");

    // Empty fields and an empty search box.
    QTest::newRow("null, replacement") << NoValue << "" << QVariant("R") << QVariant() << text << NoValue
                                       << QVariant("R");
    QTest::newRow("null, no replacement") << NoValue << "" << NoValue << QVariant() << text << NoValue << empty;
    QTest::newRow("empty, empty replacement") << NoValue << "" << empty << empty << text << empty << empty;
    QTest::newRow("empty, replacement") << NoValue << "" << QVariant("R") << empty << text << empty << QVariant("R");
    QTest::newRow("empty search text, null")
        << empty << "word" << QVariant("R") << QVariant() << text << NoValue << QVariant("R");

    // An empty replacement proposes no change.
    QTest::newRow("empty replacement") << QVariant("abc") << "" << empty << QVariant("xabcx") << text
                                       << QVariant("xabcx") << QVariant("xabcx");
    QTest::newRow("no replacement") << QVariant("abc") << "" << NoValue << QVariant("xabcx") << text
                                    << QVariant("xabcx") << QVariant("xabcx");
}

void TestFieldMatcher::proposal()
{
    QFETCH(QVariant, search);
    QFETCH(QString, switches);
    QFETCH(QVariant, replacement);
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QVariant, original);
    QFETCH(QVariant, replaced);

    m_options.search = (editorValue(search));
    m_options.replacement = (editorValue(replacement));
    setSwitches(m_options, switches);
    FieldMatcher matcher(*m_types);
    matcher.prepare(m_options);
    QVERIFY(matcher.isHit(value, type));

    const QString text = fieldValueToText(value, type);
    QCOMPARE(text.isNull() ? OptionalText() : OptionalText(text), editorValue(original));
    ReplacementProposal proposal(m_options, ReplacementRule::DisplayExpression);
    QCOMPARE(OptionalText(proposal.propose(text)), editorValue(replaced));
}

void TestFieldMatcher::literalSearchAgreesWithQString_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("text");

    const QString deseretUpper = QString::fromUcs4(U"\U00010400");
    const QString deseretLower = QString::fromUcs4(U"\U00010428");
    QTest::newRow("at the start") << "abc"
                                  << "ABCdef";
    QTest::newRow("at the end") << "def"
                                << "abcDEF";
    QTest::newRow("longer than the text") << "abcdef"
                                          << "abc";
    QTest::newRow("repeated prefix") << "aab"
                                     << "aaaab";
    QTest::newRow("almost") << "abd"
                            << "abcabcabc";
    QTest::newRow("sharp s, capital") << "straße" << QString::fromUtf8("STRA\u1E9EE");
    QTest::newRow("final sigma") << QString::fromUtf8("σ") << QString::fromUtf8("ΟΔΟΣ");
    QTest::newRow("kelvin sign") << "ok" << QString::fromUtf8("O\u212A");
    QTest::newRow("long s") << "so" << QString::fromUtf8("\u017Fo");
    QTest::newRow("dotted capital i") << "i" << QString::fromUtf8("\u0130");
    QTest::newRow("shared low byte") << QString::fromUtf8("xA") << QString::fromUtf8("x\u0141 xa");
    QTest::newRow("surrogate pair needle") << deseretUpper << "a" + deseretLower + "b";
    QTest::newRow("pairs around") << "ab" << deseretUpper + "AB" + deseretLower;
    QTest::newRow("lone surrogate text") << "ab" << QString(QChar(0xD801)) + "aB";
    QTest::newRow("over 255 characters") << QString(300, QLatin1Char('a')) + "B"
                                         << QString(400, QLatin1Char('A')) + "b";
    QTest::newRow("over 255, absent") << QString(300, QLatin1Char('a')) + "B" << QString(400, QLatin1Char('A'));
}

void TestFieldMatcher::literalSearchAgreesWithQString()
{
    QFETCH(QString, needle);
    QFETCH(QString, text);

    for (const Qt::CaseSensitivity cs : {Qt::CaseInsensitive, Qt::CaseSensitive})
        QCOMPARE(LiteralMatcher(needle, cs).occursIn(text), text.contains(needle, cs));
}

void TestFieldMatcher::literalSearchRandomTexts()
{
    // Few, confusable characters, so that near misses and overlaps are frequent.
    const QString alphabet = QString::fromUtf8("aAbBkK\u212AsS\u017F\u00DF\u1E9E\u03C3\u03C2\u03A3 ");
    QRandomGenerator random(7);
    const auto randomText = [&](int maxLength) {
        QString text;
        const int length = random.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];
        return text;
    };
    // Short texts, and texts long enough to be searched eight offsets at a time with a partial last block.
    for (const int maxTextLength : {12, 40}) {
        for (int round = 0; round < 20000; ++round) {
            const QString needle = randomText(4);
            const QString text = randomText(maxTextLength);
            for (const Qt::CaseSensitivity cs : {Qt::CaseInsensitive, Qt::CaseSensitive}) {
                if (LiteralMatcher(needle, cs).occursIn(text) != text.contains(needle, cs))
                    QFAIL(qPrintable(QStringLiteral("\"%1\" in \"%2\", case %3").arg(needle, text).arg(int(cs))));
            }
        }
    }
}

void TestFieldMatcher::utf8FilterTurnsAwayOnlyTextsWithoutTheLiteral()
{
    // Pieces of stored bytes: letters in both cases, the characters beyond ASCII that fold onto ASCII
    // ones, other UTF-8, a byte order mark and invalid sequences (each decodes to U+FFFD).
    const QList<QByteArray> pieces = {"a",
                                      "A",
                                      "k",
                                      "K",
                                      "s",
                                      "S",
                                      "\xE2\x84\xAA",
                                      "\xC5\xBF",
                                      "\xC3\xA4",
                                      "\xC3\x84",
                                      "\xEF\xBB\xBF",
                                      "\xC3",
                                      "\xE2\x84",
                                      "\x80",
                                      "\xFF",
                                      "\xC0\xAA",
                                      " ",
                                      "\xEF\xBF\xBD"};
    const QStringList needles = {"a",
                                 "ks",
                                 "Ak",
                                 "s a",
                                 QString::fromUtf8("\u212Aa"),
                                 QString::fromUtf8("\u00E4k"),
                                 QString::fromUtf8("\u00C4"),
                                 QString::fromUtf8("a\uFFFD"),
                                 QString::fromUtf8("\u017F")};
    QRandomGenerator random(11);
    int turnedAway = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        for (int n = random.bounded(9); n > 0; --n)
            bytes += pieces[random.bounded(int(pieces.size()))];
        const QString text = utf8text::decode(bytes.constData(), bytes.size());
        for (const QString& needle : needles) {
            for (const Qt::CaseSensitivity cs : {Qt::CaseInsensitive, Qt::CaseSensitive}) {
                const Utf8LiteralFilter filter(needle, cs);
                if (!filter.turnsAway(bytes))
                    continue;
                ++turnedAway;
                if (LiteralMatcher(needle, cs).occursIn(text))
                    QFAIL(qPrintable(QStringLiteral("\"%1\" turned away from %2, case %3")
                                         .arg(needle, QString::fromLatin1(bytes.toHex(' ')))
                                         .arg(int(cs))));
            }
        }
    }
    QVERIFY(turnedAway > 100000);
    // Nothing to look for: never turned away.
    QVERIFY(!Utf8LiteralFilter(QString::fromUtf8("\u00E4\u00DF"), Qt::CaseInsensitive).isActive());
    QVERIFY(!Utf8LiteralFilter(QString::fromUtf8("a\uFFFD"), Qt::CaseSensitive).isActive());
}

void TestFieldMatcher::numbersAndDatesSkippedOnlyWhenTheirTextCannotMatch()
{
    // Numbers and dates are not turned into text when the search text holds a character their text
    // cannot; the answer must be the one the text would give.
    const QList<QPair<QVariant, int>> values = {
        {QVariant(qint64(-12345)), ado::adBigInt},
        {QVariant(int(2024)), ado::adInteger},
        {QVariant(1.5e300), ado::adDouble},
        {QVariant(-0.25), ado::adDouble},
        {QVariant(qInf()), ado::adDouble},
        {QVariant(QStringLiteral("-1234.50")), ado::adCurrency},
        {QVariant(QDate(2024, 2, 29)), ado::adDBDate},
        {QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))), ado::adDBTimeStamp},
        {QVariant(QTime(7, 5, 3)), ado::adDBTime},
    };
    const QStringList searches = {"12", "-1", "1.5", "1,5",   "e",  "E+", "inf", "2024",  "29", "23:59",
                                  ":",  ".",  "/",   "Nadel", "1@", "a",  " ",   "05:03", "99"};
    for (const QString& mode : {QStringLiteral("part"), QStringLiteral("word")}) {
        for (const QString& search : searches) {
            m_options.search = (search);
            m_options.wholeWords = (mode == QLatin1String("word"));
            FieldMatcher matcher(*m_types);
            matcher.prepare(m_options);
            // The whole-word search text is a pattern, as the matcher uses it.
            RegExp word(QStringLiteral("\\b") + search + QStringLiteral("\\b"));
            word.setIgnoreCase(true);
            for (const auto& [value, type] : values) {
                const QString text = fieldValueToText(value, type);
                const bool expected
                    = mode == QLatin1String("part") ? text.contains(search, Qt::CaseInsensitive) : word.Test(text);
                if (matcher.valueMatches(value, type) != expected)
                    QFAIL(qPrintable(QStringLiteral("%1 \"%2\" in \"%3\"").arg(mode, search, text)));
            }
        }
    }
}

void TestFieldMatcher::wholeWordAgreesWithItsExpression_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("text");

    // Plain searches are looked for literally before the expression runs; that must never lose a match.
    QTest::newRow("kelvin sign") << "ok" << QString::fromUtf8("is O\u212A here");
    QTest::newRow("long s") << "so" << QString::fromUtf8("\u017Fo");
    QTest::newRow("other case") << "cat"
                                << "A CAT";
    QTest::newRow("hyphen") << "a-b"
                            << "x a-b y";
    QTest::newRow("blank inside") << "a b"
                                  << "xa b";
    QTest::newRow("inside a word") << "cat"
                                   << "concatenate";
    QTest::newRow("umlaut boundary") << "M" << QString::fromUtf8("Müller");
    QTest::newRow("pattern text") << "c.t"
                                  << "a cut";
}

void TestFieldMatcher::wholeWordAgreesWithItsExpression()
{
    QFETCH(QString, search);
    QFETCH(QString, text);

    for (const bool caseSensitive : {false, true}) {
        m_options.search = (search);
        m_options.wholeWords = (true);
        m_options.caseSensitive = (caseSensitive);
        FieldMatcher matcher(*m_types);
        matcher.prepare(m_options);
        RegExp expression(QStringLiteral("\\b") + search + QStringLiteral("\\b"));
        expression.setIgnoreCase(!caseSensitive);
        expression.setMultiline(true);
        QCOMPARE(matcher.valueMatches(text, ado::adVarWChar), expression.Test(text));
    }
}

void TestFieldMatcher::valueText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");

    const QDateTime morning(QDate(1925, 1, 5), QTime(10, 20, 30), Qt::UTC);
    QTest::newRow("integer, no grouping") << "en_US" << QVariant(1234567) << int(ado::adInteger) << "1234567";
    QTest::newRow("negative bigint") << "de_DE" << QVariant(qlonglong(-9000000000)) << int(ado::adBigInt)
                                     << "-9000000000";
    QTest::newRow("double, German") << "de_DE" << QVariant(1234.5) << int(ado::adDouble) << "1234,5";
    QTest::newRow("single, seven digits") << "en_US" << QVariant(0.1f) << int(ado::adSingle) << "0.1";
    QTest::newRow("decimal, German") << "de_DE" << QVariant("-1234.50") << int(ado::adNumeric) << "-1234,50";
    QTest::newRow("currency, English") << "en_US" << QVariant("1234.5") << int(ado::adCurrency) << "1234.5";
    QTest::newRow("decimal, not a number") << "de_DE" << QVariant("1.2.3") << int(ado::adDecimal) << "1.2.3";
    QTest::newRow("text with a point") << "de_DE" << QVariant("1.5") << int(ado::adVarWChar) << "1.5";
    QTest::newRow("date, four-digit year")
        << "en_US" << QVariant(QDate(1925, 1, 5)) << int(ado::adDBDate) << "1/5/1925";
    QTest::newRow("date-time, seconds") << "de_DE" << QVariant(morning) << int(ado::adDBTimeStamp)
                                        << "05.01.1925 10:20:30";
    QTest::newRow("date-time, midnight") << "de_DE" << QVariant(QDateTime(QDate(1925, 1, 5), QTime(0, 0), Qt::UTC))
                                         << int(ado::adDBTimeStamp) << "05.01.1925";
    QTest::newRow("time, no zone") << "de_DE" << QVariant(QTime(10, 20, 30)) << int(ado::adDBTime) << "10:20:30";
    QTest::newRow("time, milliseconds") << "de_DE" << QVariant(QTime(10, 20, 30, 5)) << int(ado::adDBTime)
                                        << "10:20:30.005";
    QTest::newRow("boolean, German") << "de_DE" << QVariant(true) << int(ado::adBoolean) << "Wahr";
    QTest::newRow("boolean, English") << "en_US" << QVariant(false) << int(ado::adBoolean) << "False";
}

void TestFieldMatcher::valueText()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QString, text);

    QCOMPARE(fieldValueToText(value, type, QLocale(locale)), text);
}

void TestFieldMatcher::valueTextReadsBack_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");

    const QDate day(1925, 1, 5);
    const QList<QPair<const char*, QPair<QVariant, int>>> values = {
        {"integer", {QVariant(1234567), ado::adInteger}},
        {"double", {QVariant(-1234.125), ado::adDouble}},
        {"double, 0.1 + 0.2", {QVariant(0.1 + 0.2), ado::adDouble}},
        {"double, large", {QVariant(1.2345678901234567e300), ado::adDouble}},
        {"single", {QVariant(0.1f), ado::adSingle}},
        {"single, eight digits", {QVariant(123456.79f), ado::adSingle}},
        {"single, above 2^24", {QVariant(16777216.0f * 3), ado::adSingle}},
        {"decimal", {QVariant("-1234.5"), ado::adNumeric}},
        {"date, last century", {QVariant(day), ado::adDBDate}},
        {"date, year 1", {QVariant(QDate(1, 1, 1)), ado::adDBDate}},
        {"date-time", {QVariant(QDateTime(day, QTime(22, 20, 30), Qt::UTC)), ado::adDBTimeStamp}},
        {"date-time, milliseconds",
         {QVariant(QDateTime(QDate(2025, 2, 5), QTime(12, 34, 56, 789), Qt::UTC)), ado::adDBTimeStamp}},
        {"date-time, one millisecond", {QVariant(QDateTime(day, QTime(0, 0, 0, 1), Qt::UTC)), ado::adDBTimeStamp}},
        {"date-time, midnight", {QVariant(QDateTime(day, QTime(0, 0), Qt::UTC)), ado::adDBTimeStamp}},
        {"adDate, milliseconds", {QVariant(QDateTime(day, QTime(1, 2, 3, 40), Qt::UTC)), ado::adDate}},
        {"time", {QVariant(QTime(22, 20, 30)), ado::adDBTime}},
        {"time, milliseconds", {QVariant(QTime(22, 20, 30, 5)), ado::adDBTime}},
        {"time, midnight", {QVariant(QTime(0, 0)), ado::adDBTime}},
        {"boolean", {QVariant(true), ado::adBoolean}},
    };
    for (const char* locale : {"de_DE", "en_US", "fr_FR"}) {
        for (const auto& [name, value] : values)
            QTest::addRow("%s, %s", locale, name) << locale << value.first << value.second;
    }
}

void TestFieldMatcher::valueTextReadsBack()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, value);
    QFETCH(int, type);

    // What the views show is what a save writes back: it must read as the same value, and show alike.
    const QLocale shownIn(locale);
    const QString text = fieldValueToText(value, type, shownIn);
    const QVariant readBack = convertFieldInput(QStringLiteral("F"), type, text, shownIn);
    QCOMPARE(readBack, value);
    QCOMPARE(fieldValueToText(readBack, type, shownIn), text);
    QVERIFY(fieldValueToText(QVariant(), type).isNull());
}

namespace {

// The significant digits of a number's text ("0,0120E+05" → "12"), for texts with ASCII digits.
QString significantDigits(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            break;
        if (c.isDigit())
            digits += c;
    }
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    return digits;
}

template<typename Number> QString shortestDigits(Number value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    return significantDigits(QString::fromLatin1(buffer, result.ptr - buffer));
}

template<typename Number> bool sameNumber(Number a, Number b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// Random bit patterns with a fixed seed, then the edges: zeros, denormals, limits, infinities, NaN and
// whole numbers beyond the last one the type holds exactly.
template<typename Number, typename Bits> QList<Number> numbersToTry()
{
    using Limits = std::numeric_limits<Number>;
    QList<Number> numbers = {Number(0),
                             -Number(0),
                             Limits::denorm_min(),
                             -Limits::denorm_min(),
                             Limits::min(),
                             Limits::max(),
                             -Limits::max(),
                             Limits::lowest(),
                             Limits::epsilon(),
                             Limits::infinity(),
                             -Limits::infinity(),
                             Limits::quiet_NaN(),
                             Number(0.1),
                             Number(1) / 3,
                             Number(123456.79),
                             Number(16777217),
                             Number(9007199254740993.0),
                             Number(1e15),
                             Number(1e16),
                             Number(1e21),
                             Number(123456789012.0),
                             Number(0.1) + Number(0.2),
                             Number(-2.5e-5)};
    QRandomGenerator random(20250205);
    for (int i = 0; i < 20000; ++i) {
        const Bits bits = Bits(random.generate64());
        Number number;
        std::memcpy(&number, &bits, sizeof number);
        numbers.append(number);
    }
    return numbers;
}

template<typename Number, typename Bits> void checkNumbersReadBack(const QLocale& locale, int adoType)
{
    for (const Number number : numbersToTry<Number, Bits>()) {
        const QString text = fieldValueToText(QVariant::fromValue(number), adoType, locale);
        const QVariant readBack = convertFieldInput(QStringLiteral("F"), adoType, text, locale);
        QVERIFY2(readBack.metaType() == QMetaType::fromType<Number>(), qPrintable(text));
        QVERIFY2(sameNumber(readBack.value<Number>(), number),
                 qPrintable(QStringLiteral("%1 read back as %2").arg(text).arg(readBack.toDouble(), 0, 'g', 17)));
        QCOMPARE(fieldValueToText(readBack, adoType, locale), text);
        if (std::isfinite(number))
            QVERIFY2(significantDigits(text) == shortestDigits(number), qPrintable(text)); // and no longer
    }
}

} // namespace

void TestFieldMatcher::numbersReadBackExactly_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("type");
    for (const char* locale : {"de_DE", "en_US", "fr_FR", "C"}) {
        QTest::addRow("%s, single", locale) << locale << int(ado::adSingle);
        QTest::addRow("%s, double", locale) << locale << int(ado::adDouble);
    }
}

void TestFieldMatcher::numbersReadBackExactly()
{
    QFETCH(QString, locale);
    QFETCH(int, type);
    // Value → text → value and text → value → text are both the identity, with the shortest such text.
    if (type == ado::adSingle)
        checkNumbersReadBack<float, quint32>(QLocale(locale), type);
    else
        checkNumbersReadBack<double, quint64>(QLocale(locale), type);
}

void TestFieldMatcher::datesAndNumbersMatchTheLocaleInEveryLocale()
{
    // The conversion formats dates and integers itself for speed; it must say what the locale says.
    const QList<QDate> dates = {QDate(1925, 1, 5), QDate(2024, 12, 31), QDate(2000, 2, 29), QDate(1, 1, 1)};
    for (const char* name : {"de_DE", "en_US", "en_GB", "fr_FR", "ja_JP", "ar_EG", "fa_IR", "hu_HU", "C"}) {
        const QLocale locale {QLatin1String(name)};
        QString format = locale.dateFormat(QLocale::ShortFormat);
        if (!format.contains(QLatin1String("yyyy")))
            format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        for (const QDate& date : dates)
            QCOMPARE(fieldValueToText(QVariant(date), ado::adDBDate, locale), locale.toString(date, format));
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        for (qint64 n : {qint64(0), qint64(-12345), qint64(9876543210)})
            QCOMPARE(fieldValueToText(QVariant(n), ado::adBigInt, locale), plain.toString(n));
    }
}

QTEST_GUILESS_MAIN(TestFieldMatcher)
#include "tst_fieldmatcher.moc"
