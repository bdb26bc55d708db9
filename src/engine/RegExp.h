// The regular-expression object of the script runtime (Pattern, IgnoreCase, Global, Multiline, Test,
// Replace), built on PCRE2's 16-bit library so that a QString is matched without conversion.
//
// Syntax and results follow the runtime's ECMAScript 3 rules: ASCII "\w", "\b", "\d" and "\s"; "." and
// the multi-line "^"/"$" know "\n", "\r", U+2028 and U+2029 as line ends ("\r\n" counts as one line end);
// without Multiline "$" matches only at the very end; "\uXXXX", "[]" and "[^]"; back-references to
// groups that took no part match the empty text. IgnoreCase folds case across Unicode.
//
// Surrogate pairs are one character: "." takes the whole pair, and a global replacement never inserts
// between its halves. An unpaired surrogate in a text is a character of its own; it never breaks matching
// and Replace copies it through unchanged.
//
// The pattern is compiled (with JIT) at the first Test or Replace, or by compile(), and reused until
// Pattern, IgnoreCase or Multiline changes. Not thread-safe: matching reuses the object's match buffers.
#pragma once

#include <QString>

#include <memory>

namespace dorvane {

class RegExp
{
public:
    RegExp();
    explicit RegExp(const QString& pattern);
    // Copies the properties; the copy compiles its own pattern when first used.
    RegExp(const RegExp& other);
    RegExp& operator=(const RegExp& other);
    RegExp(RegExp&& other) noexcept;
    RegExp& operator=(RegExp&& other) noexcept;
    ~RegExp();

    const QString& Pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);
    bool IgnoreCase() const { return m_ignoreCase; }
    void setIgnoreCase(bool ignoreCase);
    // Replace changes every match when set, else the first only. Test ignores it.
    bool Global() const { return m_global; }
    void setGlobal(bool global);
    bool Multiline() const { return m_multiline; }
    void setMultiline(bool multiline);

    // Compiles the pattern now, so that a run can reject an invalid one before it visits any field.
    // Throws DataError (source "RegExp") whose description names the fault and its offset in the pattern.
    void compile();
    bool isCompiled() const { return m_compiled != nullptr; }
    // Number of capturing groups; compiles first.
    int captureCount();

    // True when the pattern matches anywhere in subject. Compiles first when needed; throws DataError
    // for an invalid pattern, and for a value that cannot be matched within the limits of one match:
    // PCRE2's back-tracking limit, the memory one match may take (a JIT stack that grows to 128 MB, then
    // the interpreter with 256 MB of heap; a group repeated once per character takes 32 bytes of JIT
    // stack per character), and the time one long value may take (10 s).
    bool Test(const QString& subject);
    // The subject with the first match (every match when Global) replaced by the expansion of
    // replacement, in which "$1"…"$99", "$&", "$`", "$'" and "$$" stand for the groups, the match, the
    // text before and after it, and "$". A "$n" naming no group stays as it is, and "$10" with fewer
    // than ten groups is group 1 followed by "0". Throws like Test.
    QString Replace(const QString& subject, const QString& replacement);

    // How long one Test or Replace of a long value may search (10 s) before it throws DataError. Use only
    // for testing; not thread-safe.
    static void setValueTimeLimitForTesting(int milliseconds);

private:
    class Compiled;

    Compiled& compiled();
    void invalidate();

    QString m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiline = false;
    std::unique_ptr<Compiled> m_compiled;
};

} // namespace dorvane
