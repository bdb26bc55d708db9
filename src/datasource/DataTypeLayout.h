// The row layout of the data-type table: DataType (adLongVarWChar, 64), Check (adBoolean), AdoNr
// (adInteger), appended with unspecified attributes. Start-up proves the record-set platform with it,
// and the engine's data-type table is built on it.
#pragma once

#include <QString>

namespace dorvane {

class MemoryRecordSet;

inline const QString DataTypeField = QStringLiteral("DataType");
inline const QString CheckField = QStringLiteral("Check");
inline const QString AdoNrField = QStringLiteral("AdoNr");

void appendDataTypeFields(MemoryRecordSet& recordSet);

// Builds a record set with this layout, adds the row ("BigInt", true, 20), commits it and reads it back
// through the ADTG codec in memory, without saving. False when any step fails.
bool proveRecordSetsWork();

} // namespace dorvane
