#include "engine/LiteralMatcher.h"

#include <algorithm>

namespace dorvane {

namespace {

// Folding of one UTF-16 code unit. A surrogate folds to itself, which is what Qt's case-ignoring
// comparison gives for every pair whose other half is not in the needle: supplementary letters fold to
// supplementary letters only, so none of them can equal a needle made of BMP characters.
inline char16_t fold(char16_t c)
{
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

bool hasSurrogate(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); });
}

} // namespace

LiteralMatcher::LiteralMatcher(const QString& needle, Qt::CaseSensitivity cs)
{
    // The skip table holds distances up to 255; longer needles and surrogate pairs, which fold as whole
    // code points, are left to QStringMatcher.
    m_useFolded = cs == Qt::CaseInsensitive && !needle.isEmpty() && needle.size() <= 255 && !hasSurrogate(needle);
    if (!m_useFolded) {
        m_fallback = QStringMatcher(needle, cs);
        return;
    }
    m_folded.resize(needle.size());
    for (qsizetype i = 0; i < needle.size(); ++i)
        m_folded[i] = QChar(fold(needle[i].unicode()));
    const qsizetype m = m_folded.size();
    m_skip.fill(quint8(m));
    // Code units that share their low byte share a slot; the smallest distance wins, which only
    // shortens skips.
    for (qsizetype k = 0; k + 1 < m; ++k)
        m_skip[m_folded[k].unicode() & 0xFF] = quint8(m - 1 - k);
}

bool LiteralMatcher::occursIn(QStringView text) const
{
    if (!m_useFolded)
        return m_fallback.indexIn(text) >= 0;
    const qsizetype m = m_folded.size();
    const qsizetype n = text.size();
    const char16_t* hay = text.utf16();
    const auto* needle = reinterpret_cast<const char16_t*>(m_folded.utf16());
    const char16_t last = needle[m - 1];
    for (qsizetype i = m - 1; i < n;) {
        const char16_t c = fold(hay[i]);
        if (c == last) {
            qsizetype k = m - 2;
            const char16_t* at = hay + i - (m - 1);
            while (k >= 0 && fold(at[k]) == needle[k])
                --k;
            if (k < 0)
                return true;
        }
        i += m_skip[c & 0xFF];
    }
    return false;
}

} // namespace dorvane
