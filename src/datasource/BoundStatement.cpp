#include "datasource/BoundStatement.h"

#include "core/DataError.h"
#include "datasource/Connection.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"

#include <algorithm>

#include <sqlext.h>

namespace dorvane {

struct BoundStatement::Parameter
{
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 1;
    SQLLEN indicator = SQL_NULL_DATA;
    QString text;
    QByteArray bytes;
    SQLBIGINT integer = 0;

    SQLPOINTER buffer()
    {
        switch (cType) {
        case SQL_C_BINARY:
            return bytes.data();
        case SQL_C_SBIGINT:
            return &integer;
        default:
            return text.data();
        }
    }
    SQLLEN bufferLength() const
    {
        switch (cType) {
        case SQL_C_BINARY:
            return SQLLEN(bytes.size());
        case SQL_C_SBIGINT:
            return SQLLEN(sizeof integer);
        default:
            return SQLLEN(text.size() * qsizetype(sizeof(SQLWCHAR)));
        }
    }
};

BoundStatement::BoundStatement(Connection& connection, const QString& sql)
    : m_statement(std::make_unique<OdbcStatement>(connection.handle()))
{
    m_statement->prepare(sql);
}

BoundStatement::~BoundStatement() = default;

BoundStatement::Parameter& BoundStatement::at(int position)
{
    if (position < 1)
        throw DataError(QStringLiteral("Dorvane.Statement"), QStringLiteral("Parameters count from 1."));
    while (m_parameters.size() < size_t(position))
        m_parameters.emplace_back();
    return m_parameters[size_t(position) - 1];
}

void BoundStatement::setText(int position, const QString& text)
{
    Parameter& p = at(position);
    p.cType = SQL_C_WCHAR;
    p.sqlType = SQL_WLONGVARCHAR;
    // A buffer of its own: the bytes the driver reads must not be shared with the caller's string.
    p.text = QString(text.constData(), text.size());
    p.columnSize = SQLULEN(std::max<qsizetype>(1, p.text.size()));
    p.indicator = p.bufferLength();
}

void BoundStatement::setBytes(int position, const QByteArray& bytes)
{
    Parameter& p = at(position);
    p.cType = SQL_C_BINARY;
    p.sqlType = SQL_LONGVARBINARY;
    p.bytes = QByteArray(bytes.constData(), bytes.size());
    p.columnSize = SQLULEN(std::max<qsizetype>(1, p.bytes.size()));
    p.indicator = p.bufferLength();
}

void BoundStatement::setInteger(int position, qint64 value)
{
    Parameter& p = at(position);
    p.cType = SQL_C_SBIGINT;
    p.sqlType = SQL_BIGINT;
    p.integer = value;
    p.columnSize = 0;
    p.indicator = p.bufferLength();
}

void BoundStatement::setNull(int position)
{
    Parameter& p = at(position);
    p.cType = SQL_C_WCHAR;
    p.sqlType = SQL_WVARCHAR;
    p.text.clear();
    p.columnSize = 1;
    p.indicator = SQL_NULL_DATA;
}

qint64 BoundStatement::execute()
{
    SQLUSMALLINT number = 1;
    for (Parameter& p : m_parameters) {
        checkOdbc(SQLBindParameter(m_statement->handle(), number++, SQL_PARAM_INPUT, p.cType, p.sqlType, p.columnSize,
                                   0, p.buffer(), p.bufferLength(), &p.indicator),
                  m_statement->odbcHandle(), "SQLBindParameter");
    }
    m_statement->execute();
    const qint64 rows = m_statement->rowCount();
    m_statement->closeCursor();
    return rows;
}

} // namespace dorvane
