// The data error raised by record sets and their files; one source text so that message boxes name the
// record-set layer the way ADO's errors named "ADODB.Recordset".
#pragma once

#include "core/DataError.h"

namespace dorvane {

inline DataError recordSetError(const QString& description)
{
    return DataError(QStringLiteral("Dorvane.Recordset"), description);
}

} // namespace dorvane
