// The database systems the data tests run on: SQLite files always, and the PostgreSQL and MariaDB
// servers whose connection strings the environment names (DORVANE_TEST_PG, DORVANE_TEST_MARIADB; CI
// starts both servers with scripts/db-servers.sh). A test on a server that is not there is skipped.
#pragma once

#include <QString>

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

// A connection string to the database databaseName on the server, created when missing and emptied of its
// tables and views: each test starts from nothing. Separate test programs use separate databases, since
// ctest runs them side by side. REQUIRES: serverConnectionString(backend) is not empty. Throws DataError.
QString freshServerDatabase(TestBackend backend, const QString& databaseName);

} // namespace dorvane::test
