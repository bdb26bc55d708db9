// Brings a value into the form a field of a given ADO type holds, so that what a caller writes into a
// record set is exactly what will be persisted and read back:
//   integers                      int (adUnsignedInt: uint; adBigInt: qlonglong; adUnsignedBigInt: qulonglong)
//   adSingle / adDouble           float / double
//   adCurrency, adNumeric, adDecimal  exact decimal text such as "-1.0001" (see DecimalNumber)
//   adDate, adDBTimeStamp, adFileTime QDateTime in UTC, standing for the zone-less wall-clock time
//   adDBDate / adDBTime           QDate / QTime
//   adBoolean                     bool
//   adGUID                        QUuid
//   text                          QString (fixed-width columns padded with blanks, as ADO pads them)
//   binary                        QByteArray
// A null QVariant is NULL and stays null.
#pragma once

#include "datasource/FieldDefinition.h"

#include <QVariant>

namespace dorvane {

// Throws the record-set DataError when the value cannot be converted, is out of range or too long.
QVariant coerceFieldValue(const FieldDefinition& field, const QVariant& value);

// The wall-clock reading of a date-time as the UTC QDateTime that date fields hold.
QDateTime wallClock(const QDateTime& value);

} // namespace dorvane
