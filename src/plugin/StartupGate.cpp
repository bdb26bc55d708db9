#include "plugin/StartupGate.h"

#include "core/Startup.h"

namespace dorvane {

void StartupGate::record(Verdict verdict)
{
    if (m_verdict == Verdict::NotRun)
        m_verdict = verdict;
}

StartupGate::Verdict StartupGate::pass(StartupPlatform& platform, const QString& programFolder)
{
    if (m_verdict != Verdict::NotRun)
        return m_verdict;
    // A message box of the checks runs an event loop; a host call arriving meanwhile finds the verdict
    // pending and must not start the checks a second time.
    m_verdict = Verdict::Refused;
    Startup startup(platform, programFolder);
    m_verdict = startup.CheckDataAccess() && startup.InitIniAndLanguage() ? Verdict::Admitted : Verdict::Refused;
    return m_verdict;
}

StartupGate& startupGate()
{
    static StartupGate gate;
    return gate;
}

} // namespace dorvane
