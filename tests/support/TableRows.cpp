#include "TableRows.h"

#include "datasource/QueryRecordSet.h"

namespace dorvane::test {

QStringList tableRows(Connection& connection, const QString& table, const QString& order)
{
    QueryRecordSet rs;
    rs.Open(connection, QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(connection.quoteIdentifier(table), order));
    QStringList result;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        QStringList values;
        for (int i = 0; i < rs.FieldCount(); ++i) {
            const QVariant v = rs.Fields(i).Value();
            values.append(v.isNull() ? QStringLiteral("<NULL>") : v.toString());
        }
        result.append(values.join(QLatin1Char('|')));
    }
    return result;
}

} // namespace dorvane::test
