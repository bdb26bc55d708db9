#include "datasource/StatementParameters.h"

#include "datasource/OdbcDiagnostics.h"
#include "datasource/OdbcStatement.h"

#include <algorithm>

namespace dorvane {

namespace {

using odbctypes::ValueKind;

// The narrow twin of a character type.
SQLSMALLINT narrowCharacterType(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_WCHAR:
        return SQL_CHAR;
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
        return SQL_VARCHAR;
    default:
        return SQL_LONGVARCHAR;
    }
}

bool isCharacterType(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

} // namespace

void StatementParameters::setText(Parameter& p, const QString& text) const
{
    if (m_encoding == TextEncoding::Utf8) {
        p.cType = SQL_C_CHAR;
        p.bytes = text.toUtf8();
        p.buffer = p.bytes.data();
        p.bufferLength = SQLLEN(p.bytes.size());
        p.columnSize = std::max<SQLULEN>(1, SQLULEN(p.bytes.size()));
    } else {
        p.cType = SQL_C_WCHAR;
        p.text = text;
        p.buffer = p.text.data();
        p.bufferLength = SQLLEN(p.text.size() * sizeof(SQLWCHAR));
        p.columnSize = std::max<SQLULEN>(1, SQLULEN(p.text.size()));
    }
    p.indicator = p.bufferLength;
}

void StatementParameters::add(const QueryField& field, const QVariant& value, const QString& driverText)
{
    Parameter& p = m_parameters.emplace_back();
    p.sqlType = SQLSMALLINT(field.sqlType());
    p.columnSize = field.columnSize();
    p.digits = SQLSMALLINT(field.decimalDigits());
    const bool isNull = !value.isValid() || value.isNull();
    switch (field.valueKind()) {
    case ValueKind::Text:
        setText(p, value.toString());
        if (!isCharacterType(p.sqlType))
            p.sqlType = p.cType == SQL_C_CHAR ? SQL_LONGVARCHAR : SQL_WLONGVARCHAR;
        break;
    case ValueKind::Binary:
        p.cType = SQL_C_BINARY;
        p.bytes = value.toByteArray();
        p.buffer = p.bytes.data();
        p.bufferLength = p.bytes.size();
        p.indicator = p.bytes.size();
        p.columnSize = std::max<SQLULEN>(1, SQLULEN(p.bytes.size()));
        break;
    case ValueKind::Integer:
        p.cType = SQL_C_SBIGINT;
        p.integer = value.toLongLong();
        p.buffer = &p.integer;
        p.indicator = sizeof p.integer;
        break;
    case ValueKind::UnsignedInteger:
        p.cType = SQL_C_UBIGINT;
        p.unsignedInteger = value.toULongLong();
        p.buffer = &p.unsignedInteger;
        p.indicator = sizeof p.unsignedInteger;
        break;
    case ValueKind::Single:
        p.cType = SQL_C_FLOAT;
        p.single = value.toFloat();
        p.buffer = &p.single;
        p.indicator = sizeof p.single;
        break;
    case ValueKind::Double:
        p.cType = SQL_C_DOUBLE;
        p.real = value.toDouble();
        p.buffer = &p.real;
        p.indicator = sizeof p.real;
        break;
    case ValueKind::Boolean:
        p.cType = SQL_C_BIT;
        p.bit = value.toBool() ? 1 : 0;
        p.buffer = &p.bit;
        p.indicator = sizeof p.bit;
        break;
    case ValueKind::Date:
    case ValueKind::Time:
    case ValueKind::DateTime:
    case ValueKind::Decimal:
    case ValueKind::Guid: {
        const SQLULEN declared = p.columnSize;
        setText(p, driverText);
        if (declared > 0)
            p.columnSize = std::max(declared, p.columnSize);
        // ODBC's TIME has no fraction of a second: MariaDB's driver refuses "12:34:56.789" as one
        // ("Datetime field overflow"). As plain text every server reads it into its time type exactly.
        if (field.valueKind() == ValueKind::Time && driverText.contains(QLatin1Char('.')))
            p.sqlType = SQL_VARCHAR;
        break;
    }
    }
    // UTF-8 goes with the narrow types, so that no driver takes it for the client's code page and widens it.
    if (p.cType == SQL_C_CHAR && isCharacterType(p.sqlType))
        p.sqlType = narrowCharacterType(p.sqlType);
    if (isNull) {
        p.indicator = SQL_NULL_DATA;
        if (p.cType == SQL_C_WCHAR || p.cType == SQL_C_CHAR || p.cType == SQL_C_BINARY)
            p.columnSize = std::max<SQLULEN>(1, field.columnSize());
    }
}

void StatementParameters::addText(const QString& text)
{
    Parameter& p = m_parameters.emplace_back();
    setText(p, text);
    p.sqlType = SQL_VARCHAR;
}

SQLUSMALLINT StatementParameters::bind(const OdbcStatement& statement, SQLUSMALLINT first)
{
    SQLUSMALLINT number = first;
    for (Parameter& p : m_parameters) {
        checkOdbc(SQLBindParameter(statement.handle(), number++, SQL_PARAM_INPUT, p.cType, p.sqlType, p.columnSize,
                                   p.digits, p.buffer, p.bufferLength, &p.indicator),
                  statement.odbcHandle(), "SQLBindParameter");
    }
    return number;
}

} // namespace dorvane
