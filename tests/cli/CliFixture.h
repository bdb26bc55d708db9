// The command line as a user runs it: the real "dorvane" program started as a process from a program folder
// of its own (a temporary folder holding a link to the executable, its sys tables beside it), over a real
// database: a SQLite file, or a fresh database on the PostgreSQL or MariaDB server the environment names.
// In the SQL texts a table name in braces, "{Order Details}", is written in the quoting of the backend.
#pragma once

#include "datasource/Connection.h"

#include "TempProgramFolder.h"
#include "TestBackend.h"

#include <QList>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace dorvane::test {

struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;

    // The lines of standard output; the summary is the last one.
    QStringList lines() const;
    QString summary() const { return lines().value(lines().size() - 1); }
};

// Every table's rows in the order of their first column, values as the data layer reads them.
using DatabaseSnapshot = QMap<QString, QList<QVariantList>>;

class CliFixture
{
public:
    // On a server the database is `database`, made afresh: test programs that run side by side use their own.
    CliFixture(TestBackend backend, const QStringList& statements,
               const QString& database = QStringLiteral("dorvane_cli"));
    ~CliFixture();

    TestBackend backend() const { return m_backend; }
    TempProgramFolder& folder() { return m_folder; }
    QString path(const QString& name) const { return m_folder.filePath(name); }
    const QString& connectionString() const { return m_connectionString; }
    QStringList source() const { return {QStringLiteral("--connection"), m_connectionString}; }
    // The fixture's own connection, opened when needed; closed while dorvane runs on a SQLite file, so that
    // the test holds no lock on it.
    Connection& connection();

    // The SQL text with every "{name}" quoted for this backend.
    QString sql(QString text) const;
    void exec(const QString& statement) { connection().Execute(sql(statement)); }

    // Runs dorvane with these arguments to its end, `input` on its standard input.
    CliResult run(const QStringList& arguments, int timeoutMs = 300000, const QByteArray& input = {});
    // Starts it and leaves it running (for the tests that kill it).
    std::unique_ptr<QProcess> start(const QStringList& arguments);

    DatabaseSnapshot snapshot();

private:
    TestBackend m_backend;
    TempProgramFolder m_folder;
    QString m_program;
    QString m_connectionString;
    std::unique_ptr<Connection> m_connection;
};

// The fields of a CSV text (RFC 4180): per row its fields, an unquoted empty field as none (NULL).
QList<QList<std::optional<QString>>> parseCsv(const QString& text);

} // namespace dorvane::test
