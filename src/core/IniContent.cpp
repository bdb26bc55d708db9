#include "core/IniContent.h"

#include "core/IniLine.h"

#include <QChar>

#include <algorithm>
#include <array>

namespace dorvane {

namespace {

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The ASCII units onto which some unit from U+0080 up folds (Unicode has "k" for KELVIN SIGN and "s"
// for LONG S), taken from the folding itself, once. Supplementary letters fold to supplementary ones.
const std::array<bool, 128>& asciiFoldTargets()
{
    static const std::array<bool, 128> targets = [] {
        std::array<bool, 128> found {};
        for (char32_t c = 128; c < 0x10000; ++c) {
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded < 128)
                found[folded] = true;
        }
        return found;
    }();
    return targets;
}

// A hash under which names that QString::compare() with Qt::CaseInsensitive calls equal are equal: equal
// names have the same length and, unit by unit, the same folding. ASCII units that only fold onto
// themselves and their other case go in as their lower case; every other unit (the rest of the
// world's letters, and "k" and "s", onto which non-ASCII letters fold) goes in as one and the same mark,
// so that nothing about its folding needs to be known. Lookups compare the names properly afterwards.
class NamesHash
{
public:
    // Adds a name, and a mark that ends it.
    NamesHash& add(QStringView name)
    {
        const std::array<bool, 128>& targets = asciiFoldTargets();
        for (const QChar c : name) {
            const char16_t unit = c.unicode();
            const char16_t lower = unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit;
            mix(lower < 128 && !targets[lower] ? lower : 0xFFFF);
        }
        mix(0x10000);
        return *this;
    }

    quint64 value() const { return m_hash; }

private:
    void mix(quint64 value)
    {
        m_hash ^= value;
        m_hash *= 1099511628211ull;
    }

    quint64 m_hash = 14695981039346656037ull;
};

} // namespace

IniContent::IniContent(QString text) : m_text(std::move(text))
{
    const QStringView all(m_text);
    const qsizetype n = all.size();
    qsizetype header = -1; // start of the current section's header line
    NamesHash section;
    m_entries.reserve(size_t(n / 32));
    for (qsizetype start = 0; start < n;) {
        qsizetype end = start;
        while (end < n && !isLineEnd(all[end]))
            ++end;
        const QStringView line = all.sliced(start, end - start);
        if (const std::optional<QStringView> name = ini::sectionName(line)) {
            header = start;
            section = NamesHash().add(*name);
        } else if (header >= 0) {
            QStringView key, value;
            if (ini::splitKeyLine(line, key, value))
                m_entries.push_back({NamesHash(section).add(key).value(), header, start});
        }
        // "\r\n" ends one line; a lone "\r" or "\n" ends one too.
        start = end < n && all[end] == QLatin1Char('\r') && end + 1 < n && all[end + 1] == QLatin1Char('\n') ? end + 2
                                                                                                             : end + 1;
    }
    // Key lines are unique by where they begin, so the order is file order within one hash.
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return a.namesHash != b.namesHash ? a.namesHash < b.namesHash : a.keyLine < b.keyLine;
    });
}

QStringView IniContent::lineAt(qsizetype start) const
{
    const QStringView all(m_text);
    qsizetype end = start;
    while (end < all.size() && !isLineEnd(all[end]))
        ++end;
    return all.sliced(start, end - start);
}

std::optional<QStringView> IniContent::value(QStringView section, QStringView key) const
{
    const quint64 hash = NamesHash().add(section).add(key).value();
    auto entry = std::lower_bound(m_entries.begin(), m_entries.end(), hash,
                                  [](const Entry& e, quint64 h) { return e.namesHash < h; });
    for (; entry != m_entries.end() && entry->namesHash == hash; ++entry) {
        const std::optional<QStringView> name = ini::sectionName(lineAt(entry->headerLine));
        if (!name || name->compare(section, Qt::CaseInsensitive) != 0)
            continue;
        QStringView lineKey, value;
        if (ini::splitKeyLine(lineAt(entry->keyLine), lineKey, value) && lineKey.compare(key, Qt::CaseInsensitive) == 0)
            return ini::unquoted(value);
    }
    return std::nullopt;
}

} // namespace dorvane
