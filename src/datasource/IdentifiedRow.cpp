#include "datasource/IdentifiedRow.h"

#include "core/DataError.h"
#include "datasource/DriverText.h"
#include "datasource/QueryRecordSet.h"
#include "datasource/RowUpdate.h"

namespace dorvane {

namespace {

QString textForWhere(const QueryField& field, const IdentifiedRow::ColumnValue& given)
{
    if (!drivertext::carriesText(field.valueKind()) || given.value.isNull())
        return QString();
    return given.driverText.isEmpty() ? drivertext::format(field.valueKind(), given.value) : given.driverText;
}

} // namespace

IdentifiedRow::IdentifiedRow(Connection& connection, const QString& tableName)
    : m_connection(connection), m_tableName(tableName)
{
    QueryRecordSet structure;
    structure.OpenStructure(connection, tableName);
    for (int i = 0; i < structure.FieldCount(); ++i)
        m_columns.push_back(structure.Fields(i));
    structure.Close();
}

int IdentifiedRow::position(const QString& column) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].Name().compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw DataError(QStringLiteral("Dorvane.Recordset"),
                    QStringLiteral("The table \"%1\" has no column \"%2\".").arg(m_tableName, column));
}

std::vector<QueryField> IdentifiedRow::rowFields(const std::vector<ColumnValue>& identity, const ColumnValue& expected,
                                                 const QVariant& value, std::vector<int>& identityPositions) const
{
    if (identity.empty()) {
        throw DataError(QStringLiteral("Dorvane.Recordset"),
                        QStringLiteral("No columns name the row of \"%1\".").arg(m_tableName));
    }
    std::vector<QueryField> fields = m_columns;
    for (QueryField& field : fields) {
        field.m_onRow = true;
        field.m_writable = true;
        field.m_changed = false;
        field.m_undecoded = false;
        field.m_value = QVariant();
        field.m_original = QVariant();
        field.m_storedText.clear();
    }
    identityPositions.clear();
    for (const ColumnValue& named : identity) {
        const int at = position(named.column);
        QueryField& field = fields[size_t(at)];
        field.m_value = named.value;
        field.m_storedText = textForWhere(field, named);
        identityPositions.push_back(at);
    }
    // The expected value is what the WHERE compares the field with, also where the field is one of the
    // identity's columns (a key that the change itself rewrote).
    QueryField& changed = fields[size_t(position(expected.column))];
    changed.m_original = expected.value;
    changed.m_storedText = textForWhere(changed, expected);
    changed.m_value = value;
    changed.m_changed = true;
    return fields;
}

qint64 IdentifiedRow::countHolding(const std::vector<ColumnValue>& identity, const ColumnValue& expected)
{
    std::vector<int> positions;
    const std::vector<QueryField> fields = rowFields(identity, expected, expected.value, positions);
    return RowUpdate::countMatches(m_connection, m_tableName, fields, positions);
}

void IdentifiedRow::write(const std::vector<ColumnValue>& identity, const ColumnValue& expected, const QVariant& value)
{
    std::vector<int> positions;
    std::vector<QueryField> fields = rowFields(identity, expected, value, positions);
    RowUpdate::write(m_connection, m_tableName, fields, positions);
}

} // namespace dorvane
