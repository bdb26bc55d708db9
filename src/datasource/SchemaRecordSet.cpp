#include "datasource/SchemaRecordSet.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "datasource/ConnectionConstants.h"

namespace dorvane {

namespace {

DataError schemaError(const QString& description)
{
    return DataError(QStringLiteral("Dorvane.Recordset"), description);
}

} // namespace

SchemaRecordSet::SchemaRecordSet(const QStringList& columnNames, QList<QVariantList> rows)
    : m_rows(std::move(rows)), m_open(true)
{
    m_fields.resize(columnNames.size());
    for (qsizetype i = 0; i < columnNames.size(); ++i) {
        QueryField& field = m_fields[i];
        field.m_name = columnNames.at(i);
        field.m_type = ado::adVarWChar;
        field.m_definedSize = 128;
    }
    showRow();
}

int SchemaRecordSet::State() const
{
    return m_open ? ado::adStateOpen : ado::adStateClosed;
}

void SchemaRecordSet::Close()
{
    m_open = false;
    m_fields.clear();
    m_rows.clear();
    m_position = 0;
}

void SchemaRecordSet::MoveFirst()
{
    if (!m_open)
        throw schemaError(QStringLiteral("The record set is closed."));
    m_position = 0;
    showRow();
}

void SchemaRecordSet::MoveNext()
{
    if (!m_open)
        throw schemaError(QStringLiteral("The record set is closed."));
    if (IsEOF())
        throw schemaError(QStringLiteral("There is no current record: the record set is already at its end."));
    ++m_position;
    showRow();
}

const QueryField& SchemaRecordSet::Fields(int index) const
{
    if (index < 0 || size_t(index) >= m_fields.size())
        throw schemaError(QStringLiteral("There is no field at position %1.").arg(index));
    return m_fields[size_t(index)];
}

const QueryField& SchemaRecordSet::Fields(const QString& name) const
{
    for (const QueryField& field : m_fields) {
        if (field.Name().compare(name, Qt::CaseInsensitive) == 0)
            return field;
    }
    throw schemaError(QStringLiteral("There is no field named \"%1\".").arg(name));
}

void SchemaRecordSet::showRow()
{
    const bool onRow = m_open && !IsEOF();
    for (size_t i = 0; i < m_fields.size(); ++i) {
        QueryField& field = m_fields[i];
        field.m_onRow = onRow;
        field.m_value = onRow ? m_rows.at(m_position).value(qsizetype(i)) : QVariant();
    }
}

} // namespace dorvane
