#include "datasource/QueryField.h"

#include "core/DataError.h"
#include "datasource/FieldInputConversion.h"

namespace dorvane {

const QVariant& QueryField::Value() const
{
    if (!m_onRow) {
        throw DataError(
            QStringLiteral("Dorvane.Recordset"),
            QStringLiteral("The field \"%1\" has no value: the record set has no current record.").arg(m_name));
    }
    return m_value;
}

void QueryField::setValue(const QVariant& value)
{
    if (!m_onRow) {
        throw DataError(
            QStringLiteral("Dorvane.Recordset"),
            QStringLiteral("The field \"%1\" cannot be changed: the record set has no current record.").arg(m_name));
    }
    if (!m_writable) {
        throw DataError(QStringLiteral("Dorvane.Recordset"),
                        QStringLiteral("The field \"%1\" cannot be changed: the record set is read-only.").arg(m_name));
    }
    QVariant converted = convertFieldInput(m_name, m_type, value);
    if (!m_changed) {
        m_original = m_value;
        m_changed = true;
    }
    m_value = std::move(converted);
}

} // namespace dorvane
