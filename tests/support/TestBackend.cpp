#include "TestBackend.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/QueryRecordSet.h"

#include <QSet>

#include <cstdio>

namespace dorvane::test {

QString backendName(TestBackend backend)
{
    switch (backend) {
    case TestBackend::Sqlite:
        return QStringLiteral("SQLite");
    case TestBackend::PostgreSql:
        return QStringLiteral("PostgreSQL");
    case TestBackend::MariaDb:
        return QStringLiteral("MariaDB");
    }
    return QString();
}

QString backendVariable(TestBackend backend)
{
    switch (backend) {
    case TestBackend::Sqlite:
        return QString();
    case TestBackend::PostgreSql:
        return QStringLiteral("DORVANE_TEST_PG");
    case TestBackend::MariaDb:
        return QStringLiteral("DORVANE_TEST_MARIADB");
    }
    return QString();
}

QString serverConnectionString(TestBackend backend)
{
    const QString variable = backendVariable(backend);
    return variable.isEmpty() ? QString() : qEnvironmentVariable(variable.toLatin1().constData()).trimmed();
}

QString backendKey(TestBackend backend)
{
    return backendName(backend).toLower();
}

std::optional<TestBackend> selectedBackend()
{
    const QString key = qEnvironmentVariable("DORVANE_TEST_BACKEND").trimmed().toLower();
    if (key.isEmpty())
        return TestBackend::Sqlite;
    for (const TestBackend backend : {TestBackend::Sqlite, TestBackend::PostgreSql, TestBackend::MariaDb}) {
        if (key == backendKey(backend))
            return backend;
    }
    return std::nullopt;
}

QString withLoginTimeout(TestBackend backend, const QString& connectionString, int seconds)
{
    const ConnectionStringEntries entries = ConnectionStringEntries::parse(connectionString);
    const QString separator = connectionString.trimmed().endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";");
    switch (backend) {
    case TestBackend::Sqlite:
        break;
    case TestBackend::PostgreSql:
        if (!entries.contains(QStringLiteral("pqopt")))
            return connectionString + separator + QStringLiteral("pqopt={connect_timeout=%1}").arg(seconds);
        break;
    case TestBackend::MariaDb:
        if (!entries.contains(QStringLiteral("CONN_TIMEOUT")))
            return connectionString + separator + QStringLiteral("CONN_TIMEOUT=%1").arg(seconds);
        break;
    }
    return connectionString;
}

int runOnSelectedBackend(const std::function<int(TestBackend)>& tests, bool runsOnSqlite)
{
    const std::optional<TestBackend> backend = selectedBackend();
    if (!backend) {
        std::fprintf(stderr, "DORVANE_TEST_BACKEND=%s names no backend (sqlite, postgresql, mariadb)\n",
                     qPrintable(qEnvironmentVariable("DORVANE_TEST_BACKEND")));
        return 1;
    }
    if (*backend == TestBackend::Sqlite && !runsOnSqlite) {
        std::fprintf(stderr, "SKIP: these tests need a server; DORVANE_TEST_BACKEND names postgresql or mariadb\n");
        return SkippedExitCode;
    }
    if (*backend != TestBackend::Sqlite) {
        const QString serverString = serverConnectionString(*backend);
        if (serverString.isEmpty()) {
            std::fprintf(stderr, "SKIP: %s is not set: the tests on %s need its server (see README)\n",
                         qPrintable(backendVariable(*backend)), qPrintable(backendName(*backend)));
            return SkippedExitCode;
        }
        // Asked once, with a timeout: a server that does not answer fails this entry now, with the
        // driver's message, instead of every test waiting on its own.
        try {
            Connection probe;
            probe.setConnectionString(withLoginTimeout(*backend, serverString, 10));
            probe.Open();
        } catch (const DataError& error) {
            std::fprintf(stderr, "FAIL: the %s server named by %s cannot be reached: %s\n",
                         qPrintable(backendName(*backend)), qPrintable(backendVariable(*backend)),
                         qPrintable(error.description()));
            return 1;
        }
    }
    return tests(*backend);
}

namespace {

void createDatabase(TestBackend backend, const QString& serverString, const QString& databaseName)
{
    Connection admin;
    admin.setConnectionString(serverString);
    admin.Open();
    if (backend == TestBackend::MariaDb) {
        admin.Execute(QStringLiteral("CREATE DATABASE IF NOT EXISTS %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_bin")
                          .arg(admin.quoteIdentifier(databaseName)));
        return;
    }
    QueryRecordSet existing;
    existing.Open(admin, QStringLiteral("SELECT 1 FROM pg_database WHERE datname = '%1'").arg(databaseName));
    if (existing.IsEOF()) {
        existing.Close();
        admin.Execute(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0")
                          .arg(admin.quoteIdentifier(databaseName)));
    }
}

} // namespace

QString freshServerDatabase(TestBackend backend, const QString& databaseName)
{
    static QSet<QString> created;
    const QString serverString = serverConnectionString(backend);
    const QString key = backendName(backend) + QLatin1Char('/') + databaseName;
    if (!created.contains(key)) {
        createDatabase(backend, serverString, databaseName);
        created.insert(key);
    }
    ConnectionStringEntries entries = ConnectionStringEntries::parse(serverString);
    entries.set(QStringLiteral("Database"), databaseName);
    const QString connectionString = entries.toString();

    Connection connection;
    connection.setConnectionString(connectionString);
    connection.Open();
    SchemaRecordSet schema = connection.OpenSchema();
    QStringList views;
    QStringList tables;
    for (; !schema.IsEOF(); schema.MoveNext()) {
        const QString type = schema.Fields(3).Value().toString();
        const QString name = schema.Fields(2).Value().toString();
        if (type == QLatin1String("VIEW"))
            views.append(name);
        else if (type == QLatin1String("TABLE"))
            tables.append(name);
    }
    for (const QString& view : views)
        connection.Execute(QStringLiteral("DROP VIEW %1").arg(connection.quoteIdentifier(view)));
    for (const QString& table : tables) {
        connection.Execute(QStringLiteral("DROP TABLE %1%2")
                               .arg(connection.quoteIdentifier(table),
                                    backend == TestBackend::PostgreSql ? QStringLiteral(" CASCADE") : QString()));
    }
    return connectionString;
}

} // namespace dorvane::test
