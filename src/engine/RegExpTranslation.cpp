#include "engine/RegExpTranslation.h"

namespace dorvane {

namespace {

// The runtime's line terminators are "\n", "\r", U+2028 and U+2029. A "\r\n" pair counts as one line end
// for "^" and "$", so that a multi-line replacement never lands between the two halves of a Windows line
// break and splits it.
constexpr QStringView anyButLineTerminator = u"[^\\n\\r\\u2028\\u2029]";
constexpr QStringView lineStart = u"(?:^|(?<=[\\n\\u2028\\u2029])|(?<=\\r)(?!\\n))";
constexpr QStringView lineEnd = u"(?:\\z|(?=[\\r\\u2028\\u2029])|(?<!\\r)(?=\\n))";

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isOctalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('7');
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// \d, \s, \w and their negations: escapes that stand for a set, so they cannot end a range.
bool isSetEscapeLetter(QChar c)
{
    switch (c.unicode()) {
    case 'd':
    case 'D':
    case 's':
    case 'S':
    case 'w':
    case 'W':
        return true;
    default:
        return false;
    }
}

bool hexDigitsAt(const QString& text, qsizetype at, int count)
{
    if (at + count > text.size())
        return false;
    for (int i = 0; i < count; ++i) {
        if (!isHexDigit(text[at + i]))
            return false;
    }
    return true;
}

} // namespace

RegExpTranslation::RegExpTranslation(const QString& pattern, bool multiline)
    : m_pattern(pattern), m_multiline(multiline), m_captureCount(countCaptures(pattern))
{
    m_output.reserve(pattern.size() + 16);
    translate();
}

qsizetype RegExpTranslation::sourceOffset(qsizetype pcreOffset) const
{
    if (pcreOffset >= 0 && pcreOffset < m_sourceOffsets.size())
        return m_sourceOffsets[pcreOffset];
    return m_pattern.size();
}

int RegExpTranslation::countCaptures(const QString& pattern)
{
    int count = 0;
    bool inClass = false;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\\')) {
            ++i;
        } else if (inClass) {
            inClass = c != QLatin1Char(']');
        } else if (c == QLatin1Char('[')) {
            inClass = true;
            if (i + 1 < n && pattern[i + 1] == QLatin1Char('^'))
                ++i;
            if (i + 1 < n && pattern[i + 1] == QLatin1Char(']')) {
                ++i;
                inClass = false;
            }
        } else if (c == QLatin1Char('(') && (i + 1 >= n || pattern[i + 1] != QLatin1Char('?'))) {
            ++count;
        }
    }
    return count;
}

void RegExpTranslation::translate()
{
    const qsizetype n = m_pattern.size();
    while (m_pos < n && !failed()) {
        const QChar c = m_pattern[m_pos];
        switch (c.unicode()) {
        case '\\':
            translateEscape(false);
            break;
        case '[':
            translateClass();
            break;
        case '(':
            translateGroupOpening();
            break;
        case '{':
            translateBrace();
            break;
        case '.':
            write(anyButLineTerminator, m_pos++);
            break;
        case '^':
            write(m_multiline ? lineStart : QStringView(u"^"), m_pos++);
            break;
        case '$':
            write(m_multiline ? lineEnd : QStringView(u"\\z"), m_pos++);
            break;
        case '*':
        case '+':
        case '?':
            write(QStringView(&c, 1), m_pos++);
            finishQuantifier();
            break;
        case ']':
        case '}':
            write(u"\\", m_pos);
            write(QStringView(&c, 1), m_pos++);
            break;
        default:
            write(QStringView(&c, 1), m_pos++);
            break;
        }
    }
}

void RegExpTranslation::translateEscape(bool inClass)
{
    const qsizetype start = m_pos;
    if (start + 1 >= m_pattern.size()) {
        // Left to PCRE2, which reports "\ at end of pattern".
        write(u"\\", m_pos++);
        return;
    }
    const QChar c = m_pattern[start + 1];
    switch (c.unicode()) {
    case 'b':
        // Inside a class "\b" is the backspace character, outside the word boundary.
        if (inClass)
            writeHexEscape(0x08, start);
        else
            write(u"\\b", start);
        m_pos += 2;
        return;
    case 'B':
        write(inClass ? u"B" : u"\\B", start);
        m_pos += 2;
        return;
    case 'd':
    case 'D':
    case 's':
    case 'S':
    case 'w':
    case 'W':
    case 'f':
    case 'n':
    case 'r':
    case 't':
        write(u"\\", start);
        write(QStringView(&c, 1), start);
        m_pos += 2;
        return;
    case 'v':
        // The vertical tab alone; PCRE2's "\v" is a class of vertical spaces.
        writeHexEscape(0x0b, start);
        m_pos += 2;
        return;
    case 'c':
        if (start + 2 < m_pattern.size()) {
            const QChar letter = m_pattern[start + 2];
            if (isAsciiLetter(letter) || (inClass && (isDigit(letter) || letter == QLatin1Char('_')))) {
                writeHexEscape(letter.unicode() % 32, start);
                m_pos += 3;
                return;
            }
        }
        // "\c" without a control letter is a backslash followed by "c".
        write(u"\\\\", start);
        m_pos += 1;
        return;
    case 'u':
        if (hexDigitsAt(m_pattern, start + 2, 4)) {
            write(QStringView(m_pattern).mid(start, 6), start);
            m_pos += 6;
        } else {
            write(u"u", start);
            m_pos += 2;
        }
        return;
    case 'x':
        if (hexDigitsAt(m_pattern, start + 2, 2)) {
            write(QStringView(m_pattern).mid(start, 4), start);
            m_pos += 4;
        } else {
            write(u"x", start);
            m_pos += 2;
        }
        return;
    default:
        break;
    }

    if (isDigit(c)) {
        if (!inClass && c != QLatin1Char('0')) {
            // All digits form the group number; one beyond the group count makes an octal escape instead.
            qsizetype end = start + 1;
            qint64 number = 0;
            while (end < m_pattern.size() && isDigit(m_pattern[end])) {
                number = qMin<qint64>(number * 10 + (m_pattern[end].unicode() - '0'), 1000000);
                ++end;
            }
            if (number <= m_captureCount) {
                write(QStringLiteral("\\g{%1}").arg(number), start);
                m_pos = end;
                return;
            }
        }
        translateLegacyOctal(start + 1);
        return;
    }
    if (isAsciiLetter(c)) {
        // Escapes the runtime does not know ("\A", "\Q", "\k", "\p", ...) stand for the letter itself.
        write(QStringView(&c, 1), start);
        m_pos += 2;
        return;
    }
    write(u"\\", start);
    write(QStringView(&c, 1), start);
    m_pos += 2;
}

void RegExpTranslation::translateLegacyOctal(qsizetype digitsStart)
{
    const QChar first = m_pattern[digitsStart];
    if (!isOctalDigit(first)) {
        // "\8" and "\9" are the digits themselves.
        write(QStringView(&first, 1), digitsStart - 1);
        m_pos = digitsStart + 1;
        return;
    }
    uint value = first.unicode() - '0';
    qsizetype end = digitsStart + 1;
    const int maxDigits = value <= 3 ? 3 : 2;
    while (end < m_pattern.size() && end - digitsStart < maxDigits && isOctalDigit(m_pattern[end])) {
        value = value * 8 + (m_pattern[end].unicode() - '0');
        ++end;
    }
    writeHexEscape(value, digitsStart - 1);
    m_pos = end;
}

void RegExpTranslation::translateClass()
{
    const qsizetype n = m_pattern.size();
    write(u"[", m_pos++);
    if (m_pos < n && m_pattern[m_pos] == QLatin1Char('^'))
        write(u"^", m_pos++);
    if (m_pos < n && m_pattern[m_pos] == QLatin1Char(']')) {
        // "[]" matches nothing and "[^]" any character; PCRE2_ALLOW_EMPTY_CLASS reads them so.
        write(u"]", m_pos++);
        return;
    }
    bool afterSetEscape = false;
    while (m_pos < n) {
        const QChar c = m_pattern[m_pos];
        if (c == QLatin1Char(']')) {
            write(u"]", m_pos++);
            return;
        }
        if (c == QLatin1Char('\\')) {
            const bool setEscape = m_pos + 1 < n && isSetEscapeLetter(m_pattern[m_pos + 1]);
            translateEscape(true);
            afterSetEscape = setEscape;
            continue;
        }
        if (c == QLatin1Char('-')) {
            // Beside "\d", "\s" or "\w" a hyphen is a plain character; PCRE2 would reject the range.
            const bool beforeSetEscape
                = m_pos + 2 < n && m_pattern[m_pos + 1] == QLatin1Char('\\') && isSetEscapeLetter(m_pattern[m_pos + 2]);
            write(afterSetEscape || beforeSetEscape ? u"\\-" : u"-", m_pos++);
        } else if (c == QLatin1Char('[')) {
            // A plain character here, never the start of a POSIX class such as "[:alpha:]".
            write(u"\\[", m_pos++);
        } else {
            write(QStringView(&c, 1), m_pos++);
        }
        afterSetEscape = false;
    }
    // Unterminated: PCRE2 reports the missing "]".
}

void RegExpTranslation::translateGroupOpening()
{
    const qsizetype n = m_pattern.size();
    const qsizetype start = m_pos;
    if (start + 1 < n && m_pattern[start + 1] == QLatin1Char('?')) {
        const QChar kind = start + 2 < n ? m_pattern[start + 2] : QChar();
        if (kind == QLatin1Char(':') || kind == QLatin1Char('=') || kind == QLatin1Char('!')) {
            write(QStringView(m_pattern).mid(start, 3), start);
            m_pos += 3;
            return;
        }
        fail(QStringLiteral("invalid group: only (?:, (?= and (?! may follow an opening parenthesis"), start);
        return;
    }
    if (start + 1 < n && m_pattern[start + 1] == QLatin1Char('*')) {
        fail(QStringLiteral("quantifier does not follow a repeatable item"), start + 1);
        return;
    }
    write(u"(", m_pos++);
}

bool RegExpTranslation::braceQuantifierLength(qsizetype at, qsizetype* length) const
{
    const qsizetype n = m_pattern.size();
    qsizetype i = at + 1;
    const qsizetype firstDigits = i;
    while (i < n && isDigit(m_pattern[i]))
        ++i;
    if (i == firstDigits)
        return false;
    if (i < n && m_pattern[i] == QLatin1Char(',')) {
        ++i;
        while (i < n && isDigit(m_pattern[i]))
            ++i;
    }
    if (i >= n || m_pattern[i] != QLatin1Char('}'))
        return false;
    *length = i + 1 - at;
    return true;
}

void RegExpTranslation::translateBrace()
{
    qsizetype length = 0;
    if (braceQuantifierLength(m_pos, &length)) {
        write(QStringView(m_pattern).mid(m_pos, length), m_pos);
        m_pos += length;
        finishQuantifier();
    } else {
        // A brace that starts no quantifier is a plain character.
        write(u"\\{", m_pos++);
    }
}

void RegExpTranslation::finishQuantifier()
{
    const qsizetype n = m_pattern.size();
    if (m_pos < n && m_pattern[m_pos] == QLatin1Char('?'))
        write(u"?", m_pos++);
    if (m_pos >= n)
        return;
    const QChar next = m_pattern[m_pos];
    qsizetype length = 0;
    // PCRE2 would take "a*+" as a possessive quantifier and "a{2}{3}" as a nested one.
    if (next == QLatin1Char('*') || next == QLatin1Char('+') || next == QLatin1Char('?')
        || (next == QLatin1Char('{') && braceQuantifierLength(m_pos, &length)))
        fail(QStringLiteral("quantifier does not follow a repeatable item"), m_pos);
}

void RegExpTranslation::write(QStringView text, qsizetype sourceOffset)
{
    m_output += text;
    for (qsizetype i = 0; i < text.size(); ++i)
        m_sourceOffsets.append(sourceOffset);
}

void RegExpTranslation::writeHexEscape(uint value, qsizetype sourceOffset)
{
    write(QStringLiteral("\\x%1").arg(value, 2, 16, QLatin1Char('0')), sourceOffset);
}

void RegExpTranslation::fail(const QString& text, qsizetype offset)
{
    m_errorText = text;
    m_errorOffset = offset;
}

} // namespace dorvane
