#include "core/IniLine.h"

namespace dorvane::ini {

std::optional<QStringView> sectionName(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.sliced(1, close - 1).trimmed();
}

bool splitKeyLine(QStringView line, QStringView& key, QStringView& value)
{
    if (line.trimmed().startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    key = line.first(eq).trimmed();
    value = line.sliced(eq + 1).trimmed();
    return !key.isEmpty();
}

QStringView unquoted(QStringView value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.sliced(1, value.size() - 2);
    }
    return value;
}

} // namespace dorvane::ini
