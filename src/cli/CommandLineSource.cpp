#include "cli/CommandLineSource.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/ConnectionStringEntries.h"
#include "datasource/FileDriverChoice.h"
#include "datasource/FileDriverTable.h"
#include "datasource/PasswordFreeSource.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace dorvane {

namespace {

DataError sourceError(const QString& description)
{
    return DataError(QStringLiteral("dorvane"), description);
}

// "--connection -": the string is the first line of standard input, where a password is not in the
// process list for every user of the machine to read.
QString connectionFromStandardInput()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        throw sourceError(QStringLiteral("standard input cannot be read for the connection string"));
    QByteArray line = input.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QString connection = QString::fromUtf8(line);
    if (connection.trimmed().isEmpty())
        throw sourceError(QStringLiteral("--connection - found no connection string on standard input"));
    return connection;
}

} // namespace

QString CommandLineSource::connectionString(const CliRequest& request)
{
    if (request.file.isEmpty())
        return request.connection == QLatin1String("-") ? connectionFromStandardInput() : request.connection;
    const QFileInfo file(request.file);
    if (!file.exists())
        throw sourceError(QStringLiteral("there is no file %1").arg(request.file));
    const QString path = file.absoluteFilePath();
    std::optional<FileDriverRow> row;
    try {
        MemoryRecordSet table = openFileDriverTable();
        row = findFileDriver(table, path);
        table.Close();
    } catch (const DataError& error) {
        throw sourceError(QStringLiteral("the file-driver table %1 cannot be read: %2")
                              .arg(fileDriverTablePath(), error.description()));
    }
    row = chooseFileDriver(path, row);
    if (!row) {
        throw sourceError(QStringLiteral("the file-driver table %1 has no driver for files ending in \".%2\", "
                                         "and the file is no database of a kind this program recognises")
                              .arg(fileDriverTablePath(), file.suffix().toLower()));
    }
    return fileDriverConnectionString(*row, path);
}

std::unique_ptr<Connection> CommandLineSource::open(const QString& connectionString)
{
    auto connection = std::make_unique<Connection>();
    connection->setConnectionString(connectionString);
    try {
        connection->Open();
    } catch (const DataError& error) {
        throw sourceError(
            QStringLiteral("the source cannot be opened: %1: %2").arg(error.source(), error.description()));
    }
    return connection;
}

QStringList CommandLineSource::secretsOf(const QString& connectionString)
{
    QStringList secrets;
    const ConnectionStringEntries entries = ConnectionStringEntries::parse(connectionString);
    for (const ConnectionStringEntries::Entry& entry : entries.entries()) {
        if (isSecretConnectionKey(entry.key) && !entry.value.isEmpty())
            secrets.append(entry.value);
        else if (entry.value.contains(QLatin1Char('=')))
            secrets += secretsOf(entry.value); // a list of entries inside a value
    }
    return secrets;
}

} // namespace dorvane
