#include "cli/RunCommand.h"

#include "cli/BatchCommitter.h"
#include "cli/CommandEnding.h"
#include "cli/CommandLineSource.h"
#include "cli/Console.h"
#include "cli/EntryQueue.h"
#include "cli/ExitStatus.h"
#include "cli/InterruptFlag.h"
#include "cli/ProblemLog.h"
#include "cli/ProgressBar.h"
#include "cli/ReportValue.h"
#include "cli/ReportWriter.h"
#include "cli/RunRecorder.h"
#include "cli/SourceTables.h"
#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/PasswordFreeSource.h"
#include "engine/ChangeJournal.h"
#include "engine/RunOptionsJson.h"
#include "engine/RunSetup.h"

#include <QFileInfo>
#include <QSet>

#include <memory>

namespace dorvane {

namespace {

// The run's journal side: each save's intent before it writes, its outcome after.
class SaveJournaling : public RunObserver
{
public:
    SaveJournaling(const RunSession& session, BatchCommitter& committer)
        : m_session(session), m_committer(committer) { }
    void aboutToSave(const SaveOutcome& outcome) override
    {
        m_committer.beforeWrite(journalChangeOf(outcome, m_session));
    }
    void fieldSaved(const SaveOutcome& outcome) override { m_committer.afterWrite(outcome.written); }

private:
    const RunSession& m_session;
    BatchCommitter& m_committer;
};

// A table or field that could not be read, said once per table and description.
class FaultPrinter : public RunObserver
{
public:
    explicit FaultPrinter(Console& console) : m_console(console) { }
    void runFault(const RunFault& fault) override
    {
        const QString where = fault.tableFailed() || fault.fieldName.isEmpty()
            ? fault.position.tableName
            : fault.position.tableName + QLatin1Char('.') + fault.fieldName;
        if (m_seen.contains(fault.position.tableName + QChar(0) + fault.description))
            return;
        m_seen.insert(fault.position.tableName + QChar(0) + fault.description);
        m_console.error(QStringLiteral("%1: %2").arg(where, fault.description));
    }

private:
    Console& m_console;
    QSet<QString> m_seen;
};

QString hitLine(const ReportEntry& entry, bool withAfter)
{
    QStringList parts {lineText(entry.table), recordLineText(entry.record), lineText(entry.field),
                       lineText(entry.before)};
    if (withAfter)
        parts.append(lineText(entry.after));
    return parts.join(QLatin1Char('\t'));
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    const QString canonical = first.canonicalFilePath();
    return !canonical.isEmpty() ? canonical == second.canonicalFilePath()
                                : first.absoluteFilePath() == second.absoluteFilePath();
}

} // namespace

QString summaryLine(qint64 tables, qint64 records, qint64 hits, qint64 saved, qint64 failed)
{
    return QStringLiteral("tables=%1 records=%2 hits=%3 saved=%4 failed=%5")
        .arg(tables)
        .arg(records)
        .arg(hits)
        .arg(saved)
        .arg(failed);
}

RunCommand::RunCommand(const CliRequest& request, Console& console, QString programFolder)
    : m_request(request), m_console(console), m_programFolder(std::move(programFolder))
{
}

int RunCommand::execute()
{
    const bool replacing = m_request.command == CliCommand::Replace;
    const bool saving = replacing && !m_request.dryRun;
    std::unique_ptr<Connection> connection;
    RunSetup setup(m_programFolder, [&] { return connection.get(); });
    RunSession& session = setup.session();

    RunOptions options;
    options.match = m_request.match;
    options.policy = saving ? HitPolicy::SaveEvery : HitPolicy::SkipEvery;
    options.rule = ReplacementRule::Literal;
    options.serverCandidates = !m_request.noServerFilter;
    session.setMatchOptions(options.match);
    try {
        session.checkPattern();
    } catch (const DataError& error) {
        m_console.error(QStringLiteral("invalid pattern: %1").arg(error.description()));
        return ExitNotStarted;
    }
    try {
        // Made with the defaults when missing; a table that cannot be read would fail every field.
        setup.searchableTypes().isSearchable(ado::adVarWChar);
    } catch (const DataError& error) {
        m_console.error(QStringLiteral("the data-type table %1 cannot be read: %2")
                            .arg(setup.searchableTypes().path(), error.description()));
        return ExitNotStarted;
    }

    QString connectionString;
    try {
        connectionString = CommandLineSource::connectionString(m_request);
        m_console.setSecrets(CommandLineSource::secretsOf(connectionString));
        connection = CommandLineSource::open(connectionString);
        m_console.setSecrets(CommandLineSource::secretsOf(connectionString)
                             + CommandLineSource::secretsOf(connection->ConnectionString()));
        options.tables = resolveTableNames(*connection, m_request.tables);
    } catch (const DataError& error) {
        m_console.error(error.description());
        return ExitNotStarted;
    }

    ReportRun reportRun;
    reportRun.command = replacing ? QStringLiteral("replace") : QStringLiteral("search");
    reportRun.source = withoutPasswords(connectionString);
    reportRun.options = runOptionsToJson(options);
    reportRun.options.insert(QStringLiteral("dryRun"), m_request.dryRun);
    reportRun.options.insert(QStringLiteral("serverFilter"), options.serverCandidates);
    reportRun.started = QDateTime::currentDateTimeUtc();

    // The report first: a run that cannot report must not leave a journaled run behind.
    std::unique_ptr<ReportWriter> report;
    if (!m_request.report.isEmpty()) {
        report = ReportWriter::forPath(m_request.report);
        if (!report->open(m_request.report, reportRun)) {
            m_console.error(report->error());
            return ExitNotStarted;
        }
    }

    std::unique_ptr<ChangeJournal> journal;
    qint64 journalRun = 0;
    if (saving && !m_request.journal.isEmpty()) {
        if (!m_request.file.isEmpty() && sameFile(m_request.file, m_request.journal)) {
            m_console.error(QStringLiteral("the journal must be another file than the source"));
            return ExitNotStarted;
        }
        journal = std::make_unique<ChangeJournal>(m_request.journal);
        try {
            journal->open(true);
            QJsonObject journalOptions = reportRun.options;
            journalOptions.remove(QStringLiteral("dryRun"));
            journalOptions.remove(QStringLiteral("serverFilter"));
            journalRun = journal->beginRun(QStringLiteral("replace"), connectionString, journalOptions);
        } catch (const DataError& error) {
            m_console.error(error.description());
            return ExitNotStarted;
        }
        reportRun.journal = m_request.journal;
        reportRun.journalRun = journalRun;
    }

    const bool showLines = !saving;
    const bool withAfter = replacing;
    ProblemLog problems(m_console);
    EntryQueue entries([&](const ReportEntry& entry) {
        problems.add(entry);
        if (report) {
            ReportEntry shown = entry;
            shown.reason = m_console.masked(shown.reason);
            report->add(shown);
        }
        if (showLines)
            m_console.out(hitLine(entry, withAfter));
    });
    RunRecorder recorder(saving ? RunRecorder::Mode::Replace
                                : (replacing ? RunRecorder::Mode::DryRun : RunRecorder::Mode::Search),
                         entries);
    BatchCommitter committer(
        *connection, journal.get(), journalRun, BatchCommitter::Limits(),
        [&](int changes, bool committed, const QString& reason) { entries.batchEnded(changes, committed, reason); });
    SaveJournaling journaling(session, committer);
    FaultPrinter faults(m_console);
    session.addObserver(&recorder);
    session.addObserver(&faults);
    if (saving)
        session.addObserver(&journaling);

    ProgressBar progress(m_console, !m_request.quiet);
    InterruptFlag interrupt;
    bool interrupted = false;
    session.setEventPumpInterval(50);
    session.setPump([&](RunSession::Checkpoint) {
        if (interrupt.isSet() || committer.journalFailure()) {
            interrupted = interrupt.isSet();
            session.stop();
            return;
        }
        if (saving)
            committer.commitIfDue();
        if (progress.isShown()) {
            const RunPosition& position = session.position();
            progress.draw(Progress {position.table, int(session.state().TableList.size()), position.tableName,
                                    qint64(position.record), qint64(session.recordCount()), session.counts().hits});
        }
    });

    RunEnded ended;
    try {
        ended = session.runToEnd(options);
    } catch (const DataError& error) {
        progress.clear();
        m_console.error(error.description());
        return ExitNotStarted;
    }
    committer.commit();
    progress.clear();
    entries.flush();
    problems.finish();

    RunCounts counts = ended.counts;
    counts.saved = entries.saved();
    counts.failed = entries.failed();
    reportRun.ended = QDateTime::currentDateTimeUtc();
    reportRun.counts = counts;
    int status = counts.failed > 0 || counts.faults > 0 ? ExitSomeFailed : ExitDone;
    if (journal) {
        try {
            journal->endRun(journalRun, counts);
        } catch (const DataError& error) {
            m_console.error(error.description());
            status = ExitNotStarted;
        }
    }
    return finishCommand(m_console, {QStringLiteral("run"), QStringLiteral("saved")}, status,
                         committer.journalFailure(), report.get(), reportRun, interrupted, counts);
}

} // namespace dorvane
