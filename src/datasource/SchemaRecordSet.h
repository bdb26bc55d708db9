// The rows a connection's OpenSchema answers with, read completely when it is made (a schema is small)
// so that the connection stays free for other statements. Forward reading like a query record set;
// the fields are read-only. UI thread only.
//
// The tables schema has the columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME (position 2), TABLE_TYPE
// and DESCRIPTION, in the driver's row order. TABLE_TYPE is the driver's text ("TABLE", "VIEW",
// "SYSTEM TABLE", ...); SQLite's own sqlite_ tables, which its driver reports as "TABLE", are reported as
// "SYSTEM TABLE".
#pragma once

#include "datasource/QueryField.h"

#include <QList>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace dorvane {

class SchemaRecordSet
{
public:
    SchemaRecordSet() = default; // closed
    SchemaRecordSet(const QStringList& columnNames, QList<QVariantList> rows);

    int State() const;
    void Close();

    // Moving and reading throw DataError when the record set is closed or has no current row.
    void MoveFirst();
    void MoveNext();
    // EOF is a macro of the C library, hence the name.
    bool IsEOF() const { return m_position >= m_rows.size(); }
    int RecordCount() const { return int(m_rows.size()); }

    int FieldCount() const { return int(m_fields.size()); }
    const QueryField& Fields(int index) const;
    // Case-insensitive, like ADO's collection.
    const QueryField& Fields(const QString& name) const;

private:
    void showRow();

    std::vector<QueryField> m_fields;
    QList<QVariantList> m_rows;
    qsizetype m_position = 0;
    bool m_open = false;
};

} // namespace dorvane
