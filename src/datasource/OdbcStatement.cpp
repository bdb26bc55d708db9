#include "datasource/OdbcStatement.h"

#include "core/DataError.h"
#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcText.h"
#include "datasource/Utf8Text.h"

#include <algorithm>
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

namespace {

// The first SQLGetData of a long column value, into the reused buffer, which is all most values need.
struct FirstPiece
{
    bool null = false;
    bool complete = false; // the whole value is in the buffer
    qsizetype length = 0; // units in the buffer (the capacity when not complete)
    SQLLEN indicator = 0;
};

template<typename Unit>
FirstPiece readFirstPiece(const OdbcStatement& statement, SQLUSMALLINT column, SQLSMALLINT cType,
                          qsizetype terminatorUnits, std::vector<Unit>& buffer)
{
    constexpr SQLLEN unitSize = sizeof(Unit);
    if (buffer.size() < 2)
        buffer.resize(size_t(8192 / unitSize));
    FirstPiece piece;
    const SQLRETURN rc = SQLGetData(statement.handle(), column, cType, buffer.data(), SQLLEN(buffer.size()) * unitSize,
                                    &piece.indicator);
    if (rc == SQL_NO_DATA) {
        piece.complete = true;
        return piece;
    }
    checkOdbc(rc, statement.odbcHandle(), "SQLGetData");
    if (piece.indicator == SQL_NULL_DATA) {
        piece.null = true;
        return piece;
    }
    const qsizetype capacity = qsizetype(buffer.size()) - terminatorUnits;
    piece.complete = rc == SQL_SUCCESS || (piece.indicator != SQL_NO_TOTAL && piece.indicator / unitSize <= capacity);
    piece.length = piece.complete && piece.indicator != SQL_NO_TOTAL ? qsizetype(piece.indicator / unitSize) : capacity;
    return piece;
}

// Joins a value longer than the buffer into a Result (QString or QByteArray) of Unit-sized elements,
// after its first piece. When the driver tells the total length the rest comes in one call, otherwise
// the room doubles from call to call. Time and copying stay linear in the length: the SQLite driver
// converts the whole rest of a value anew for every SQL_C_WCHAR piece, so a value read in fixed pieces
// cost time quadratic in its length (10 MB in 8 KB pieces: minutes).
template<typename Result, typename Unit>
Result joinRest(const OdbcStatement& statement, SQLUSMALLINT column, SQLSMALLINT cType, qsizetype terminatorUnits,
                std::vector<Unit>& buffer, const FirstPiece& first)
{
    constexpr SQLLEN unitSize = sizeof(Unit);
    Result result;
    qsizetype got = first.length;
    const qsizetype total = first.indicator != SQL_NO_TOTAL ? qsizetype(first.indicator / unitSize) : -1;
    result.resize((total >= 0 ? total : 2 * got) + terminatorUnits);
    std::memcpy(static_cast<void*>(result.data()), buffer.data(), size_t(got) * unitSize);
    // The next rows of this column will most likely fit in one call.
    if (total >= 0 && size_t(total + terminatorUnits) > buffer.size()
        && size_t(total + terminatorUnits) <= MaxRetainedBuffer)
        buffer.resize(size_t(total + terminatorUnits));
    while (true) {
        const qsizetype room = result.size() - got;
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement.handle(), column, cType, reinterpret_cast<Unit*>(result.data()) + got,
                                        SQLLEN(room) * unitSize, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        checkOdbc(rc, statement.odbcHandle(), "SQLGetData");
        const qsizetype filled = room - terminatorUnits;
        if (rc == SQL_SUCCESS || (indicator != SQL_NO_TOTAL && indicator / unitSize <= filled)) {
            got += indicator == SQL_NO_TOTAL ? filled : std::min(filled, qsizetype(indicator / unitSize));
            break;
        }
        // Cut again: the driver did not know the length, or it was longer than it said.
        got += filled;
        const qsizetype rest = indicator != SQL_NO_TOTAL ? qsizetype(indicator / unitSize) - filled : got;
        result.resize(got + std::max<qsizetype>(rest, 1) + terminatorUnits);
    }
    result.resize(got);
    return result;
}

// One long column value as a Result; nullopt for NULL.
template<typename Result, typename Unit>
std::optional<Result> readLongValue(const OdbcStatement& statement, SQLUSMALLINT column, SQLSMALLINT cType,
                                    qsizetype terminatorUnits, std::vector<Unit>& buffer)
{
    const FirstPiece first = readFirstPiece(statement, column, cType, terminatorUnits, buffer);
    if (first.null)
        return std::nullopt;
    if (first.complete)
        return Result(reinterpret_cast<const typename Result::value_type*>(buffer.data()), first.length);
    return joinRest<Result>(statement, column, cType, terminatorUnits, buffer, first);
}

// The same into `into` (a QString or QByteArray of Unit-sized elements), whose storage is reused when no
// copy shares it; false for NULL.
template<typename Result, typename Unit>
bool readLongValueInto(const OdbcStatement& statement, SQLUSMALLINT column, SQLSMALLINT cType,
                       std::vector<Unit>& buffer, Result& into)
{
    const FirstPiece first = readFirstPiece(statement, column, cType, 1, buffer);
    if (first.null)
        return false;
    if (first.complete) {
        into.resize(first.length);
        std::memcpy(static_cast<void*>(into.data()), buffer.data(), size_t(first.length) * sizeof(Unit));
        return true;
    }
    into = joinRest<Result>(statement, column, cType, 1, buffer, first);
    return true;
}

} // namespace

std::optional<QString> OdbcStatement::text(SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer)
{
    return readLongValue<QString>(*this, column, SQL_C_WCHAR, 1, buffer);
}

bool OdbcStatement::textInto(SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer, QString& text)
{
    return readLongValueInto(*this, column, SQL_C_WCHAR, buffer, text);
}

std::optional<QString> OdbcStatement::utf8Text(SQLUSMALLINT column, std::vector<char>& buffer)
{
    QString text;
    if (!utf8TextInto(column, buffer, text))
        return std::nullopt;
    return text;
}

bool OdbcStatement::utf8TextInto(SQLUSMALLINT column, std::vector<char>& buffer, QString& text)
{
    const FirstPiece first = readFirstPiece(*this, column, SQL_C_CHAR, 1, buffer);
    if (first.null)
        return false;
    if (first.complete) {
        utf8text::decodeInto(text, buffer.data(), first.length);
        return true;
    }
    // The bytes of a long value are joined before decoding, so a character split between pieces stays whole.
    const QByteArray bytes = joinRest<QByteArray>(*this, column, SQL_C_CHAR, 1, buffer, first);
    utf8text::decodeInto(text, bytes.constData(), bytes.size());
    return true;
}

bool OdbcStatement::utf8BytesInto(SQLUSMALLINT column, std::vector<char>& buffer, QByteArray& bytes)
{
    return readLongValueInto(*this, column, SQL_C_CHAR, buffer, bytes);
}

std::optional<QByteArray> OdbcStatement::binary(SQLUSMALLINT column, std::vector<char>& buffer)
{
    return readLongValue<QByteArray>(*this, column, SQL_C_BINARY, 0, buffer);
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
