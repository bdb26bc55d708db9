#include "datasource/OdbcEnvironment.h"

#include "core/DataError.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcHandle.h"

#include <sqlext.h>

namespace dorvane {

namespace {

OdbcHandle makeEnvironment()
{
    SQLHANDLE env = SQL_NULL_HANDLE;
    if (!odbcSucceeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw DataError(QStringLiteral("ODBC"),
                        QStringLiteral("The ODBC driver manager cannot allocate an environment."));
    OdbcHandle handle(SQL_HANDLE_ENV, env);
    checkOdbc(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0), handle,
              "SQLSetEnvAttr");
    return handle;
}

} // namespace

SQLHENV OdbcEnvironment::handle()
{
    // Freed at exit after the connections: the driver manager refuses to free an environment that
    // still has connections, so a connection held by another static object cannot be orphaned.
    static const OdbcHandle environment = makeEnvironment();
    return environment.get();
}

} // namespace dorvane
