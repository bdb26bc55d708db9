// Ctrl-C (SIGINT) and SIGTERM during a run: instead of ending the process between a database's commit
// and the journal's, the signal only sets a flag that the run's pump reads; the run then stops at its
// next check, commits what it saved and reports. A second signal ends the process at once. While an
// InterruptFlag lives, it owns the two signals' handlers; one at a time.
#pragma once

namespace dorvane {

class InterruptFlag
{
public:
    InterruptFlag();
    ~InterruptFlag();
    InterruptFlag(const InterruptFlag&) = delete;
    InterruptFlag& operator=(const InterruptFlag&) = delete;

    bool isSet() const;
};

} // namespace dorvane
