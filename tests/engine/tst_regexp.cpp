// Compatibility of RegExp with the script runtime's regular expressions. The expected results follow the
// ECMAScript 3 rules that runtime implements; rows marked "deliberate" are the few places where this
// program keeps text intact instead (a "\r\n" line end or a surrogate pair is never split).
#include "core/DataError.h"
#include "engine/RegExp.h"

#include <QScopeGuard>
#include <QTest>

using namespace dorvane;

namespace {

QString unit(char16_t codeUnit)
{
    return QString(QChar(codeUnit));
}

RegExp makeRegExp(const QString& pattern, const QString& flags)
{
    RegExp regExp(pattern);
    regExp.setIgnoreCase(flags.contains(QLatin1Char('i')));
    regExp.setGlobal(flags.contains(QLatin1Char('g')));
    regExp.setMultiline(flags.contains(QLatin1Char('m')));
    return regExp;
}

// One row of the compatibility table: Test's answer and Replace's result for one pattern and flags
// ("i" IgnoreCase, "g" Global, "m" Multiline).
void row(const char* name, QStringView pattern, QStringView flags, QStringView subject, QStringView replacement,
         bool matches, QStringView replaced)
{
    QTest::newRow(name) << pattern.toString() << flags.toString() << subject.toString() << replacement.toString()
                        << matches << replaced.toString();
}

} // namespace

class TestRegExp : public QObject
{
    Q_OBJECT

private slots:
    void compatibility_data();
    void compatibility();
    void invalidPatternRaisesDataError_data();
    void invalidPatternRaisesDataError();
    void changedPropertiesTakeEffect();
    void invalidPatternCanBeCorrected();
    void runawayBacktrackingRaisesDataError();
    void longValuesAreMatched_data();
    void longValuesAreMatched();
    void valueBeyondTheMemoryLimitRaisesDataError();
    void valueBeyondTheTimeLimitRaisesDataError();
    void startCandidatesAgreeWithEveryStart_data();
    void startCandidatesAgreeWithEveryStart();
    void copyKeepsProperties();
};

void TestRegExp::compatibility_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<QString>("replaced");

    // Literal text and case
    row("literal", u"abc", u"", u"xxabcxx", u"-", true, u"xx-xx");
    row("no match leaves the text", u"abd", u"", u"xxabcxx", u"-", false, u"xxabcxx");
    row("case counts by default", u"ABC", u"", u"xxabcxx", u"-", false, u"xxabcxx");
    row("IgnoreCase ASCII", u"ABC", u"i", u"xxabcxx", u"-", true, u"xx-xx");
    row("IgnoreCase umlaut", u"MÜLLER", u"i", u"Müller", u"X", true, u"X");
    row("IgnoreCase Cyrillic", u"ДОМ", u"gi", u"дом Дом", u"x", true, u"x x");
    row("IgnoreCase class range", u"[À-Þ]", u"gi", u"Café", u"_", true, u"Caf_");
    row("case counts for umlauts", u"Ü", u"", u"Müller", u"X", false, u"Müller");

    // Global
    row("Global replaces all", u"a", u"g", u"banana", u"o", true, u"bonono");
    row("without Global the first only", u"a", u"", u"banana", u"o", true, u"bonana");

    // Words: ASCII word characters only
    row("whole word", u"\\bcat\\b", u"g", u"the cat sat", u"dog", true, u"the dog sat");
    row("no boundary inside a word", u"\\bcat\\b", u"g", u"concatenate", u"dog", false, u"concatenate");
    row("boundary before ller", u"\\bller", u"", u"Müller", u"X", true, u"MüX");
    row("boundaries around ü", u"\\b", u"g", u"Müller", u"|", true, u"|M|ü|ller|");
    row("\\w is ASCII", u"^\\w+$", u"", u"Müller", u"X", false, u"Müller");
    row("\\w+ stops at umlauts", u"\\w+", u"g", u"Müller-Lüdenscheidt", u"x", true, u"xüx-xüx");
    row("\\W matches ß", u"\\W", u"g", u"Fuß", u"ss", true, u"Fuss");
    row("\\b stays ASCII with IgnoreCase", u"\\bü", u"i", u"Ü", u"X", false, u"Ü");
    row("whole-word form over lines", u"\\bcat\\b", u"gim", u"The Cat\r\ncat", u"dog", true, u"The dog\r\ndog");

    // Classes
    row("\\d", u"\\d+", u"g", u"a1b22c333", u"#", true, u"a#b#c#");
    row("\\s", u"\\s+", u"g", u"a \t\r\n\fb", u"_", true, u"a_b");
    row("\\v is the vertical tab only", u"\\v", u"g", u"a\vb\nc", u"_", true, u"a_b\nc");
    row("no POSIX classes", u"[[:alpha:]]", u"g", u"p]x:", u"X", true, u"Xx:");
    row("hyphen beside \\d", u"[\\d-z]+", u"", u"a1-z", u"X", true, u"aX");
    row("\\b in a class is backspace", u"[\\b]", u"", u"a\bb", u"X", true, u"aXb");
    row("[^] matches a line end", u"a[^]b", u"", u"a\nb", u"X", true, u"X");
    row("[] never matches", u"a[]b", u"g", u"ab", u"X", false, u"ab");
    row("negated class", u"[^a-c]+", u"g", u"abxyc", u"-", true, u"ab-c");

    // The dot
    row("dot skips \\n", u"a.b", u"", u"a\nb", u"X", false, u"a\nb");
    row("dot skips \\r", u"a.b", u"", u"a\rb", u"X", false, u"a\rb");
    row("dot skips U+2028", u"a.b", u"", u"a\u2028b", u"X", false, u"a\u2028b");
    row("dot takes the vertical tab", u"a.b", u"", u"a\vb", u"X", true, u"X");
    row("dot is a pattern", u"a.c", u"g", u"a.c abc", u"X", true, u"X X");

    // Anchors
    row("$ at the very end", u"a$", u"", u"a\nb\na", u"X", true, u"a\nb\nX");
    row("$ not before a final \\n", u"a$", u"", u"ba\n", u"X", false, u"ba\n");
    row("^ only at the start", u"^b", u"", u"a\nb", u"X", false, u"a\nb");
    row("Multiline ^ after \\n", u"^b", u"m", u"a\nb", u"X", true, u"a\nX");
    row("Multiline ^ after \\r", u"^b", u"m", u"a\rb", u"X", true, u"a\rX");
    row("Multiline ^ after U+2029", u"^b", u"m", u"a\u2029b", u"X", true, u"a\u2029X");
    row("Multiline $ before \\r", u"a$", u"m", u"a\rb", u"X", true, u"X\rb");
    row("Multiline $ before each \\n", u"\\w$", u"gm", u"ab\ncd\nef", u"#", true, u"a#\nc#\ne#");
    row("Multiline ^ at every line", u"^", u"gm", u"a\nb\rc", u">", true, u">a\n>b\r>c");
    row("Multiline ^ after a final line end", u"^", u"gm", u"a\n", u">", true, u">a\n>");
    row("deliberate: \\r\\n is one line end for ^", u"^", u"gm", u"a\r\nb", u">", true, u">a\r\n>b");
    row("deliberate: \\r\\n is one line end for $", u"$", u"gm", u"a\r\nb", u";", true, u"a;\r\nb;");
    row("digits only", u"^[0-9]+$", u"", u"123", u"X", true, u"X");
    row("digits only, not all digits", u"^[0-9]+$", u"", u"123a", u"X", false, u"123a");

    // Escapes
    row("\\u escape", u"\\u00fc", u"", u"Müller", u"ue", true, u"Mueller");
    row("\\u escape with IgnoreCase", u"\\u00DC", u"i", u"Müller", u"ue", true, u"Mueller");
    row("\\u range in a class", u"[\\u0041-\\u0043]+", u"g", u"xABCDx", u"-", true, u"x-Dx");
    row("\\x escape", u"\\x41", u"g", u"BAB", u"-", true, u"B-B");
    row("\\u without four hex digits", u"\\u00G", u"", u"u00G", u"-", true, u"-");
    row("unknown escapes are letters", u"\\a\\e\\q\\A\\z\\Q\\E\\k", u"", u"aeqAzQEk", u"-", true, u"-");
    row("\\cJ", u"\\cJ", u"", u"a\nb", u"X", true, u"aXb");
    row("\\0", u"\\0", u"", QString("a") + unit(0) + "b", u"X", true, u"aXb");
    row("brace that is no quantifier", u"a{,2}", u"", u"a{,2}", u"X", true, u"X");
    row("brace quantifier", u"x{2}", u"g", u"xxxxx", u"-", true, u"--x");

    // Back references
    row("back reference", u"(\\w)\\1", u"g", u"aabbcd", u"-", true, u"--cd");
    row("back reference with IgnoreCase", u"(a)\\1", u"i", u"aA", u"-", true, u"-");
    row("unset back reference matches empty", u"(a)?b\\1", u"", u"b", u"X", true, u"X");
    row("forward reference matches empty", u"\\1(a)", u"", u"a", u"X", true, u"X");
    row("\\10 beyond the groups is octal", u"(a)\\10", u"", u"a\b", u"X", true, u"X");
    row("\\10 with ten groups", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", u"", u"abcdefghijj", u"X", true, u"X");

    // Quantifiers and alternatives
    row("lazy +?", u"<.+?>", u"", u"<a><b>", u"[]", true, u"[]<b>");
    row("greedy +", u"<.+>", u"", u"<a><b>", u"[]", true, u"[]");
    row("lazy {n,m}?", u"a{2,3}?", u"g", u"aaaaa", u"X", true, u"XXa");
    row("lazy ??", u"ab??", u"g", u"abab", u"X", true, u"XbXb");
    row("first alternative wins", u"a|ab", u"", u"abc", u"X", true, u"Xbc");
    row("capture of the last iteration", u"(a|b)+", u"", u"abab", u"$1", true, u"b");

    // Look-ahead
    row("look-ahead", u"foo(?=bar)", u"g", u"foobar foobaz", u"X", true, u"Xbar foobaz");
    row("negative look-ahead", u"foo(?!bar)", u"g", u"foobar foobaz", u"X", true, u"foobar Xbaz");
    row("capture inside look-ahead", u"(?=(a+))a*b\\1", u"", u"baaabac", u"X", true, u"baaXc");
    row("negative look-ahead leaves groups unset", u"(.*?)a(?!(a+)b\\2c)\\2(.*)", u"", u"baaabaac", u"[$1|$2|$3]", true,
        u"[ba||abaac]");

    // Replacement references
    row("$1 and $2", u"(\\w+)\\s(\\w+)", u"", u"John Smith", u"$2, $1", true, u"Smith, John");
    row("$&", u"\\d+", u"g", u"a12b3", u"<$&>", true, u"a<12>b<3>");
    row("$`", u"b", u"", u"abc", u"[$`]", true, u"a[a]c");
    row("$'", u"b", u"", u"abc", u"[$']", true, u"a[c]c");
    row("$$", u"b", u"", u"abc", u"$$", true, u"a$c");
    row("$n beyond the groups stays", u"(a)", u"", u"a", u"$2", true, u"$2");
    row("$0 stays", u"a", u"", u"a", u"$0", true, u"$0");
    row("$10 with one group", u"(a)", u"", u"a", u"$10", true, u"a0");
    row("$10 with ten groups", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", u"", u"abcdefghij", u"$10", true, u"j");
    row("$01", u"(a)", u"", u"a", u"$01", true, u"a");
    row("other $ stays", u"a", u"", u"a", u"$x$", true, u"$x$");
    row("unset group expands empty", u"(x)?a", u"", u"a", u"[$1]", true, u"[]");

    // Empty matches in a global replacement
    row("empty matches step on", u"x*", u"g", u"abc", u"-", true, u"-a-b-c-");
    row("empty and non-empty matches", u"b*", u"g", u"abc", u"-", true, u"-a--c-");
    row("empty match at the end", u"a*", u"g", u"aaa", u"-", true, u"--");
    row("empty pattern", u"", u"g", u"ab", u"-", true, u"-a-b-");
    row("empty subject", u"^$", u"", u"", u"X", true, u"X");
    row("empty subject, no match", u"a", u"g", u"", u"X", false, u"");

    // Surrogates
    row("deliberate: a surrogate pair is one character", u"^.$", u"", u"😀", u"X", true, u"X");
    row("deliberate: empty matches never split a pair", u"x*", u"g", u"a😀", u"-", true, u"-a-😀-");
    row("unpaired surrogate is kept", u"b", u"g", "a" + unit(0xD800) + "b", u"X", true, "a" + unit(0xD800) + "X");
    row("unpaired surrogates are characters", u".", u"g", unit(0xD800) + "a" + unit(0xDC00), u"-", true, u"---");
    row("empty matches beside an unpaired surrogate", u"x*", u"g", "a" + unit(0xDC00), u"-", true,
        "-a-" + unit(0xDC00) + "-");
    row("escaped surrogate pair", u"\\uD83D\\uDE00", u"", u"a😀b", u"X", true, u"aXb");
    row("escaped unpaired surrogate", u"\\uD800", u"g", "a" + unit(0xD800) + "b", u"X", true, u"aXb");
    row("IgnoreCase beside an unpaired surrogate", u"ü", u"gi", u"Ü"_qs + unit(0xD800), u"ue", true,
        "ue" + unit(0xD800));
}

void TestRegExp::compatibility()
{
    QFETCH(QString, pattern);
    QFETCH(QString, flags);
    QFETCH(QString, subject);
    QFETCH(QString, replacement);
    QFETCH(bool, matches);
    QFETCH(QString, replaced);

    RegExp regExp = makeRegExp(pattern, flags);
    QCOMPARE(regExp.Test(subject), matches);
    QCOMPARE(regExp.Replace(subject, replacement), replaced);
    // The compiled pattern is reused: a second round gives the same results.
    QCOMPARE(regExp.Test(subject), matches);
    QCOMPARE(regExp.Replace(subject, replacement), replaced);
}

void TestRegExp::invalidPatternRaisesDataError_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("fault");

    QTest::newRow("unclosed group") << "ab(cd" << 5 << "missing closing parenthesis";
    QTest::newRow("unopened group") << "a)" << 1 << "unmatched closing parenthesis";
    QTest::newRow("unclosed class") << "x[a" << 3 << "missing terminating ]";
    QTest::newRow("nothing to repeat") << "*a" << 0 << "quantifier does not follow a repeatable item";
    QTest::newRow("quantifier after quantifier") << "a**" << 2 << "quantifier does not follow a repeatable item";
    QTest::newRow("brace after quantifier") << "a{2}{3}" << 4 << "quantifier does not follow a repeatable item";
    QTest::newRow("named group") << "x(?<n>a)" << 1 << "invalid group";
    QTest::newRow("inline option") << "(?i)a" << 0 << "invalid group";
    QTest::newRow("PCRE2 verb") << "(*UTF)a" << 1 << "quantifier does not follow a repeatable item";
    QTest::newRow("range out of order") << "[z-a]" << 3 << "range out of order";
}

void TestRegExp::invalidPatternRaisesDataError()
{
    QFETCH(QString, pattern);
    QFETCH(int, offset);
    QFETCH(QString, fault);

    RegExp regExp(pattern);
    try {
        regExp.Test(QStringLiteral("abc"));
        QFAIL("no DataError");
    } catch (const DataError& error) {
        QCOMPARE(error.source(), QStringLiteral("RegExp"));
        QVERIFY2(error.description().contains(fault), qPrintable(error.description()));
        QVERIFY2(error.description().contains(QStringLiteral("at offset %1:").arg(offset)),
                 qPrintable(error.description()));
    }
    QVERIFY(!regExp.isCompiled());
}

void TestRegExp::changedPropertiesTakeEffect()
{
    RegExp regExp(QStringLiteral("^a"));
    QVERIFY(!regExp.Test(QStringLiteral("b\nA")));
    QVERIFY(regExp.isCompiled());

    regExp.setMultiline(true);
    QVERIFY(!regExp.isCompiled());
    QVERIFY(!regExp.Test(QStringLiteral("b\nA")));
    regExp.setIgnoreCase(true);
    QVERIFY(regExp.Test(QStringLiteral("b\nA")));

    // Global only changes how Replace walks; the compiled pattern stays.
    regExp.setGlobal(true);
    regExp.setPattern(QStringLiteral("^a"));
    QVERIFY(regExp.isCompiled());
    QCOMPARE(regExp.Replace(QStringLiteral("a\nA"), QStringLiteral("x")), QStringLiteral("x\nx"));

    regExp.setPattern(QStringLiteral("(b)(c)"));
    QCOMPARE(regExp.captureCount(), 2);
    QCOMPARE(regExp.Replace(QStringLiteral("abcbc"), QStringLiteral("$2$1")), QStringLiteral("acbcb"));
}

void TestRegExp::invalidPatternCanBeCorrected()
{
    RegExp regExp(QStringLiteral("("));
    QVERIFY_THROWS_EXCEPTION(DataError, regExp.compile());
    QVERIFY_THROWS_EXCEPTION(DataError, regExp.Replace(QStringLiteral("a"), QStringLiteral("b")));
    regExp.setPattern(QStringLiteral("(a)"));
    regExp.compile();
    QVERIFY(regExp.Test(QStringLiteral("xa")));
}

void TestRegExp::runawayBacktrackingRaisesDataError()
{
    // Exponential back-tracking must end with an error the run can show, not hang the program.
    RegExp regExp(QStringLiteral("^(a|aa)+(a|aa)+$"));
    const QString subject = QString(60, QLatin1Char('a')) + QLatin1Char('b');
    QVERIFY_THROWS_EXCEPTION(DataError, regExp.Test(subject));
    // The object stays usable.
    QVERIFY(regExp.Test(QStringLiteral("aaa")));
}

void TestRegExp::longValuesAreMatched_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<QString>("replaced");

    // A group repeated once per character needs matching memory in proportion to the value.
    const QString ab200k = QStringLiteral("ab").repeated(100000);
    const QString ab2m = QStringLiteral("ab").repeated(1000000);
    QTest::newRow("200 000 characters") << "(a|b)*c" << ab200k + "c"
                                        << "[$1]" << true << "[b]";
    QTest::newRow("2 000 000 characters") << "(a|b)*c" << ab2m + "c"
                                          << "[$1]" << true << "[b]";
    QTest::newRow("2 000 000 characters, match inside") << "x(a|b)*c"
                                                        << "<x" + ab2m + "c>"
                                                        << "$&" << true << "<x" + ab2m + "c>";
    QTest::newRow("2 000 000 characters, no match") << "x(a|b)*c" << ab2m + "c"
                                                    << "-" << false << ab2m + "c";
    QTest::newRow("2 000 000 characters, IgnoreCase") << "(?:A|B)*C" << ab2m + "c"
                                                      << "" << true << QString();
    QTest::newRow("many matches in 2 000 000 characters")
        << "(a|b)*c" << QStringLiteral("abc").repeated(700000) << "." << true << QString(700000, QLatin1Char('.'));
}

void TestRegExp::longValuesAreMatched()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(QString, replacement);
    QFETCH(bool, matches);
    QFETCH(QString, replaced);

    RegExp regExp = makeRegExp(pattern, QStringLiteral("gi"));
    QCOMPARE(regExp.Test(subject), matches);
    QCOMPARE(regExp.Replace(subject, replacement), replaced);
    // What the long value took is given back; an ordinary value is matched as before.
    QCOMPARE(regExp.Test(QStringLiteral("xabc")), true);
}

void TestRegExp::valueBeyondTheMemoryLimitRaisesDataError()
{
    // Four nested groups per character: beyond what one match may take, on JIT and on the interpreter.
    RegExp regExp(QStringLiteral("((((a|b))))*c"));
    const QString subject = QStringLiteral("ab").repeated(1000000) + QLatin1Char('c');
    for (const bool replace : {false, true}) {
        try {
            if (replace)
                regExp.Replace(subject, QStringLiteral("x"));
            else
                regExp.Test(subject);
            QFAIL("no DataError");
        } catch (const DataError& error) {
            QCOMPARE(error.source(), QStringLiteral("RegExp"));
            QVERIFY2(error.description().contains(QStringLiteral("2000001 characters"))
                         && error.description().contains(QStringLiteral("memory")),
                     qPrintable(error.description()));
        }
    }
    QCOMPARE(regExp.Replace(QStringLiteral("xabcx"), QStringLiteral("[$4]")), QStringLiteral("x[b]x"));
}

void TestRegExp::valueBeyondTheTimeLimitRaisesDataError()
{
    // PCRE2 limits the work at each start offset; this pattern does as much at every one of them, so
    // the work grows with the square of the length. It must end with an error, not hang the run.
    RegExp::setValueTimeLimitForTesting(300);
    const auto restore = qScopeGuard([] { RegExp::setValueTimeLimitForTesting(10000); });
    RegExp regExp(QStringLiteral("(a|b)*c"));
    const QString subject = QStringLiteral("ab").repeated(200000);
    try {
        regExp.Test(subject);
        QFAIL("no DataError");
    } catch (const DataError& error) {
        QVERIFY2(error.description().contains(QStringLiteral("400000 characters"))
                     && error.description().contains(QStringLiteral("0.3 s")),
                 qPrintable(error.description()));
    }
    // A long value that is matched at once is not cut short, nor is one searched up to its end.
    QVERIFY(regExp.Test(subject + QLatin1Char('c')));
    QVERIFY(!RegExp(QStringLiteral("c")).Test(subject));
}

void TestRegExp::startCandidatesAgreeWithEveryStart_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("replaced");

    // Patterns whose matches can begin at a few code units only are searched from those units on; each
    // row holds a start that only a unit-by-unit search would find, or one that must be passed over.
    const QString kelvin = unit(0x212A);
    const QString longS = unit(0x017F);
    const QString smile = QStringLiteral("😀");
    const QString padding = QStringLiteral("xyzxyzxyzxyz"); // longer than one block of eight
    QTest::newRow("kelvin sign starts a case-ignoring k")
        << "k[a-z]+"
        << "gi" << padding + kelvin + "at " + padding << padding + "<" + kelvin + "at> " + padding;
    QTest::newRow("long s starts a case-ignoring s")
        << "s[a-z]"
        << "gi" << padding + longS + "a s" << padding + "<" + longS + "a> s";
    QTest::newRow("word boundary before the start") << "\\bKat"
                                                    << "gi" << padding + "xkat kat" << padding + "xkat <kat>";
    QTest::newRow("start in the last, overlapping block") << "(k|s)b"
                                                          << "g" << padding + "kx sb" << padding + "kx <sb>";
    QTest::newRow("start in the first unit") << "(k|s)b"
                                             << "g"
                                             << "sb" + padding << "<sb>" + padding;
    QTest::newRow("text of fewer units than a block") << "(k|s)b"
                                                      << "g"
                                                      << "akb"
                                                      << "a<kb>";
    QTest::newRow("non-ASCII start after a surrogate pair")
        << "[\\u0100-\\uFFFF]x"
        << "g" << padding + smile + "ĀxĀy" << padding + smile + "<Āx>Āy";
    QTest::newRow("a surrogate pair is one start")
        << "(?:\\uD83D\\uDE00|é)a"
        << "g" << padding + smile + "a" + smile + "b" << padding + "<" + smile + "a>" + smile + "b";
    QTest::newRow("unpaired surrogate beside a start")
        << "(k|é)a"
        << "gi" << padding + unit(0xDC00) + "Ka" + unit(0xD800) << padding + unit(0xDC00) + "<Ka>" + unit(0xD800);
    QTest::newRow("many candidates, match at the last")
        << "(k|s)z"
        << "g" << QStringLiteral("ks").repeated(40) + "kz" << QStringLiteral("ks").repeated(40) + "<kz>";
    QTest::newRow("global, starts after each match")
        << "(k|s)."
        << "g" << padding + "kakbsc" + padding + "sd" << padding + "<ka><kb><sc>" + padding + "<sd>";
}

void TestRegExp::startCandidatesAgreeWithEveryStart()
{
    QFETCH(QString, pattern);
    QFETCH(QString, flags);
    QFETCH(QString, subject);
    QFETCH(QString, replaced);

    RegExp regExp = makeRegExp(pattern, flags);
    QCOMPARE(regExp.Test(subject), replaced != subject);
    QCOMPARE(regExp.Replace(subject, QStringLiteral("<$&>")), replaced);
}

void TestRegExp::copyKeepsProperties()
{
    RegExp original = makeRegExp(QStringLiteral("B"), QStringLiteral("gim"));
    QVERIFY(original.Test(QStringLiteral("abc")));
    const RegExp copy(original);
    QCOMPARE(copy.Pattern(), QStringLiteral("B"));
    QVERIFY(copy.IgnoreCase() && copy.Global() && copy.Multiline());
    RegExp assigned;
    assigned = copy;
    QCOMPARE(assigned.Replace(QStringLiteral("abcb"), QStringLiteral("x")), QStringLiteral("axcx"));
}

QTEST_GUILESS_MAIN(TestRegExp)
#include "tst_regexp.moc"
