#include "CliFixture.h"

#include "datasource/BaseTables.h"
#include "datasource/QueryRecordSet.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

namespace dorvane::test {

QStringList CliResult::lines() const
{
    QStringList result = out.split(QLatin1Char('\n'));
    while (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

CliFixture::CliFixture(TestBackend backend, const QStringList& statements, const QString& database) : m_backend(backend)
{
    // The program folder is the executable's: a hard link puts the built program into this one (a symbolic
    // link would be resolved back to the build folder).
    m_program = m_folder.filePath(QStringLiteral("dorvane"));
    const QByteArray from = QFile::encodeName(QStringLiteral(DORVANE_CLI));
    const QByteArray to = QFile::encodeName(m_program);
    if (::link(from.constData(), to.constData()) != 0 && !QFile::copy(QStringLiteral(DORVANE_CLI), m_program))
        qFatal("cannot place dorvane in %s", qPrintable(m_folder.path()));

    m_connectionString = backend == TestBackend::Sqlite
        ? QStringLiteral("DRIVER=SQLite3;Database=") + m_folder.filePath(QStringLiteral("data.db"))
        : freshServerDatabase(backend, database);
    if (backend == TestBackend::Sqlite) {
        // The fixture makes its database file; every later connection, the program's included, opens it.
        Connection maker;
        maker.setConnectionString(m_connectionString + QStringLiteral(";NoCreat=0"));
        maker.Open();
    }
    for (const QString& statement : statements)
        exec(statement);
}

Connection& CliFixture::connection()
{
    if (!m_connection) {
        m_connection = std::make_unique<Connection>();
        m_connection->setConnectionString(m_connectionString);
        m_connection->Open();
    }
    return *m_connection;
}

CliFixture::~CliFixture() = default;

QString CliFixture::sql(QString text) const
{
    static const QRegularExpression braced(QStringLiteral("\\{([^{}]+)\\}"));
    QRegularExpressionMatch match;
    while ((match = braced.match(text)).hasMatch())
        text.replace(match.capturedStart(), match.capturedLength(),
                     const_cast<CliFixture*>(this)->connection().quoteIdentifier(match.captured(1)));
    return text;
}

std::unique_ptr<QProcess> CliFixture::start(const QStringList& arguments)
{
    if (m_backend == TestBackend::Sqlite)
        m_connection.reset();
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(m_folder.path());
    process->start(m_program, arguments);
    if (!process->waitForStarted(30000))
        qFatal("dorvane does not start: %s", qPrintable(process->errorString()));
    return process;
}

CliResult CliFixture::run(const QStringList& arguments, int timeoutMs, const QByteArray& input)
{
    const std::unique_ptr<QProcess> process = start(arguments);
    process->write(input);
    process->closeWriteChannel();
    if (!process->waitForFinished(timeoutMs)) {
        process->kill();
        process->waitForFinished();
        return CliResult {-1, QString(), QStringLiteral("timed out")};
    }
    const int code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    return CliResult {code, QString::fromUtf8(process->readAllStandardOutput()),
                      QString::fromUtf8(process->readAllStandardError())};
}

DatabaseSnapshot CliFixture::snapshot()
{
    DatabaseSnapshot tables;
    Connection& db = connection();
    for (const QString& table : baseTableNames(db)) {
        QueryRecordSet rs;
        rs.Open(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(db.quoteIdentifier(table)));
        QList<QVariantList> rows;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            QVariantList row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row.append(rs.Fields(i).Value());
            rows.append(row);
        }
        tables.insert(table, rows);
    }
    if (m_backend == TestBackend::Sqlite)
        m_connection.reset();
    return tables;
}

QList<QList<std::optional<QString>>> parseCsv(const QString& text)
{
    QList<QList<std::optional<QString>>> rows;
    QList<std::optional<QString>> row;
    QString field;
    bool quoted = false; // the field began with a quote
    bool inQuotes = false;
    const auto endField = [&] {
        row.append(quoted || !field.isEmpty() ? std::optional<QString>(field) : std::nullopt);
        field.clear();
        quoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            endField();
            rows.append(row);
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    if (!row.isEmpty() || !field.isEmpty() || quoted) {
        endField();
        rows.append(row);
    }
    return rows;
}

} // namespace dorvane::test
