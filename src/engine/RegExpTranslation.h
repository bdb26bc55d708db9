// Rewrites a pattern in the script runtime's regular-expression syntax (ECMAScript 3 with the lenient
// readings that runtime applies: unknown escapes are literal, a "{" that starts no quantifier is literal,
// "\N" beyond the group count is an octal escape) into a PCRE2 pattern with the same meaning.
//
// PCRE2 options alone cannot give that meaning: PCRE2 knows escapes and groups that the runtime reads as
// literals or rejects ("\A", "\Q", "(?i)", "(*UTF)"), reads "[[:alpha:]]" as a POSIX class and "\v" as a
// class of vertical spaces, and has no newline convention in which "." and "^"/"$" treat exactly "\n",
// "\r", U+2028 and U+2029 as line ends. So the syntax is rewritten here, and RegExp compiles the result.
#pragma once

#include <QList>
#include <QString>

namespace dorvane {

class RegExpTranslation
{
public:
    // multiline: "^" and "$" also match at line ends (the RegExp's Multiline property).
    RegExpTranslation(const QString& pattern, bool multiline);

    // True when the pattern breaks a rule PCRE2 would not catch itself; errorText() and errorOffset() say
    // which rule and where. Other syntax errors show when PCRE2 compiles pcrePattern().
    bool failed() const { return !m_errorText.isEmpty(); }
    const QString& errorText() const { return m_errorText; }
    qsizetype errorOffset() const { return m_errorOffset; }

    // The pattern for PCRE2, to be compiled with PCRE2_ALT_BSUX and PCRE2_ALLOW_EMPTY_CLASS.
    const QString& pcrePattern() const { return m_output; }
    // Offset in the original pattern of the code unit at pcreOffset of pcrePattern(), so that PCRE2's
    // error offsets can be reported against what the user typed.
    qsizetype sourceOffset(qsizetype pcreOffset) const;
    int captureCount() const { return m_captureCount; }

private:
    static int countCaptures(const QString& pattern);

    void translate();
    void translateEscape(bool inClass);
    void translateClass();
    void translateGroupOpening();
    void translateBrace();
    // After a quantifier: its lazy mark, and the check that no second quantifier follows.
    void finishQuantifier();
    void translateLegacyOctal(qsizetype digitsStart);
    bool braceQuantifierLength(qsizetype at, qsizetype* length) const;

    void write(QStringView text, qsizetype sourceOffset);
    void writeHexEscape(uint value, qsizetype sourceOffset);
    void fail(const QString& text, qsizetype offset);

    QString m_pattern;
    bool m_multiline;
    qsizetype m_pos = 0;
    QString m_output;
    QList<qsizetype> m_sourceOffsets;
    int m_captureCount = 0;
    QString m_errorText;
    qsizetype m_errorOffset = -1;
};

} // namespace dorvane
