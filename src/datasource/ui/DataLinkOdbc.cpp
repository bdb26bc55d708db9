#include "datasource/ui/DataLinkOdbc.h"

#include <QStringList>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <memory>

namespace dorvane {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must use UTF-16 wide characters");

struct EnvironmentDeleter
{
    void operator()(void* handle) const { SQLFreeHandle(SQL_HANDLE_ENV, handle); }
};
struct ConnectionDeleter
{
    void operator()(void* handle) const
    {
        // Disconnecting a handle that never connected only reports an error; freeing needs it first.
        SQLDisconnect(handle);
        SQLFreeHandle(SQL_HANDLE_DBC, handle);
    }
};
struct StatementDeleter
{
    void operator()(void* handle) const { SQLFreeHandle(SQL_HANDLE_STMT, handle); }
};

using EnvironmentHandle = std::unique_ptr<void, EnvironmentDeleter>;
using ConnectionHandle = std::unique_ptr<void, ConnectionDeleter>;
using StatementHandle = std::unique_ptr<void, StatementDeleter>;

bool succeeded(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

QString fromWide(const SQLWCHAR* text, SQLSMALLINT length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

const SQLWCHAR* toWide(const QString& text)
{
    return reinterpret_cast<const SQLWCHAR*>(text.utf16());
}

EnvironmentHandle newEnvironment()
{
    SQLHENV env = SQL_NULL_HENV;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return {};
    EnvironmentHandle handle(env);
    if (!succeeded(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
        return {};
    return handle;
}

QString diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QStringList lines;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLWCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc
            = SQLGetDiagRecW(type, handle, record, state, &nativeError, message, SQL_MAX_MESSAGE_LENGTH + 1, &length);
        if (!succeeded(rc))
            break;
        const SQLSMALLINT shown = std::min<SQLSMALLINT>(length, SQL_MAX_MESSAGE_LENGTH);
        lines.append(fromWide(message, shown));
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

QStringList DataLinkOdbc::installedDrivers()
{
    QStringList result;
    EnvironmentHandle env = newEnvironment();
    if (!env)
        return result;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLWCHAR attributes[2048] = {};
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc
            = SQLDriversW(env.get(), direction, name, 512, &nameLength, attributes, 2048, &attributesLength);
        if (!succeeded(rc))
            break;
        result.append(fromWide(name, std::min<SQLSMALLINT>(nameLength, 511)));
        direction = SQL_FETCH_NEXT;
    }
    return result;
}

QList<DataLinkOdbc::DataSource> DataLinkOdbc::configuredDataSources()
{
    QList<DataSource> result;
    EnvironmentHandle env = newEnvironment();
    if (!env)
        return result;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
        SQLSMALLINT nameLength = 0;
        SQLWCHAR description[512] = {};
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc = SQLDataSourcesW(env.get(), direction, name, SQL_MAX_DSN_LENGTH + 1, &nameLength,
                                             description, 512, &descriptionLength);
        if (!succeeded(rc))
            break;
        result.append({fromWide(name, std::min<SQLSMALLINT>(nameLength, SQL_MAX_DSN_LENGTH)),
                       fromWide(description, std::min<SQLSMALLINT>(descriptionLength, 511))});
        direction = SQL_FETCH_NEXT;
    }
    return result;
}

DataLinkOdbc::TestResult DataLinkOdbc::testConnection(const QString& connectionString)
{
    EnvironmentHandle env = newEnvironment();
    if (!env)
        return {false, QStringLiteral("The ODBC driver manager could not be initialised.")};

    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env.get(), &dbc)))
        return {false, diagnostics(SQL_HANDLE_ENV, env.get())};
    ConnectionHandle connection(dbc);

    // The dialog has already asked for everything it wants; the trial must never open a driver's prompt.
    const SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR*>(toWide(connectionString)), SQL_NTS,
                                           nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!succeeded(rc)) {
        const QString text = diagnostics(SQL_HANDLE_DBC, dbc);
        return {false, text.isEmpty() ? QStringLiteral("The connection could not be opened.") : text};
    }

    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)))
        return {false, diagnostics(SQL_HANDLE_DBC, dbc)};
    StatementHandle statement(stmt);
    SQLRETURN tables = SQLTablesW(stmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    if (succeeded(tables)) {
        tables = SQLFetch(stmt);
        if (tables == SQL_NO_DATA)
            tables = SQL_SUCCESS;
    }
    if (!succeeded(tables)) {
        const QString text = diagnostics(SQL_HANDLE_STMT, stmt);
        return {false, text.isEmpty() ? QStringLiteral("The data source's tables could not be read.") : text};
    }
    return {true, QString()};
}

} // namespace dorvane
