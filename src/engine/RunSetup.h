// The one way a run is put together, for the window, the command line, the benchmarks and the tests
// alike: a run session over a connection, with the data-type table of a program folder. Two setups can
// live in one process; nothing here reads process-wide state.
#pragma once

#include "engine/RunSession.h"
#include "engine/SearchableTypes.h"

#include <QString>

namespace dorvane {

class RunSetup
{
public:
    // `programFolder` holds "sys/dtype.dat" (made with the defaults at the first lookup when missing).
    RunSetup(const QString& programFolder, RunSession::ConnectionProvider connection);

    RunSession& session() { return m_session; }
    SearchableTypes& searchableTypes() { return m_types; }

    // The data-type table file of a program folder.
    static QString dataTypeFile(const QString& programFolder);

private:
    SearchableTypes m_types;
    RunSession m_session;
};

} // namespace dorvane
