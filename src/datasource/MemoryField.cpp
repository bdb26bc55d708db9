#include "datasource/MemoryField.h"

#include "datasource/MemoryRecordSet.h"

namespace dorvane {

const FieldDefinition& MemoryField::definition() const
{
    return m_recordSet->fieldDefinition(m_index);
}

QVariant MemoryField::Value() const
{
    return m_recordSet->value(m_index);
}

void MemoryField::setValue(const QVariant& value)
{
    m_recordSet->setValue(m_index, value);
}

} // namespace dorvane
