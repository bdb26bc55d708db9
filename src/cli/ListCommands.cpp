#include "cli/ListCommands.h"

#include "cli/CommandLineSource.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/ReportValue.h"
#include "core/DataError.h"
#include "datasource/BaseTables.h"
#include "datasource/Connection.h"
#include "engine/ChangeJournal.h"

#include <QJsonDocument>

namespace dorvane {

int listTables(const CliRequest& request, Console& console)
{
    try {
        const QString connectionString = CommandLineSource::connectionString(request);
        console.setSecrets(CommandLineSource::secretsOf(connectionString));
        const std::unique_ptr<Connection> connection = CommandLineSource::open(connectionString);
        for (const QString& table : baseTableNames(*connection))
            console.out(lineText(table));
    } catch (const DataError& error) {
        console.error(error.description());
        return ExitNotStarted;
    }
    return ExitDone;
}

int listRuns(const CliRequest& request, Console& console)
{
    try {
        ChangeJournal journal(request.journal);
        journal.open(false);
        console.out(QStringLiteral("id\tkind\tstarted\tended\tsource\toptions\ttables\trecords\thits\tsaved\tfailed\t"
                                   "conflicts\tchanges\tpending"));
        const auto time = [](const QDateTime& t) {
            return t.isValid() ? t.toString(Qt::ISODateWithMs) : QStringLiteral("-");
        };
        for (const JournalRun& run : journal.runs()) {
            QString kind = run.kind;
            if (run.undoes)
                kind += QStringLiteral(" of ") + QString::number(*run.undoes);
            const RunCounts& c = run.counts;
            console.out(
                QStringList {QString::number(run.id), kind, time(run.started), time(run.ended), lineText(run.source),
                             lineText(QString::fromUtf8(QJsonDocument(run.options).toJson(QJsonDocument::Compact))),
                             QString::number(c.tables), QString::number(c.records), QString::number(c.hits),
                             QString::number(c.saved), QString::number(c.failed), QString::number(run.conflicts),
                             QString::number(run.changes), QString::number(run.pending)}
                    .join(QLatin1Char('\t')));
        }
    } catch (const DataError& error) {
        console.error(error.description());
        return ExitNotStarted;
    }
    return ExitDone;
}

} // namespace dorvane
