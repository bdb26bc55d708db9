// "dorvane search" and "dorvane replace": one run of the session over the source's tables with the
// command line's options, composed as every front end composes it (RunSetup), with the hit policy of
// the command: a search and a dry run report each hit and go on, a replace saves each proposed value in
// batches with the journal in step. Prints the hit lines (search, dry run) and the summary; answers the
// exit status.
#pragma once

#include "cli/CliRequest.h"

namespace dorvane {

class Console;

class RunCommand
{
public:
    // REQUIRES: the request is a search or a replace. `programFolder` holds the sys tables.
    RunCommand(const CliRequest& request, Console& console, QString programFolder);

    int execute();

private:
    const CliRequest& m_request;
    Console& m_console;
    QString m_programFolder;
};

// The summary line "tables=T records=R hits=H saved=S failed=F".
QString summaryLine(qint64 tables, qint64 records, qint64 hits, qint64 saved, qint64 failed);

} // namespace dorvane
