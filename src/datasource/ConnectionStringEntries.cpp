#include "datasource/ConnectionStringEntries.h"

#include <QStringList>

namespace dorvane {

ConnectionStringEntries ConnectionStringEntries::parse(const QString& text)
{
    ConnectionStringEntries result;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        const qsizetype keyEnd = [&] {
            qsizetype i = pos;
            while (i < size && text.at(i) != QLatin1Char('=') && text.at(i) != QLatin1Char(';'))
                ++i;
            return i;
        }();
        const QString key = text.mid(pos, keyEnd - pos).trimmed();
        pos = keyEnd;
        QString value;
        bool braced = false;
        if (pos < size && text.at(pos) == QLatin1Char('=')) {
            ++pos;
            while (pos < size && text.at(pos) == QLatin1Char(' '))
                ++pos;
            if (pos < size && text.at(pos) == QLatin1Char('{')) {
                braced = true;
                ++pos;
                while (pos < size) {
                    if (text.at(pos) == QLatin1Char('}')) {
                        if (pos + 1 < size && text.at(pos + 1) == QLatin1Char('}')) {
                            value += QLatin1Char('}');
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    value += text.at(pos++);
                }
                // Anything between the closing brace and the next ';' is not part of the value.
                while (pos < size && text.at(pos) != QLatin1Char(';'))
                    ++pos;
            } else {
                const qsizetype end = text.indexOf(QLatin1Char(';'), pos);
                const qsizetype valueEnd = end < 0 ? size : end;
                value = text.mid(pos, valueEnd - pos).trimmed();
                pos = valueEnd;
            }
        }
        if (pos < size && text.at(pos) == QLatin1Char(';'))
            ++pos;
        if (!key.isEmpty())
            result.m_entries.append({key, value, braced});
    }
    return result;
}

QString ConnectionStringEntries::toString() const
{
    QStringList parts;
    parts.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        const QString& value = entry.value;
        const bool needsBraces = entry.braced || value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{'))
            || value.contains(QLatin1Char('}'))
            || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
        if (needsBraces) {
            QString escaped = value;
            escaped.replace(QLatin1String("}"), QLatin1String("}}"));
            parts.append(entry.key + QLatin1String("={") + escaped + QLatin1Char('}'));
        } else {
            parts.append(entry.key + QLatin1Char('=') + value);
        }
    }
    return parts.join(QLatin1Char(';'));
}

QString ConnectionStringEntries::value(const QString& key) const
{
    const qsizetype index = indexOf(key);
    return index < 0 ? QString() : m_entries.at(index).value;
}

void ConnectionStringEntries::set(const QString& key, const QString& value)
{
    const qsizetype index = indexOf(key);
    if (index < 0)
        m_entries.append({key, value, false});
    else
        m_entries[index].value = value;
}

void ConnectionStringEntries::removeAll(const QString& key)
{
    m_entries.removeIf([&](const Entry& entry) { return entry.key.compare(key, Qt::CaseInsensitive) == 0; });
}

qsizetype ConnectionStringEntries::indexOf(const QString& key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace dorvane
