// Finds a literal text in field values, with or without case, as fast as the run's field test needs:
// Horspool's skip over case-folded code units for the case-ignoring search, QStringMatcher otherwise.
// Case is ignored as QString's Qt::CaseInsensitive ignores it (Unicode simple case folding). Immutable
// once built; any thread.
#pragma once

#include <QString>
#include <QStringMatcher>

#include <array>

namespace dorvane {

class LiteralMatcher
{
public:
    LiteralMatcher() = default;
    LiteralMatcher(const QString& needle, Qt::CaseSensitivity cs);

    // True when the needle occurs in text; the empty needle occurs in every text.
    bool occursIn(QStringView text) const;

private:
    QString m_folded; // the needle folded, when the folded search applies
    std::array<quint8, 256> m_skip {};
    QStringMatcher m_fallback;
    bool m_useFolded = false;
};

} // namespace dorvane
