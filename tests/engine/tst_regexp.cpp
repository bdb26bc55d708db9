// Compatibility of RegExp with the script runtime's regular expressions. The expected results follow the
// ECMAScript 3 rules that runtime implements; rows marked "deliberate" are the few places where this
// program keeps text intact instead (a "\r\n" line end or a surrogate pair is never split).
#include "core/DataError.h"
#include "engine/RegExp.h"

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
    QTest::newRow("literal") << "abc"
                             << ""
                             << "xxabcxx"
                             << "-" << true << "xx-xx";
    QTest::newRow("no match leaves the text") << "abd"
                                              << ""
                                              << "xxabcxx"
                                              << "-" << false << "xxabcxx";
    QTest::newRow("case counts by default") << "ABC"
                                            << ""
                                            << "xxabcxx"
                                            << "-" << false << "xxabcxx";
    QTest::newRow("IgnoreCase ASCII") << "ABC"
                                      << "i"
                                      << "xxabcxx"
                                      << "-" << true << "xx-xx";
    QTest::newRow("IgnoreCase umlaut") << u"MÜLLER"_qs << "i" << u"Müller"_qs << "X" << true << "X";
    QTest::newRow("IgnoreCase Cyrillic") << u"ДОМ"_qs << "gi" << u"дом Дом"_qs << "x" << true << "x x";
    QTest::newRow("IgnoreCase class range") << u"[À-Þ]"_qs << "gi" << u"Café"_qs << "_" << true << "Caf_";
    QTest::newRow("case counts for umlauts") << u"Ü"_qs << "" << u"Müller"_qs << "X" << false << u"Müller"_qs;

    // Global
    QTest::newRow("Global replaces all") << "a"
                                         << "g"
                                         << "banana"
                                         << "o" << true << "bonono";
    QTest::newRow("without Global the first only") << "a"
                                                   << ""
                                                   << "banana"
                                                   << "o" << true << "bonana";

    // Words: ASCII word characters only
    QTest::newRow("whole word") << "\\bcat\\b"
                                << "g"
                                << "the cat sat"
                                << "dog" << true << "the dog sat";
    QTest::newRow("no boundary inside a word") << "\\bcat\\b"
                                               << "g"
                                               << "concatenate"
                                               << "dog" << false << "concatenate";
    QTest::newRow("boundary before ller") << "\\bller"
                                          << "" << u"Müller"_qs << "X" << true << u"MüX"_qs;
    QTest::newRow("boundaries around ü") << "\\b"
                                         << "g" << u"Müller"_qs << "|" << true << u"|M|ü|ller|"_qs;
    QTest::newRow("\\w is ASCII") << "^\\w+$"
                                  << "" << u"Müller"_qs << "X" << false << u"Müller"_qs;
    QTest::newRow("\\w+ stops at umlauts") << "\\w+"
                                           << "g" << u"Müller-Lüdenscheidt"_qs << "x" << true << u"xüx-xüx"_qs;
    QTest::newRow("\\W matches ß") << "\\W"
                                   << "g" << u"Fuß"_qs << "ss" << true << "Fuss";
    QTest::newRow("\\b stays ASCII with IgnoreCase") << u"\\bü"_qs << "i" << u"Ü"_qs << "X" << false << u"Ü"_qs;
    QTest::newRow("whole-word form over lines") << "\\bcat\\b"
                                                << "gim"
                                                << "The Cat\r\ncat"
                                                << "dog" << true << "The dog\r\ndog";

    // Classes
    QTest::newRow("\\d") << "\\d+"
                         << "g"
                         << "a1b22c333"
                         << "#" << true << "a#b#c#";
    QTest::newRow("\\s") << "\\s+"
                         << "g"
                         << "a \t\r\n\fb"
                         << "_" << true << "a_b";
    QTest::newRow("\\v is the vertical tab only") << "\\v"
                                                  << "g"
                                                  << "a\vb\nc"
                                                  << "_" << true << "a_b\nc";
    QTest::newRow("no POSIX classes") << "[[:alpha:]]"
                                      << "g"
                                      << "p]x:"
                                      << "X" << true << "Xx:";
    QTest::newRow("hyphen beside \\d") << "[\\d-z]+"
                                       << ""
                                       << "a1-z"
                                       << "X" << true << "aX";
    QTest::newRow("\\b in a class is backspace") << "[\\b]"
                                                 << ""
                                                 << "a\bb"
                                                 << "X" << true << "aXb";
    QTest::newRow("[^] matches a line end") << "a[^]b"
                                            << ""
                                            << "a\nb"
                                            << "X" << true << "X";
    QTest::newRow("[] never matches") << "a[]b"
                                      << "g"
                                      << "ab"
                                      << "X" << false << "ab";
    QTest::newRow("negated class") << "[^a-c]+"
                                   << "g"
                                   << "abxyc"
                                   << "-" << true << "ab-c";

    // The dot
    QTest::newRow("dot skips \\n") << "a.b"
                                   << ""
                                   << "a\nb"
                                   << "X" << false << "a\nb";
    QTest::newRow("dot skips \\r") << "a.b"
                                   << ""
                                   << "a\rb"
                                   << "X" << false << "a\rb";
    QTest::newRow("dot skips U+2028") << "a.b"
                                      << "" << u"a\u2028b"_qs << "X" << false << u"a\u2028b"_qs;
    QTest::newRow("dot takes the vertical tab") << "a.b"
                                                << ""
                                                << "a\vb"
                                                << "X" << true << "X";
    QTest::newRow("dot is a pattern") << "a.c"
                                      << "g"
                                      << "a.c abc"
                                      << "X" << true << "X X";

    // Anchors
    QTest::newRow("$ at the very end") << "a$"
                                       << ""
                                       << "a\nb\na"
                                       << "X" << true << "a\nb\nX";
    QTest::newRow("$ not before a final \\n") << "a$"
                                              << ""
                                              << "ba\n"
                                              << "X" << false << "ba\n";
    QTest::newRow("^ only at the start") << "^b"
                                         << ""
                                         << "a\nb"
                                         << "X" << false << "a\nb";
    QTest::newRow("Multiline ^ after \\n") << "^b"
                                           << "m"
                                           << "a\nb"
                                           << "X" << true << "a\nX";
    QTest::newRow("Multiline ^ after \\r") << "^b"
                                           << "m"
                                           << "a\rb"
                                           << "X" << true << "a\rX";
    QTest::newRow("Multiline ^ after U+2029") << "^b"
                                              << "m" << u"a\u2029b"_qs << "X" << true << u"a\u2029X"_qs;
    QTest::newRow("Multiline $ before \\r") << "a$"
                                            << "m"
                                            << "a\rb"
                                            << "X" << true << "X\rb";
    QTest::newRow("Multiline $ before each \\n") << "\\w$"
                                                 << "gm"
                                                 << "ab\ncd\nef"
                                                 << "#" << true << "a#\nc#\ne#";
    QTest::newRow("Multiline ^ at every line") << "^"
                                               << "gm"
                                               << "a\nb\rc"
                                               << ">" << true << ">a\n>b\r>c";
    QTest::newRow("Multiline ^ after a final line end") << "^"
                                                        << "gm"
                                                        << "a\n"
                                                        << ">" << true << ">a\n>";
    QTest::newRow("deliberate: \\r\\n is one line end for ^") << "^"
                                                              << "gm"
                                                              << "a\r\nb"
                                                              << ">" << true << ">a\r\n>b";
    QTest::newRow("deliberate: \\r\\n is one line end for $") << "$"
                                                              << "gm"
                                                              << "a\r\nb"
                                                              << ";" << true << "a;\r\nb;";
    QTest::newRow("digits only") << "^[0-9]+$"
                                 << ""
                                 << "123"
                                 << "X" << true << "X";
    QTest::newRow("digits only, not all digits") << "^[0-9]+$"
                                                 << ""
                                                 << "123a"
                                                 << "X" << false << "123a";

    // Escapes
    QTest::newRow("\\u escape") << "\\u00fc"
                                << "" << u"Müller"_qs << "ue" << true << "Mueller";
    QTest::newRow("\\u escape with IgnoreCase") << "\\u00DC"
                                                << "i" << u"Müller"_qs << "ue" << true << "Mueller";
    QTest::newRow("\\u range in a class") << "[\\u0041-\\u0043]+"
                                          << "g"
                                          << "xABCDx"
                                          << "-" << true << "x-Dx";
    QTest::newRow("\\x escape") << "\\x41"
                                << "g"
                                << "BAB"
                                << "-" << true << "B-B";
    QTest::newRow("\\u without four hex digits") << "\\u00G"
                                                 << ""
                                                 << "u00G"
                                                 << "-" << true << "-";
    QTest::newRow("unknown escapes are letters") << "\\a\\e\\q\\A\\z\\Q\\E\\k"
                                                 << ""
                                                 << "aeqAzQEk"
                                                 << "-" << true << "-";
    QTest::newRow("\\cJ") << "\\cJ"
                          << ""
                          << "a\nb"
                          << "X" << true << "aXb";
    QTest::newRow("\\0") << "\\0"
                         << "" << QString("a") + unit(0) + "b"
                         << "X" << true << "aXb";
    QTest::newRow("brace that is no quantifier") << "a{,2}"
                                                 << ""
                                                 << "a{,2}"
                                                 << "X" << true << "X";
    QTest::newRow("brace quantifier") << "x{2}"
                                      << "g"
                                      << "xxxxx"
                                      << "-" << true << "--x";

    // Back references
    QTest::newRow("back reference") << "(\\w)\\1"
                                    << "g"
                                    << "aabbcd"
                                    << "-" << true << "--cd";
    QTest::newRow("back reference with IgnoreCase") << "(a)\\1"
                                                    << "i"
                                                    << "aA"
                                                    << "-" << true << "-";
    QTest::newRow("unset back reference matches empty") << "(a)?b\\1"
                                                        << ""
                                                        << "b"
                                                        << "X" << true << "X";
    QTest::newRow("forward reference matches empty") << "\\1(a)"
                                                     << ""
                                                     << "a"
                                                     << "X" << true << "X";
    QTest::newRow("\\10 beyond the groups is octal") << "(a)\\10"
                                                     << ""
                                                     << "a\b"
                                                     << "X" << true << "X";
    QTest::newRow("\\10 with ten groups") << "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10"
                                          << ""
                                          << "abcdefghijj"
                                          << "X" << true << "X";

    // Quantifiers and alternatives
    QTest::newRow("lazy +?") << "<.+?>"
                             << ""
                             << "<a><b>"
                             << "[]" << true << "[]<b>";
    QTest::newRow("greedy +") << "<.+>"
                              << ""
                              << "<a><b>"
                              << "[]" << true << "[]";
    QTest::newRow("lazy {n,m}?") << "a{2,3}?"
                                 << "g"
                                 << "aaaaa"
                                 << "X" << true << "XXa";
    QTest::newRow("lazy ??") << "ab??"
                             << "g"
                             << "abab"
                             << "X" << true << "XbXb";
    QTest::newRow("first alternative wins") << "a|ab"
                                            << ""
                                            << "abc"
                                            << "X" << true << "Xbc";
    QTest::newRow("capture of the last iteration") << "(a|b)+"
                                                   << ""
                                                   << "abab"
                                                   << "$1" << true << "b";

    // Look-ahead
    QTest::newRow("look-ahead") << "foo(?=bar)"
                                << "g"
                                << "foobar foobaz"
                                << "X" << true << "Xbar foobaz";
    QTest::newRow("negative look-ahead") << "foo(?!bar)"
                                         << "g"
                                         << "foobar foobaz"
                                         << "X" << true << "foobar Xbaz";
    QTest::newRow("capture inside look-ahead") << "(?=(a+))a*b\\1"
                                               << ""
                                               << "baaabac"
                                               << "X" << true << "baaXc";
    QTest::newRow("negative look-ahead leaves groups unset") << "(.*?)a(?!(a+)b\\2c)\\2(.*)"
                                                             << ""
                                                             << "baaabaac"
                                                             << "[$1|$2|$3]" << true << "[ba||abaac]";

    // Replacement references
    QTest::newRow("$1 and $2") << "(\\w+)\\s(\\w+)"
                               << ""
                               << "John Smith"
                               << "$2, $1" << true << "Smith, John";
    QTest::newRow("$&") << "\\d+"
                        << "g"
                        << "a12b3"
                        << "<$&>" << true << "a<12>b<3>";
    QTest::newRow("$`") << "b"
                        << ""
                        << "abc"
                        << "[$`]" << true << "a[a]c";
    QTest::newRow("$'") << "b"
                        << ""
                        << "abc"
                        << "[$']" << true << "a[c]c";
    QTest::newRow("$$") << "b"
                        << ""
                        << "abc"
                        << "$$" << true << "a$c";
    QTest::newRow("$n beyond the groups stays") << "(a)"
                                                << ""
                                                << "a"
                                                << "$2" << true << "$2";
    QTest::newRow("$0 stays") << "a"
                              << ""
                              << "a"
                              << "$0" << true << "$0";
    QTest::newRow("$10 with one group") << "(a)"
                                        << ""
                                        << "a"
                                        << "$10" << true << "a0";
    QTest::newRow("$10 with ten groups") << "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)"
                                         << ""
                                         << "abcdefghij"
                                         << "$10" << true << "j";
    QTest::newRow("$01") << "(a)"
                         << ""
                         << "a"
                         << "$01" << true << "a";
    QTest::newRow("other $ stays") << "a"
                                   << ""
                                   << "a"
                                   << "$x$" << true << "$x$";
    QTest::newRow("unset group expands empty") << "(x)?a"
                                               << ""
                                               << "a"
                                               << "[$1]" << true << "[]";

    // Empty matches in a global replacement
    QTest::newRow("empty matches step on") << "x*"
                                           << "g"
                                           << "abc"
                                           << "-" << true << "-a-b-c-";
    QTest::newRow("empty and non-empty matches") << "b*"
                                                 << "g"
                                                 << "abc"
                                                 << "-" << true << "-a--c-";
    QTest::newRow("empty match at the end") << "a*"
                                            << "g"
                                            << "aaa"
                                            << "-" << true << "--";
    QTest::newRow("empty pattern") << ""
                                   << "g"
                                   << "ab"
                                   << "-" << true << "-a-b-";
    QTest::newRow("empty subject") << "^$"
                                   << ""
                                   << ""
                                   << "X" << true << "X";
    QTest::newRow("empty subject, no match") << "a"
                                             << "g"
                                             << ""
                                             << "X" << false << "";

    // Surrogates
    QTest::newRow("deliberate: a surrogate pair is one character") << "^.$"
                                                                   << "" << u"😀"_qs << "X" << true << "X";
    QTest::newRow("deliberate: empty matches never split a pair") << "x*"
                                                                  << "g" << u"a😀"_qs << "-" << true << u"-a-😀-"_qs;
    QTest::newRow("unpaired surrogate is kept") << "b"
                                                << "g"
                                                << "a" + unit(0xD800) + "b"
                                                << "X" << true << "a" + unit(0xD800) + "X";
    QTest::newRow("unpaired surrogates are characters")
        << "."
        << "g" << unit(0xD800) + "a" + unit(0xDC00) << "-" << true << "---";
    QTest::newRow("empty matches beside an unpaired surrogate")
        << "x*"
        << "g"
        << "a" + unit(0xDC00) << "-" << true << "-a-" + unit(0xDC00) + "-";
    QTest::newRow("escaped surrogate pair") << "\\uD83D\\uDE00"
                                            << "" << u"a😀b"_qs << "X" << true << "aXb";
    QTest::newRow("escaped unpaired surrogate") << "\\uD800"
                                                << "g"
                                                << "a" + unit(0xD800) + "b"
                                                << "X" << true << "aXb";
    QTest::newRow("IgnoreCase beside an unpaired surrogate")
        << u"ü"_qs << "gi" << u"Ü"_qs + unit(0xD800) << "ue" << true << "ue" + unit(0xD800);
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
