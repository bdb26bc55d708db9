// The start-up's verdict for a process that uses the plug-in library. The program runs its start-up
// once and records the outcome; a host's first call runs the start-up checks on the library's folder.
// Either way the verdict is final: a refused start-up ends the program, and for a host it refuses every
// later call, so that creating the class again cannot slip past a check that has failed (the checks
// fill the program folder before they refuse, so that folder alone says nothing). UI thread only.
#pragma once

#include <QString>

namespace dorvane {

class StartupPlatform;

class StartupGate
{
public:
    enum class Verdict
    {
        NotRun,
        Admitted,
        Refused,
    };

    Verdict verdict() const { return m_verdict; }

    // The program's own start-up decided. Only the first verdict counts.
    void record(Verdict verdict);

    // Runs the start-up checks (data access, INI file and language, rights) with their messages on the
    // program folder when no verdict exists yet; returns the verdict.
    Verdict pass(StartupPlatform& platform, const QString& programFolder);

private:
    Verdict m_verdict = Verdict::NotRun;
};

// The one gate of the process.
StartupGate& startupGate();

} // namespace dorvane
