// The exit statuses of the command line.
#pragma once

namespace dorvane {

enum ExitStatus : int
{
    ExitDone = 0, // every hit was saved, or nothing was asked to be saved
    ExitSomeFailed = 1, // some saves failed (or undo met conflicts, or a table or field could not be read)
    ExitNotStarted = 2, // bad usage, an invalid pattern, a source or journal that cannot be used
    ExitInterrupted = 130, // stopped by a signal; what was saved until then is committed and journaled
};

} // namespace dorvane
