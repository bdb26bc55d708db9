// Which ADO type number a column reports for its ODBC SQL type, and how its values are read and bound.
// This is the one place of that mapping: SQL_INTEGER → adInteger (3), SQL_WVARCHAR → adVarWChar (202),
// and so on, with the unsigned integer types reported as adUnsignedTinyInt/SmallInt/Int/BigInt. A type
// outside the table (driver-specific types, intervals) is read as text and reported as adLongVarWChar.
#pragma once

namespace dorvane {

namespace odbctypes {

int adoTypeForSqlType(int sqlType, bool isUnsigned);

// The wide twin of a narrow character type (SQL_VARCHAR → SQL_WVARCHAR, ...); other types stay. A Unicode
// driver reports its text columns as wide types to an application calling the wide API, as ADO's ODBC
// provider does, but as narrow ones to us, since we call the narrow API; the ADO number follows ADO.
int wideCharacterType(int sqlType);

// How values of an ADO type travel between the driver and a QVariant.
enum class ValueKind
{
    Text, // QString, read as SQL_C_WCHAR
    Binary, // QByteArray
    Integer, // int, or qlonglong for adBigInt
    UnsignedInteger, // int for the small ones, uint for adUnsignedInt, qulonglong for adUnsignedBigInt
    Single, // float
    Double, // double
    Boolean, // bool
    Date, // QDate
    Time, // QTime
    DateTime, // QDateTime in UTC, standing for the zone-less wall-clock time
    Decimal, // exact decimal text such as "-12.50"
    Guid, // QUuid
};

ValueKind valueKindForAdoType(int adoType);

} // namespace odbctypes

} // namespace dorvane
