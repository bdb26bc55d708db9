#include "cli/ProgressBar.h"

#include "cli/Console.h"

#include <algorithm>

namespace dorvane {

ProgressBar::ProgressBar(Console& console, bool wanted) : m_console(console)
{
    m_enabled = wanted && console.errorIsTerminal();
    if (m_enabled)
        m_console.setStatusLineClearer([this] { clear(); });
}

ProgressBar::~ProgressBar()
{
    if (m_enabled)
        m_console.setStatusLineClearer(nullptr);
    clear();
}

QString ProgressBar::line(const Progress& p, int columns)
{
    // A table whose count is not known yet (or that is empty) adds nothing until the next one begins.
    const double tableShare
        = p.recordCount > 0 ? double(std::min(p.recordsDone, p.recordCount)) / double(p.recordCount) : 0.0;
    const double done = p.tableCount > 0 ? (p.table + tableShare) / p.tableCount : 0.0;
    // A name that could break the line (a table called "a\nb") is shown on one.
    QString name = p.tableName;
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    const QString records = p.recordCount >= 0 ? QStringLiteral("%1/%2").arg(p.recordsDone).arg(p.recordCount)
                                               : QString::number(p.recordsDone);
    const QString counts = QStringLiteral(" %1 records  %2 hits").arg(records).arg(p.hits);
    const QString table = QStringLiteral(" table %1/%2 ").arg(p.table + 1).arg(p.tableCount);
    const int width = std::max(10, std::min(30, columns / 4));
    const int filled = std::clamp(int(done * width + 0.5), 0, width);
    QString text = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'))
        + QLatin1Char(']') + table;
    const int room = columns - 1 - int(text.size()) - int(counts.size());
    if (room > 3 && name.size() > room)
        name = name.left(room - 1) + QChar(0x2026);
    text += (room > 3 ? name : QString()) + counts;
    return text.left(std::max(0, columns - 1));
}

void ProgressBar::draw(const Progress& progress)
{
    if (!m_enabled)
        return;
    const QString text = line(progress, m_console.errorColumns());
    if (m_drawn && text == m_last)
        return;
    m_last = text;
    m_drawn = true;
    // Back to the line's start, the new text, and the rest of the old one erased.
    m_console.rawError("\r" + text.toUtf8() + "\x1b[K");
}

void ProgressBar::clear()
{
    if (!m_drawn)
        return;
    m_drawn = false;
    m_last.clear();
    m_console.rawError("\r\x1b[K");
}

} // namespace dorvane
