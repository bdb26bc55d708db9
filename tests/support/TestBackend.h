// The database systems the data tests run on: SQLite files always, and the PostgreSQL and MariaDB
// servers whose connection strings the environment names (DORVANE_TEST_PG, DORVANE_TEST_MARIADB; CI
// starts both servers with scripts/db-servers.sh).
//
// A test program that runs on several backends runs on one per process: CMake's
// dorvane_add_backend_test registers one ctest entry per backend (test_searchrun_sqlite, …_postgresql,
// …_mariadb) that names it in DORVANE_TEST_BACKEND, and the program's main() hands its tests to
// runOnSelectedBackend(). So a server that is not named is one skipped entry and can never make another
// entry pass without running anything, and a server that does not answer fails its entry in seconds.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace dorvane::test {

enum class TestBackend
{
    Sqlite,
    PostgreSql,
    MariaDb,
};

// "SQLite", "PostgreSQL", "MariaDB".
QString backendName(TestBackend backend);

// The environment variable that holds the server's connection string; empty for SQLite.
QString backendVariable(TestBackend backend);

// The server's connection string from the environment, or "" when it is not set (and for SQLite).
QString serverConnectionString(TestBackend backend);

// The exit status by which a test program tells ctest that it was skipped (SKIP_RETURN_CODE).
constexpr int SkippedExitCode = 77;

// "sqlite", "postgresql", "mariadb": the names in DORVANE_TEST_BACKEND and in the ctest entries.
QString backendKey(TestBackend backend);

// The backend DORVANE_TEST_BACKEND names; SQLite when it is not set, nothing for an unknown name.
std::optional<TestBackend> selectedBackend();

// For main(): runs tests(backend) on the selected backend and returns its result, the number of failed
// tests. Without a run it says why on standard error and returns SkippedExitCode when the server's
// variable is not set or the program has no tests for that backend (runsOnSqlite false), and 1 for an
// unknown backend and for a server that cannot be reached within ten seconds (the driver's message).
int runOnSelectedBackend(const std::function<int(TestBackend)>& tests, bool runsOnSqlite = true);

// The server's connection string with a login timeout of the given seconds in the form its driver
// honours (psqlODBC: libpq's connect_timeout; MariaDB Connector/ODBC: CONN_TIMEOUT, since it ignores
// SQL_ATTR_LOGIN_TIMEOUT while it waits for a server's greeting). A timeout already given stays.
QString withLoginTimeout(TestBackend backend, const QString& connectionString, int seconds);

// A connection string to the database databaseName on the server, created when missing and emptied of its
// tables and views: each test starts from nothing. Separate test programs use separate databases, since
// ctest runs them side by side. REQUIRES: serverConnectionString(backend) is not empty. Throws DataError.
QString freshServerDatabase(TestBackend backend, const QString& databaseName);

} // namespace dorvane::test
