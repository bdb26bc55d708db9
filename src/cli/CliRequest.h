// What one invocation of the command line asks for, as the parser read it from the arguments.
#pragma once

#include "engine/MatchOptions.h"

#include <QString>
#include <QStringList>

namespace dorvane {

enum class CliCommand
{
    Help,
    Tables,
    Search,
    Replace,
    Undo,
    Runs,
};

struct CliRequest
{
    CliCommand command = CliCommand::Help;
    // SOURCE: exactly one of the two for the commands that work on a data source.
    QString connection;
    QString file;
    QStringList tables; // empty: all tables
    MatchOptions match;
    bool dryRun = false;
    QString report; // "" for none; ends in .json or .csv
    QString journal;
    QString run = QStringLiteral("last"); // an id or "last"
    bool quiet = false;
    bool noServerFilter = false; // read every row, not only the server's candidates

    bool hasSource() const { return !connection.isEmpty() || !file.isEmpty(); }
};

} // namespace dorvane
