#include "cli/ProblemLog.h"

#include "cli/Console.h"
#include "cli/ReportValue.h"

#include <QStringList>

namespace dorvane {

ProblemLog::ProblemLog(Console& console, int shown) : m_console(console), m_shown(shown) { }

void ProblemLog::add(const ReportEntry& entry)
{
    if (entry.status != QLatin1String("failed") && entry.status != QLatin1String("conflict"))
        return;
    if (++m_count > m_shown)
        return;
    QStringList key;
    for (qsizetype i = 0; i < entry.key.columns.size(); ++i)
        key.append(entry.key.columns.at(i) + QLatin1Char('=') + lineText(entry.key.values.value(i)));
    const QString where
        = QStringLiteral("%1, record %2, field %3%4")
              .arg(entry.table)
              .arg(entry.record)
              .arg(entry.field,
                   key.isEmpty() ? QString() : QStringLiteral(" (") + key.join(QStringLiteral(", ")) + ')');
    m_console.error(QStringLiteral("%1: %2: %3").arg(entry.status, where, entry.reason));
}

void ProblemLog::finish()
{
    if (m_count > m_shown)
        m_console.error(QStringLiteral("... and %1 more (the report lists them all)").arg(m_count - m_shown));
}

} // namespace dorvane
