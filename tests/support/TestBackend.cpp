#include "TestBackend.h"

#include "datasource/Connection.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/QueryRecordSet.h"

#include <QSet>

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
