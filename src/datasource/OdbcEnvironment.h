// The one ODBC environment of the process (ODBC 3 behaviour). Every connection is allocated below it.
// Created on first use; safe to call from any thread, although the data-access objects themselves
// belong to the user-interface thread.
#pragma once

#include <sql.h>

namespace dorvane {

class OdbcEnvironment
{
public:
    // Throws DataError when the driver manager cannot provide an environment.
    static SQLHENV handle();
};

} // namespace dorvane
