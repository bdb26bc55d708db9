#include "datasource/AdtgFormat.h"

#include "core/AdoTypes.h"

namespace dorvane::adtg {

int dbTypeFor(int adoType)
{
    switch (adoType) {
    case ado::adSmallInt:
    case ado::adInteger:
    case ado::adSingle:
    case ado::adDouble:
    case ado::adCurrency:
    case ado::adDate:
    case ado::adBoolean:
    case ado::adDecimal:
    case ado::adTinyInt:
    case ado::adUnsignedTinyInt:
    case ado::adUnsignedSmallInt:
    case ado::adUnsignedInt:
    case ado::adBigInt:
    case ado::adUnsignedBigInt:
    case ado::adFileTime:
    case ado::adGUID:
    case ado::adBinary:
    case ado::adChar:
    case ado::adWChar:
    case ado::adNumeric:
    case ado::adDBDate:
    case ado::adDBTime:
    case ado::adDBTimeStamp:
        return adoType; // ADO's type numbers are the DBTYPE values for these
    case ado::adVarChar:
    case ado::adLongVarChar:
        return DbStr;
    case ado::adVarWChar:
    case ado::adLongVarWChar:
        return DbWStr;
    case ado::adVarBinary:
    case ado::adLongVarBinary:
        return DbBytes;
    default:
        return 0;
    }
}

int adoTypeFor(int dbType, int flags)
{
    const bool isLong = (flags & ado::adFldLong) != 0;
    const bool isFixed = (flags & ado::adFldFixed) != 0;
    switch (dbType) {
    case DbStr:
        return isLong ? ado::adLongVarChar : isFixed ? ado::adChar : ado::adVarChar;
    case DbWStr:
        return isLong ? ado::adLongVarWChar : isFixed ? ado::adWChar : ado::adVarWChar;
    case DbBytes:
        return isLong ? ado::adLongVarBinary : isFixed ? ado::adBinary : ado::adVarBinary;
    default:
        return fixedWidth(dbType) > 0 ? dbType : 0;
    }
}

int fixedWidth(int dbType)
{
    switch (dbType) {
    case DbI1:
    case DbUI1:
        return 1;
    case DbI2:
    case DbUI2:
    case DbBool:
        return 2;
    case DbI4:
    case DbUI4:
    case DbR4:
        return 4;
    case DbI8:
    case DbUI8:
    case DbR8:
    case DbCurrency:
    case DbDate:
    case DbFileTime:
        return 8;
    case DbDbDate:
    case DbDbTime:
        return 6;
    case DbGuid:
    case DbDecimal:
    case DbDbTimeStamp:
        return 16;
    case DbNumeric:
        return 19;
    default:
        return 0;
    }
}

QString dbTypeName(int dbType)
{
    const char* name = "unknown";
    switch (dbType) {
    case 0x00:
        name = "EMPTY";
        break;
    case 0x01:
        name = "NULL";
        break;
    case DbI2:
        name = "I2";
        break;
    case DbI4:
        name = "I4";
        break;
    case DbR4:
        name = "R4";
        break;
    case DbR8:
        name = "R8";
        break;
    case DbCurrency:
        name = "CY";
        break;
    case DbDate:
        name = "DATE";
        break;
    case 0x08:
        name = "BSTR";
        break;
    case 0x09:
        name = "IDISPATCH";
        break;
    case 0x0A:
        name = "ERROR";
        break;
    case DbBool:
        name = "BOOL";
        break;
    case 0x0C:
        name = "VARIANT";
        break;
    case 0x0D:
        name = "IUNKNOWN";
        break;
    case DbDecimal:
        name = "DECIMAL";
        break;
    case DbI1:
        name = "I1";
        break;
    case DbUI1:
        name = "UI1";
        break;
    case DbUI2:
        name = "UI2";
        break;
    case DbUI4:
        name = "UI4";
        break;
    case DbI8:
        name = "I8";
        break;
    case DbUI8:
        name = "UI8";
        break;
    case DbFileTime:
        name = "FILETIME";
        break;
    case DbGuid:
        name = "GUID";
        break;
    case DbBytes:
        name = "BYTES";
        break;
    case DbStr:
        name = "STR";
        break;
    case DbWStr:
        name = "WSTR";
        break;
    case DbNumeric:
        name = "NUMERIC";
        break;
    case 0x84:
        name = "UDT";
        break;
    case DbDbDate:
        name = "DBDATE";
        break;
    case DbDbTime:
        name = "DBTIME";
        break;
    case DbDbTimeStamp:
        name = "DBTIMESTAMP";
        break;
    case DbChapter:
        name = "HCHAPTER";
        break;
    case 0x8A:
        name = "PROPVARIANT";
        break;
    case 0x8B:
        name = "VARNUMERIC";
        break;
    default:
        break;
    }
    return QStringLiteral("%1 (0x%2)").arg(QLatin1String(name)).arg(dbType, 4, 16, QLatin1Char('0'));
}

bool isTextOrBinary(int adoType)
{
    const int dbType = dbTypeFor(adoType);
    return dbType == DbStr || dbType == DbWStr || dbType == DbBytes;
}

FieldDefinition appendedField(const QString& name, int adoType, int definedSize, int attributes)
{
    FieldDefinition field;
    field.name = name;
    field.type = adoType;
    const int dbType = dbTypeFor(adoType);
    const bool variable = adoType == ado::adVarChar || adoType == ado::adLongVarChar || adoType == ado::adVarWChar
        || adoType == ado::adLongVarWChar || adoType == ado::adVarBinary || adoType == ado::adLongVarBinary;
    const bool isLong
        = adoType == ado::adLongVarChar || adoType == ado::adLongVarWChar || adoType == ado::adLongVarBinary;
    field.attributes = (attributes == ado::adFldUnspecified ? 0 : attributes) | ado::adFldUpdatable
        | (variable ? 0 : ado::adFldFixed) | (isLong ? ado::adFldLong : 0);
    field.definedSize = isTextOrBinary(adoType) ? definedSize : fixedWidth(dbType);
    return field;
}

qint64 capacity(const FieldDefinition& field)
{
    if (field.definedSize < 0)
        return -1;
    return dbTypeFor(field.type) == DbWStr ? qint64(field.definedSize) * 2 : qint64(field.definedSize);
}

Storage storageOf(const FieldDefinition& field)
{
    if (!isTextOrBinary(field.type))
        return Storage::Fixed;
    // ADO decides on the byte capacity: above 255 bytes a value gets a 4-byte length even in a column
    // flagged fixed, and the long flag alone does not force the 4-byte form.
    const qint64 bytes = capacity(field);
    if (bytes < 0 || bytes > 255)
        return Storage::Prefix4;
    const bool fixed = (field.attributes & ado::adFldFixed) != 0 && (field.attributes & ado::adFldLong) == 0;
    return fixed ? Storage::Fixed : Storage::Prefix1;
}

} // namespace dorvane::adtg
