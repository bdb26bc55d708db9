// One column of an in-memory record set: what Fields.Append was given, as the field reports it
// afterwards (ADO normalises the declared size of fixed types and completes the attributes).
#pragma once

#include "core/AdoTypes.h"

#include <QString>

namespace dorvane {

struct FieldDefinition
{
    QString name;
    int type = 0; // ADO DataTypeEnum number
    int definedSize = 0; // characters for text, bytes for binary, natural width for fixed types; -1: no limit
    int attributes = 0; // ADO FieldAttributeEnum bits, identical to the ADTG column flags
    int precision = 0; // only meaningful for adNumeric and adDecimal
    int numericScale = 0;

    // Either nullable bit lets the column hold NULL; ADTG files give such columns a presence bit.
    bool isNullable() const { return (attributes & (ado::adFldIsNullable | ado::adFldMayBeNull)) != 0; }
    bool operator==(const FieldDefinition&) const = default;
};

} // namespace dorvane
