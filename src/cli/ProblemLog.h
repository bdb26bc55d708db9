// The entries that did not go as asked (failed, conflict), said on standard error as they become final,
// so that a run without --report still tells which fields it left alone and why. The first twenty are
// said one by one, the rest counted at the end.
#pragma once

#include "cli/ReportEntry.h"

namespace dorvane {

class Console;

class ProblemLog
{
public:
    explicit ProblemLog(Console& console, int shown = 20);

    void add(const ReportEntry& entry);
    // Says how many more there were, if any.
    void finish();

private:
    Console& m_console;
    int m_shown;
    qint64 m_count = 0;
};

} // namespace dorvane
