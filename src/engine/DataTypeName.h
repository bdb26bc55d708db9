// The fixed names of the ADO data types, as the structure viewer shows them beside every field.
#pragma once

#include <QString>

namespace dorvane {

// The name of the 39 types of the default data-type table ("LongVarWChar" for 203, "Empty" for 0);
// "" for every other number. Fixed in code: renaming a row in the table file does not change it.
QString DataTypeName(int adoType);

} // namespace dorvane
