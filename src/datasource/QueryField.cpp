#include "datasource/QueryField.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/FieldInputConversion.h"
#include "datasource/Utf8Text.h"

namespace dorvane {

const QVariant& QueryField::Value() const
{
    if (!m_onRow) {
        throw DataError(
            QStringLiteral("Dorvane.Recordset"),
            QStringLiteral("The field \"%1\" has no value: the record set has no current record.").arg(m_name));
    }
    return value();
}

void QueryField::decodeText() const
{
    if (m_value.metaType() != QMetaType::fromType<QString>())
        m_value = QVariant(QString());
    utf8text::decodeInto(*static_cast<QString*>(m_value.data()), m_utf8.constData(), m_utf8.size());
    m_undecoded = false;
    releaseLongUtf8();
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
    QVariant converted = convertFieldInput(m_name, m_wideInteger ? ado::adBigInt : m_type, value);
    if (m_wideInteger && converted.metaType().id() == QMetaType::LongLong
        && qint64(int(converted.toLongLong())) == converted.toLongLong() && m_type != ado::adBigInt)
        converted = QVariant::fromValue(int(converted.toLongLong())); // as read: an int where it fits
    if (!m_changed) {
        m_original = this->value();
        m_changed = true;
    }
    this->value() = std::move(converted);
}

} // namespace dorvane
