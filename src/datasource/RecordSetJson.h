// A record set as JSON, for maintainers who look into and repair the program's table files:
//   {"columns":[{"name":…,"type":…,"size":…,"attributes":…}],"rows":[[…],…]}
// "type" is the ADO type number, "size" the defined size, "attributes" the field attribute bits;
// "precision" and "scale" appear for columns that have them. Values: null for NULL, JSON booleans and
// numbers, strings for text, exact decimals (currency, numeric), dates ("2024-05-01T13:45:00"),
// GUIDs, and binary data as hexadecimal digits.
#pragma once

#include "datasource/MemoryRecordSet.h"

#include <QJsonObject>

namespace dorvane {

// The visible rows (not those deleted), in order, whatever the filter.
QJsonObject recordSetToJson(const MemoryRecordSet& recordSet);

// An open, updatable record set holding the rows as committed rows. Throws the record-set DataError with
// the column and row that do not fit.
MemoryRecordSet recordSetFromJson(const QJsonObject& json);

} // namespace dorvane
