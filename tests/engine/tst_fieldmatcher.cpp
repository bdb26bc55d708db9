// The field test, the hit display and the replace preview, driven through the headless surface as the
// run drives them, with the data-type table of a temporary program folder.
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "core/HeadlessSurface.h"
#include "datasource/FieldInputConversion.h"
#include "engine/DataTypeTable.h"
#include "engine/FieldMatcher.h"
#include "engine/FieldText.h"
#include "engine/LiteralMatcher.h"
#include "engine/RegExp.h"

#include "TempProgramFolder.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>
#include <QUuid>

using namespace dorvane;
using dorvane::test::TempProgramFolder;

namespace {

// A QVariant column stands for an editor value: a null QVariant is "no value".
const QVariant NoValue;

EditorValue editorValue(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toString();
}

// The switches of the panel as a compact word list: "whole", "case", "word", "regex".
void setSwitches(HeadlessSurface& surface, const QString& switches)
{
    const QStringList on = switches.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    // The RegEx switch clears whole field and whole word, as on the window; the engine must still rank
    // the modes when they are set together, so it goes first.
    surface.setRegEx(on.contains(QLatin1String("regex")));
    surface.setWholeField(on.contains(QLatin1String("whole")));
    surface.setWholeWord(on.contains(QLatin1String("word")));
    surface.setCaseSensitive(on.contains(QLatin1String("case")));
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

    void showHit_data();
    void showHit();
    void showHitStatusAndLimits_data();
    void showHitStatusAndLimits();
    void digitsOnlyFollowsEveryHit();
    void unknownTypeLeavesPanel4();
    void timerArmedOnlyWhenReplacingWithoutHalt();

    void replacePreview_data();
    void replacePreview();

    void literalSearchAgreesWithQString_data();
    void literalSearchAgreesWithQString();
    void literalSearchRandomTexts();
    void numbersAndDatesSkippedOnlyWhenTheirTextCannotMatch();
    void wholeWordAgreesWithItsExpression_data();
    void wholeWordAgreesWithItsExpression();

    void valueText_data();
    void valueText();
    void datesAndNumbersMatchTheLocaleInEveryLocale();
    void valueTextReadsBack_data();
    void valueTextReadsBack();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<HeadlessSurface> m_surface;
};

void TestFieldMatcher::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_surface = std::make_unique<HeadlessSurface>();
}

void TestFieldMatcher::cleanup()
{
    m_surface.reset();
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

    m_surface->setSearchValue(editorValue(search));
    setSwitches(*m_surface, switches);
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
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

    m_surface->setSearchValue(search);
    setSwitches(*m_surface, switches);
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
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
}

void TestFieldMatcher::invalidPatternIsRejectedAtPrepare()
{
    QFETCH(QString, switches);
    QFETCH(bool, rejected);

    m_surface->setSearchValue(QStringLiteral("a(b"));
    setSwitches(*m_surface, switches);
    FieldMatcher matcher(*m_surface);
    bool threw = false;
    try {
        matcher.prepare();
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
    m_surface->setSearchValue(QStringLiteral("abc"));
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
    QVERIFY(matcher.valueMatches(QStringLiteral("ABC"), ado::adVarWChar));

    // The run keeps what it prepared until it is entered again.
    m_surface->setCaseSensitive(true);
    m_surface->setSearchValue(QStringLiteral("xyz"));
    QVERIFY(matcher.valueMatches(QStringLiteral("ABC"), ado::adVarWChar));
    matcher.prepare();
    QVERIFY(!matcher.valueMatches(QStringLiteral("ABC"), ado::adVarWChar));
    QVERIFY(matcher.valueMatches(QStringLiteral("xyz"), ado::adVarWChar));
}

void TestFieldMatcher::typeTestFollowsTheTable()
{
    m_surface->setSearchValue(QStringLiteral("^[0-9]+$"));
    m_surface->setRegEx(true);
    FieldMatcher matcher(*m_surface);
    matcher.prepare();

    QVERIFY(matcher.isHit(123, ado::adInteger));
    markSearchable(ado::adInteger, false);
    QVERIFY(matcher.valueMatches(123, ado::adInteger));
    QVERIFY(!matcher.isHit(123, ado::adInteger));
    // A text field is not affected by the Integer row.
    QVERIFY(matcher.isHit(QStringLiteral("123"), ado::adVarWChar));
    markSearchable(ado::adInteger, true);
    QVERIFY(matcher.isHit(123, ado::adInteger));

    // Unmarked by default: a GUID's text matches, the field is no hit.
    m_surface->setSearchValue(QStringLiteral("-"));
    m_surface->setRegEx(false);
    matcher.prepare();
    const QVariant guid = QVariant::fromValue(QUuid::createUuid());
    QVERIFY(matcher.valueMatches(guid, ado::adGUID));
    QVERIFY(!matcher.isHit(guid, ado::adGUID));
}

void TestFieldMatcher::typeTestRunsOnlyForMatchedValues()
{
    // A foreign table file makes every type lookup fail, which shows whether one was made.
    m_folder->writeFile(QStringLiteral("sys/dtype.dat"), "not a record set");
    m_surface->setSearchValue(QStringLiteral("abc"));
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
    QVERIFY(!matcher.isHit(QStringLiteral("xyz"), ado::adVarWChar));
    QVERIFY_THROWS_EXCEPTION(DataError, matcher.isHit(QStringLiteral("abc"), ado::adVarWChar));
}

void TestFieldMatcher::showHit_data()
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

void TestFieldMatcher::showHit()
{
    QFETCH(QVariant, search);
    QFETCH(QString, switches);
    QFETCH(QVariant, replacement);
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QVariant, original);
    QFETCH(QVariant, replaced);

    m_surface->setSearchValue(editorValue(search));
    m_surface->setReplaceValue(editorValue(replacement));
    setSwitches(*m_surface, switches);
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
    QVERIFY(matcher.isHit(value, type));

    m_surface->SetInterface(true);
    QVERIFY(matcher.ShowHit(FieldSnapshot {QStringLiteral("F"), type, 255, value}, false));
    QVERIFY(!m_surface->isInterfaceLocked());
    QCOMPARE(m_surface->originalView(), editorValue(original));
    QCOMPARE(m_surface->replacedView(), editorValue(replaced));
}

void TestFieldMatcher::showHitStatusAndLimits_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("definedSize");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("panel4");

    QTest::newRow("65535") << int(ado::adLongVarWChar) << qint64(65535) << QVariant("abc") << 32767 << "LongVarWChar";
    QTest::newRow("32768") << int(ado::adVarWChar) << qint64(32768) << QVariant("abc") << 32767 << "VarWChar";
    QTest::newRow("32767") << int(ado::adVarWChar) << qint64(32767) << QVariant("abc") << 32767 << "VarWChar";
    QTest::newRow("beyond int") << int(ado::adLongVarChar) << qint64(0x100000000LL) << QVariant("abc") << 32767
                                << "LongVarChar";
    QTest::newRow("50") << int(ado::adChar) << qint64(50) << QVariant("abc") << 50 << "Char";
    QTest::newRow("integer") << int(ado::adInteger) << qint64(11) << QVariant(-2147483647 - 1) << 11 << "Integer";
}

void TestFieldMatcher::showHitStatusAndLimits()
{
    QFETCH(int, type);
    QFETCH(qint64, definedSize);
    QFETCH(QVariant, value);
    QFETCH(int, maxLength);
    QFETCH(QString, panel4);

    m_surface->setSearchValue(QStringLiteral("a"));
    m_surface->setReplaceValue(QString(QLatin1String("")));
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
    matcher.ShowHit(FieldSnapshot {QStringLiteral("F"), type, definedSize, value}, false);
    QCOMPARE(m_surface->replacedMaxLength(), maxLength);
    QCOMPARE(m_surface->statusText(5), QString::number(maxLength));
    QCOMPARE(m_surface->statusText(4), panel4);
    // The unchanged value fits the limit whole: the limit never cuts what a save would write back.
    QCOMPARE(m_surface->replacedView(), m_surface->originalView());
}

void TestFieldMatcher::digitsOnlyFollowsEveryHit()
{
    m_surface->setSearchValue(QStringLiteral("1"));
    m_surface->setReplaceValue(QStringLiteral("2"));
    FieldMatcher matcher(*m_surface);
    matcher.prepare();

    const struct
    {
        int type;
        QVariant value;
        bool digitsOnly;
    } hits[] = {
        {ado::adInteger, 1, true},   {ado::adVarWChar, QStringLiteral("a1"), false}, {ado::adInteger, 31, true},
        {ado::adSmallInt, 1, false}, {ado::adBigInt, qlonglong(1), false},
    };
    for (const auto& hit : hits) {
        matcher.ShowHit(FieldSnapshot {QStringLiteral("F"), hit.type, 20, hit.value}, false);
        QCOMPARE(m_surface->replacedDigitsOnly(), hit.digitsOnly);
    }
}

void TestFieldMatcher::unknownTypeLeavesPanel4()
{
    m_surface->setSearchValue(QStringLiteral("a"));
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
    m_surface->setStatusText(4, QStringLiteral("VarWChar"));
    matcher.ShowHit(FieldSnapshot {QStringLiteral("F"), 999, 10, QStringLiteral("a")}, false);
    QCOMPARE(m_surface->statusText(4), QStringLiteral("VarWChar"));
    matcher.ShowHit(FieldSnapshot {QStringLiteral("F"), ado::adEmpty, 10, QStringLiteral("a")}, false);
    QCOMPARE(m_surface->statusText(4), QStringLiteral("Empty"));
}

void TestFieldMatcher::timerArmedOnlyWhenReplacingWithoutHalt()
{
    m_surface->setSearchValue(QStringLiteral("a"));
    m_surface->setReplaceValue(QStringLiteral("b"));
    FieldMatcher matcher(*m_surface);
    matcher.prepare();
    const FieldSnapshot field {QStringLiteral("F"), ado::adVarWChar, 10, QStringLiteral("a")};

    matcher.ShowHit(field, false);
    QVERIFY(!m_surface->isTimer1Enabled());
    matcher.ShowHit(field, true);
    QVERIFY(m_surface->isTimer1Enabled());
    m_surface->setTimer1Enabled(false);
}

void TestFieldMatcher::replacePreview_data()
{
    QTest::addColumn<QVariant>("search");
    QTest::addColumn<QVariant>("replacement");
    QTest::addColumn<QVariant>("original");
    QTest::addColumn<QVariant>("replaced");

    const QVariant empty = QString(QLatin1String(""));
    const QVariant untouched = QStringLiteral("(untouched)");

    QTest::newRow("case ignored") << QVariant("abc") << QVariant("x") << QVariant("Abc abc ABC") << QVariant("x x x");
    QTest::newRow("no replacement removes") << QVariant("abc") << NoValue << QVariant("Abc-abc") << QVariant("-");
    QTest::newRow("empty replacement removes") << QVariant("abc") << empty << QVariant("Abc-abc") << QVariant("-");
    QTest::newRow("literal") << QVariant("a.c") << QVariant("X") << QVariant("a.c abc") << QVariant("X abc");
    QTest::newRow("no dollar groups") << QVariant("(a)") << QVariant("$1") << QVariant("(A)") << QVariant("$1");
    QTest::newRow("original without value") << QVariant("abc") << QVariant("R") << NoValue << QVariant("R");
    QTest::newRow("neither has a value") << QVariant("abc") << NoValue << NoValue << empty;
    QTest::newRow("no search value") << NoValue << QVariant("R") << QVariant("abc") << untouched;
    QTest::newRow("empty search text") << empty << QVariant("R") << QVariant("abc") << untouched;
}

void TestFieldMatcher::replacePreview()
{
    QFETCH(QVariant, search);
    QFETCH(QVariant, replacement);
    QFETCH(QVariant, original);
    QFETCH(QVariant, replaced);

    m_surface->setSearchValue(editorValue(search));
    m_surface->setReplaceValue(editorValue(replacement));
    m_surface->setOriginalView(editorValue(original));
    m_surface->setReplacedView(QStringLiteral("(untouched)"));
    // The preview ignores the case option.
    m_surface->setCaseSensitive(true);
    FieldMatcher matcher(*m_surface);
    matcher.ReplacePreview();
    QCOMPARE(m_surface->replacedView(), editorValue(replaced));
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
            m_surface->setSearchValue(search);
            m_surface->setWholeWord(mode == QLatin1String("word"));
            FieldMatcher matcher(*m_surface);
            matcher.prepare();
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
        m_surface->setSearchValue(search);
        m_surface->setWholeWord(true);
        m_surface->setCaseSensitive(caseSensitive);
        FieldMatcher matcher(*m_surface);
        matcher.prepare();
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
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");

    QTest::newRow("integer") << QVariant(1234567) << int(ado::adInteger);
    QTest::newRow("double") << QVariant(-1234.125) << int(ado::adDouble);
    QTest::newRow("single") << QVariant(0.1f) << int(ado::adSingle);
    QTest::newRow("decimal") << QVariant("-1234.5") << int(ado::adNumeric);
    QTest::newRow("date, last century") << QVariant(QDate(1925, 1, 5)) << int(ado::adDBDate);
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(1925, 1, 5), QTime(22, 20, 30), Qt::UTC))
                               << int(ado::adDBTimeStamp);
    QTest::newRow("time") << QVariant(QTime(22, 20, 30)) << int(ado::adDBTime);
    QTest::newRow("boolean") << QVariant(true) << int(ado::adBoolean);
}

void TestFieldMatcher::valueTextReadsBack()
{
    QFETCH(QVariant, value);
    QFETCH(int, type);

    // What the views show is what a save writes back: it must read as the same value.
    const QString text = fieldValueToText(value, type);
    QCOMPARE(convertFieldInput(QStringLiteral("F"), type, text), value);
    QVERIFY(fieldValueToText(QVariant(), type).isNull());
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
