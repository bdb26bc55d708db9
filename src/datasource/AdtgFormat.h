// What the ADTG record-set files fix about columns: the OLE DB type (DBTYPE) behind each ADO type, the
// width of fixed values, how variable values are length-prefixed, and the attributes that ADO's
// Fields.Append gives a column. Shared by the codec and by MemoryRecordSet so that a field behaves in
// memory exactly as it will be persisted.
#pragma once

#include "datasource/FieldDefinition.h"

#include <QString>

namespace dorvane::adtg {

enum DbType : int
{
    DbI2 = 0x02,
    DbI4 = 0x03,
    DbR4 = 0x04,
    DbR8 = 0x05,
    DbCurrency = 0x06,
    DbDate = 0x07,
    DbBool = 0x0B,
    DbDecimal = 0x0E,
    DbI1 = 0x10,
    DbUI1 = 0x11,
    DbUI2 = 0x12,
    DbUI4 = 0x13,
    DbI8 = 0x14,
    DbUI8 = 0x15,
    DbFileTime = 0x40,
    DbGuid = 0x48,
    DbBytes = 0x80,
    DbStr = 0x81,
    DbWStr = 0x82,
    DbNumeric = 0x83,
    DbDbDate = 0x85,
    DbDbTime = 0x86,
    DbDbTimeStamp = 0x87,
    DbChapter = 0x88,
};

// How one value of a column is laid out in a row record.
enum class Storage
{
    Fixed, // exactly valueWidth() bytes
    Prefix1, // 1-byte length in bytes, then the bytes
    Prefix4, // 4-byte little-endian length in bytes, then the bytes
};

// The DBTYPE stored for an ADO type; 0 for ADO types that these files cannot hold.
int dbTypeFor(int adoType);

// The ADO type a column reads back as; the long, fixed or variable flavour of text and binary columns
// follows the column flags. 0 for DBTYPEs outside the supported set.
int adoTypeFor(int dbType, int flags);

// Bytes of a fixed-width DBTYPE; 0 for the variable types STR, WSTR and BYTES.
int fixedWidth(int dbType);

// A readable name for a DBTYPE in error descriptions, e.g. "VARIANT (0x000C)".
QString dbTypeName(int dbType);

bool isTextOrBinary(int adoType);

// The column as ADO's Fields.Append leaves it: attributes -1 count as 0, updatable is always added, the
// fixed bit for every type but the variable text and binary ones, the long bit for the adLongVar* types;
// fixed types report their natural width as defined size.
FieldDefinition appendedField(const QString& name, int adoType, int definedSize, int attributes);

// Value bytes a column may hold at most: characters × 2 for wide text; -1 when the size is unlimited.
qint64 capacity(const FieldDefinition& field);

Storage storageOf(const FieldDefinition& field);

} // namespace dorvane::adtg
