#include "datasource/OdbcHandle.h"

#include "datasource/OdbcDiagnostics.h"

namespace dorvane {

OdbcHandle OdbcHandle::allocate(SQLSMALLINT type, SQLHANDLE parent)
{
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
    checkOdbc(SQLAllocHandle(type, parent, &handle), parentType, parent, "SQLAllocHandle");
    return OdbcHandle(type, handle);
}

} // namespace dorvane
