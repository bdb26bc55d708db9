// A field of a MemoryRecordSet as callers use it: `rs.Fields("Check").Value()`. A light handle (record
// set and column); it stays valid while the record set lives and is not moved. Value and setValue act on
// the current row.
#pragma once

#include "datasource/FieldDefinition.h"

#include <QVariant>

namespace dorvane {

class MemoryRecordSet;

class MemoryField
{
public:
    MemoryField(MemoryRecordSet& recordSet, int index) : m_recordSet(&recordSet), m_index(index) { }

    const QString& Name() const { return definition().name; }
    int Type() const { return definition().type; }
    int DefinedSize() const { return definition().definedSize; }
    int Attributes() const { return definition().attributes; }
    const FieldDefinition& definition() const;

    // The value in the current row; a null QVariant is NULL. Throws the record-set DataError when there is
    // no current row (EOF or a deleted row).
    QVariant Value() const;
    // Converts the value to the field's type (see FieldValueConversion.h) and stores it in the current row.
    // Throws the record-set DataError for a read-only record set, no current row, or a value that does not fit.
    void setValue(const QVariant& value);

private:
    MemoryRecordSet* m_recordSet;
    int m_index;
};

} // namespace dorvane
