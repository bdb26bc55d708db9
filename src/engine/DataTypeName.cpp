#include "engine/DataTypeName.h"

namespace dorvane {

QString DataTypeName(int adoType)
{
    switch (adoType) {
    case 20:
        return QStringLiteral("BigInt");
    case 128:
        return QStringLiteral("Binary");
    case 11:
        return QStringLiteral("Boolean");
    case 8:
        return QStringLiteral("BSTR");
    case 136:
        return QStringLiteral("Chapter");
    case 129:
        return QStringLiteral("Char");
    case 6:
        return QStringLiteral("Currency");
    case 7:
        return QStringLiteral("Date");
    case 133:
        return QStringLiteral("DBDate");
    case 134:
        return QStringLiteral("DBTime");
    case 135:
        return QStringLiteral("DBTimeStamp");
    case 14:
        return QStringLiteral("Decimal");
    case 5:
        return QStringLiteral("Double");
    case 0:
        return QStringLiteral("Empty");
    case 10:
        return QStringLiteral("Error");
    case 64:
        return QStringLiteral("FileTime");
    case 72:
        return QStringLiteral("GUID");
    case 9:
        return QStringLiteral("IDispatch");
    case 3:
        return QStringLiteral("Integer");
    case 13:
        return QStringLiteral("IUnknown");
    case 205:
        return QStringLiteral("LongVarBinary");
    case 201:
        return QStringLiteral("LongVarChar");
    case 203:
        return QStringLiteral("LongVarWChar");
    case 131:
        return QStringLiteral("Numeric");
    case 138:
        return QStringLiteral("PropVariant");
    case 4:
        return QStringLiteral("Single");
    case 2:
        return QStringLiteral("SmallInt");
    case 16:
        return QStringLiteral("TinyInt");
    case 21:
        return QStringLiteral("UnsignedBigInt");
    case 19:
        return QStringLiteral("UnsignedInt");
    case 18:
        return QStringLiteral("UnsignedSmallInt");
    case 17:
        return QStringLiteral("UnsignedTinyInt");
    case 132:
        return QStringLiteral("UserDefined");
    case 204:
        return QStringLiteral("VarBinary");
    case 200:
        return QStringLiteral("VarChar");
    case 12:
        return QStringLiteral("Variant");
    case 139:
        return QStringLiteral("VarNumeric");
    case 202:
        return QStringLiteral("VarWChar");
    case 130:
        return QStringLiteral("WChar");
    default:
        return {};
    }
}

} // namespace dorvane
