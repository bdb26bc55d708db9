#include "engine/Utf8LiteralFilter.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dorvane {

namespace {

inline char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// The UTF-8 of every character beyond ASCII that case folding turns into an ASCII one.
const std::vector<QByteArray>& asciiFoldingSequences()
{
    static const std::vector<QByteArray> sequences = [] {
        std::vector<QByteArray> found;
        for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
            if ((c < 0xD800 || c > 0xDFFF) && QChar::toCaseFolded(c) < 0x80)
                found.push_back(QString::fromUcs4(&c, 1).toUtf8());
        }
        return found;
    }();
    return sequences;
}

// memchr finds the rare first byte of each sequence at a fraction of a general search's cost per byte.
bool holdsAsciiFoldingCharacter(QByteArrayView utf8)
{
    if (utf8.isEmpty())
        return false;
    const char* end = utf8.data() + utf8.size();
    for (const QByteArray& sequence : asciiFoldingSequences()) {
        const char* from = utf8.data();
        while (const void* found = std::memchr(from, sequence[0], size_t(end - from))) {
            const char* at = static_cast<const char*>(found);
            if (end - at >= sequence.size() && std::memcmp(at, sequence.constData(), size_t(sequence.size())) == 0)
                return true;
            from = at + 1;
        }
    }
    return false;
}

// The longest run of the literal's code points whose folding is ASCII, folded.
QByteArray longestAsciiFoldingRun(const QString& literal)
{
    QByteArray longest;
    QByteArray run;
    for (const char32_t c : literal.toUcs4()) {
        const char32_t folded = QChar::toCaseFolded(c);
        if (folded < 0x80) {
            run += asciiLower(char(folded));
            continue;
        }
        if (run.size() > longest.size())
            longest = run;
        run.clear();
    }
    return run.size() > longest.size() ? run : longest;
}

} // namespace

Utf8LiteralFilter::Utf8LiteralFilter(const QString& literal, Qt::CaseSensitivity cs)
{
    m_ignoreCase = cs == Qt::CaseInsensitive;
    if (!m_ignoreCase) {
        // U+FFFD also stands for whatever invalid bytes a value holds; a lone surrogate has no UTF-8.
        if (literal.isValidUtf16() && !literal.contains(QChar::ReplacementCharacter))
            m_anchor = literal.toUtf8();
        return;
    }
    m_anchor = longestAsciiFoldingRun(literal);
    const qsizetype m = m_anchor.size();
    if (m == 0 || m > 255) {
        m_anchor.clear();
        return;
    }
    m_skip.fill(quint8(m));
    for (qsizetype k = 0; k + 1 < m; ++k) {
        const char c = m_anchor[k];
        m_skip[quint8(c)] = quint8(m - 1 - k);
        if (c >= 'a' && c <= 'z')
            m_skip[quint8(c - 32)] = quint8(m - 1 - k);
    }
}

bool Utf8LiteralFilter::containsAnchorIgnoringAsciiCase(QByteArrayView utf8) const
{
    const qsizetype m = m_anchor.size();
    const qsizetype n = utf8.size();
    const char* hay = utf8.data();
    const char* needle = m_anchor.constData();
    const char last = needle[m - 1];
    for (qsizetype i = m - 1; i < n;) {
        const char c = hay[i];
        if (asciiLower(c) == last) {
            const char* at = hay + i - (m - 1);
            qsizetype k = m - 2;
            while (k >= 0 && asciiLower(at[k]) == needle[k])
                --k;
            if (k < 0)
                return true;
        }
        i += m_skip[quint8(c)];
    }
    return false;
}

bool Utf8LiteralFilter::turnsAway(QByteArrayView utf8) const
{
    if (m_anchor.isEmpty())
        return false;
    if (!m_ignoreCase)
        return utf8.indexOf(QByteArrayView(m_anchor)) < 0;
    return !containsAnchorIgnoringAsciiCase(utf8) && !holdsAsciiFoldingCharacter(utf8);
}

} // namespace dorvane
