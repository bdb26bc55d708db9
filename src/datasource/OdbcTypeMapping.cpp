#include "datasource/OdbcTypeMapping.h"

#include "core/AdoTypes.h"

#include <sqlext.h>

namespace dorvane::odbctypes {

int adoTypeForSqlType(int sqlType, bool isUnsigned)
{
    switch (sqlType) {
    case SQL_CHAR:
        return ado::adChar;
    case SQL_VARCHAR:
        return ado::adVarChar;
    case SQL_LONGVARCHAR:
        return ado::adLongVarChar;
    case SQL_WCHAR:
        return ado::adWChar;
    case SQL_WVARCHAR:
        return ado::adVarWChar;
    case SQL_WLONGVARCHAR:
        return ado::adLongVarWChar;
    case SQL_TINYINT:
        return isUnsigned ? ado::adUnsignedTinyInt : ado::adTinyInt;
    case SQL_SMALLINT:
        return isUnsigned ? ado::adUnsignedSmallInt : ado::adSmallInt;
    case SQL_INTEGER:
        return isUnsigned ? ado::adUnsignedInt : ado::adInteger;
    case SQL_BIGINT:
        return isUnsigned ? ado::adUnsignedBigInt : ado::adBigInt;
    case SQL_REAL:
        return ado::adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ado::adDouble;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return ado::adNumeric;
    case SQL_BIT:
        return ado::adBoolean;
    case SQL_TYPE_DATE:
    case SQL_DATE: // ODBC 2 drivers
        return ado::adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return ado::adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return ado::adDBTimeStamp;
    case SQL_BINARY:
        return ado::adBinary;
    case SQL_VARBINARY:
        return ado::adVarBinary;
    case SQL_LONGVARBINARY:
        return ado::adLongVarBinary;
    case SQL_GUID:
        return ado::adGUID;
    default:
        return ado::adLongVarWChar;
    }
}

int wideCharacterType(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
        return SQL_WCHAR;
    case SQL_VARCHAR:
        return SQL_WVARCHAR;
    case SQL_LONGVARCHAR:
        return SQL_WLONGVARCHAR;
    default:
        return sqlType;
    }
}

ValueKind valueKindForAdoType(int adoType)
{
    switch (adoType) {
    case ado::adTinyInt:
    case ado::adSmallInt:
    case ado::adInteger:
    case ado::adBigInt:
        return ValueKind::Integer;
    case ado::adUnsignedTinyInt:
    case ado::adUnsignedSmallInt:
    case ado::adUnsignedInt:
    case ado::adUnsignedBigInt:
        return ValueKind::UnsignedInteger;
    case ado::adSingle:
        return ValueKind::Single;
    case ado::adDouble:
        return ValueKind::Double;
    case ado::adNumeric:
    case ado::adDecimal:
    case ado::adCurrency:
        return ValueKind::Decimal;
    case ado::adBoolean:
        return ValueKind::Boolean;
    case ado::adDBDate:
        return ValueKind::Date;
    case ado::adDBTime:
        return ValueKind::Time;
    case ado::adDBTimeStamp:
    case ado::adDate:
        return ValueKind::DateTime;
    case ado::adGUID:
        return ValueKind::Guid;
    case ado::adBinary:
    case ado::adVarBinary:
    case ado::adLongVarBinary:
        return ValueKind::Binary;
    default:
        return ValueKind::Text;
    }
}

} // namespace dorvane::odbctypes
