#include "SqliteDatabase.h"

#include "datasource/QueryRecordSet.h"

#include <QDir>

namespace dorvane::test {

SqliteDatabase::SqliteDatabase(const QString& folder, const QString& fileName)
    : m_filePath(QDir(folder).filePath(fileName))
{
}

SqliteDatabase::~SqliteDatabase() = default;

QString SqliteDatabase::connectionString() const
{
    return QStringLiteral("DRIVER=SQLite3;Database=") + m_filePath;
}

Connection& SqliteDatabase::connection()
{
    if (!m_connection || m_connection->State() != ado::adStateOpen) {
        m_connection = std::make_unique<Connection>();
        // The helper makes its file: NoCreat=0 asks the driver to create it, which Connection otherwise forbids.
        m_connection->setConnectionString(connectionString() + QStringLiteral(";Timeout=2000;NoCreat=0"));
        m_connection->Open();
    }
    return *m_connection;
}

qint64 SqliteDatabase::exec(const QString& sql)
{
    return connection().Execute(sql);
}

QVariant SqliteDatabase::scalar(const QString& sql)
{
    QueryRecordSet recordSet;
    recordSet.Open(connection(), sql);
    return recordSet.IsEOF() ? QVariant() : recordSet.Fields(0).Value();
}

QList<QVariantList> SqliteDatabase::rows(const QString& sql)
{
    QueryRecordSet recordSet;
    recordSet.Open(connection(), sql);
    QList<QVariantList> result;
    while (!recordSet.IsEOF()) {
        QVariantList row;
        for (int i = 0; i < recordSet.FieldCount(); ++i)
            row.append(recordSet.Fields(i).Value());
        result.append(row);
        recordSet.MoveNext();
    }
    return result;
}

void SqliteDatabase::close()
{
    m_connection.reset();
}

} // namespace dorvane::test
