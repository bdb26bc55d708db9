// Turns ODBC diagnostic records into the data error that callers show as source and description.
//
// A diagnostic message carries the components that produced it as bracketed prefixes, e.g.
// "[unixODBC][Driver Manager]Data source name not found..." or "[SQLite]no such table: x (1)". The
// source of the DataError is the text of those prefixes joined by a blank ("unixODBC Driver Manager",
// "SQLite"); the description is the message without them. With several records the source comes from
// the first one and the descriptions of all (duplicates dropped) are joined with CR LF, the way our
// message boxes join lines. A message without prefixes gets the source "ODBC".
#pragma once

#include "core/DataError.h"
#include "datasource/OdbcHandle.h"

#include <QList>
#include <QString>

#include <sql.h>

namespace dorvane {

struct OdbcDiagnostic
{
    QString sqlState;
    int nativeError = 0;
    QString message; // as the driver manager hands it over, prefixes included
};

inline bool odbcSucceeded(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

QList<OdbcDiagnostic> odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Source and description of one message, split as described above.
struct DiagnosticText
{
    QString source;
    QString description;
};
DiagnosticText splitDiagnosticMessage(const QString& message);

// The data error for a failed call. When the handle holds no diagnostics the description names the call.
DataError odbcError(SQLSMALLINT handleType, SQLHANDLE handle, const char* call);

// Throws odbcError when rc is neither SQL_SUCCESS nor SQL_SUCCESS_WITH_INFO.
void checkOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call);
inline void checkOdbc(SQLRETURN rc, const OdbcHandle& handle, const char* call)
{
    checkOdbc(rc, handle.type(), handle.get(), call);
}

} // namespace dorvane
