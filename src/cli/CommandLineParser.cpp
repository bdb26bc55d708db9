#include "cli/CommandLineParser.h"

#include <QSet>

#include <initializer_list>

namespace dorvane {

namespace {

struct CommandSpec
{
    const char* name;
    CliCommand command;
    bool needsSource;
    std::initializer_list<const char*> options; // without the leading "--"
};

const CommandSpec Commands[] = {
    {"tables", CliCommand::Tables, true, {"connection", "file", "quiet"}},
    {"search",
     CliCommand::Search,
     true,
     {"connection", "file", "table", "find", "whole-field", "match-case", "whole-words", "regex", "report", "quiet",
      "no-server-filter"}},
    {"replace",
     CliCommand::Replace,
     true,
     {"connection", "file", "table", "find", "replace", "whole-field", "match-case", "whole-words", "regex", "dry-run",
      "report", "journal", "quiet", "no-server-filter"}},
    {"undo", CliCommand::Undo, true, {"connection", "file", "journal", "run", "dry-run", "report", "quiet"}},
    {"runs", CliCommand::Runs, false, {"journal"}},
};

const QSet<QString> ValueOptions = {
    QStringLiteral("connection"), QStringLiteral("file"),   QStringLiteral("table"),   QStringLiteral("find"),
    QStringLiteral("replace"),    QStringLiteral("report"), QStringLiteral("journal"), QStringLiteral("run"),
};

ParsedCommandLine bad(const QString& error)
{
    return ParsedCommandLine {std::nullopt, error};
}

bool isHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (isHelp(argument))
            return ParsedCommandLine {CliRequest {}, QString()};
    }
    if (arguments.isEmpty())
        return bad(QStringLiteral("no command given"));
    if (arguments.first() == QLatin1String("help"))
        return ParsedCommandLine {CliRequest {}, QString()};

    const CommandSpec* chosen = nullptr;
    for (const CommandSpec& candidate : Commands) {
        if (arguments.first() == QLatin1String(candidate.name))
            chosen = &candidate;
    }
    if (!chosen)
        return bad(QStringLiteral("unknown command \"%1\"").arg(arguments.first()));

    CliRequest request;
    request.command = chosen->command;
    QSet<QString> seen;
    bool runGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")) || argument.size() < 3)
            return bad(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        QString name = argument.mid(2);
        std::optional<QString> value;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name = name.left(equals);
        }
        bool known = false;
        for (const char* option : chosen->options)
            known = known || name == QLatin1String(option);
        if (!known)
            return bad(QStringLiteral("\"%1\" takes no option --%2").arg(QLatin1String(chosen->name), name));
        const bool takesValue = ValueOptions.contains(name);
        if (takesValue && !value) {
            if (i + 1 >= arguments.size())
                return bad(QStringLiteral("--%1 needs a value").arg(name));
            value = arguments.at(++i);
        }
        if (!takesValue && value)
            return bad(QStringLiteral("--%1 takes no value").arg(name));
        if (name != QLatin1String("table") && seen.contains(name))
            return bad(QStringLiteral("--%1 is given twice").arg(name));
        seen.insert(name);

        if (name == QLatin1String("connection"))
            request.connection = *value;
        else if (name == QLatin1String("file"))
            request.file = *value;
        else if (name == QLatin1String("table"))
            request.tables.append(*value);
        else if (name == QLatin1String("find"))
            request.match.search = *value;
        else if (name == QLatin1String("replace"))
            request.match.replacement = *value;
        else if (name == QLatin1String("whole-field"))
            request.match.wholeField = true;
        else if (name == QLatin1String("match-case"))
            request.match.caseSensitive = true;
        else if (name == QLatin1String("whole-words"))
            request.match.wholeWords = true;
        else if (name == QLatin1String("regex"))
            request.match.regularExpression = true;
        else if (name == QLatin1String("dry-run"))
            request.dryRun = true;
        else if (name == QLatin1String("report"))
            request.report = *value;
        else if (name == QLatin1String("journal"))
            request.journal = *value;
        else if (name == QLatin1String("run")) {
            request.run = *value;
            runGiven = true;
        } else if (name == QLatin1String("quiet"))
            request.quiet = true;
        else if (name == QLatin1String("no-server-filter"))
            request.noServerFilter = true;
    }

    const QString command = QLatin1String(chosen->name);
    if (chosen->needsSource) {
        if (seen.contains(QStringLiteral("connection")) && seen.contains(QStringLiteral("file")))
            return bad(QStringLiteral("give the source either as --connection or as --file, not both"));
        if (request.connection.trimmed().isEmpty() && request.file.isEmpty())
            return bad(QStringLiteral("\"%1\" needs a source: --connection STRING or --file PATH").arg(command));
    }
    for (const QString& table : request.tables) {
        if (table.isEmpty())
            return bad(QStringLiteral("--table needs a table name"));
    }
    if ((request.command == CliCommand::Search || request.command == CliCommand::Replace) && !request.match.search)
        return bad(QStringLiteral("\"%1\" needs --find TEXT").arg(command));
    if (request.command == CliCommand::Replace && !request.match.replacement)
        return bad(QStringLiteral("\"replace\" needs --replace TEXT"));
    // As the window: a regular expression needs a pattern, while an empty text looks for empty fields.
    if (request.match.regularExpression && request.match.search && request.match.search->isEmpty())
        return bad(QStringLiteral("--regex needs a pattern in --find"));
    if (!request.report.isEmpty() && !request.report.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)
        && !request.report.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return bad(QStringLiteral("--report must name a file ending in .json or .csv"));
    if ((request.command == CliCommand::Undo || request.command == CliCommand::Runs) && request.journal.isEmpty())
        return bad(QStringLiteral("\"%1\" needs --journal FILE").arg(command));
    if (request.command == CliCommand::Replace && request.dryRun && !request.journal.isEmpty())
        request.journal.clear(); // a dry run changes nothing, so it has nothing to journal
    if (runGiven && request.run != QLatin1String("last")) {
        bool ok = false;
        const qlonglong id = request.run.toLongLong(&ok);
        if (!ok || id < 1)
            return bad(QStringLiteral("--run takes a run id (a whole number) or \"last\""));
    }
    return ParsedCommandLine {request, QString()};
}

} // namespace dorvane
