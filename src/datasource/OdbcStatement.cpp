#include "datasource/OdbcStatement.h"

#include "core/DataError.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcText.h"

#include <cmath>
#include <cstring>

namespace dorvane {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 16-bit SQLWCHAR");

namespace {

// Long values make the buffer grow up to this many units; beyond it they are read in pieces.
constexpr size_t MaxRetainedBuffer = size_t(1) << 20;

} // namespace

OdbcStatement::OdbcStatement(SQLHDBC connection) : m_handle(OdbcHandle::allocate(SQL_HANDLE_STMT, connection)) { }

void OdbcStatement::check(SQLRETURN rc, const char* call) const
{
    checkOdbc(rc, m_handle, call);
}

void OdbcStatement::prepare(const QString& sql)
{
    QByteArray text = odbctext::encode(sql);
    check(SQLPrepare(handle(), odbctext::sqlChars(text), SQLINTEGER(text.size())), "SQLPrepare");
}

void OdbcStatement::execute()
{
    const SQLRETURN rc = SQLExecute(handle());
    if (rc != SQL_NO_DATA)
        check(rc, "SQLExecute");
}

void OdbcStatement::executeDirect(const QString& sql)
{
    QByteArray text = odbctext::encode(sql);
    const SQLRETURN rc = SQLExecDirect(handle(), odbctext::sqlChars(text), SQLINTEGER(text.size()));
    // An UPDATE or DELETE that touched no row answers SQL_NO_DATA.
    if (rc != SQL_NO_DATA)
        check(rc, "SQLExecDirect");
}

bool OdbcStatement::fetch()
{
    const SQLRETURN rc = SQLFetch(handle());
    if (rc == SQL_NO_DATA)
        return false;
    check(rc, "SQLFetch");
    return true;
}

qint64 OdbcStatement::rowCount()
{
    SQLLEN rows = -1;
    check(SQLRowCount(handle(), &rows), "SQLRowCount");
    return rows;
}

void OdbcStatement::closeCursor()
{
    SQLFreeStmt(handle(), SQL_CLOSE);
}

qint16 OdbcStatement::resultColumnCount()
{
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(handle(), &count), "SQLNumResultCols");
    return count;
}

std::optional<QString> OdbcStatement::text(SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer)
{
    if (buffer.size() < 2)
        buffer.resize(4096);
    const auto bufferBytes = [&] {
        return SQLLEN(buffer.size() * sizeof(SQLWCHAR));
    };
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(handle(), column, SQL_C_WCHAR, buffer.data(), bufferBytes(), &indicator);
    if (rc == SQL_NO_DATA)
        return QString();
    check(rc, "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    const qsizetype capacity = qsizetype(buffer.size()) - 1; // room for the driver's terminating zero
    if (indicator != SQL_NO_TOTAL && indicator / SQLLEN(sizeof(SQLWCHAR)) <= capacity)
        return QString(reinterpret_cast<const QChar*>(buffer.data()), indicator / SQLLEN(sizeof(SQLWCHAR)));

    // Longer than the buffer: the first piece is in it, the driver hands over the rest piece by piece.
    QString result;
    if (indicator != SQL_NO_TOTAL)
        result.reserve(indicator / SQLLEN(sizeof(SQLWCHAR)));
    result.append(reinterpret_cast<const QChar*>(buffer.data()), capacity);
    const size_t wanted = indicator != SQL_NO_TOTAL ? size_t(indicator / SQLLEN(sizeof(SQLWCHAR))) + 1 : 0;
    if (wanted > buffer.size() && wanted <= MaxRetainedBuffer)
        buffer.resize(wanted); // the next rows of this column will most likely fit in one call
    while (true) {
        rc = SQLGetData(handle(), column, SQL_C_WCHAR, buffer.data(), bufferBytes(), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, "SQLGetData");
        const qsizetype room = qsizetype(buffer.size()) - 1;
        const qsizetype piece = indicator == SQL_NO_TOTAL || indicator / SQLLEN(sizeof(SQLWCHAR)) > room
            ? room
            : indicator / SQLLEN(sizeof(SQLWCHAR));
        result.append(reinterpret_cast<const QChar*>(buffer.data()), piece);
        if (rc == SQL_SUCCESS)
            break;
    }
    return result;
}

std::optional<QString> OdbcStatement::utf8Text(SQLUSMALLINT column, std::vector<char>& buffer)
{
    if (buffer.size() < 2)
        buffer.resize(8192);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(handle(), column, SQL_C_CHAR, buffer.data(), SQLLEN(buffer.size()), &indicator);
    if (rc == SQL_NO_DATA)
        return QString();
    check(rc, "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    const qsizetype capacity = qsizetype(buffer.size()) - 1; // room for the driver's terminating zero
    if (indicator != SQL_NO_TOTAL && indicator <= capacity)
        return QString::fromUtf8(buffer.data(), qsizetype(indicator));

    QByteArray bytes;
    if (indicator != SQL_NO_TOTAL)
        bytes.reserve(qsizetype(indicator));
    bytes.append(buffer.data(), capacity);
    const size_t wanted = indicator != SQL_NO_TOTAL ? size_t(indicator) + 1 : 0;
    if (wanted > buffer.size() && wanted <= MaxRetainedBuffer)
        buffer.resize(wanted);
    while (true) {
        rc = SQLGetData(handle(), column, SQL_C_CHAR, buffer.data(), SQLLEN(buffer.size()), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, "SQLGetData");
        const qsizetype room = qsizetype(buffer.size()) - 1;
        const qsizetype piece = indicator == SQL_NO_TOTAL || indicator > room ? room : qsizetype(indicator);
        bytes.append(buffer.data(), piece);
        if (rc == SQL_SUCCESS)
            break;
    }
    return QString::fromUtf8(bytes);
}

std::optional<QByteArray> OdbcStatement::binary(SQLUSMALLINT column, std::vector<char>& buffer)
{
    if (buffer.empty())
        buffer.resize(8192);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(handle(), column, SQL_C_BINARY, buffer.data(), SQLLEN(buffer.size()), &indicator);
    if (rc == SQL_NO_DATA)
        return QByteArray();
    check(rc, "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    const qsizetype capacity = qsizetype(buffer.size());
    if (indicator != SQL_NO_TOTAL && indicator <= capacity)
        return QByteArray(buffer.data(), indicator);

    QByteArray result;
    if (indicator != SQL_NO_TOTAL)
        result.reserve(indicator);
    result.append(buffer.data(), capacity);
    if (indicator != SQL_NO_TOTAL && size_t(indicator) > buffer.size() && size_t(indicator) <= MaxRetainedBuffer)
        buffer.resize(size_t(indicator));
    while (true) {
        rc = SQLGetData(handle(), column, SQL_C_BINARY, buffer.data(), SQLLEN(buffer.size()), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, "SQLGetData");
        const qsizetype room = qsizetype(buffer.size());
        const qsizetype piece = indicator == SQL_NO_TOTAL || indicator > room ? room : qsizetype(indicator);
        result.append(buffer.data(), piece);
        if (rc == SQL_SUCCESS)
            break;
    }
    return result;
}

namespace {

template<typename T> std::optional<T> fixedValue(const OdbcStatement& statement, SQLUSMALLINT column, SQLSMALLINT cType)
{
    T value {};
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(statement.handle(), column, cType, &value, sizeof value, &indicator);
    checkOdbc(rc, statement.odbcHandle(), "SQLGetData");
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint64> OdbcStatement::int64(SQLUSMALLINT column)
{
    return fixedValue<SQLBIGINT>(*this, column, SQL_C_SBIGINT);
}

std::optional<quint64> OdbcStatement::uint64(SQLUSMALLINT column)
{
    return fixedValue<SQLUBIGINT>(*this, column, SQL_C_UBIGINT);
}

std::optional<double> OdbcStatement::real(SQLUSMALLINT column)
{
    return fixedValue<SQLDOUBLE>(*this, column, SQL_C_DOUBLE);
}

std::optional<float> OdbcStatement::single(SQLUSMALLINT column)
{
    return fixedValue<SQLREAL>(*this, column, SQL_C_FLOAT);
}

std::optional<bool> OdbcStatement::bit(SQLUSMALLINT column)
{
    const auto value = fixedValue<unsigned char>(*this, column, SQL_C_BIT);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::optional<qint64> OdbcStatement::integer(SQLUSMALLINT column, SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_INTEGER:
        return fixedValue<SQLINTEGER>(*this, column, SQL_C_SLONG);
    case SQL_SMALLINT:
        return fixedValue<SQLSMALLINT>(*this, column, SQL_C_SSHORT);
    case SQL_TINYINT:
        return fixedValue<SQLSCHAR>(*this, column, SQL_C_STINYINT);
    default:
        return int64(column);
    }
}

std::optional<quint64> OdbcStatement::unsignedInteger(SQLUSMALLINT column, SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_INTEGER:
        return fixedValue<SQLUINTEGER>(*this, column, SQL_C_ULONG);
    case SQL_SMALLINT:
        return fixedValue<SQLUSMALLINT>(*this, column, SQL_C_USHORT);
    case SQL_TINYINT:
        return fixedValue<SQLCHAR>(*this, column, SQL_C_UTINYINT);
    default:
        return uint64(column);
    }
}

std::optional<qint64> OdbcStatement::scalarInt64()
{
    if (!fetch())
        return std::nullopt;
    char digits[64] = {};
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(handle(), 1, SQL_C_CHAR, digits, SQLLEN(sizeof digits), &indicator);
    check(rc, "SQLGetData");
    closeCursor();
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    const QByteArray text = QByteArray(digits, qsizetype(qstrnlen(digits, sizeof digits))).trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (ok)
        return value;
    const double number = text.toDouble(&ok); // "37.0" from a driver that counts in decimals
    if (ok && std::isfinite(number))
        return qint64(std::llround(number));
    throw DataError(
        QStringLiteral("Dorvane.Recordset"),
        QStringLiteral("The driver answered a count with \"%1\", which is no number.").arg(QString::fromUtf8(text)));
}

} // namespace dorvane
