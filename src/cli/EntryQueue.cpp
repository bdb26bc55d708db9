#include "cli/EntryQueue.h"

namespace dorvane {

EntryQueue::EntryQueue(std::function<void(const ReportEntry&)> sink) : m_sink(std::move(sink)) { }

void EntryQueue::count(const ReportEntry& entry)
{
    if (entry.status == QLatin1String("saved"))
        ++m_saved;
    else if (entry.status == QLatin1String("failed"))
        ++m_failed;
    else if (entry.status == QLatin1String("conflict"))
        ++m_conflicts;
}

void EntryQueue::add(const ReportEntry& entry)
{
    count(entry);
    m_held.push_back({entry, false});
    release();
}

void EntryQueue::addAwaitingCommit(const ReportEntry& entry)
{
    m_held.push_back({entry, true});
}

void EntryQueue::batchEnded(int changes, bool committed, const QString& reason)
{
    for (Held& held : m_held) {
        if (changes <= 0)
            break;
        if (!held.awaitsCommit)
            continue;
        held.awaitsCommit = false;
        --changes;
        held.entry.status = committed ? QStringLiteral("saved") : QStringLiteral("failed");
        if (!committed)
            held.entry.reason = reason;
        count(held.entry);
    }
    release();
}

void EntryQueue::release()
{
    while (!m_held.empty() && !m_held.front().awaitsCommit) {
        if (m_sink)
            m_sink(m_held.front().entry);
        m_held.pop_front();
    }
}

void EntryQueue::flush()
{
    for (Held& held : m_held) {
        if (held.awaitsCommit) {
            held.awaitsCommit = false;
            held.entry.status = QStringLiteral("failed");
            held.entry.reason = QStringLiteral("The run ended before the change was committed.");
            count(held.entry);
        }
    }
    release();
}

} // namespace dorvane
