#include "engine/JournalRecorder.h"

#include "core/DataError.h"
#include "engine/RunOptionsJson.h"
#include "engine/RunSession.h"

#include <QDir>
#include <QFileInfo>

namespace dorvane {

JournalRecorder::JournalRecorder(const RunSession& session, std::function<QString()> journalFile,
                                 std::function<QString()> source)
    : m_session(session), m_journalFile(std::move(journalFile)), m_source(std::move(source))
{
}

JournalRecorder::~JournalRecorder() = default;

void JournalRecorder::beginJournalRun()
{
    const QString path = m_journalFile ? m_journalFile() : QString();
    if (path.isEmpty()) {
        m_off = true;
        return;
    }
    if (!m_journal || !m_journal->isOpen() || m_journal->path() != path) {
        m_journal = std::make_unique<ChangeJournal>(path);
        // The user's data folder may not exist before the first journaled save.
        QDir().mkpath(QFileInfo(path).absolutePath());
        m_journal->open(true);
    }
    m_run = m_journal->beginRun(QStringLiteral("window"), m_source ? m_source() : QString(),
                                runOptionsToJson(m_session.options()));
}

void JournalRecorder::aboutToSave(const SaveOutcome& outcome)
{
    m_pendingChange.reset();
    if (m_off)
        return;
    try {
        if (!m_run) {
            beginJournalRun();
            if (m_off)
                return;
        }
        m_pendingChange = m_journal->recordPending(*m_run, journalChangeOf(outcome, m_session));
        m_journal->commit();
    } catch (const DataError& error) {
        m_pendingChange.reset();
        throw DataError(error.source(),
                        QStringLiteral("The change was not saved, because it cannot be recorded in the change journal: "
                                       "%1 (The INI setting [Win] Journal=0 turns the journal off.)")
                            .arg(error.description()));
    }
}

void JournalRecorder::fieldSaved(const SaveOutcome& outcome)
{
    if (!m_pendingChange || !m_journal)
        return;
    const qint64 change = *m_pendingChange;
    m_pendingChange.reset();
    try {
        if (outcome.written)
            m_journal->markDone({change});
        else
            m_journal->discard(change);
        m_journal->commit();
    } catch (const DataError&) {
        // The change stays pending: whoever takes the run back asks the database whether it is there.
    }
}

void JournalRecorder::runEnded(const RunEnded& ended)
{
    const std::optional<qint64> run = m_run;
    m_run.reset();
    m_off = false;
    if (!run || !m_journal)
        return;
    try {
        m_journal->endRun(*run, ended.counts);
    } catch (const DataError&) {
        // A run without its end reads as broken off; its changes are all there.
    }
}

} // namespace dorvane
