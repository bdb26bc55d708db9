#include "cli/UndoCommand.h"

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
#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/IdentifiedRow.h"
#include "datasource/PasswordFreeSource.h"
#include "engine/ChangeJournal.h"
#include "engine/JournalValue.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <map>
#include <memory>

namespace dorvane {

namespace {

using ColumnValues = std::vector<IdentifiedRow::ColumnValue>;

// The row as the journal names it: before the change (`substitute` false), or as the change left it,
// with the field's own column, where it names the row, holding the new value.
ColumnValues identityOf(const JournalChange& change, bool substitute)
{
    ColumnValues identity;
    for (qsizetype i = 0; i < change.row.columns.size(); ++i) {
        IdentifiedRow::ColumnValue column {change.row.columns.at(i), change.row.values.value(i),
                                           change.rowTexts.value(i)};
        if (substitute && column.column.compare(change.field, Qt::CaseInsensitive) == 0) {
            column.value = change.newValue;
            column.driverText.clear();
        }
        identity.push_back(column);
    }
    return identity;
}

QString encoded(const QVariant& value)
{
    const JournalValue v = encodeJournalValue(value);
    return v.kind + QChar(0x1f) + v.text + QChar(0x1f) + QString::fromLatin1(v.bytes.toHex());
}

// Where a dry run remembers what it would have restored: the field of a row named by its other
// identity columns, so that an older change of the same field sees the value the newer one leaves.
QString fieldKey(const JournalChange& change)
{
    QString key = change.table + QChar(0x1e) + change.field.toLower();
    for (qsizetype i = 0; i < change.row.columns.size(); ++i) {
        if (change.row.columns.at(i).compare(change.field, Qt::CaseInsensitive) == 0)
            continue;
        key += QChar(0x1e) + change.row.columns.at(i).toLower() + QLatin1Char('=')
            + encoded(change.row.values.value(i));
    }
    return key;
}

RowIdentity keyOf(const JournalChange& change)
{
    if (!change.row.byKey)
        return RowIdentity();
    RowIdentity key;
    key.byKey = true;
    key.columns = change.row.columns;
    for (const IdentifiedRow::ColumnValue& column : identityOf(change, true))
        key.values.append(column.value);
    return key;
}

} // namespace

UndoCommand::UndoCommand(const CliRequest& request, Console& console) : m_request(request), m_console(console) { }

int UndoCommand::execute()
{
    ChangeJournal journal(m_request.journal);
    std::optional<JournalRun> undone;
    try {
        journal.open(false);
        std::optional<qint64> id;
        if (m_request.run == QLatin1String("last"))
            id = journal.lastRun();
        else
            id = m_request.run.toLongLong();
        if (!id) {
            m_console.error(QStringLiteral("the journal %1 holds no runs").arg(m_request.journal));
            return ExitNotStarted;
        }
        undone = journal.run(*id);
        if (!undone) {
            m_console.error(QStringLiteral("the journal %1 has no run %2").arg(m_request.journal).arg(*id));
            return ExitNotStarted;
        }
    } catch (const DataError& error) {
        m_console.error(error.description());
        return ExitNotStarted;
    }

    std::unique_ptr<Connection> connection;
    std::vector<JournalChange> changes;
    QString connectionString;
    try {
        connectionString = CommandLineSource::connectionString(m_request);
        m_console.setSecrets(CommandLineSource::secretsOf(connectionString));
        connection = CommandLineSource::open(connectionString);
        m_console.setSecrets(CommandLineSource::secretsOf(connectionString)
                             + CommandLineSource::secretsOf(connection->ConnectionString()));
        changes = journal.changes(undone->id);
    } catch (const DataError& error) {
        m_console.error(error.description());
        return ExitNotStarted;
    }

    ReportRun reportRun;
    reportRun.command = QStringLiteral("undo");
    reportRun.source = withoutPasswords(connectionString);
    reportRun.options = QJsonObject {{QStringLiteral("run"), undone->id},
                                     {QStringLiteral("dryRun"), m_request.dryRun},
                                     {QStringLiteral("journal"), m_request.journal}};
    reportRun.started = QDateTime::currentDateTimeUtc();
    std::unique_ptr<ReportWriter> report;
    if (!m_request.report.isEmpty()) {
        report = ReportWriter::forPath(m_request.report);
        if (!report->open(m_request.report, reportRun)) {
            m_console.error(report->error());
            return ExitNotStarted;
        }
    }

    qint64 undoRun = 0;
    if (!m_request.dryRun) {
        try {
            undoRun = journal.beginRun(QStringLiteral("undo"), connectionString,
                                       QJsonObject {{QStringLiteral("run"), undone->id}}, undone->id);
        } catch (const DataError& error) {
            m_console.error(error.description());
            return ExitNotStarted;
        }
        reportRun.journal = m_request.journal;
        reportRun.journalRun = undoRun;
    }

    const bool dryRun = m_request.dryRun;
    ProblemLog problems(m_console);
    EntryQueue entries([&](const ReportEntry& entry) {
        problems.add(entry);
        if (report) {
            ReportEntry shown = entry;
            shown.reason = m_console.masked(shown.reason);
            report->add(shown);
        }
        if (dryRun) {
            m_console.out(QStringList {lineText(entry.table), recordLineText(entry.record), lineText(entry.field),
                                       lineText(entry.before), lineText(entry.after), entry.status}
                              .join(QLatin1Char('\t')));
        }
    });
    BatchCommitter committer(
        *connection, dryRun ? nullptr : &journal, undoRun, BatchCommitter::Limits(),
        [&](int count, bool committed, const QString& reason) { entries.batchEnded(count, committed, reason); });
    ProgressBar progress(m_console, !m_request.quiet);
    InterruptFlag interrupt;
    bool interrupted = false;

    std::map<QString, std::unique_ptr<IdentifiedRow>> rows;
    QHash<QString, QString> tableFailures;
    QHash<QString, QVariant> restoredInDryRun;
    QSet<QString> tables;
    qint64 done = 0;
    QElapsedTimer sinceDraw;
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        const JournalChange& change = *it;
        if (interrupt.isSet()) {
            interrupted = true;
            break;
        }
        if (committer.journalFailure())
            break;
        tables.insert(change.table);
        if (progress.isShown() && (!sinceDraw.isValid() || sinceDraw.elapsed() >= 50)) {
            progress.draw(Progress {0, 1, change.table, done, qint64(changes.size()), entries.saved()});
            sinceDraw.start();
        }
        ++done;

        ReportEntry entry;
        entry.table = change.table;
        entry.record = change.record;
        entry.field = change.field;
        entry.key = keyOf(change);
        entry.before = change.newValue;
        entry.after = change.oldValue;

        if (!rows.count(change.table) && !tableFailures.contains(change.table)) {
            try {
                rows[change.table] = std::make_unique<IdentifiedRow>(*connection, change.table);
            } catch (const DataError& error) {
                tableFailures.insert(change.table, error.description());
            }
        }
        if (tableFailures.contains(change.table)) {
            entry.status = QStringLiteral("failed");
            entry.reason = tableFailures.value(change.table);
            entries.add(entry);
            continue;
        }
        IdentifiedRow& row = *rows[change.table];
        const ColumnValues identity = identityOf(change, true);
        const IdentifiedRow::ColumnValue expected {change.field, change.newValue, QString()};
        try {
            qint64 holding = 0;
            const QString key = fieldKey(change);
            if (dryRun && restoredInDryRun.contains(key))
                holding = encoded(restoredInDryRun.value(key)) == encoded(change.newValue) ? 1 : 0;
            else
                holding = row.countHolding(identity, expected);
            if (holding == 1) {
                if (dryRun) {
                    restoredInDryRun.insert(key, change.oldValue);
                    entry.status = QStringLiteral("dry-run");
                    entries.add(entry);
                    continue;
                }
                JournalChange undo = change;
                undo.id = 0;
                undo.row.values.clear();
                undo.rowTexts.clear();
                for (const IdentifiedRow::ColumnValue& column : identity) {
                    undo.row.values.append(column.value);
                    undo.rowTexts.append(column.driverText);
                }
                undo.oldValue = change.newValue;
                undo.newValue = change.oldValue;
                undo.time = QDateTime::currentDateTimeUtc();
                committer.beforeWrite(undo);
                try {
                    row.write(identity, expected, change.oldValue);
                } catch (const DataError&) {
                    committer.afterWrite(false);
                    throw;
                }
                committer.afterWrite(true);
                entry.status = QStringLiteral("saved");
                entries.addAwaitingCommit(entry);
                continue;
            }
            const bool notApplied = change.state == JournalChange::State::Pending
                && row.countHolding(identityOf(change, false), {change.field, change.oldValue, QString()}) == 1;
            if (notApplied) {
                entry.status = QStringLiteral("not-applied");
                entry.reason = QStringLiteral("The change never reached the database.");
            } else {
                entry.status = QStringLiteral("conflict");
                entry.reason = holding == 0 ? QStringLiteral("The field no longer holds the value the run wrote, "
                                                             "or the row is gone; it is left alone.")
                                            : QStringLiteral("%1 rows hold the value the run wrote, so the row "
                                                             "cannot be told apart; it is left alone.")
                                                  .arg(holding);
            }
            entries.add(entry);
        } catch (const DataError& error) {
            entry.status = QStringLiteral("failed");
            entry.reason = error.description();
            entries.add(entry);
        }
    }
    committer.commit();
    progress.clear();
    entries.flush();
    problems.finish();

    RunCounts counts;
    counts.tables = int(tables.size());
    counts.records = done;
    counts.hits = done;
    counts.saved = entries.saved();
    counts.failed = entries.failed() + entries.conflicts();
    reportRun.ended = QDateTime::currentDateTimeUtc();
    reportRun.counts = counts;
    reportRun.counts.failed = entries.failed();
    reportRun.conflicts = entries.conflicts();
    int status = counts.failed > 0 ? ExitSomeFailed : ExitDone;
    if (!dryRun) {
        try {
            RunCounts journaled = counts;
            journaled.failed = entries.failed();
            journal.endRun(undoRun, journaled, entries.conflicts());
        } catch (const DataError& error) {
            m_console.error(error.description());
            status = ExitNotStarted;
        }
    }
    return finishCommand(m_console, {QStringLiteral("undo"), QStringLiteral("restored")}, status,
                         committer.journalFailure(), report.get(), reportRun, interrupted, counts);
}

} // namespace dorvane
