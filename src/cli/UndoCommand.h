// "dorvane undo": takes a journaled run back. Each change of the run, newest first, gets its old value
// written back into the one row its identity names, and only where the field still holds the value the
// run wrote: the check is the update's own WHERE on the server (the rule of every save), so nothing
// else is ever touched. A field that changed since is a conflict, reported and left alone. A change the
// journal holds as pending (caught in flight by a crash) is asked of the database: holding the new value
// it is taken back, holding the old one it never arrived ("not-applied"). The undo is itself a journaled
// run, committed in batches like a replace; with --dry-run it only reports what it would restore.
#pragma once

#include "cli/CliRequest.h"

namespace dorvane {

class Console;

class UndoCommand
{
public:
    UndoCommand(const CliRequest& request, Console& console);

    int execute();

private:
    const CliRequest& m_request;
    Console& m_console;
};

} // namespace dorvane
