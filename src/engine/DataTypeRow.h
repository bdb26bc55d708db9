// One row of the data-type table: an ADO data type, whether fields of that type are searched, and its
// DataTypeEnum number.
#pragma once

#include <QString>

namespace dorvane {

struct DataTypeRow
{
    QString DataType;
    bool Check = false;
    int AdoNr = 0;

    bool operator==(const DataTypeRow&) const = default;
};

} // namespace dorvane
