// One row of a table named by the values of some of its columns, reached without reading the table: the
// update rule of a record set (see QueryRecordSet::Update) applied to a row that a change journal names.
// Taking a journaled change back writes the old value only into the one row that the journaled identity
// names and whose field still holds the value the change wrote; any other state of the row (changed
// since, deleted, or named twice) writes nothing. UI thread only.
#pragma once

#include "datasource/QueryField.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace dorvane {

class Connection;

class IdentifiedRow
{
public:
    // A column and its value as a record set reads it (null for NULL). For the kinds that travel as the
    // driver's text (dates, times, decimals, GUIDs) `driverText` is that text as read, which is what a
    // WHERE must compare with; empty: the value's canonical text.
    struct ColumnValue
    {
        QString column;
        QVariant value;
        QString driverText;
    };

    // Learns the table's columns (names, types, how their values travel) without reading a row.
    // REQUIRES: the connection outlives this object. Throws DataError when the table cannot be opened.
    IdentifiedRow(Connection& connection, const QString& tableName);

    const QString& tableName() const { return m_tableName; }

    // The rows that `identity` names and whose field `expected.column` holds `expected.value`. Throws
    // DataError (a column that the table no longer has, the driver's error).
    qint64 countHolding(const std::vector<ColumnValue>& identity, const ColumnValue& expected);

    // Writes `value` exactly as given (no conversion from text) into the field `expected.column` of the
    // one row that `identity` names and that holds `expected.value` there. Throws DataError when no row or
    // several rows do, or the data source refuses; nothing is written then. Inside a WriteBatch the write
    // is part of the batch.
    void write(const std::vector<ColumnValue>& identity, const ColumnValue& expected, const QVariant& value);

private:
    // The table's fields standing on the given row: the identity columns hold their values, the expected
    // field is changed from `expected` to `value`, every other column is unnamed.
    std::vector<QueryField> rowFields(const std::vector<ColumnValue>& identity, const ColumnValue& expected,
                                      const QVariant& value, std::vector<int>& identityPositions) const;
    int position(const QString& column) const;

    Connection& m_connection;
    QString m_tableName;
    std::vector<QueryField> m_columns;
};

} // namespace dorvane
