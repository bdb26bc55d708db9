#include "cli/InterruptFlag.h"

#include <csignal>

namespace dorvane {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int signal)
{
    if (interrupted) {
        // A second request: the user wants out now. The database rolls back what is not committed.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    interrupted = 1;
}

} // namespace

InterruptFlag::InterruptFlag()
{
    interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

InterruptFlag::~InterruptFlag()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

bool InterruptFlag::isSet() const
{
    return interrupted != 0;
}

} // namespace dorvane
